#include "platform/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

std::string Fail(const char* what, const std::string& path) {
  std::string out(what);
  out.append(" ").append(path).append(": ").append(std::strerror(errno));
  return out;
}

}  // namespace

bool WriteFileAtomically(const std::string& full, const void* data, size_t size, std::string* error,
                         const AtomicWriteOptions& options) {
  auto done = [&options](AtomicWriteStep step) {
    if (options.stepDone) options.stepDone(step);
  };
  std::string temp = full + options.tempSuffix;
  size_t slash = full.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : full.substr(0, slash + 1);
  std::string why;
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  done(kWriteOpened);
  if (fd < 0) {
    if (error) *error = Fail("cannot create", temp);
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  size_t written = 0;
  while (written < size) {
    ssize_t n = ::write(fd, bytes + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = Fail("cannot write", temp);
      break;
    }
    written += static_cast<size_t>(n);
    done(kWriteWrote);
  }
  if (why.empty() && options.flush && ::fsync(fd) != 0) why = Fail("cannot flush", temp);
  done(kWriteFlushed);
  if (::close(fd) != 0 && why.empty()) why = Fail("cannot close", temp);
  if (why.empty() && ::rename(temp.c_str(), full.c_str()) != 0) why = Fail("cannot replace", full);
  done(kWriteRenamed);
  if (!why.empty()) {
    ::unlink(temp.c_str());
    if (error) *error = why;
    return false;
  }
  // The rename itself is made durable by flushing the folder.
  int dir = options.flush ? ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  done(kWriteDone);
  return true;
}

}  // namespace platform
