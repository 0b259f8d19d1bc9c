#include "support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace money_test {

money::Audit VerifiedAudit(money::Ledger& ledger) {
  money::Audit audit;
  money::Totals totals;
  std::string error;
  EXPECT_TRUE(money::VerifyLedger(ledger, audit, totals, error)) << error;
  return audit;
}

namespace {

// Guards against a hung program or connection; never a measure of speed.
constexpr int kPatienceMs = 60000;

std::vector<char*> Argv(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

int ExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "moneyd-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args) {
  ProgramResult result;
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  pid_t pid = -1;
  std::vector<char*> argv = Argv(path, args);
  const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (rc != 0) {
    close(out[0]);
    close(err[0]);
    return result;
  }
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_pipes = 2;
  bool hung = false;
  while (open_pipes > 0) {
    if (poll(fds, 2, kPatienceMs) <= 0) {
      hung = true;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  if (hung) kill(pid, SIGKILL);
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = hung ? -1 : ExitCode(status);
  return result;
}

ProgramResult RunMoneyctl(const std::string& db, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--db", db};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram(MONEYCTL_PATH, all);
}

Daemon::~Daemon() {
  if (pid_ > 0) Stop(SIGKILL);
}

bool Daemon::Start(const std::vector<std::string>& args, const std::string& log_path, bool init,
                   const std::vector<std::string>& env) {
  // A fresh database is made explicitly; a ledger that is there is opened as usual.
  std::vector<std::string> all;
  if (init) all.push_back("--init");
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> environment;
  for (const std::string& e : env) environment.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e != nullptr; ++e) environment.push_back(*e);
  environment.push_back(nullptr);
  bool has_port = false;
  for (const std::string& a : args) has_port = has_port || a == "--port";
  if (!has_port) all.insert(all.end(), {"--port", "0"});

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  const std::string path = MONEYD_PATH;
  std::vector<char*> argv = Argv(path, all);
  const int rc =
      posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    pid_ = -1;
    close(out[0]);
    return false;
  }
  // Read the first line: "moneyd: listening on 127.0.0.1:<port>".
  std::string line;
  pollfd p{out[0], POLLIN, 0};
  while (line.find('\n') == std::string::npos && poll(&p, 1, kPatienceMs) > 0) {
    char buffer[256];
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got <= 0) break;
    line.append(buffer, static_cast<size_t>(got));
  }
  close(out[0]);
  const std::string prefix = "moneyd: listening on ";
  const size_t colon = line.rfind(':');
  if (line.rfind(prefix, 0) != 0 || colon == std::string::npos) {
    Stop(SIGKILL);
    return false;
  }
  port_ = atoi(line.c_str() + colon + 1);
  return port_ > 0;
}

int Daemon::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  return Wait();
}

int Daemon::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  // Bounded: a moneyd that does not end is killed and reported as -1.
  for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
    if (waited >= kPatienceMs) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    usleep(10000);
  }
  pid_ = -1;
  return ExitCode(status);
}

Conn::Conn(int port) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    Close();
    return;
  }
  const int on = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  timeval patience{kPatienceMs / 1000, 0};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
}

Conn::~Conn() {
  Close();
}

void Conn::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool Conn::Send(const std::string& bytes) {
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t sent = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return fd_ >= 0;
}

std::string Conn::ReadLine() {
  for (;;) {
    const size_t end = buffered_.find("\r\n");
    if (end != std::string::npos) {
      std::string line = buffered_.substr(0, end + 2);
      buffered_.erase(0, end + 2);
      return line;
    }
    char buffer[4096];
    const ssize_t got = fd_ >= 0 ? recv(fd_, buffer, sizeof buffer, 0) : -1;
    if (got <= 0) return "";
    buffered_.append(buffer, static_cast<size_t>(got));
  }
}

bool Conn::ClosedByServer() {
  if (!buffered_.empty() || fd_ < 0) return false;
  char byte = 0;
  return recv(fd_, &byte, 1, 0) == 0;
}

void Conn::Abort() {
  if (fd_ < 0) return;
  linger now{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &now, sizeof now);
  Close();
}

}  // namespace money_test
