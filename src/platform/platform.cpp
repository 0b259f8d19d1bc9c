#include "platform/platform.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/clip/avi_file.h"
#include "platform/clip/frame_reader.h"

namespace platform {

SystemFontHandle Platform::CreateFont(int height, int weight, std::string* error) {
  return CreateSystemFont(height, weight, error);
}

Platform::~Platform() = default;

std::unique_ptr<FrameReader> Platform::OpenFrames(AviFile& file, const AviStream& stream,
                                                  std::string* why) {
  std::unique_ptr<FrameReader> reader = FrameReader::Open(file, stream, why);
  // Frames for a screen nobody sees are read and checked, but not decoded.
  if (reader && Blind()) reader->SetBlind(true);
  return reader;
}

int Platform::SocketCreate() {
  return ::socket(AF_INET, SOCK_STREAM, 0);
}

bool Platform::SocketConnect(int sock, const std::string& host, uint16_t port) {
  sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) return false;
  int rc;
  do {
    rc = ::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

long Platform::SocketSend(int sock, const void* data, size_t size) {
  long rc;
  do {
    rc = ::send(sock, data, size, MSG_NOSIGNAL);
  } while (rc < 0 && errno == EINTR);
  return rc;
}

long Platform::SocketReceive(int sock, void* data, size_t size) {
  long rc;
  do {
    rc = ::recv(sock, data, size, 0);
  } while (rc < 0 && errno == EINTR);
  return rc;
}

void Platform::SocketClose(int sock) {
  if (sock >= 0) ::close(sock);
}

bool Platform::RenameFile(std::string_view from, std::string_view to) {
  return ::rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) == 0;
}

std::vector<Platform::FileEntry> Platform::ListFiles(std::string_view folder) {
  std::vector<FileEntry> files;
  const std::string dir = ResolvePath(folder);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return files;
  while (dirent* e = ::readdir(d)) {
    struct stat info {};
    const std::string path = dir + "/" + e->d_name;
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
      files.push_back({e->d_name, static_cast<long long>(info.st_size)});
  }
  ::closedir(d);
  return files;
}

uint16_t Platform::SocketLocalPort(int sock) {
  sockaddr_in addr{};
  socklen_t size = sizeof addr;
  if (::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &size) != 0) return 0;
  return addr.sin_family == AF_INET ? ntohs(addr.sin_port) : 0;
}

int64_t Platform::WallClockMs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string Platform::ResolvePath(std::string_view path) const {
  std::string out;
  if (path.empty() || path.front() != '/') {
    out = gameDir_;
    if (!out.empty() && out.back() != '/') out += '/';
  }
  for (char c : path) out += (c == '\\') ? '/' : c;
  return out;
}

// Only regular files are read: a folder opens for reading on Linux and reads as empty,
// which would pass for an empty file.
FILE* Platform::OpenFile(std::string_view path, const char* mode) {
  std::string full = ResolvePath(path);
  struct stat st;
  if (mode[0] == 'r' && ::stat(full.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  return std::fopen(full.c_str(), mode);
}

FolderResult Platform::CreateFolder(std::string_view path) {
  if (::mkdir(ResolvePath(path).c_str(), 0755) == 0) return FolderResult::Created;
  return errno == EEXIST ? FolderResult::AlreadyExists : FolderResult::Failed;
}

long long Platform::FileSize(std::string_view path) {
  struct stat st;
  if (::stat(ResolvePath(path).c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

bool Platform::RemoveFile(std::string_view path) {
  return ::unlink(ResolvePath(path).c_str()) == 0;
}

void Platform::MakeWritable(std::string_view path) {
  std::string full = ResolvePath(path);
  struct stat st;
  if (::stat(full.c_str(), &st) == 0) ::chmod(full.c_str(), st.st_mode | S_IWUSR);
}

bool Platform::WriteFileAtomically(std::string_view path, const void* data, size_t size,
                                   std::string* error) {
  AtomicWriteOptions options;
  options.flush = FlushFiles();
  options.stepDone = [this](AtomicWriteStep step) { AtomicWriteStepDone(step); };
  return platform::WriteFileAtomically(ResolvePath(path), data, size, error, options);
}

}  // namespace platform
