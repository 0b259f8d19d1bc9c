// Checkpoints: verify, prometheus and moneyd's start audit only the entries after the newest
// checkpoint that is intact; verify --full replays everything and checks every checkpoint.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include "server/event_log.h"
#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

void Sql(const std::string& db, const std::string& sql) {
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(handle);
  sqlite3_close(handle);
}

void Record(const std::string& db, const std::vector<money::Entry>& entries) {
  money::Ledger ledger;
  std::string error;
  ASSERT_TRUE(money::OpenLedger(db, money::OpenMode::kExisting, ledger, error)) << error;
  for (const money::Entry& entry : entries) {
    EXPECT_EQ(money::Record(ledger, entry).outcome, money::Outcome::kApplied);
  }
  money::CloseLedger(ledger);
}

struct CheckpointCase {
  const char* name;
  const char* sql;    // the hand edit, made after the checkpoint at entry 6
  const char* plain;  // what plain verify (and moneyd's start) reports; "" passes
  const char* full;   // what verify --full reports; "" passes
};

// Entries 1..6, a verify that leaves a checkpoint at 6, entries 7..9, then the edit.
TEST(Checkpoints, PlainFindsWhatFollowsTheCheckpointFullFindsEverything) {
  money::SetEventLogStream(nullptr);
  const CheckpointCase cases[] = {
      {"untouched", "", "", ""},
      {"an entry after it edited", "UPDATE journal SET amount = 900 WHERE seq = 8",
       "entry 8 (CADD 900) was edited", "entry 8 (CADD 900) was edited"},
      {"an entry before it edited", "UPDATE journal SET amount = 900 WHERE seq = 3", "",
       "entry 3 (CADD 900) was edited"},
      {"its own entry edited", "UPDATE journal SET detail = 'x' WHERE seq = 6",
       "entry 6 (CUSE 20) was edited", "entry 6 (CUSE 20) was edited"},
      {"the last entry removed", "DELETE FROM journal WHERE seq = 9",
       "entry 9 was removed from the end", "entry 9 was removed from the end"},
      {"the checkpoint's sums raised", "UPDATE checkpoint SET credits = credits + 500",
       "checkpoint 1 (at entry 6) was edited", "checkpoint 1 (at entry 6) was edited"},
      {"the checkpoint pointed at another entry",
       "UPDATE checkpoint SET seq_hash = (SELECT hash FROM journal WHERE seq = 5)",
       "checkpoint 1 (at entry 6) was edited", "checkpoint 1 (at entry 6) was edited"},
      {"its entry given another hash", "UPDATE journal SET hash = substr(hash, 2) WHERE seq = 6",
       "entry 6 no longer carries the hash that checkpoint 1 (at entry 6) recorded",
       "checkpoint 1 (at entry 6) records another hash for the entry"},
  };
  for (const CheckpointCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string db = dir.File("money.db");
    ASSERT_EQ(RunMoneyctl(db, {"init"}).exit_code, 0);
    Record(db, {{money::Kind::kInsert, 0, 500, "coin"},
                {money::Kind::kConnect, 1, 0, ""},
                {money::Kind::kAddCredits, 1, 30, ""},
                {money::Kind::kAddBank, 1, 40, ""},
                {money::Kind::kUseCredits, 1, 10, ""},
                {money::Kind::kUseCredits, 1, 20, ""}});
    ProgramResult r = RunMoneyctl(db, {"verify"});
    ASSERT_EQ(r.exit_code, 0) << r.out;
    Record(db, {{money::Kind::kRefund, 0, 20, "game 4"},
                {money::Kind::kAddCredits, 1, 60, ""},
                {money::Kind::kDisconnect, 1, 0, ""}});
    if (*c.sql) Sql(db, c.sql);

    for (const bool full : {false, true}) {
      const char* expected = full ? c.full : c.plain;
      r = RunMoneyctl(db, full ? std::vector<std::string>{"verify", "--full"}
                               : std::vector<std::string>{"verify"});
      EXPECT_EQ(r.exit_code, *expected ? 1 : 0) << (full ? "--full\n" : "plain\n") << r.out;
      if (*expected) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
      }
      if (!full && !*expected) {
        EXPECT_NE(r.out.find("started from the checkpoint at entry 6 and replayed the 3 "
                             "entries after it"),
                  std::string::npos)
            << r.out;
      }
    }
    // moneyd audits the same way at its start and refuses a broken journal.
    if (*c.plain) {
      r = RunProgram(MONEYD_PATH, {"--port", "0", "--db", db});
      EXPECT_EQ(r.exit_code, 1) << r.err;
      EXPECT_NE(r.err.find("refusing to start: the journal of " + db + " is broken"),
                std::string::npos)
          << r.err;
      EXPECT_NE(r.err.find(c.plain), std::string::npos) << r.err;
    } else {
      Daemon daemon;
      ASSERT_TRUE(daemon.Start({"--db", db}, dir.File("log"), /*init=*/false));
      EXPECT_EQ(daemon.Stop(SIGTERM), 0);
      // Its start audited from the checkpoint; its START and STOP are all a later verify
      // replays.
      r = RunMoneyctl(db, {"verify"});
      EXPECT_NE(r.out.find("started from the checkpoint at entry 9 and replayed the 2 entries"),
                std::string::npos)
          << r.out;
    }
  }
}

}  // namespace
}  // namespace money_test
