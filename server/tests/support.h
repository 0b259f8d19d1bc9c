// Helpers for the tests that run the real moneyd and moneyctl programs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "server/ledger.h"

namespace money_test {

// The ledger's audit; the test fails when the ledger cannot be read.
money::Audit VerifiedAudit(money::Ledger& ledger);

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProgramResult {
  int exit_code = -1;  // 128 + the signal when killed; -1 when it did not end in time
  std::string out;
  std::string err;
};

// Runs a program to its end (killing it if it hangs) and collects what it printed.
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args);
ProgramResult RunMoneyctl(const std::string& db, const std::vector<std::string>& args);

// A running moneyd; killed when it goes out of scope still running.
class Daemon {
 public:
  Daemon() = default;
  ~Daemon();
  Daemon(const Daemon&) = delete;
  Daemon& operator=(const Daemon&) = delete;

  // Starts moneyd with `args` (and --port 0 unless a port is given, --init unless `init` is
  // false), its stderr appended to `log_path` and `env` ("NAME=value") added to its
  // environment, and waits for its listening line. False when it ended first.
  bool Start(const std::vector<std::string>& args, const std::string& log_path, bool init = true,
             const std::vector<std::string>& env = {});
  // Sends the signal and waits: the exit code, or 128 + the signal that ended it.
  int Stop(int signal);
  // Waits for moneyd to end by itself: its exit code, or 128 + the signal that ended it.
  int Wait();

  pid_t pid() const { return pid_; }
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// One client connection, with the bytes read past the last line.
class Conn {
 public:
  explicit Conn(int port);
  ~Conn();
  Conn(const Conn&) = delete;
  Conn& operator=(const Conn&) = delete;

  bool connected() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  bool Send(const std::string& bytes);
  // The next reply line with its CR LF; empty when the connection ended (or nothing came for
  // a long time).
  std::string ReadLine();
  std::string Exchange(const std::string& request) { return Send(request) ? ReadLine() : ""; }
  // True when the server has closed the connection and sent nothing more.
  bool ClosedByServer();
  // Closes with a reset instead of an orderly close.
  void Abort();
  void Close();

 private:
  int fd_ = -1;
  std::string buffered_;
};

}  // namespace money_test
