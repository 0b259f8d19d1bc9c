// moneyctl: the operator's side of the money, working on moneyd's database while it runs.
//   status           the credits and the bank
//   insert PENCE     the coin mechanism: put credits in (never above 9999p in all)
//   cashout          pay out everything, credits and bank
//   journal [--client N] [--last N]  the journal's entries: all or the last N, of everyone
//                    or of one client
//   head             the chain's head, SEQ:HASH, to note down or send elsewhere
//   verify [--head SEQ:HASH]  check the journal's chain and that it adds up to the totals,
//                    and that it still holds the head noted earlier
//   prometheus OUT   the credits, bank, journal totals and the audit's verdict in the
//                    Prometheus text format, written to OUT atomically (node exporter)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "server/ledger.h"
#include "server/options.h"

namespace {

using ll = long long;

constexpr const char* kUsage =
    "usage: moneyctl [--db FILE] status | insert PENCE | cashout |\n"
    "                journal [--client N] [--last N] | head | verify [--head SEQ:HASH] |\n"
    "                prometheus OUT\n";

int Usage(const std::string& problem) {
  fprintf(stderr, "moneyctl: %s\n%s", problem.c_str(), kUsage);
  return 2;
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

int Verify(money::Ledger& ledger, const money::ChainHead& head) {
  money::Audit audit;
  money::Totals totals;
  std::string error;
  if (!money::VerifyLedger(ledger, audit, totals, error, head)) {
    return Failed("cannot read the journal", error);
  }
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
  if (!money::VerifyLedger(ledger, audit, totals, error, money::ChainHead{})) {
    return Failed("cannot read the journal", error);
  }
  struct Sum {
    const char* kind;
    int64_t entries = 0, pence = 0;
  };
  Sum sums[] = {{"CUSE"}, {"BADD"}, {"CADD"}, {"INSERT"}, {"CASHOUT"}};
  if (!money::ForEachJournalRow(
          ledger, 0,
          [&sums](const money::JournalRow& row) {
            for (Sum& sum : sums) {
              if (row.kind != sum.kind) continue;
              ++sum.entries;
              sum.pence +=
                  row.kind == "CASHOUT" ? -(row.change.credits + row.change.bank) : row.amount;
            }
          },
          error)) {
    return Failed("cannot read the journal", error);
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
  for (const Sum& sum : sums)
    text += std::string("strikora_journal_kind_entries{kind=\"") + sum.kind + "\"} " +
            std::to_string(sum.entries) + "\n";
  gauge("strikora_journal_kind_pence", "Money moved by each kind of journal entry, in pence.");
  for (const Sum& sum : sums)
    text += std::string("strikora_journal_kind_pence{kind=\"") + sum.kind + "\"} " +
            std::to_string(sum.pence) + "\n";
  gauge("strikora_journal_problems", "Problems verify finds in the journal (0 when sound).");
  text += "strikora_journal_problems " + std::to_string(audit.problem_count) + "\n";

  const std::string temporary = out + ".tmp";
  FILE* f = fopen(temporary.c_str(), "wb");
  bool ok = f && fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = f && fflush(f) == 0 && fsync(fileno(f)) == 0 && ok;
  if (f) fclose(f);
  if (ok && rename(temporary.c_str(), out.c_str()) == 0) return 0;
  remove(temporary.c_str());
  return Failed("cannot write " + out, "the file could not be written and renamed");
}

int main(int argc, char** argv) {
  std::string db_path;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--db") {
      if (i + 1 >= argc) return Usage("--db needs a file name");
      db_path = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      printf("%s", kUsage);
      return 0;
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty()) return Usage("which command?");
  const std::string& command = words[0];
  int64_t last = 0;
  int64_t client = 0;
  money::ChainHead head;
  if (command == "status" || command == "cashout" || command == "head") {
    if (words.size() != 1) return Usage(command + " takes no arguments");
  } else if (command == "verify") {
    if (words.size() == 3 && words[1] == "--head") {
      if (!money::ParseChainHead(words[2], head)) {
        return Usage("--head takes SEQ:HASH as moneyctl head prints it, not \"" + words[2] + "\"");
      }
    } else if (words.size() != 1) {
      return Usage("verify takes only --head SEQ:HASH");
    }
  } else if (command == "insert") {
    if (words.size() != 2) return Usage("insert takes the amount in pence");
  } else if (command == "prometheus") {
    if (words.size() != 2) return Usage("prometheus takes the file to write");
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

  if (db_path.empty()) db_path = money::DefaultDatabasePath();
  money::Ledger ledger;
  std::string error;
  if (!money::OpenLedger(db_path, money::OpenMode::kExisting, ledger, error)) {
    return Failed("cannot use the money database " + db_path, error);
  }
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
  } else {
    status = Verify(ledger, head);
  }
  money::CloseLedger(ledger);
  return status;
}
