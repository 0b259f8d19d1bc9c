#include "platform/platform.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

Platform::~Platform() = default;

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

std::string Platform::ResolvePath(std::string_view path) const {
  std::string out;
  if (path.empty() || path.front() != '/') {
    out = gameDir_;
    if (!out.empty() && out.back() != '/') out += '/';
  }
  for (char c : path) out += (c == '\\') ? '/' : c;
  return out;
}

FILE* Platform::OpenFile(std::string_view path, const char* mode) {
  return std::fopen(ResolvePath(path).c_str(), mode);
}

FolderResult Platform::CreateFolder(std::string_view path) {
  if (::mkdir(ResolvePath(path).c_str(), 0755) == 0) return FolderResult::Created;
  return errno == EEXIST ? FolderResult::AlreadyExists : FolderResult::Failed;
}

}  // namespace platform
