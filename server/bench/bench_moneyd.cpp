// Measures moneyd the way the game uses it: one connection, one request, one reply, strictly
// alternating. Reports exchanges per second and the median and 99th percentile latency of
// CGET and of CADD (a durable change), next to a bare loopback echo server and a bare SQLite
// commit (a one-row UPDATE in its own transaction, WAL, synchronous FULL) measured in the same
// run: the floors that the network and the disk alone set.
//
// Then fairness: the latency of one client's BGET while another client streams CADD,1 lines
// as fast as it can, and the throughput of one and of four such streams. With --before PATH
// the fairness figures are measured for that (older) moneyd program too.
//
//   moneyd-bench [--queries N] [--additions N] [--stream N] [--dir FOLDER] [--moneyd PATH]
//                [--before PATH]
//
// The database is made in a fresh folder under FOLDER (the system's temporary folder unless
// told), which should be on the disk the cabinet will use: CADD waits for it.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Stats {
  double per_second = 0;
  double p50_us = 0;
  double p99_us = 0;
  double max_us = 0;
};

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    perror("moneyd-bench: connect");
    exit(1);
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

// One request and its whole reply line.
void Exchange(int fd, const std::string& request) {
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    perror("moneyd-bench: send");
    exit(1);
  }
  char reply[256];
  size_t got = 0;
  while (got < 2 || reply[got - 1] != '\n') {
    const ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
    if (n <= 0) {
      fprintf(stderr, "moneyd-bench: the server went away\n");
      exit(1);
    }
    got += static_cast<size_t>(n);
  }
  if (strncmp(reply, "FAIL", 4) == 0) {
    fprintf(stderr, "moneyd-bench: refused: %s", request.c_str());
    exit(1);
  }
}

// The samples of one kind of exchange, gathered over several rounds.
struct Series {
  int fd = -1;
  std::string request;
  std::vector<double> us;
  double seconds = 0;
};

Series Open(int port, const std::string& request) {
  Series series{Connect(port), request, {}, 0};
  for (int i = 0; i < 200; ++i) Exchange(series.fd, request);  // warm up
  return series;
}

void Measure(Series& series, int count) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const Clock::time_point t0 = Clock::now();
    Exchange(series.fd, series.request);
    series.us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  series.seconds += std::chrono::duration<double>(Clock::now() - start).count();
}

Stats Summarise(std::vector<double>& us, double seconds) {
  std::sort(us.begin(), us.end());
  Stats stats;
  stats.per_second = static_cast<double>(us.size()) / seconds;
  stats.p50_us = us[us.size() / 2];
  stats.p99_us = us[std::min(us.size() - 1, us.size() * 99 / 100)];
  stats.max_us = us.back();
  return stats;
}

Stats Summarise(Series& series) {
  close(series.fd);
  return Summarise(series.us, series.seconds);
}

// The disk's floor: what one durable commit costs SQLite alone, with moneyd's settings.
struct BareCommit {
  sqlite3* db = nullptr;
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_stmt* commit = nullptr;
  std::vector<double> us;
  double seconds = 0;
};

void Check(bool ok, sqlite3* db, const char* what) {
  if (ok) return;
  fprintf(stderr, "moneyd-bench: %s: %s\n", what, sqlite3_errmsg(db));
  exit(1);
}

void OpenBare(BareCommit& bare, const std::string& path) {
  Check(sqlite3_open(path.c_str(), &bare.db) == SQLITE_OK, bare.db, "open");
  Check(sqlite3_exec(bare.db,
                     "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; CREATE TABLE t (id "
                     "INTEGER PRIMARY KEY, v INTEGER NOT NULL); INSERT INTO t VALUES (1, 0);",
                     nullptr, nullptr, nullptr) == SQLITE_OK,
        bare.db, "make the table");
  Check(sqlite3_prepare_v2(bare.db, "BEGIN IMMEDIATE", -1, &bare.begin, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(bare.db, "UPDATE t SET v = v + 1 WHERE id = 1", -1, &bare.update,
                               nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(bare.db, "COMMIT", -1, &bare.commit, nullptr) == SQLITE_OK,
        bare.db, "prepare");
}

void Step(sqlite3_stmt* s, sqlite3* db) {
  Check(sqlite3_step(s) == SQLITE_DONE, db, "step");
  sqlite3_reset(s);
}

void MeasureBare(BareCommit& bare, int count) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const Clock::time_point t0 = Clock::now();
    Step(bare.begin, bare.db);
    Step(bare.update, bare.db);
    Step(bare.commit, bare.db);
    bare.us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  bare.seconds += std::chrono::duration<double>(Clock::now() - start).count();
}

Stats SummariseBare(BareCommit& bare) {
  for (sqlite3_stmt* s : {bare.begin, bare.update, bare.commit}) sqlite3_finalize(s);
  sqlite3_close(bare.db);
  return Summarise(bare.us, bare.seconds);
}

// The floor: a blocking server in a process of its own, like moneyd, that sends back what it
// reads, for one client.
int StartEchoServer(pid_t& pid) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof where;
  if (bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
      listen(listener, 1) != 0) {
    perror("moneyd-bench: echo server");
    exit(1);
  }
  getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size);
  pid = fork();
  if (pid == 0) {
    const int fd = accept(listener, nullptr, nullptr);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
      send(fd, buffer, static_cast<size_t>(n), 0);
    _exit(0);
  }
  close(listener);
  return ntohs(where.sin_port);
}

// A moneyd from before --init makes a new database by itself and refuses the option.
bool TakesInit(const std::string& path) {
  FILE* help = popen(("'" + path + "' --help 2>&1").c_str(), "r");
  if (help == nullptr) return false;
  std::string text;
  char buffer[512];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, help)) > 0 && text.size() < 65536)
    text.append(buffer, got);
  pclose(help);
  return text.find("--init") != std::string::npos;
}

pid_t StartMoneyd(const std::string& path, const std::string& folder, int& port) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) exit(1);
  const std::string db = folder + "/money.db";
  const std::string log = folder + "/moneyd.log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  const char* argv[] = {path.c_str(), "--port", "0", "--db", db.c_str(), nullptr, nullptr};
  if (TakesInit(path)) argv[5] = "--init";
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
    fprintf(stderr, "moneyd-bench: cannot start %s\n", path.c_str());
    exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string line;
  char c = 0;
  while (line.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) line += c;
  close(out[0]);
  const size_t colon = line.rfind(':');
  if (line.rfind("moneyd: listening on ", 0) != 0 || colon == std::string::npos) {
    fprintf(stderr, "moneyd-bench: moneyd did not start; see %s\n", log.c_str());
    exit(1);
  }
  port = atoi(line.c_str() + colon + 1);
  return pid;
}

void Print(const char* name, int count, const Stats& s) {
  printf("%-26s %8d %12.0f %10.1f %10.1f\n", name, count, s.per_second, s.p50_us, s.p99_us);
}

void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// Sends `count` copies of `request` in one burst and reads every reply; the seconds it took.
double Stream(int port, const std::string& request, int count) {
  const int fd = Connect(port);
  std::string burst;
  for (int i = 0; i < count; ++i) burst += request;
  const Clock::time_point start = Clock::now();
  std::thread sender([fd, &burst] {
    for (size_t done = 0; done < burst.size();) {
      const ssize_t n = send(fd, burst.data() + done, burst.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  });
  int replies = 0;
  char buffer[16384];
  while (replies < count) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
      fprintf(stderr, "moneyd-bench: the server went away during a stream\n");
      exit(1);
    }
    replies += static_cast<int>(std::count(buffer, buffer + n, '\n'));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  sender.join();
  close(fd);
  return seconds;
}

// One client's BGET, exchange after exchange, while another streams `count` CADD,1 lines.
struct Fairness {
  Stats bget;
  int asked = 0;
  double stream_seconds = 0;
};

Fairness MeasureFairness(const std::string& moneyd, const std::string& base, int count) {
  std::string folder = base + "/moneyd-bench-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) exit(1);
  int port = 0;
  const pid_t pid = StartMoneyd(moneyd, folder, port);
  Series asker = Open(port, "BGET\r\n");
  asker.us.clear();
  Fairness result;
  std::atomic<bool> done = false;
  std::thread streamer([&] {
    result.stream_seconds = Stream(port, "CADD,1\r\n", count);
    done = true;
  });
  const Clock::time_point start = Clock::now();
  while (!done) Measure(asker, 1);
  asker.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  streamer.join();
  result.asked = static_cast<int>(asker.us.size());
  if (result.asked == 0) asker.us.push_back(0);
  result.bget = Summarise(asker);
  Stop(pid);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}

// `streams` clients streaming `count` changes each at once; changes per second in all.
double MeasureStreams(const std::string& moneyd, const std::string& base, int streams, int count) {
  std::string folder = base + "/moneyd-bench-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) exit(1);
  int port = 0;
  const pid_t pid = StartMoneyd(moneyd, folder, port);
  std::vector<std::thread> threads;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < streams; ++i) {
    threads.emplace_back(
        [port, i, count] { Stream(port, i % 2 ? "BADD,1\r\n" : "CADD,1\r\n", count); });
  }
  for (std::thread& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  Stop(pid);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return streams * count / seconds;
}

void PrintFairness(const char* who, int count, const Fairness& f) {
  printf("%-26s %8d %10.1f %10.1f %10.1f %12.0f\n", who, f.asked, f.bget.p50_us, f.bget.p99_us,
         f.bget.max_us, count / f.stream_seconds);
}

}  // namespace

int main(int argc, char** argv) {
  int queries = 20000;
  int additions = 2000;
  int stream = 2000;
  std::string moneyd = MONEYD_PATH;
  std::string before;
  std::string base = std::filesystem::temp_directory_path().string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--queries") {
      queries = std::max(1, atoi(argv[i + 1]));
    } else if (arg == "--additions") {
      additions = std::max(1, atoi(argv[i + 1]));
    } else if (arg == "--stream") {
      stream = std::max(1, atoi(argv[i + 1]));
    } else if (arg == "--dir") {
      base = argv[i + 1];
    } else if (arg == "--moneyd") {
      moneyd = argv[i + 1];
    } else if (arg == "--before") {
      before = argv[i + 1];
    } else {
      fprintf(stderr,
              "usage: moneyd-bench [--queries N] [--additions N] [--stream N] [--dir FOLDER] "
              "[--moneyd PATH] [--before PATH]\n");
      return 2;
    }
  }
  std::string folder = base + "/moneyd-bench-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    perror("moneyd-bench: mkdtemp");
    return 1;
  }

  pid_t echo_pid = -1;
  const int echo_port = StartEchoServer(echo_pid);
  int port = 0;
  const pid_t pid = StartMoneyd(moneyd, folder, port);
  BareCommit bare;
  OpenBare(bare, folder + "/bare.db");

  // Interleaved rounds, so that other load on the machine falls on all four alike.
  constexpr int kRounds = 10;
  Series echo = Open(echo_port, "CGET\r\n");
  Series get = Open(port, "CGET\r\n");
  Series add = Open(port, "CADD,1\r\n");
  MeasureBare(bare, 200);  // warm up
  bare.us.clear();
  bare.seconds = 0;
  for (int round = 0; round < kRounds; ++round) {
    Measure(echo, (queries + kRounds - 1) / kRounds);
    Measure(get, (queries + kRounds - 1) / kRounds);
    Measure(add, (additions + kRounds - 1) / kRounds);
    MeasureBare(bare, (additions + kRounds - 1) / kRounds);
  }
  const int query_count = static_cast<int>(get.us.size());
  const int addition_count = static_cast<int>(add.us.size());
  const Stats echo_stats = Summarise(echo);
  const Stats get_stats = Summarise(get);
  const Stats add_stats = Summarise(add);
  const Stats bare_stats = SummariseBare(bare);
  waitpid(echo_pid, nullptr, 0);
  Stop(pid);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);

  printf("moneyd-bench: one connection, request and reply alternating; database in %s\n",
         base.c_str());
  printf("%-26s %8s %12s %10s %10s\n", "exchange", "count", "per second", "p50 (us)", "p99 (us)");
  Print("echo server (floor)", query_count, echo_stats);
  Print("moneyd CGET", query_count, get_stats);
  Print("moneyd CADD,1 (durable)", addition_count, add_stats);
  Print("bare SQLite commit (floor)", addition_count, bare_stats);
  printf("CADD,1 round trip / bare commit: %.2f at p50, %.2f at p99\n",
         add_stats.p50_us / bare_stats.p50_us, add_stats.p99_us / bare_stats.p99_us);

  printf("\none client's BGET, exchange after exchange, while another streams %d CADD,1\n", stream);
  printf("%-26s %8s %10s %10s %10s %12s\n", "server", "BGETs", "p50 (us)", "p99 (us)", "max (us)",
         "stream /s");
  PrintFairness("moneyd", stream, MeasureFairness(moneyd, base, stream));
  if (!before.empty()) {
    PrintFairness(("before: " + std::filesystem::path(before).filename().string()).c_str(), stream,
                  MeasureFairness(before, base, stream));
  }

  printf("\nstreams of %d changes at once (one commit per change would allow %.0f /s)\n", stream,
         bare_stats.per_second);
  printf("%-26s %12s\n", "streams", "changes /s");
  for (const int streams : {1, 4}) {
    printf("%-26d %12.0f\n", streams, MeasureStreams(moneyd, base, streams, stream));
  }
  return 0;
}
