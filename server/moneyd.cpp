// moneyd: keeps the player's credits and bank for the game and answers its line protocol on
// 127.0.0.1 (port 6667 unless told otherwise). See protocol.h for the requests and ledger.h
// for how the money is kept.
#include <signal.h>
#include <sqlite3.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "server/daemon.h"
#include "server/event_log.h"
#include "server/ledger.h"
#include "server/net.h"
#include "server/options.h"

namespace {

using ll = long long;
using money::LogEvent;

volatile sig_atomic_t gStop = 0;

void OnStopSignal(int) {
  gStop = 1;
}

// Blocks the stopping signals except while waiting in poll, so that one arriving during a
// transaction is taken up only once it is finished. Returns the mask to wait with.
sigset_t InstallSignals() {
  signal(SIGPIPE, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stopping;
  sigemptyset(&stopping);
  for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(s, &action, nullptr);
    sigaddset(&stopping, s);
  }
  sigset_t wait_mask;
  sigprocmask(SIG_BLOCK, &stopping, &wait_mask);
  for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigdelset(&wait_mask, s);
  return wait_mask;
}

bool JournalEvent(money::Ledger& ledger, money::Kind kind, const std::string& detail,
                  std::string& error) {
  const money::RecordResult result = money::Record(ledger, money::Entry{kind, 0, 0, detail});
  error = result.error;
  return result.outcome == money::Outcome::kApplied;
}

bool TopUpDemoCredit(money::Ledger& ledger, int64_t demo_credit) {
  money::Totals totals;
  std::string error;
  if (!money::ReadTotals(ledger, totals, error)) {
    money::LogEventAt(money::kLogError, "cannot read the totals: %s", error.c_str());
    return false;
  }
  if (totals.credits >= demo_credit) return true;
  const money::RecordResult result = money::Record(
      ledger, money::Entry{money::Kind::kInsert, 0, demo_credit - totals.credits, "demo credit"});
  if (result.outcome != money::Outcome::kApplied) {
    money::LogEventAt(money::kLogError, "cannot insert the demo credit: %s", result.error.c_str());
    return false;
  }
  LogEvent("operator insert of %lldp demo credit -> credits %lldp",
           static_cast<ll>(result.decision.amount), static_cast<ll>(result.after.credits));
  return true;
}

// A commit whose sync failed may be in the write-ahead log all the same: no client of it may
// be told anything. The process ends at once; a restart recovers the database from the log.
[[noreturn]] void CommitUnknown(const std::string& error) {
  money::LogEventAt(money::kLogError, "COMMIT FAILED - outcome unknown - closing down: %s",
                    error.c_str());
  fflush(stderr);
  _exit(money::kExitCommitUnknown);
}

// The journal's chain from the newest checkpoint, and a new checkpoint; false with a message
// when the chain is broken or the journal does not add up.
bool VerifyAtStart(money::Ledger& ledger, const std::string& db_path) {
  money::Audit audit;
  money::Totals totals;
  std::string error;
  if (!money::VerifyLedger(ledger, audit, totals, error,
                           money::VerifyOptions{{}, false, /*store_checkpoint=*/true})) {
    money::LogEventAt(money::kLogError, "cannot read the journal of %s: %s", db_path.c_str(),
                      error.c_str());
    return false;
  }
  if (audit.problem_count > 0) {
    money::LogEventAt(money::kLogError,
                      "refusing to start: the journal of %s is broken (%lld problems; see "
                      "'moneyctl verify --full'):",
                      db_path.c_str(), static_cast<ll>(audit.problem_count));
    for (const std::string& problem : audit.problems)
      money::LogEventAt(money::kLogError, "  %s", problem.c_str());
    return false;
  }
  if (!audit.checkpoint_error.empty()) {
    money::LogEventAt(money::kLogWarning, "could not store a checkpoint: %s",
                      audit.checkpoint_error.c_str());
  }
  LogEvent(
      "the journal's %lld entries are chained unbroken (%lld replayed since the checkpoint "
      "at entry %lld)",
      static_cast<ll>(audit.entries), static_cast<ll>(audit.replayed),
      static_cast<ll>(audit.checkpoint_seq));
  return true;
}

int Run(const money::MoneydOptions& options) {
  in_addr address{};
  std::string error;
  if (!money::ParseLoopbackAddress(options.bind, address, error)) {
    money::LogEventAt(money::kLogError, "refusing to start: %s", error.c_str());
    return 2;
  }
  // The port first: a second server started by mistake goes without touching the database.
  int port = 0;
  const int listen_fd = money::OpenListener(address, options.port, port, error);
  if (listen_fd < 0) {
    money::LogEventAt(money::kLogError, "%s", error.c_str());
    return 1;
  }
  const std::string db_path =
      options.db_path.empty() ? money::DefaultDatabasePath() : options.db_path;
  money::Ledger ledger;
  const money::OpenMode mode = options.init ? money::OpenMode::kCreate : money::OpenMode::kServe;
  if (!money::OpenLedger(db_path, mode, ledger, error) ||
      (options.relaxed_durability && sqlite3_exec(ledger.db, "PRAGMA synchronous = OFF", nullptr,
                                                  nullptr, nullptr) != SQLITE_OK)) {
    money::LogEventAt(money::kLogError, "cannot use the money database %s: %s", db_path.c_str(),
                      error.c_str());
    close(listen_fd);
    return 1;
  }
  if (ledger.upgraded_entries >= 0) {
    LogEvent("upgraded %s: its %lld journal entries are now chained by hash", db_path.c_str(),
             static_cast<ll>(ledger.upgraded_entries));
  }
  if (ledger.upgraded_from > 0) {
    LogEvent("upgraded %s from format %lld: the totals carry the chain's head", db_path.c_str(),
             static_cast<ll>(ledger.upgraded_from));
  }
  if (!VerifyAtStart(ledger, db_path)) {
    close(listen_fd);
    money::CloseLedger(ledger);
    return 1;
  }
  ledger.commit_unknown = CommitUnknown;

  money::ServeConfig config;
  for (const std::string& name : options.allow_users) {
    if (!money::AllowUser(config.peers, name, error)) break;
  }
  for (const std::string& name : options.allow_groups) {
    if (error.empty() && !money::AllowGroup(config.peers, name, error)) break;
  }
  if (!error.empty()) {
    money::LogEventAt(money::kLogError, "refusing to start: --allow-user/--allow-group: %s",
                      error.c_str());
    close(listen_fd);
    money::CloseLedger(ledger);
    return 1;
  }
  config.listen_fd = listen_fd;
  config.wait_mask = InstallSignals();
  const std::string where = options.bind + ":" + std::to_string(port);
  int status = 1;
  if (!money::NextClientId(ledger, config.first_client, error) ||
      !JournalEvent(ledger, money::Kind::kStart, "on " + where + ", " + db_path, error)) {
    money::LogEventAt(money::kLogError, "cannot write to the money database %s: %s",
                      db_path.c_str(), error.c_str());
  } else if (TopUpDemoCredit(ledger, options.demo_credit)) {
    money::Totals totals;
    money::ReadTotals(ledger, totals, error);
    LogEvent("started with %s: credits %s, bank %s", db_path.c_str(),
             money::PoundsAndPence(totals.credits).c_str(),
             money::PoundsAndPence(totals.bank).c_str());
    LogEvent("listening on %s", where.c_str());
    printf("moneyd: listening on %s\n", where.c_str());
    fflush(stdout);
    // systemd starts the game once the server listens (Type=notify); nothing without it.
    sd_notifyf(0, "READY=1\nSTATUS=listening on %s", where.c_str());

    status = money::Serve(ledger, config, gStop);
    sd_notify(0, "STOPPING=1");
    if (!JournalEvent(ledger, money::Kind::kStop, status == 0 ? "stopped" : "poll failed", error)) {
      money::LogEventAt(money::kLogError, "could not journal the stop: %s", error.c_str());
    }
    LogEvent("stopped");
  }
  close(listen_fd);
  money::CloseLedger(ledger);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "moneyd", money::kMoneydUsage, status)) return status;
  money::MoneydOptions options;
  std::string error;
  if (!money::ParseMoneydOptions(argc, argv, options, error)) {
    return cli::UsageError("moneyd", error);
  }
  return Run(options);
}
