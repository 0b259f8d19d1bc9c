// moneyctl: the operator's side of the money, working on moneyd's database while it runs.
//   status           the credits and the bank
//   insert PENCE     the coin mechanism: put credits in (never above 9999p in all)
//   cashout          pay out everything, credits and bank
//   journal [--client N] [--last N]  the journal's entries: all or the last N, of everyone
//                    or of one client
//   head             the chain's head, SEQ:HASH, to note down or send elsewhere
//   verify [--full] [--head SEQ:HASH]  check the journal's chain and that it adds up to the
//                    totals (from the newest checkpoint, or all of it with --full), and that
//                    it still holds the head noted earlier
//   prometheus OUT   the credits, bank, journal totals and the audit's verdict in the
//                    Prometheus text format, written to OUT atomically (node exporter)
//   reconcile GAME_DIR [--json]  matches the open games of the game's journal with this
//                    journal: each step done, not done (and what is owed) or unknown
//   init             make a new, empty ledger (refused when one is there already)
//   refund PENCE --game N, pay PENCE --to bank|credits --game N
//                    settle what an open game owes (settle.h), then close it in the game's
//                    journal (reconcile.h)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/settings.h"
#include "platform/atomic_file.h"
#include "server/ledger.h"
#include "server/options.h"
#include "server/reconcile.h"
#include "server/settle.h"

namespace {

using ll = long long;

constexpr const char* kUsage =
    "usage: moneyctl [--db FILE] [--game-dir DIR] status | insert PENCE | cashout |\n"
    "                journal [--client N] [--last N] | head |\n"
    "                verify [--full] [--head SEQ:HASH] |\n"
    "                prometheus OUT | init | reconcile GAME_DIR [--json] |\n"
    "                refund PENCE --game N | pay PENCE --to bank|credits --game N\n"
    "options: --db FILE, --game-dir DIR: by default those of /etc/strikora/strikora.conf on\n"
    "an installed cabinet, money.db beside moneyctl and moneyctl's folder in a build\n"
    "exit: 0 done, 1 refused or failed, 64 bad usage, 3 a commit failed and its outcome is\n"
    "unknown, 4 settled but the game's journal could not be marked\n";

// A commit that failed may be on disk all the same: say so and stop, claiming nothing.
void CommitUnknown(const std::string& error) {
  fprintf(stderr,
          "moneyctl: COMMIT FAILED - outcome unknown: %s\n"
          "moneyctl: see 'moneyctl journal --last 5' whether the entry was made\n",
          error.c_str());
  exit(money::kExitCommitUnknown);
}

int Usage(const std::string& problem) {
  return cli::UsageError("moneyctl", problem);
}

int Failed(const std::string& what, const std::string& error) {
  fprintf(stderr, "moneyctl: %s: %s\n", what.c_str(), error.c_str());
  return 1;
}

int Status(money::Ledger& ledger) {
  money::Totals totals;
  std::string error;
  if (!money::ReadTotals(ledger, totals, error)) return Failed("cannot read the totals", error);
  printf("credits: %s\n", money::PoundsAndPence(totals.credits).c_str());
  printf("bank:    %s\n", money::PoundsAndPence(totals.bank).c_str());
  return 0;
}

int Insert(money::Ledger& ledger, const std::string& amount_text) {
  int64_t amount = 0;
  if (!money::ParseWhole(amount_text, 0, INT64_MAX, amount)) {
    return Usage("insert takes a whole number of pence, not \"" + amount_text + "\"");
  }
  if (amount == 0) return Usage("insert 0 puts nothing in: give at least 1 penny");
  const money::RecordResult result =
      money::Record(ledger, money::Entry{money::Kind::kInsert, 0, amount, "moneyctl"});
  switch (result.outcome) {
    case money::Outcome::kApplied:
      printf("inserted %s: credits now %s\n", money::PoundsAndPence(amount).c_str(),
             money::PoundsAndPence(result.after.credits).c_str());
      return 0;
    case money::Outcome::kRefused:
      fprintf(stderr,
              "moneyctl: insert refused: credits of %s and %s more would pass the limit of "
              "%lldp that the game can show\n",
              money::PoundsAndPence(result.before.credits).c_str(),
              money::PoundsAndPence(amount).c_str(), static_cast<ll>(money::kInsertCreditLimit));
      return 1;
    case money::Outcome::kFailed:
      break;
  }
  return Failed("insert failed, nothing changed", result.error);
}

int Cashout(money::Ledger& ledger) {
  // Nothing to pay out is no payout: it is not journalled.
  money::Totals totals;
  std::string error;
  if (!money::ReadTotals(ledger, totals, error)) return Failed("cannot read the totals", error);
  if (totals.credits == 0 && totals.bank == 0) {
    fprintf(stderr, "moneyctl: nothing to pay out: credits and bank are both %s\n",
            money::Pounds(0).c_str());
    return 1;
  }
  const money::RecordResult result =
      money::Record(ledger, money::Entry{money::Kind::kCashout, 0, 0, "moneyctl"});
  if (result.outcome != money::Outcome::kApplied) {
    return Failed("cashout failed, nothing changed",
                  result.error.empty() ? "the totals cannot be paid out" : result.error);
  }
  printf("paid out %s: %s from credits and %s from bank; credits and bank are now %s\n",
         money::PoundsAndPence(result.decision.amount).c_str(),
         money::PoundsAndPence(result.before.credits).c_str(),
         money::PoundsAndPence(result.before.bank).c_str(), money::Pounds(0).c_str());
  return 0;
}

// A new, empty ledger; never over a file that holds anything.
int Init(const std::string& db_path) {
  struct stat info {};
  if (stat(db_path.c_str(), &info) == 0 && info.st_size > 0) {
    return Failed("refusing to make a new ledger in " + db_path,
                  "the file is there already and not empty");
  }
  money::Ledger ledger;
  std::string error;
  if (!money::OpenLedger(db_path, money::OpenMode::kCreate, ledger, error)) {
    return Failed("cannot make the money database " + db_path, error);
  }
  money::CloseLedger(ledger);
  printf("made a new, empty ledger in %s\n", db_path.c_str());
  return 0;
}

constexpr int kExitNotMarked = 4;

int Settle(money::Ledger& ledger, const money::Settlement& settlement,
           const std::string& game_dir) {
  // Only what an open game still owes is settled, and only once.
  std::string why;
  if (!money::CheckGameToSettle(ledger, game_dir, settlement.game, settlement.kind,
                                settlement.amount, why))
    return Failed("settlement refused, nothing changed", why);
  const money::RecordResult result = money::Record(
      ledger,
      money::Entry{settlement.kind, 0, settlement.amount, money::SettlementDetail(settlement)});
  if (result.outcome != money::Outcome::kApplied) {
    return Failed("settlement refused, nothing changed",
                  result.error.empty() ? "the totals could no longer be held" : result.error);
  }
  const char* done = settlement.kind == money::Kind::kRefund    ? "refunded"
                     : settlement.kind == money::Kind::kPayBank ? "paid into the bank"
                                                                : "paid into the credits";
  printf("%s %s for game %lld (journal entry %lld): credits now %s, bank now %s\n", done,
         money::PoundsAndPence(settlement.amount).c_str(), static_cast<ll>(settlement.game),
         static_cast<ll>(result.seq), money::PoundsAndPence(result.after.credits).c_str(),
         money::PoundsAndPence(result.after.bank).c_str());
  // The game is closed in its journal once it owes nothing more.
  std::string error;
  money::GameFinding left;
  if (!money::ReconcileGame(ledger, game_dir, settlement.game, left, error)) {
    fprintf(stderr,
            "moneyctl: the money is settled (journal entry %lld), but game %lld cannot "
            "be looked at again: %s\n",
            static_cast<ll>(result.seq), static_cast<ll>(settlement.game), error.c_str());
    return kExitNotMarked;
  }
  if (left.Owes()) {
    printf("game %lld still owes:", static_cast<ll>(settlement.game));
    for (const money::Owed& o : left.owed)
      if (!o.settledBy) printf(" %s", o.command.c_str());
    printf("\n");
    return 0;
  }
  if (!money::MarkGameSettled(game_dir, settlement.game, money::SettlementWhat(settlement),
                              error)) {
    fprintf(stderr,
            "moneyctl: the money is settled (journal entry %lld), but game %lld could not be "
            "marked settled in the game's journal in %s: %s\n",
            static_cast<ll>(result.seq), static_cast<ll>(settlement.game), game_dir.c_str(),
            error.c_str());
    return kExitNotMarked;
  }
  return 0;
}

int Journal(money::Ledger& ledger, int64_t last, int64_t client) {
  printf("%6s  %-23s  %-10s  %6s  %7s  %8s  %8s  %8s  %8s  %s\n", "seq", "time (UTC)", "kind",
         "client", "amount", "credits", "bank", "credits", "bank", "detail");
  printf("%6s  %-23s  %-10s  %6s  %7s  %8s  %8s  %8s  %8s\n", "", "", "", "", "pence", "change p",
         "change p", "after p", "after p");
  std::string error;
  const bool ok = money::ForEachJournalRow(
      ledger, last,
      [](const money::JournalRow& row) {
        const std::string client = row.client > 0 ? std::to_string(row.client) : "-";
        printf("%6lld  %-23s  %-10s  %6s  %7lld  %+8lld  %+8lld  %8lld  %8lld  %s\n",
               static_cast<ll>(row.seq), row.time.c_str(), row.kind.c_str(), client.c_str(),
               static_cast<ll>(row.amount), static_cast<ll>(row.change.credits),
               static_cast<ll>(row.change.bank), static_cast<ll>(row.after.credits),
               static_cast<ll>(row.after.bank), row.detail.c_str());
      },
      error, client);
  return ok ? 0 : Failed("cannot read the journal", error);
}

int Head(money::Ledger& ledger) {
  money::ChainHead head;
  std::string error;
  if (!money::ReadHead(ledger, head, error)) return Failed("cannot read the journal", error);
  printf("%lld:%s\n", static_cast<ll>(head.seq), head.hash.c_str());
  return 0;
}

// Where the audit started and the checkpoint it left.
void ReportCheckpoints(const money::Audit& audit) {
  if (audit.checkpoint_seq > 0) {
    printf(
        "verify: started from the checkpoint at entry %lld and replayed the %lld entries after "
        "it\n",
        static_cast<ll>(audit.checkpoint_seq), static_cast<ll>(audit.replayed));
  }
  if (!audit.checkpoint_error.empty()) {
    fprintf(stderr, "moneyctl: could not store a checkpoint (the next run replays more): %s\n",
            audit.checkpoint_error.c_str());
  }
}

int Verify(money::Ledger& ledger, const money::ChainHead& head, bool full) {
  money::Audit audit;
  money::Totals totals;
  std::string error;
  if (!money::VerifyLedger(ledger, audit, totals, error,
                           money::VerifyOptions{head, full, /*store_checkpoint=*/true})) {
    return Failed("cannot read the journal", error);
  }
  ReportCheckpoints(audit);
  if (audit.problem_count == 0) {
    printf(
        "verify: the %lld journal entries are chained unbroken and add up to the totals: "
        "credits %s, bank %s\n",
        static_cast<ll>(audit.entries), money::PoundsAndPence(totals.credits).c_str(),
        money::PoundsAndPence(totals.bank).c_str());
    if (audit.head_matches) {
      printf("verify: the journal up to entry %lld is the one noted\n", static_cast<ll>(head.seq));
    }
    return 0;
  }
  printf("verify: %lld problems in %lld journal entries\n", static_cast<ll>(audit.problem_count),
         static_cast<ll>(audit.entries));
  if (audit.first_tampered > 0) {
    printf("verify: the journal was altered by hand, first at entry %lld\n",
           static_cast<ll>(audit.first_tampered));
  }
  for (const std::string& problem : audit.problems) printf("  %s\n", problem.c_str());
  if (audit.problem_count > static_cast<int64_t>(audit.problems.size())) printf("  ...\n");
  printf(
      "verify: the totals are credits %lldp, bank %lldp; the journal adds up to credits "
      "%lldp, bank %lldp (difference credits %+lldp, bank %+lldp)\n",
      static_cast<ll>(totals.credits), static_cast<ll>(totals.bank),
      static_cast<ll>(audit.sum.credits), static_cast<ll>(audit.sum.bank),
      static_cast<ll>(totals.credits - audit.sum.credits),
      static_cast<ll>(totals.bank - audit.sum.bank));
  return 1;
}

}  // namespace

// The figures for the node exporter's textfile collector, through a temporary file beside
// OUT that is flushed and renamed, so a reader sees the old file or the new one.
int Prometheus(money::Ledger& ledger, const std::string& out) {
  money::Audit audit;
  money::Totals totals;
  std::string error;
  if (!money::VerifyLedger(ledger, audit, totals, error,
                           money::VerifyOptions{{}, false, /*store_checkpoint=*/true})) {
    return Failed("cannot read the journal", error);
  }
  if (!audit.checkpoint_error.empty()) {
    fprintf(stderr, "moneyctl: could not store a checkpoint (the next run replays more): %s\n",
            audit.checkpoint_error.c_str());
  }
  std::string text;
  auto gauge = [&text](const char* name, const char* help) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
  };
  gauge("strikora_money_pence", "The player's money the server holds, in pence.");
  text += "strikora_money_pence{account=\"credits\"} " + std::to_string(totals.credits) + "\n";
  text += "strikora_money_pence{account=\"bank\"} " + std::to_string(totals.bank) + "\n";
  gauge("strikora_journal_entries", "Entries in the money server's journal.");
  text += "strikora_journal_entries " + std::to_string(audit.entries) + "\n";
  gauge("strikora_journal_kind_entries", "Journal entries by kind.");
  for (size_t i = 0; i < money::kSummedKinds.size(); ++i)
    text += std::string("strikora_journal_kind_entries{kind=\"") +
            money::KindName(money::kSummedKinds[i]) + "\"} " +
            std::to_string(audit.kind_sums[i].entries) + "\n";
  gauge("strikora_journal_kind_pence", "Money moved by each kind of journal entry, in pence.");
  for (size_t i = 0; i < money::kSummedKinds.size(); ++i)
    text += std::string("strikora_journal_kind_pence{kind=\"") +
            money::KindName(money::kSummedKinds[i]) + "\"} " +
            std::to_string(audit.kind_sums[i].pence) + "\n";
  gauge("strikora_journal_problems", "Problems verify finds in the journal (0 when sound).");
  text += "strikora_journal_problems " + std::to_string(audit.problem_count) + "\n";

  platform::AtomicWriteOptions options;
  options.tempSuffix = ".tmp";
  std::string why;
  if (platform::WriteFileAtomically(out, text.data(), text.size(), &why, options)) return 0;
  return Failed("cannot write " + out, "the file could not be written and renamed");
}

int main(int argc, char** argv) {
  int help_status = 0;
  if (cli::HelpOrVersion(argc, argv, "moneyctl", kUsage, help_status)) return help_status;
  std::string db_path;
  std::string game_dir;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--db") {
      if (i + 1 >= argc) return Usage("--db needs a file name");
      db_path = argv[++i];
    } else if (arg == "--game-dir") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return Usage("--game-dir needs a folder");
      game_dir = argv[++i];
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty()) return Usage("which command?");
  const std::string& command = words[0];
  int64_t last = 0;
  int64_t client = 0;
  money::ChainHead head;
  money::Settlement settlement;
  bool full = false;
  if (command == "status" || command == "cashout" || command == "head" || command == "init") {
    if (words.size() != 1) return Usage(command + " takes no arguments");
  } else if (command == "verify") {
    for (size_t i = 1; i < words.size(); ++i) {
      if (words[i] == "--full") {
        full = true;
      } else if (words[i] == "--head" && i + 1 < words.size()) {
        if (!money::ParseChainHead(words[++i], head)) {
          return Usage("--head takes SEQ:HASH as moneyctl head prints it, not \"" + words[i] +
                       "\"");
        }
      } else {
        return Usage("verify takes only --full and --head SEQ:HASH");
      }
    }
  } else if (command == "refund" || command == "pay") {
    std::string problem;
    if (!money::ParseSettlement(words, settlement, problem)) return Usage(problem);
  } else if (command == "insert") {
    if (words.size() != 2) return Usage("insert takes the amount in pence");
  } else if (command == "prometheus") {
    if (words.size() != 2) return Usage("prometheus takes the file to write");
  } else if (command == "reconcile") {
    if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && words[2] != "--json"))
      return Usage("reconcile takes the game's folder and, if wanted, --json");
  } else if (command == "journal") {
    for (size_t i = 1; i < words.size(); i += 2) {
      int64_t* value = words[i] == "--last" ? &last : words[i] == "--client" ? &client : nullptr;
      if (value == nullptr || i + 1 >= words.size()) {
        return Usage("journal takes only --client N and --last N");
      }
      if (!money::ParseWhole(words[i + 1], 1, INT64_MAX, *value)) {
        return Usage(words[i] + " takes a positive number, not \"" + words[i + 1] + "\"");
      }
    }
  } else {
    return Usage("unknown command \"" + command + "\"");
  }

  // An installed cabinet names its ledger and game folder in its settings file.
  if (db_path.empty()) db_path = cli::InstalledSetting("ledger");
  if (db_path.empty()) db_path = money::DefaultDatabasePath();
  if (game_dir.empty()) game_dir = cli::InstalledSetting("game_dir");
  if (game_dir.empty()) game_dir = money::ProgramFolder();
  if (game_dir.empty()) game_dir = ".";
  money::Ledger ledger;
  std::string error;
  if (command == "init") return Init(db_path);
  if (!money::OpenLedger(db_path, money::OpenMode::kExisting, ledger, error)) {
    return Failed("cannot use the money database " + db_path, error);
  }
  ledger.commit_unknown = CommitUnknown;
  int status = 0;
  if (command == "status") {
    status = Status(ledger);
  } else if (command == "insert") {
    status = Insert(ledger, words[1]);
  } else if (command == "cashout") {
    status = Cashout(ledger);
  } else if (command == "journal") {
    status = Journal(ledger, last, client);
  } else if (command == "head") {
    status = Head(ledger);
  } else if (command == "prometheus") {
    status = Prometheus(ledger, words[1]);
  } else if (command == "reconcile") {
    status = money::RunReconcile(ledger, words[1], words.size() == 3);
  } else if (command == "refund" || command == "pay") {
    status = Settle(ledger, settlement, game_dir);
  } else {
    status = Verify(ledger, head, full);
  }
  money::CloseLedger(ledger);
  return status;
}
