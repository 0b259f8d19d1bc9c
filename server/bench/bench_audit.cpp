// Measures what checkpoints buy: a journal of N entries (10^6 unless told), written in one
// transaction, then `moneyctl verify` and `moneyctl prometheus` from a checkpoint with one
// entry after it, against a full replay (`verify --full`, and prometheus with no checkpoint).
// Each figure is the real moneyctl program's wall time, the median of a few runs.
//
//   moneyd-audit-bench [--entries N] [--runs R] [--dir FOLDER]
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "server/ledger.h"
#include "server/options.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Die(const std::string& what) {
  fprintf(stderr, "moneyd-audit-bench: %s\n", what.c_str());
  exit(1);
}

// Runs moneyctl with `args` on `db`, its output thrown away; the seconds it took.
double TimeMoneyctl(const std::string& db, std::vector<std::string> args, int want_exit) {
  args.insert(args.begin(), {MONEYCTL_PATH, "--db", db});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    Die("cannot run moneyctl");
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != want_exit)
    Die("moneyctl " + args[3] + " failed");
  return seconds;
}

void AddOne(money::Ledger& ledger) {
  if (money::Record(ledger, {money::Kind::kAddCredits, 1, 1, ""}).outcome !=
      money::Outcome::kApplied) {
    Die("cannot add an entry");
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int64_t entries = 1000000;
  int64_t runs = 5;
  std::string base = std::filesystem::temp_directory_path().string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--entries" && money::ParseWhole(argv[i + 1], 1, 100000000, entries)) continue;
    if (arg == "--runs" && money::ParseWhole(argv[i + 1], 1, 1000, runs)) continue;
    if (arg == "--dir") {
      base = argv[i + 1];
      continue;
    }
    Die("usage: moneyd-audit-bench [--entries N] [--runs R] [--dir FOLDER]");
  }
  std::string folder = base + "/moneyd-audit-bench-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) Die("cannot make a folder under " + base);
  const std::string db = folder + "/money.db";

  money::Ledger ledger;
  std::string error;
  if (!money::OpenLedger(db, money::OpenMode::kCreate, ledger, error)) Die(error);
  const Clock::time_point fill_start = Clock::now();
  if (!money::BeginBatch(ledger, error)) Die(error);
  for (int64_t i = 0; i < entries; ++i) {
    const bool stake = i % 3 == 2;
    const money::Entry entry{stake ? money::Kind::kUseCredits : money::Kind::kAddCredits, 1 + i % 7,
                             stake ? 2 : 1, ""};
    if (money::RecordInBatch(ledger, entry).outcome != money::Outcome::kApplied) {
      Die("cannot write entry " + std::to_string(i + 1));
    }
  }
  if (!money::CommitBatch(ledger, error)) Die(error);
  const double fill = std::chrono::duration<double>(Clock::now() - fill_start).count();
  printf("moneyd-audit-bench: %lld journal entries written in one transaction in %.1f s (%s)\n",
         static_cast<long long>(entries), fill, db.c_str());

  // The first audit replays everything and leaves the checkpoint.
  const double first = TimeMoneyctl(db, {"verify"}, 0);
  std::vector<double> verify_ckpt, prom_ckpt, verify_full, prom_full;
  const std::string prom = folder + "/money.prom";
  for (int64_t r = 0; r < runs; ++r) {
    AddOne(ledger);
    verify_ckpt.push_back(TimeMoneyctl(db, {"verify"}, 0));
    AddOne(ledger);
    prom_ckpt.push_back(TimeMoneyctl(db, {"prometheus", prom}, 0));
  }
  for (int64_t r = 0; r < std::min<int64_t>(runs, 3); ++r) {
    AddOne(ledger);
    verify_full.push_back(TimeMoneyctl(db, {"verify", "--full"}, 0));
    if (sqlite3_exec(ledger.db, "DELETE FROM checkpoint", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Die("cannot remove the checkpoints");
    }
    AddOne(ledger);
    prom_full.push_back(TimeMoneyctl(db, {"prometheus", prom}, 0));
  }
  money::CloseLedger(ledger);

  printf("first verify (no checkpoint yet): %.3f s\n", first);
  printf("%-12s %16s %16s %10s\n", "", "from checkpoint", "full replay", "ratio");
  printf("%-12s %14.4f s %14.3f s %9.0fx\n", "verify", Median(verify_ckpt), Median(verify_full),
         Median(verify_full) / Median(verify_ckpt));
  printf("%-12s %14.4f s %14.3f s %9.0fx\n", "prometheus", Median(prom_ckpt), Median(prom_full),
         Median(prom_full) / Median(prom_ckpt));
  std::filesystem::remove_all(folder);
  return 0;
}
