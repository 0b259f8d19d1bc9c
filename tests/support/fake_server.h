// A scripted money server for tests: listens on an ephemeral loopback port, accepts one
// connection, answers each request line with the next scripted reply (or nothing) and
// records every byte the game sent until the game closes the connection.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class FakeServer {
 public:
  FakeServer();
  ~FakeServer();

  uint16_t Port() const { return port_; }
  // Replies sent, one per received line, in order; raw bytes (include "\r\n").
  void AddReply(std::string reply);
  // A reply sent in separate pieces, a short pause between them.
  void AddReplyInPieces(std::vector<std::string> pieces);
  // Instead of the next reply, the connection is closed.
  void AddClose();
  // Once the scripted replies are used up, each request line (without its line end) is
  // answered with what this returns (nothing when it returns "").
  using Responder = std::function<std::string(const std::string& request)>;
  void SetResponder(Responder responder);
  // A responder for a player with these totals that takes stakes as `stakes` say
  // ("FAIL" refuses one; anything else accepts it).
  static Responder Wallet(int credits, int bank, std::vector<std::string> stakes = {});
  // Blocks until the game has closed the connection (or the timeout passes); returns
  // everything it sent.
  std::string WaitForClose(int timeoutMs = 10000);
  bool Connected() const;

 private:
  void Serve();

  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::deque<std::vector<std::string>> replies_;  // empty: close
  Responder responder_;
  std::string received_;
  bool connected_ = false;
  bool closed_ = false;
};

// A loopback port on which nothing listens (bound once, then released).
uint16_t UnusedPort();

}  // namespace testing_support
