// The game journal as stored: which games leave money to settle, what the operator is told
// of them, the record image kept while its file is written, and the bounded history.
#include "accounting/journal_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "journal_builder.h"
#include "temp_dir.h"

namespace {

using journal::StepKind;
using journal::StepResult;
using testing_support::BuiltGame;

struct OpenCase {
  const char* name;
  BuiltGame game;
  bool open;
  const char* line;  // the start-up's line for it, or null when it is closed
};

class OpenGames : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenGames, AreThoseThatLeaveMoneyToSettle) {
  const OpenCase& c = GetParam();
  testing_support::TempDir dir;
  const std::string path = dir / "journal";
  testing_support::AddRun(path, 40000, 1000, {c.game});
  journal::Store store;
  std::string error;
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kReading, store, error)) << error;
  std::vector<journal::Game> open;
  ASSERT_TRUE(journal::ReadOpenGames(store, open, error)) << error;
  std::optional<journal::Game> game;
  ASSERT_TRUE(journal::ReadGame(store, 1, game, error)) << error;
  journal::CloseStore(store);
  ASSERT_TRUE(game);
  EXPECT_EQ(journal::GameIsOpen(*game), c.open);
  EXPECT_EQ(open.size(), c.open ? 1u : 0u);
  if (c.line) {
    EXPECT_EQ(journal::OpenGameLine(*game), c.line);
  }
}

constexpr StepKind kStake = StepKind::kStake;
constexpr StepKind kBank = StepKind::kPrizeToBank;
constexpr StepKind kCredits = StepKind::kPrizeToCredits;
constexpr StepKind kCashpot = StepKind::kCashpotToBank;
constexpr StepResult kDone = StepResult::kDone;

INSTANTIATE_TEST_SUITE_P(
    , OpenGames,
    ::testing::Values(
        OpenCase{"LostGame", {{{kStake, 50, kDone}}, journal::kOutcomeLost}, false, nullptr},
        OpenCase{"PrizePaid",
                 {{{kStake, 50, kDone}, {kBank, 100, kDone}, {kCredits, 50, kDone}},
                  journal::kOutcomeWon,
                  150},
                 false,
                 nullptr},
        OpenCase{"StakeRefused",
                 {{{kStake, 50, StepResult::kRefused}}, journal::kOutcomeNotPlayed},
                 false,
                 nullptr},
        OpenCase{"NothingAskedYet", {{}, nullptr}, false, nullptr},
        OpenCase{"CutOffInPlay",
                 {{{kStake, 50, kDone}}, nullptr},
                 true,
                 "GAME INTERRUPTED - game 1 - stake 50 pence taken - settle with moneyctl "
                 "reconcile"},
        OpenCase{"CutOffAfterItsPrizeWasPaid",
                 {{{kStake, 50, kDone}, {kBank, 100, kDone}}, nullptr},
                 false,
                 nullptr},
        OpenCase{"CutOffAfterACashpot",
                 {{{kStake, 50, kDone}, {kCashpot, 200, kDone}}, nullptr},
                 true,
                 "GAME INTERRUPTED - game 1 - stake 50 pence taken - cashpot 200 pence to bank "
                 "paid - settle with moneyctl reconcile"},
        OpenCase{"StakeWithoutReply",
                 {{{kStake, 50, StepResult::kNoReply}}, journal::kOutcomeNotPlayed},
                 true,
                 "GAME INTERRUPTED - game 1 - stake 50 pence not confirmed - settle with "
                 "moneyctl reconcile"},
        OpenCase{
            "PrizeRefused",
            {{{kStake, 50, kDone}, {kBank, 200, StepResult::kRefused}}, journal::kOutcomeWon, 200},
            true,
            "GAME NOT SETTLED - game 1 - stake 50 pence taken - prize 200 pence to bank "
            "refused - settle with moneyctl reconcile"},
        OpenCase{"PrizeIntentOnly",
                 {{{kStake, 50, kDone}, {kCredits, 40, StepResult::kIntent}}, nullptr},
                 true,
                 "GAME INTERRUPTED - game 1 - stake 50 pence taken - prize 40 pence to credits "
                 "not confirmed - settle with moneyctl reconcile"},
        OpenCase{"ScreenFailedWithoutAPrize",
                 {{{kStake, 50, kDone}}, journal::kOutcomeCutShort},
                 true,
                 "GAME INTERRUPTED - game 1 - stake 50 pence taken - the screen failed - "
                 "settle with moneyctl reconcile"}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

// A settlement closes a game once; the record image stays pending until its file is written;
// the history keeps the newest games and every run that holds an open one.
TEST(GameJournal, SettlesOnceKeepsThePendingRecordAndPrunesOnlyClosedRuns) {
  testing_support::TempDir dir;
  const std::string path = dir / "journal";
  // Run 1: one game cut off in play (open). Run 2: games enough to push run 1's and run 3's
  // closed games past the history.
  testing_support::AddRun(path, 40001, 1000, {{{{kStake, 50, kDone}}, nullptr}});
  testing_support::AddRun(path, 40002, 2000, {{{{kStake, 50, kDone}}, journal::kOutcomeLost}});
  std::vector<BuiltGame> many(journal::kGamesKept + 10,
                              BuiltGame{{{kStake, 50, kDone}}, journal::kOutcomeLost});
  testing_support::AddRun(path, 40003, 3000, many);

  journal::Store store;
  std::string error;
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kGame, store, error)) << error;
  ASSERT_TRUE(journal::Prune(store, error)) << error;
  std::optional<journal::Game> g;
  ASSERT_TRUE(journal::ReadGame(store, 1, g, error));
  EXPECT_TRUE(g) << "the open game's run is kept";
  ASSERT_TRUE(journal::ReadGame(store, 2, g, error));
  EXPECT_FALSE(g) << "a closed game past the history goes";
  std::optional<journal::Run> run;
  ASSERT_TRUE(journal::ReadRun(store, 2, run, error));
  EXPECT_FALSE(run) << "and its run with it";
  std::vector<journal::Game> kept;
  ASSERT_TRUE(journal::ReadGames(store, 0, kept, error));
  EXPECT_EQ(kept.size(), 1u + journal::kGamesKept);

  EXPECT_TRUE(journal::MarkSettled(store, 1, 5000, "refunded", error)) << error;
  EXPECT_FALSE(journal::MarkSettled(store, 1, 5001, "again", error));
  EXPECT_NE(error.find("settled already"), std::string::npos) << error;
  std::vector<journal::Game> open;
  ASSERT_TRUE(journal::ReadOpenGames(store, open, error));
  EXPECT_TRUE(open.empty());

  std::optional<std::string> pending;
  ASSERT_TRUE(journal::SetPendingRecord(store, std::string("rec\0ord", 7), error));
  ASSERT_TRUE(journal::PendingRecord(store, pending, error));
  EXPECT_EQ(pending, std::string("rec\0ord", 7));
  ASSERT_TRUE(journal::ClearPendingRecord(store, error));
  ASSERT_TRUE(journal::PendingRecord(store, pending, error));
  EXPECT_FALSE(pending);
  journal::CloseStore(store);

  // What is not a journal is refused by the tools, never made into one.
  testing_support::WriteFile(dir / "other", "not a database");
  EXPECT_FALSE(journal::OpenStore(dir / "other", journal::OpenFor::kReading, store, error));
  EXPECT_FALSE(journal::OpenStore(dir / "missing", journal::OpenFor::kSettling, store, error));
  EXPECT_NE(error.find("no game journal"), std::string::npos) << error;
}

}  // namespace

// A new journal and its write-ahead files are writable by the game's group (the operators who
// settle games on a cabinet), as far as the process's umask allows.
TEST(GameJournal, ANewJournalIsWritableByTheGamesGroup) {
  testing_support::TempDir dir;
  const std::string path = dir / "journal";
  const mode_t before = umask(0007);
  journal::Store store;
  std::string error;
  const bool opened = journal::OpenStore(path, journal::OpenFor::kGame, store, error);
  umask(before);
  ASSERT_TRUE(opened) << error;
  ASSERT_EQ(sqlite3_exec(store.db, "CREATE TABLE probe(x)", nullptr, nullptr, nullptr), SQLITE_OK);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0660u);
  ASSERT_EQ(stat((path + "-wal").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0660u);
  journal::CloseStore(store);
}
