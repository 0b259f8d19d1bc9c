// Reconcile's verdicts: a game journal and a money journal made as the game and moneyd
// would leave them, matched step by step.
#include "server/reconcile.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "journal_builder.h"
#include "temp_dir.h"

namespace {

using journal::StepKind;
using journal::StepResult;
using money::Verdict;

constexpr int kPort = 41234;

struct ReconcileCase {
  const char* name;
  std::vector<testing_support::BuiltGame> games;         // one run, from kPort
  bool connected;                                        // the server saw the run's connection
  std::vector<std::pair<money::Kind, int64_t>> changes;  // what it journalled for it
  bool disconnected;
  std::vector<Verdict> verdicts;  // the last game's steps
  std::vector<std::string> owed;  // the last game's settlements, "refund 50", ...
  bool closed;                    // nothing owed: reconcile closes it
};

class Reconcile : public ::testing::TestWithParam<ReconcileCase> {};

TEST_P(Reconcile, DecidesEachStepFromBothJournals) {
  const ReconcileCase& c = GetParam();
  testing_support::TempDir dir;
  std::filesystem::create_directories(dir / "data");
  money::Ledger ledger;
  std::string error;
  ASSERT_TRUE(money::OpenLedger(dir / "money.db", money::OpenMode::kCreate, ledger, error))
      << error;
  ASSERT_EQ(money::Record(ledger, {money::Kind::kInsert, 0, 5000, ""}).outcome,
            money::Outcome::kApplied);
  // Another connection from another port, whose changes are not the game's.
  money::Record(ledger, {money::Kind::kConnect, 1, 0, "from 127.0.0.1:999"});
  money::Record(ledger, {money::Kind::kUseCredits, 1, 50, ""});
  if (c.connected) money::Record(ledger, {money::Kind::kConnect, 2, 0, "from 127.0.0.1:41234"});
  for (const auto& [kind, amount] : c.changes) money::Record(ledger, {kind, 2, amount, ""});
  if (c.disconnected) money::Record(ledger, {money::Kind::kDisconnect, 2, 0, ""});
  testing_support::AddRun(money::GameJournalPath(dir.Path()), kPort, journal::NowUtcMs(), c.games);

  journal::Store store;
  ASSERT_TRUE(journal::OpenStore(money::GameJournalPath(dir.Path()), journal::OpenFor::kReading,
                                 store, error))
      << error;
  std::vector<money::GameFinding> findings;
  ASSERT_TRUE(money::ReconcileGames(ledger, store, "", findings, error)) << error;
  journal::CloseStore(store);
  ASSERT_FALSE(findings.empty());
  const money::GameFinding& g = findings.back();
  std::vector<Verdict> verdicts;
  for (const money::StepFinding& s : g.steps) verdicts.push_back(s.verdict);
  EXPECT_EQ(verdicts, c.verdicts);
  std::vector<std::string> owed;
  for (const money::Owed& o : g.owed) owed.push_back(o.what + " " + std::to_string(o.amount));
  EXPECT_EQ(owed, c.owed);
  EXPECT_EQ(g.nothingOwed, c.closed);
  EXPECT_EQ(g.inPlay, c.connected && !c.disconnected);

  // The same findings as operators' scripts read them.
  testing::internal::CaptureStdout();
  const int left = money::RunReconcile(ledger, dir.Path(), true);
  const nlohmann::json doc = nlohmann::json::parse(testing::internal::GetCapturedStdout());
  money::CloseLedger(ledger);
  ASSERT_EQ(doc["games"].size(), findings.size()) << doc;
  const nlohmann::json& last = doc["games"].back();
  EXPECT_EQ(last["game"], g.game.game);
  ASSERT_EQ(last["steps"].size(), c.verdicts.size()) << doc;
  for (size_t i = 0; i < c.verdicts.size(); ++i)
    EXPECT_EQ(last["steps"][i]["verdict"], money::VerdictName(c.verdicts[i])) << doc;
  ASSERT_EQ(last["owed"].size(), c.owed.size()) << doc;
  for (size_t i = 0; i < c.owed.size(); ++i)
    EXPECT_EQ(last["owed"][i]["what"].get<std::string>() + " " +
                  std::to_string(last["owed"][i]["amount"].get<int64_t>()),
              c.owed[i]);
  EXPECT_EQ(doc["left_to_settle"].is_number_integer(), true);
  EXPECT_EQ(left == 0, doc["left_to_settle"] == 0) << doc;
}

constexpr StepKind kStake = StepKind::kStake;
constexpr StepKind kBank = StepKind::kPrizeToBank;
constexpr StepKind kCredits = StepKind::kCashpotToCredits;
constexpr StepResult kDone = StepResult::kDone;
constexpr StepResult kNoReply = StepResult::kNoReply;
constexpr StepResult kIntent = StepResult::kIntent;
constexpr money::Kind kCuse = money::Kind::kUseCredits;
constexpr money::Kind kBadd = money::Kind::kAddBank;

INSTANTIATE_TEST_SUITE_P(
    , Reconcile,
    ::testing::Values(
        ReconcileCase{"StakeTakenReplyLost",
                      {{{{kStake, 50, kNoReply}}, nullptr}},
                      true,
                      {{kCuse, 50}},
                      true,
                      {Verdict::kDone},
                      {"refund 50"},
                      false},
        ReconcileCase{"StakeNeverMade",
                      {{{{kStake, 50, kIntent}}, nullptr}},
                      true,
                      {},
                      true,
                      {Verdict::kNotDone},
                      {},
                      true},
        ReconcileCase{"PrizeNeverMadeIsOwed",
                      {{{{kStake, 50, kDone}, {kBank, 300, kIntent}}, journal::kOutcomeWon, 300}},
                      true,
                      {{kCuse, 50}},
                      true,
                      {Verdict::kDone, Verdict::kNotDone},
                      {"pay to bank 300"},
                      false},
        ReconcileCase{"CashpotPartMadeThenCut",
                      {{{{kStake, 50, kDone},
                         {StepKind::kCashpotToBank, 100, kDone},
                         {kCredits, 5, kNoReply}},
                        nullptr}},
                      true,
                      {{kCuse, 50}, {kBadd, 100}},
                      true,
                      {Verdict::kDone, Verdict::kDone, Verdict::kNotDone},
                      {"pay to credits 5", "refund 50"},
                      false},
        // The second game's stake is the connection's second CUSE, not its first.
        ReconcileCase{
            "OrderDecidesBetweenEqualRequests",
            {{{{kStake, 50, kDone}}, journal::kOutcomeLost}, {{{kStake, 50, kNoReply}}, nullptr}},
            true,
            {{kCuse, 50}},
            true,
            {Verdict::kNotDone},
            {},
            true},
        ReconcileCase{"NoConnectionFromThePort",
                      {{{{kStake, 50, kNoReply}}, nullptr}},
                      false,
                      {},
                      false,
                      {Verdict::kUnknown},
                      {},
                      false},
        ReconcileCase{"StillConnectedIsInPlay",
                      {{{{kStake, 50, kDone}}, nullptr}},
                      true,
                      {{kCuse, 50}},
                      false,
                      {Verdict::kDone},
                      {},
                      false}),
    [](const ::testing::TestParamInfo<ReconcileCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
