// The operator's tool on a database that moneyd made.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "server/event_log.h"
#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class MoneyctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    money::Ledger ledger;
    std::string error;
    ASSERT_TRUE(money::OpenLedger(db_, money::OpenMode::kCreate, ledger, error)) << error;
    money::CloseLedger(ledger);
  }

  ProgramResult Ctl(const std::vector<std::string>& args) { return RunMoneyctl(db_, args); }

  // An entry made as moneyd makes it.
  void Record(const money::Entry& entry) {
    money::Ledger ledger;
    std::string error;
    ASSERT_TRUE(money::OpenLedger(db_, money::OpenMode::kExisting, ledger, error)) << error;
    EXPECT_EQ(money::Record(ledger, entry).outcome, money::Outcome::kApplied);
    money::CloseLedger(ledger);
  }

  void Sql(const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  TempDir dir_;
  std::string db_ = dir_.File("money.db");
};

TEST_F(MoneyctlTest, StatusShowsPoundsAndPence) {
  ProgramResult r = Ctl({"status"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "credits: \u00a30.00 (0p)\nbank:    \u00a30.00 (0p)\n");
  Sql("UPDATE totals SET credits = 1234, bank = 500");
  r = Ctl({"status"});
  EXPECT_EQ(r.out, "credits: \u00a312.34 (1234p)\nbank:    \u00a35.00 (500p)\n");
}

// The node exporter's textfile: the totals, the journal's sums by kind and verify's verdict,
// valid to promtool; a journal altered by hand shows as problems.
TEST_F(MoneyctlTest, PrometheusWritesTheTotalsAndTheJournalsSums) {
  Record({money::Kind::kInsert, 0, 300, "coin"});
  Record({money::Kind::kUseCredits, 1, 50, ""});
  Record({money::Kind::kAddBank, 1, 100, ""});
  const std::string out = dir_.File("money.prom");
  ProgramResult r = Ctl({"prometheus", out});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* want :
       {"strikora_money_pence{account=\"credits\"} 250\n",
        "strikora_money_pence{account=\"bank\"} 100\n",
        "strikora_journal_kind_pence{kind=\"CUSE\"} 50\n",
        "strikora_journal_kind_pence{kind=\"BADD\"} 100\n",
        "strikora_journal_kind_pence{kind=\"INSERT\"} 300\n", "strikora_journal_problems 0\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  EXPECT_EQ(system(("promtool check metrics < " + out + " > /dev/null 2>&1").c_str()), 0) << text;
  // The next run starts from the checkpoint the first one left, with its sums.
  Record({money::Kind::kRefund, 0, 40, "game 7"});
  ASSERT_EQ(Ctl({"prometheus", out}).exit_code, 0);
  text = Slurp(out);
  for (const char* want : {"strikora_journal_kind_pence{kind=\"BADD\"} 100\n",
                           "strikora_journal_kind_pence{kind=\"REFUND\"} 40\n",
                           "strikora_journal_kind_entries{kind=\"REFUND\"} 1\n",
                           "strikora_journal_entries 4\n", "strikora_journal_problems 0\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  Sql("UPDATE journal SET amount = 5000 WHERE kind = 'REFUND'");
  ASSERT_EQ(Ctl({"prometheus", out}).exit_code, 0);
  const std::string tampered = Slurp(out);
  EXPECT_EQ(tampered.find("strikora_journal_problems 0\n"), std::string::npos) << tampered;
}

TEST_F(MoneyctlTest, InsertAddsCreditsUpToTheLimit) {
  ProgramResult r = Ctl({"insert", "250"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("credits now \u00a32.50 (250p)"), std::string::npos) << r.out;
  EXPECT_EQ(Ctl({"insert", "9749"}).exit_code, 0);
  EXPECT_NE(Ctl({"status"}).out.find("(9999p)"), std::string::npos);

  r = Ctl({"insert", "1"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("9999p"), std::string::npos) << r.err;
  EXPECT_NE(Ctl({"status"}).out.find("(9999p)"), std::string::npos);
  EXPECT_EQ(Ctl({"verify"}).exit_code, 0);
}

TEST_F(MoneyctlTest, InsertRefusesALargeAmountOutright) {
  ProgramResult r = Ctl({"insert", "10000"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
  for (const char* bad : {"0", "-5", "abc", "1.50", ""}) {
    r = Ctl({"insert", bad});
    EXPECT_EQ(r.exit_code, 64) << bad;
    EXPECT_NE(r.err.find("Try 'moneyctl --help'"), std::string::npos) << r.err;
  }
  // Nought is a whole number: it is refused for what it is.
  EXPECT_NE(Ctl({"insert", "0"}).err.find("insert 0 puts nothing in"), std::string::npos);
  EXPECT_NE(Ctl({"status"}).out.find("credits: \u00a30.00 (0p)"), std::string::npos);
}

TEST_F(MoneyctlTest, CashoutPaysCreditsAndBankAndIsJournalled) {
  ASSERT_EQ(Ctl({"insert", "300"}).exit_code, 0);
  Record({money::Kind::kAddBank, 1, 1200, ""});
  ProgramResult r = Ctl({"cashout"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // The amounts paid from each total, and what is left.
  EXPECT_EQ(r.out,
            "paid out \u00a315.00 (1500p): \u00a33.00 (300p) from credits and \u00a312.00 (1200p) "
            "from bank; credits and bank are now \u00a30.00\n");
  EXPECT_EQ(Ctl({"status"}).out, "credits: \u00a30.00 (0p)\nbank:    \u00a30.00 (0p)\n");
  // A second cashout has nothing to pay and journals nothing.
  ProgramResult again = Ctl({"cashout"});
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_NE(again.err.find("nothing to pay out"), std::string::npos) << again.err;
  r = Ctl({"journal", "--last", "1"});
  EXPECT_NE(r.out.find("CASHOUT"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("pence"), std::string::npos) << r.out;  // the amount's unit
  const std::string all = Ctl({"journal"}).out;
  EXPECT_EQ(all.find("CASHOUT"), all.rfind("CASHOUT")) << all;
  EXPECT_NE(r.out.find("-300"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("-1200"), std::string::npos) << r.out;
  EXPECT_EQ(Ctl({"verify"}).exit_code, 0);
}

TEST_F(MoneyctlTest, JournalShowsAllOrTheLastEntries) {
  for (const char* amount : {"10", "20", "30"}) ASSERT_EQ(Ctl({"insert", amount}).exit_code, 0);
  const auto count_lines = [](const std::string& text) {
    return std::count(text.begin(), text.end(), '\n') - 2;  // less the two heading lines
  };
  ProgramResult r = Ctl({"journal"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(count_lines(r.out), 3);
  r = Ctl({"journal", "--last", "2"});
  EXPECT_EQ(count_lines(r.out), 2);
  EXPECT_EQ(r.out.find("    10 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("     30 "), std::string::npos) << r.out;
  EXPECT_EQ(Ctl({"journal", "--last", "0"}).exit_code, 64);
}

TEST_F(MoneyctlTest, VerifyReportsTheDiscrepancy) {
  ASSERT_EQ(Ctl({"insert", "500"}).exit_code, 0);
  ProgramResult r = Ctl({"verify"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("add up"), std::string::npos);

  Sql("UPDATE totals SET credits = 9000");
  r = Ctl({"verify"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("difference credits +8500p, bank +0p"), std::string::npos) << r.out;

  Sql("UPDATE totals SET credits = 500; UPDATE journal SET amount = 400");
  r = Ctl({"verify"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("entry 1 (INSERT 400)"), std::string::npos) << r.out;
}

// Edits made to the database by hand, each covered up so that the totals still add up.
struct HandEdit {
  const char* name;
  const char* sql;
  const char* found;  // in verify's report
};

class MoneyctlVerify : public MoneyctlTest, public ::testing::WithParamInterface<HandEdit> {};

TEST_P(MoneyctlVerify, NamesTheEntryEditedByHand) {
  money::SetEventLogStream(nullptr);
  Record({money::Kind::kConnect, 1, 0, "from 127.0.0.1:5000"});
  Record({money::Kind::kAddCredits, 1, 250, ""});  // 2
  Record({money::Kind::kUseCredits, 1, 50, ""});   // 3
  Record({money::Kind::kAddBank, 1, 1000, ""});    // 4
  Record({money::Kind::kDisconnect, 1, 0, "closed by the client"});
  ASSERT_EQ(Ctl({"verify"}).exit_code, 0) << Ctl({"verify"}).out;
  Sql(GetParam().sql);
  const ProgramResult r = Ctl({"verify"});
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_NE(r.out.find(GetParam().found), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    , MoneyctlVerify,
    ::testing::Values(
        HandEdit{"AnEditedAmount",
                 "UPDATE journal SET amount = 5000, credits_change = 5000, credits = 5000 "
                 "WHERE seq = 2; UPDATE journal SET credits = credits + 4750 WHERE seq > 2;"
                 "UPDATE totals SET credits = credits + 4750",
                 "entry 2 (CADD 5000) was edited: its contents do not match its hash"},
        HandEdit{"AnInventedPrize",
                 "INSERT INTO journal (time, kind, client, amount, credits_change, bank_change, "
                 "credits, bank) SELECT time, 'CADD', 1, 5000, 5000, 0, credits + 5000, bank "
                 "FROM journal WHERE seq = 5; UPDATE totals SET credits = credits + 5000",
                 "entry 6 (CADD 5000) was added by hand: it carries no hash"},
        HandEdit{"ARemovedStake",
                 "DELETE FROM journal WHERE seq = 3; UPDATE journal SET credits = credits + 50 "
                 "WHERE seq > 3; UPDATE totals SET credits = credits + 50",
                 "entry 3 was removed: entry 4 (BADD 1000) is chained to an entry that is no "
                 "longer there"},
        HandEdit{"ARaisedTotal", "UPDATE totals SET bank = bank + 5000",
                 "the totals are credits 200p, bank 6000p, the journal adds up to credits "
                 "200p, bank 1000p"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MoneyctlTest, HeadIsWhatVerifyChecksLater) {
  for (const char* amount : {"10", "20", "30"}) ASSERT_EQ(Ctl({"insert", amount}).exit_code, 0);
  const ProgramResult head = Ctl({"head"});
  ASSERT_EQ(head.exit_code, 0) << head.err;
  ASSERT_EQ(head.out.size(), 2 + 64 + 1u) << head.out;
  ASSERT_EQ(head.out.substr(0, 2), "3:");
  const std::string noted = head.out.substr(0, head.out.size() - 1);

  ASSERT_EQ(Ctl({"insert", "40"}).exit_code, 0);  // the journal goes on past the noted head
  ProgramResult r = Ctl({"verify", "--head", noted});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("the journal up to entry 3 is the one noted"), std::string::npos) << r.out;

  std::string other = noted;
  other.back() = other.back() == '0' ? '1' : '0';
  r = Ctl({"verify", "--head", other});
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_NE(r.out.find("the journal up to it was rewritten"), std::string::npos) << r.out;

  // The last entries removed and the money put back: the head the totals carry shows it.
  Sql("DELETE FROM journal WHERE seq >= 3; UPDATE totals SET credits = 30");
  r = Ctl({"verify"});
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_NE(r.out.find("entries 3 to 4 were removed from the end: the totals record entry 4 as "
                       "the last, the journal ends at entry 2"),
            std::string::npos)
      << r.out;
  // With the head in the totals put back too, only the noted head shows it.
  Sql("UPDATE totals SET head_seq = 2, head_hash = (SELECT hash FROM journal WHERE seq = 2); "
      "DELETE FROM checkpoint");
  EXPECT_EQ(Ctl({"verify"}).exit_code, 0);
  r = Ctl({"verify", "--head", noted});
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_NE(r.out.find("entry 3, is not in the journal"), std::string::npos) << r.out;
  // The next entry made shows the gap all the same.
  ASSERT_EQ(Ctl({"insert", "5"}).exit_code, 0);
  r = Ctl({"verify"});
  EXPECT_NE(r.out.find("entries 3 to 4 were removed"), std::string::npos) << r.out;

  for (const char* bad : {"3", "3:abc", "x:"})
    EXPECT_EQ(Ctl({"verify", "--head", bad}).exit_code, 64);
}

TEST_F(MoneyctlTest, JournalShowsOneClientsLastEntries) {
  Record({money::Kind::kConnect, 1, 0, ""});
  Record({money::Kind::kConnect, 2, 0, ""});
  Record({money::Kind::kAddCredits, 1, 111, ""});
  Record({money::Kind::kAddBank, 2, 222, ""});
  Record({money::Kind::kAddCredits, 1, 333, ""});
  const ProgramResult r = Ctl({"journal", "--client", "1", "--last", "2"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2 + 2) << r.out;
  EXPECT_NE(r.out.find(" 111 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 333 "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("BADD"), std::string::npos) << r.out;
  EXPECT_EQ(Ctl({"journal", "--client", "0"}).exit_code, 64);
  EXPECT_EQ(Ctl({"journal", "--client"}).exit_code, 64);
}

// A database of the first format, as an earlier moneyd left it.
TEST(MoneyctlUpgrade, AnOldDatabaseIsChainedOnFirstStartAndVerifies) {
  money::SetEventLogStream(nullptr);
  TempDir dir;
  const std::string db = dir.File("money.db");
  sqlite3* old = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &old), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(old, R"sql(
    PRAGMA journal_mode = WAL;
    CREATE TABLE totals (id INTEGER PRIMARY KEY CHECK (id = 1), credits INTEGER NOT NULL,
      bank INTEGER NOT NULL);
    INSERT INTO totals VALUES (1, 150, 300);
    CREATE TABLE journal (seq INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL,
      kind TEXT NOT NULL, client INTEGER, amount INTEGER NOT NULL,
      credits_change INTEGER NOT NULL, bank_change INTEGER NOT NULL, credits INTEGER NOT NULL,
      bank INTEGER NOT NULL, detail TEXT NOT NULL DEFAULT '');
    INSERT INTO journal (time, kind, client, amount, credits_change, bank_change, credits, bank,
      detail) VALUES
      ('2025-03-01 10:00:00.000', 'START', NULL, 0, 0, 0, 0, 0, 'on 127.0.0.1:6667'),
      ('2025-03-01 10:00:01.000', 'INSERT', NULL, 200, 200, 0, 200, 0, 'moneyctl'),
      ('2025-03-01 10:00:02.000', 'CUSE', 1, 50, -50, 0, 150, 0, ''),
      ('2025-03-01 10:00:03.000', 'BADD', 1, 300, 0, 300, 150, 300, '');
    PRAGMA user_version = 1;)sql",
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
      << sqlite3_errmsg(old);
  sqlite3_close(old);

  ProgramResult r = RunMoneyctl(db, {"verify"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("start moneyd once to upgrade it"), std::string::npos) << r.err;

  money::Ledger ledger;
  std::string error;
  ASSERT_TRUE(money::OpenLedger(db, money::OpenMode::kCreate, ledger, error)) << error;
  EXPECT_EQ(ledger.upgraded_entries, 4);
  EXPECT_EQ(money::Record(ledger, {money::Kind::kAddCredits, 2, 25, ""}).outcome,
            money::Outcome::kApplied);
  money::CloseLedger(ledger);

  r = RunMoneyctl(db, {"verify"});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("the 5 journal entries are chained unbroken"), std::string::npos) << r.out;
  r = RunMoneyctl(db, {"journal"});
  EXPECT_NE(r.out.find("2025-03-01 10:00:02.000  CUSE"), std::string::npos) << r.out;
  // Opened again, it is not upgraded twice.
  ASSERT_TRUE(money::OpenLedger(db, money::OpenMode::kCreate, ledger, error)) << error;
  EXPECT_EQ(ledger.upgraded_entries, -1);
  money::CloseLedger(ledger);
}

TEST_F(MoneyctlTest, RefusesAMissingDatabaseWithoutMakingOne) {
  const std::string missing = dir_.File("elsewhere.db");
  const ProgramResult r = RunMoneyctl(missing, {"status"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("cannot use the money database"), std::string::npos) << r.err;
  EXPECT_NE(access(missing.c_str(), F_OK), 0);
}

TEST_F(MoneyctlTest, RefusesUnknownCommands) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"withdraw"},
                                             {"status", "now"},
                                             {"insert"},
                                             {"journal", "--first", "2"},
                                             {"head", "now"},
                                             {"verify", "--tail", "1"}}) {
    const ProgramResult r = Ctl(args);
    EXPECT_EQ(r.exit_code, 64);
    EXPECT_NE(r.err.find("Try 'moneyctl --help'"), std::string::npos) << r.err;
  }
  // Nought is a whole number: it is refused for what it is.
  EXPECT_NE(Ctl({"insert", "0"}).err.find("insert 0 puts nothing in"), std::string::npos);
}

}  // namespace
}  // namespace money_test
