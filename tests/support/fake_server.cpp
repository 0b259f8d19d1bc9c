#include "fake_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <tuple>

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

void FakeServer::SetResponder(Responder responder) {
  std::lock_guard lock(mutex_);
  responder_ = std::move(responder);
}

FakeServer::Responder FakeServer::Wallet(int credits, int bank, std::vector<std::string> stakes) {
  auto state = std::make_shared<std::tuple<int, int, std::deque<std::string>>>(
      credits, bank, std::deque<std::string>(stakes.begin(), stakes.end()));
  return [state](const std::string& request) -> std::string {
    auto& [c, b, plan] = *state;
    if (request == "CGET") return "CTEL," + std::to_string(c) + "\r\n";
    if (request == "BGET") return "BTEL," + std::to_string(b) + "\r\n";
    if (request.rfind("CUSE,", 0) == 0) {
      std::string verdict = plan.empty() ? "" : plan.front();
      if (!plan.empty()) plan.pop_front();
      int n = std::stoi(request.substr(5));
      if (verdict == "FAIL" || c + b < n) return "FAIL\r\n";
      int fromCredits = std::min(c, n);
      c -= fromCredits;
      b -= n - fromCredits;
      return "CTEL," + std::to_string(c) + "\r\n";
    }
    if (request.rfind("CADD,", 0) == 0)
      return "CTEL," + std::to_string(c += std::stoi(request.substr(5))) + "\r\n";
    if (request.rfind("BADD,", 0) == 0)
      return "BTEL," + std::to_string(b += std::stoi(request.substr(5))) + "\r\n";
    return "";
  };
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
        std::string line = pending.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending.erase(0, end + 1);
        if (!replies_.empty()) {
          due.push_back(std::move(replies_.front()));
          replies_.pop_front();
        } else if (responder_) {
          std::string reply = responder_(line);
          if (!reply.empty()) due.push_back({reply});
        }
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
