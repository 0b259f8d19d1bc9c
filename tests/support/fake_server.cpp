#include "fake_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace testing_support {

namespace {

int ListenLoopback(uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
    ::close(fd);
    return -1;
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

}  // namespace

FakeServer::FakeServer() {
  listener_ = ListenLoopback(port_);
  thread_ = std::thread([this] { Serve(); });
}

FakeServer::~FakeServer() {
  ::shutdown(listener_, SHUT_RDWR);
  thread_.join();
  ::close(listener_);
}

void FakeServer::AddReply(std::string reply) {
  AddReplyInPieces({std::move(reply)});
}

void FakeServer::AddReplyInPieces(std::vector<std::string> pieces) {
  std::lock_guard lock(mutex_);
  replies_.push_back(std::move(pieces));
}

void FakeServer::AddClose() {
  std::lock_guard lock(mutex_);
  replies_.push_back({});
}

bool FakeServer::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

void FakeServer::Serve() {
  pollfd p{listener_, POLLIN, 0};
  // Give up after a while so that a test whose game never connects still ends.
  if (::poll(&p, 1, 20000) <= 0 || !(p.revents & POLLIN)) {
    std::lock_guard lock(mutex_);
    closed_ = true;
    return;
  }
  int fd = ::accept(listener_, nullptr, nullptr);
  if (fd < 0) {
    std::lock_guard lock(mutex_);
    closed_ = true;
    return;
  }
  {
    std::lock_guard lock(mutex_);
    connected_ = true;
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::string pending;
  char buffer[4096];
  bool open = true;
  while (open) {
    long n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    std::vector<std::vector<std::string>> due;
    {
      std::lock_guard lock(mutex_);
      received_.append(buffer, static_cast<size_t>(n));
      pending.append(buffer, static_cast<size_t>(n));
      size_t end;
      while ((end = pending.find('\n')) != std::string::npos) {
        pending.erase(0, end + 1);
        if (replies_.empty()) continue;
        due.push_back(std::move(replies_.front()));
        replies_.pop_front();
      }
    }
    for (const auto& pieces : due) {
      if (pieces.empty()) {
        open = false;
        break;
      }
      for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::send(fd, pieces[i].data(), pieces[i].size(), MSG_NOSIGNAL);
      }
    }
  }
  ::close(fd);
  std::lock_guard lock(mutex_);
  closed_ = true;
}

std::string FakeServer::WaitForClose(int timeoutMs) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (closed_ || std::chrono::steady_clock::now() > until) return received_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

uint16_t UnusedPort() {
  uint16_t port = 0;
  int fd = ListenLoopback(port);
  ::close(fd);
  return port;
}

}  // namespace testing_support
