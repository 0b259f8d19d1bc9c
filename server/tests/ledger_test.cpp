// The SQLite ledger and the line handler on a real database file.
#include "server/ledger.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <thread>

#include "server/event_log.h"
#include "server/exchange.h"
#include "support.h"

namespace money {
namespace {

class LedgerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEventLogStream(nullptr);
    std::string error;
    ASSERT_TRUE(OpenLedger(path_, OpenMode::kCreate, ledger_, error)) << error;
  }
  void TearDown() override {
    CloseLedger(ledger_);
    SetEventLogStream(stderr);
  }

  Totals Read() {
    Totals totals;
    std::string error;
    EXPECT_TRUE(ReadTotals(ledger_, totals, error)) << error;
    return totals;
  }

  std::vector<JournalRow> Rows(int64_t last = 0) {
    std::vector<JournalRow> rows;
    std::string error;
    EXPECT_TRUE(ForEachJournalRow(
        ledger_, last, [&rows](const JournalRow& row) { rows.push_back(row); }, error))
        << error;
    return rows;
  }

  Audit Verify() { return money_test::VerifiedAudit(ledger_); }

  // A hand edit from a connection of its own, as another program would make it: the
  // ledger's connection refuses writes outside its own transactions.
  void Sql(const char* sql) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(other);
    sqlite3_close(other);
  }

  std::string Reply(const std::string& text, int64_t client = 7) {
    return HandleLine(ledger_, client, Line{text, false}).reply;
  }

  money_test::TempDir dir_;
  std::string path_ = dir_.File("money.db");
  Ledger ledger_;
};

TEST_F(LedgerTest, ANewLedgerHoldsNothing) {
  EXPECT_EQ(Read(), (Totals{0, 0}));
  EXPECT_TRUE(Rows().empty());
  int64_t id = 0;
  std::string error;
  ASSERT_TRUE(NextClientId(ledger_, id, error));
  EXPECT_EQ(id, 1);
}

TEST_F(LedgerTest, IsDurableByItsSettings) {
  // A commit is synced to the write-ahead log before Record returns.
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(ledger_.db, "PRAGMA journal_mode", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal");
  sqlite3_finalize(s);
  ASSERT_EQ(sqlite3_prepare_v2(ledger_.db, "PRAGMA synchronous", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), 2);  // FULL
  sqlite3_finalize(s);
}

TEST_F(LedgerTest, RecordsAChangeWithItsJournalEntry) {
  const RecordResult r = Record(ledger_, Entry{Kind::kAddCredits, 3, 250, "prize"});
  ASSERT_EQ(r.outcome, Outcome::kApplied) << r.error;
  EXPECT_EQ(r.before, (Totals{0, 0}));
  EXPECT_EQ(r.after, (Totals{250, 0}));
  EXPECT_EQ(Read(), (Totals{250, 0}));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].kind, "CADD");
  EXPECT_EQ(rows[0].client, 3);
  EXPECT_EQ(rows[0].amount, 250);
  EXPECT_EQ(rows[0].change, (Delta{250, 0}));
  EXPECT_EQ(rows[0].after, (Totals{250, 0}));
  EXPECT_EQ(rows[0].detail, "prize");
  EXPECT_EQ(rows[0].time.size(), 23u) << rows[0].time;  // YYYY-MM-DD HH:MM:SS.SSS
}

TEST_F(LedgerTest, ARefusalLeavesNoTrace) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kAddBank, 1, 40, ""}).outcome, Outcome::kApplied);
  const RecordResult r = Record(ledger_, Entry{Kind::kUseCredits, 1, 50, ""});
  EXPECT_EQ(r.outcome, Outcome::kRefused);
  EXPECT_EQ(r.before, (Totals{0, 40}));
  EXPECT_EQ(Read(), (Totals{0, 40}));
  EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(LedgerTest, SurvivesClosingAndOpeningAgain) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kInsert, 0, 500, ""}).outcome, Outcome::kApplied);
  ASSERT_EQ(Record(ledger_, Entry{Kind::kConnect, 4, 0, ""}).outcome, Outcome::kApplied);
  ASSERT_EQ(Record(ledger_, Entry{Kind::kUseCredits, 4, 50, ""}).outcome, Outcome::kApplied);
  CloseLedger(ledger_);
  std::string error;
  ASSERT_TRUE(OpenLedger(path_, OpenMode::kExisting, ledger_, error)) << error;
  EXPECT_EQ(Read(), (Totals{450, 0}));
  EXPECT_EQ(Rows().size(), 3u);
  int64_t id = 0;
  ASSERT_TRUE(NextClientId(ledger_, id, error));
  EXPECT_EQ(id, 5);
}

TEST_F(LedgerTest, ReadsTheLastEntriesInOrder) {
  for (int i = 1; i <= 5; ++i) {
    ASSERT_EQ(Record(ledger_, Entry{Kind::kAddCredits, 1, i, ""}).outcome, Outcome::kApplied);
  }
  const auto last = Rows(2);
  ASSERT_EQ(last.size(), 2u);
  EXPECT_EQ(last[0].amount, 4);
  EXPECT_EQ(last[1].amount, 5);
  EXPECT_EQ(Rows().size(), 5u);
}

TEST_F(LedgerTest, VerifyPassesAnHonestLedgerAndCatchesTampering) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kInsert, 0, 300, ""}).outcome, Outcome::kApplied);
  ASSERT_EQ(Record(ledger_, Entry{Kind::kUseCredits, 1, 50, ""}).outcome, Outcome::kApplied);
  ASSERT_EQ(Record(ledger_, Entry{Kind::kAddBank, 1, 200, ""}).outcome, Outcome::kApplied);
  ASSERT_EQ(Record(ledger_, Entry{Kind::kCashout, 0, 0, ""}).outcome, Outcome::kApplied);
  EXPECT_EQ(Verify().problem_count, 0);

  Sql("UPDATE totals SET credits = credits + 10");
  EXPECT_EQ(Verify().problem_count, 1);
  Sql("UPDATE totals SET credits = credits - 10");
  EXPECT_EQ(Verify().problem_count, 0);
  Sql("DELETE FROM journal WHERE kind = 'CUSE'");
  EXPECT_GE(Verify().problem_count, 1);
}

// Every write on the ledger's connection goes through one of its transactions: a statement
// that would change the file on its own is refused at its commit and leaves no trace, while
// the same statement inside a batch is kept.
TEST_F(LedgerTest, RefusesAWriteOutsideItsTransactions) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kInsert, 0, 300, ""}).outcome, Outcome::kApplied);
  const char* const writes[] = {
      "UPDATE totals SET credits = credits + 10",
      "DELETE FROM journal",
      "INSERT INTO checkpoint (time, seq, seq_hash, entries, credits, bank, kinds, previous, "
      "hash) VALUES ('', 1, '', 1, 0, 0, '', '', '')",
  };
  for (const char* sql : writes) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(sqlite3_exec(ledger_.db, sql, nullptr, nullptr, nullptr),
              SQLITE_CONSTRAINT_COMMITHOOK);
    EXPECT_EQ(Read(), (Totals{300, 0}));
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Verify().problem_count, 0);
  }
  std::string error;
  ASSERT_TRUE(BeginBatch(ledger_, error)) << error;
  ASSERT_EQ(sqlite3_exec(ledger_.db, writes[0], nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(CommitBatch(ledger_, error)) << error;
  EXPECT_EQ(Read(), (Totals{310, 0}));
}

TEST_F(LedgerTest, TwoProcessesShareTheTotals) {
  // moneyd and moneyctl at once: each change reads the totals inside its own transaction.
  Ledger other;
  std::string error;
  ASSERT_TRUE(OpenLedger(path_, OpenMode::kExisting, other, error)) << error;
  std::thread operator_side([&other] {
    for (int i = 0; i < 100; ++i) Record(other, Entry{Kind::kInsert, 0, 1, ""});
  });
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(Record(ledger_, Entry{Kind::kAddCredits, 1, 2, ""}).outcome, Outcome::kApplied);
  }
  operator_side.join();
  CloseLedger(other);
  EXPECT_EQ(Read(), (Totals{300, 0}));
  EXPECT_EQ(Verify().problem_count, 0);
}

TEST(LedgerOpen, RefusesWhatIsNotAMoneyDatabase) {
  SetEventLogStream(nullptr);
  money_test::TempDir dir;
  Ledger ledger;
  std::string error;

  std::ofstream(dir.File("garbage.db")) << std::string(8192, 'x');
  EXPECT_FALSE(OpenLedger(dir.File("garbage.db"), OpenMode::kCreate, ledger, error));
  EXPECT_NE(error.find("not a database"), std::string::npos) << error;

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("other.db").c_str(), &other), SQLITE_OK);
  sqlite3_exec(other, "CREATE TABLE scores (name TEXT)", nullptr, nullptr, nullptr);
  sqlite3_exec(other, "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_FALSE(OpenLedger(dir.File("other.db"), OpenMode::kCreate, ledger, error));
  EXPECT_NE(error.find("newer"), std::string::npos) << error;

  ASSERT_EQ(sqlite3_open(dir.File("plain.db").c_str(), &other), SQLITE_OK);
  sqlite3_exec(other, "CREATE TABLE scores (name TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_FALSE(OpenLedger(dir.File("plain.db"), OpenMode::kCreate, ledger, error));
  EXPECT_NE(error.find("not a money database"), std::string::npos) << error;

  EXPECT_FALSE(OpenLedger(dir.File("missing.db"), OpenMode::kExisting, ledger, error));
  EXPECT_FALSE(std::ifstream(dir.File("missing.db")).good());
  EXPECT_FALSE(OpenLedger(dir.File("no-folder/money.db"), OpenMode::kCreate, ledger, error));
  EXPECT_FALSE(OpenLedger(dir.File(""), OpenMode::kCreate, ledger, error));  // a folder
  EXPECT_EQ(ledger.db, nullptr);
  SetEventLogStream(stderr);
}

TEST_F(LedgerTest, APrizeIsNeverRefused) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kInsert, 0, 9999, ""}).outcome, Outcome::kApplied);
  EXPECT_EQ(Reply("CADD,100000"), "CTEL,109999\r\n");
  EXPECT_EQ(Reply("BADD,100000"), "BTEL,100000\r\n");
}

}  // namespace
}  // namespace money
