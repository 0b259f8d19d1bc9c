// The operator's tool on a database that moneyd made.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>

#include "server/event_log.h"
#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

class MoneyctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    money::Ledger ledger;
    std::string error;
    ASSERT_TRUE(money::OpenLedger(db_, money::OpenMode::kCreate, ledger, error)) << error;
    money::CloseLedger(ledger);
  }

  ProgramResult Ctl(const std::vector<std::string>& args) { return RunMoneyctl(db_, args); }

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
    EXPECT_EQ(r.exit_code, 2) << bad;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
  }
  EXPECT_NE(Ctl({"status"}).out.find("credits: \u00a30.00 (0p)"), std::string::npos);
}

TEST_F(MoneyctlTest, CashoutPaysCreditsAndBankAndIsJournalled) {
  ASSERT_EQ(Ctl({"insert", "300"}).exit_code, 0);
  Sql("UPDATE totals SET bank = bank + 1200;"
      "INSERT INTO journal (time, kind, amount, credits_change, bank_change, credits, bank) "
      "VALUES ('2000-01-01 00:00:00.000', 'BADD', 1200, 0, 1200, 300, 1200)");
  ProgramResult r = Ctl({"cashout"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("paid out \u00a315.00 (1500p)"), std::string::npos) << r.out;
  EXPECT_EQ(Ctl({"status"}).out, "credits: \u00a30.00 (0p)\nbank:    \u00a30.00 (0p)\n");
  r = Ctl({"journal", "--last", "1"});
  EXPECT_NE(r.out.find("CASHOUT"), std::string::npos) << r.out;
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
  EXPECT_EQ(Ctl({"journal", "--last", "0"}).exit_code, 2);
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

TEST_F(MoneyctlTest, RefusesAMissingDatabaseWithoutMakingOne) {
  const std::string missing = dir_.File("elsewhere.db");
  const ProgramResult r = RunMoneyctl(missing, {"status"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("cannot use the money database"), std::string::npos) << r.err;
  EXPECT_NE(access(missing.c_str(), F_OK), 0);
}

TEST_F(MoneyctlTest, RefusesUnknownCommands) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"withdraw"}, {"status", "now"}, {"insert"}, {"journal", "--first", "2"}}) {
    const ProgramResult r = Ctl(args);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace money_test
