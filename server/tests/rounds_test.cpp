// Serving sessions in rounds, in process on a real database file: the order of each session's
// replies, one commit per round, and transactions that fail.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "server/event_log.h"
#include "server/exchange.h"
#include "server/ledger.h"
#include "support.h"

namespace money {
namespace {

class RoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEventLogStream(nullptr);
    std::string error;
    ASSERT_TRUE(OpenLedger(path_, OpenMode::kCreate, ledger_, error)) << error;
    sqlite3_commit_hook(ledger_.db, &RoundsTest::OnCommit, this);
  }
  void TearDown() override {
    CloseLedger(ledger_);
    SetEventLogStream(stderr);
  }

  // Counts the commits; a nonzero answer turns the commit into a rollback.
  static int OnCommit(void* self) {
    auto* test = static_cast<RoundsTest*>(self);
    ++test->commits_;
    return test->refuse_commits_ ? 1 : 0;
  }

  std::vector<Session> MakeSessions(const std::vector<std::vector<std::string>>& inputs) {
    std::vector<Session> sessions(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
      sessions[i].client = static_cast<int64_t>(i + 1);
      for (const std::string& text : inputs[i]) {
        sessions[i].lines.push_back(Line{text, text.size() >= kMaxLineBytes});
      }
    }
    return sessions;
  }

  static std::vector<Session*> Pointers(std::vector<Session>& sessions) {
    std::vector<Session*> pointers;
    for (Session& s : sessions) pointers.push_back(&s);
    return pointers;
  }

  void Round(std::vector<Session>& sessions, const RoundLimits& limits = {}) {
    const std::vector<Session*> all = Pointers(sessions);
    ServeQueries(ledger_, all, limits);
    ServeChanges(ledger_, all, limits);
  }

  // Rounds until no session has work left; how many it took.
  int RunRounds(std::vector<Session>& sessions, const RoundLimits& limits = {}) {
    int rounds = 0;
    auto busy = [&sessions] {
      for (const Session& s : sessions) {
        if (HasWork(s)) return true;
      }
      return false;
    };
    while (busy() && rounds < 1000) {
      Round(sessions, limits);
      ++rounds;
    }
    return rounds;
  }

  Totals Read() {
    Totals totals;
    std::string error;
    EXPECT_TRUE(ReadTotals(ledger_, totals, error)) << error;
    return totals;
  }

  // "KIND client" for every journal entry, space-separated.
  std::string Kinds() {
    std::string kinds;
    std::string error;
    EXPECT_TRUE(ForEachJournalRow(
        ledger_, 0,
        [&kinds](const JournalRow& row) {
          kinds += (kinds.empty() ? "" : " ") + row.kind + std::to_string(row.client);
        },
        error));
    return kinds;
  }

  int64_t Problems() { return money_test::VerifiedAudit(ledger_).problem_count; }

  money_test::TempDir dir_;
  std::string path_ = dir_.File("money.db");
  Ledger ledger_;
  int commits_ = 0;
  bool refuse_commits_ = false;
};

struct OrderCase {
  const char* name;
  std::vector<std::vector<std::string>> inputs;  // each session's lines
  std::vector<std::string> outs;                 // each session's replies, CR LF as ";"
  Totals totals;
  std::string kinds;  // the journal
  int commits;
};

// "CTEL,1;CTEL,2;...;CTEL,n;".
std::string CountedUp(int n) {
  std::string replies;
  for (int i = 1; i <= n; ++i) replies += "CTEL," + std::to_string(i) + ";";
  return replies;
}

std::string Shown(std::string out) {
  for (size_t at = 0; (at = out.find("\r\n", at)) != std::string::npos;) out.replace(at, 2, ";");
  return out;
}

TEST_F(RoundsTest, AnswersEachSessionInTheOrderOfItsLines) {
  const std::vector<OrderCase> cases = {
      {"a query after a change sees it; another session's query is answered before the commit",
       {{"CADD,5", "CGET", "BGET"}, {"CGET"}},
       {"CTEL,5;CTEL,5;BTEL,0;", "CTEL,0;"},
       {5, 0},
       "CADD1",
       1},
      {"the changes of every session share one commit, decided in session order",
       {{"CADD,1"}, {"BADD,2"}, {"CUSE,1"}},
       {"CTEL,1;", "BTEL,2;", "CTEL,0;"},
       {0, 2},
       "CADD1 BADD2 CUSE3",
       1},
      {"a refusal waits for the commit of the round it was decided in",
       {{"CUSE,1", "CGET"}, {"CADD,3"}},
       {"FAIL;CTEL,3;", "CTEL,3;"},
       {3, 0},
       "CADD2",
       1},
      {"a burst is taken eight changes a round",
       {std::vector<std::string>(20, "CADD,1"), {"BGET", "BADD,1"}},
       {CountedUp(20), "BTEL,0;BTEL,1;"},
       {20, 1},
       "CADD1 CADD1 CADD1 CADD1 CADD1 CADD1 CADD1 CADD1 BADD2 CADD1 CADD1 CADD1 CADD1 CADD1 "
       "CADD1 CADD1 CADD1 CADD1 CADD1 CADD1 CADD1",
       3},
      {"bad lines keep their place; nothing after TERM is read",
       {{"CADD,5", "BOGUS", "CGET", "TERM", "CADD,9"}, {std::string(5000, 'x')}},
       {"CTEL,5;FAIL;CTEL,5;", "FAIL;"},
       {5, 0},
       "CADD1 TERM1",
       2},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.name);
    CloseLedger(ledger_);
    std::remove(path_.c_str());
    std::remove((path_ + "-wal").c_str());
    std::remove((path_ + "-shm").c_str());
    SetUp();
    commits_ = 0;
    std::vector<Session> sessions = MakeSessions(c.inputs);
    RunRounds(sessions);
    for (size_t i = 0; i < sessions.size(); ++i) {
      EXPECT_EQ(Shown(sessions[i].out), c.outs[i]) << "session " << i + 1;
    }
    EXPECT_EQ(Read(), c.totals);
    EXPECT_EQ(Kinds(), c.kinds);
    EXPECT_EQ(commits_, c.commits);
    EXPECT_EQ(Problems(), 0);
  }
}

// A write that fails before the commit leaves nothing on disk: the round is rolled back and
// each of its changes is answered FAIL.
TEST_F(RoundsTest, AFailedWriteAnswersEveryChangeOfItFailAndKeepsNone) {
  ASSERT_EQ(Record(ledger_, Entry{Kind::kInsert, 0, 100, ""}).outcome, Outcome::kApplied);
  // The second change's journal row cannot be written, after the first one's was.
  ASSERT_EQ(sqlite3_exec(ledger_.db,
                         "CREATE TEMP TRIGGER broken BEFORE INSERT ON journal WHEN "
                         "NEW.amount = 13 BEGIN SELECT RAISE(ABORT, 'the disk is full'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  std::vector<Session> sessions =
      MakeSessions({{"CADD,5", "CGET"}, {"CADD,13"}, {"CUSE,1", "CUSE,1000"}, {"BGET"}});
  Round(sessions);
  EXPECT_EQ(Shown(sessions[0].out), "FAIL;");
  EXPECT_EQ(Shown(sessions[1].out), "FAIL;");
  EXPECT_EQ(Shown(sessions[2].out), "FAIL;FAIL;");
  EXPECT_EQ(Shown(sessions[3].out), "BTEL,0;");
  EXPECT_EQ(Read(), (Totals{100, 0}));

  // Mended: the next round starts from the totals as they were, and the chain still holds.
  sqlite3_exec(ledger_.db, "DROP TRIGGER broken", nullptr, nullptr, nullptr);
  sessions[1].lines.push_back(Line{"CADD,13", false});
  RunRounds(sessions);
  EXPECT_EQ(Shown(sessions[0].out), "FAIL;CTEL,100;");
  EXPECT_EQ(Shown(sessions[1].out), "FAIL;CTEL,113;");
  EXPECT_EQ(Read(), (Totals{113, 0}));
  EXPECT_EQ(Kinds(), "INSERT0 CADD2");
  EXPECT_EQ(Problems(), 0);
}

// A commit that fails may be on disk all the same: the ledger's handler hears of it (moneyd
// ends there), nobody in the round is answered, not even FAIL, and their sessions end; a
// query answered before the commit keeps its reply.
TEST_F(RoundsTest, AFailedCommitAnswersNobodyInItsRound) {
  static std::string heard;
  heard.clear();
  ledger_.commit_unknown = [](const std::string& error) { heard = error; };
  refuse_commits_ = true;
  std::vector<Session> sessions = MakeSessions({{"CADD,5", "CGET"}, {"CUSE,1"}, {"BGET"}});
  const std::vector<Session*> all = Pointers(sessions);
  ServeQueries(ledger_, all, RoundLimits{});
  const CommitReport report = ServeChanges(ledger_, all, RoundLimits{});
  EXPECT_TRUE(report.outcome_unknown);
  EXPECT_FALSE(heard.empty());
  for (int i : {0, 1}) {
    EXPECT_EQ(sessions[i].out, "") << "session " << i + 1;
    EXPECT_TRUE(sessions[i].ended);
    EXPECT_FALSE(HasWork(sessions[i]));
  }
  EXPECT_EQ(Shown(sessions[2].out), "BTEL,0;");
}

}  // namespace
}  // namespace money
