// Making a ledger only on purpose (moneyd --init, moneyctl init) and the operator's
// settlements of what a game owes (moneyctl refund, pay).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "journal_builder.h"
#include "support.h"

namespace money_test {
namespace {

struct StartCase {
  const char* name;
  const char* file;  // "" missing, "empty" zero length, "ledger" made by moneyctl init
  bool init;
  bool starts;
};

// moneyd never makes a ledger by itself: a missing or empty file is refused with exit 1 unless
// --init is given; a ledger that is there is opened either way.
TEST(MoneydInit, MakesALedgerOnlyWhenTold) {
  const StartCase cases[] = {
      {"missing", "", false, false},       {"empty", "empty", false, false},
      {"missing, --init", "", true, true}, {"empty, --init", "empty", true, true},
      {"a ledger", "ledger", false, true}, {"a ledger, --init", "ledger", true, true},
  };
  for (const StartCase& c : cases) {
    TempDir dir;
    const std::string db = dir.File("money.db");
    if (std::string(c.file) == "empty") std::ofstream(db).close();
    if (std::string(c.file) == "ledger") {
      ASSERT_EQ(RunMoneyctl(db, {"init"}).exit_code, 0) << c.name;
      ASSERT_EQ(RunMoneyctl(db, {"insert", "70"}).exit_code, 0) << c.name;
    }
    std::vector<std::string> args = {"--port", "0", "--db", db};
    if (c.init) args.push_back("--init");
    if (!c.starts) {
      const ProgramResult r = RunProgram(MONEYD_PATH, args);
      EXPECT_EQ(r.exit_code, 1) << c.name;
      EXPECT_NE(r.err.find("no ledger here (the file is missing or empty): make a new one with "
                           "moneyctl init or moneyd --init"),
                std::string::npos)
          << c.name << ": " << r.err;
      EXPECT_EQ(RunMoneyctl(db, {"status"}).exit_code, 1) << c.name << ": made one all the same";
      continue;
    }
    // Started without the fixture's own --init.
    ProgramResult r;
    {
      Daemon daemon;
      ASSERT_TRUE(daemon.Start(args, dir.File("log"), /*init=*/false)) << c.name;
      Conn conn(daemon.port());
      EXPECT_EQ(conn.Exchange("CGET\r\n"),
                std::string(c.file) == "ledger" ? "CTEL,70\r\n" : "CTEL,0\r\n")
          << c.name;
      EXPECT_EQ(daemon.Stop(SIGTERM), 0);
    }
    r = RunMoneyctl(db, {"verify"});
    EXPECT_EQ(r.exit_code, 0) << c.name << ": " << r.out;
  }
}

TEST(MoneyctlInit, MakesAnEmptyLedgerAndNeverOverwritesOne) {
  TempDir dir;
  const std::string db = dir.File("money.db");
  ProgramResult r = RunMoneyctl(db, {"init"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "made a new, empty ledger in " + db + "\n");
  ASSERT_EQ(RunMoneyctl(db, {"insert", "250"}).exit_code, 0);
  r = RunMoneyctl(db, {"init"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("refusing to make a new ledger"), std::string::npos) << r.err;
  EXPECT_NE(RunMoneyctl(db, {"status"}).out.find("(250p)"), std::string::npos);
  std::ofstream(dir.File("notes.db")) << "not a ledger";
  EXPECT_EQ(RunMoneyctl(dir.File("notes.db"), {"init"}).exit_code, 1);
  EXPECT_EQ(RunMoneyctl(dir.File("no-folder/money.db"), {"init"}).exit_code, 1);
}

struct SettleCase {
  std::vector<std::string> args;
  int exit_code;
  const char* out;     // what moneyctl says (stdout on success, stderr otherwise)
  const char* kind;    // the journal entry made, "" for none
  const char* totals;  // status afterwards
};

// A settlement pays what an open game owes, whatever the credits' display limit; it is
// journalled with the game's number, the audit replays it, and the game is closed in the
// game's journal: a game that is not open there (unknown, settled already, or owing nothing)
// is refused. Bad arguments change nothing.
TEST(MoneyctlSettle, RefundsAndPaysWhatAnOpenGameOwes) {
  TempDir dir;
  const std::string db = dir.File("money.db");
  const std::string game = dir.File("game");
  ASSERT_EQ(RunMoneyctl(db, {"init"}).exit_code, 0);
  ASSERT_EQ(RunMoneyctl(db, {"insert", "9999"}).exit_code, 0);
  // Game 1 cut off in play with its stake taken (its stake is owed back), games 2 and 3
  // refused their prizes (owed), game 4 lost (owing nothing), game 5 cut off like game 1.
  using journal::StepKind;
  using journal::StepResult;
  std::filesystem::create_directories(game + "/data");
  const testing_support::BuiltGame cut{{{StepKind::kStake, 50, StepResult::kDone}}, nullptr};
  const testing_support::BuiltGame refusedBank{
      {{StepKind::kStake, 50, StepResult::kDone},
       {StepKind::kPrizeToBank, 2500, StepResult::kRefused}},
      journal::kOutcomeWon,
      2500};
  const testing_support::BuiltGame refusedCredits{
      {{StepKind::kStake, 50, StepResult::kDone},
       {StepKind::kPrizeToCredits, 100000, StepResult::kRefused}},
      journal::kOutcomeWon,
      100000};
  const testing_support::BuiltGame lost{{{StepKind::kStake, 50, StepResult::kDone}},
                                        journal::kOutcomeLost};
  testing_support::AddRun(game + "/data/Zemblar.journal", 40000, 1000,
                          {cut, refusedBank, refusedCredits, lost, cut});
  auto with = [&game](std::vector<std::string> args) {
    args.insert(args.begin(), {"--game-dir", game});
    return args;
  };
  const SettleCase cases[] = {
      {with({"refund", "50", "--game", "1"}), 0,
       "refunded \u00a30.50 (50p) for game 1 (journal entry 2): credits now \u00a3100.49 "
       "(10049p), bank now \u00a30.00 (0p)\n",
       "REFUND", "(10049p)"},
      {with({"pay", "2500", "--to", "bank", "--game", "2"}), 0,
       "paid into the bank \u00a325.00 (2500p) for game 2 (journal entry 3): credits now "
       "\u00a3100.49 (10049p), bank now \u00a325.00 (2500p)\n",
       "PAYBANK", "(2500p)"},
      {with({"pay", "100000", "--game", "3", "--to", "credits"}), 0,
       "paid into the credits \u00a31000.00 (100000p) for game 3 (journal entry 4): credits "
       "now \u00a31100.49 (110049p), bank now \u00a325.00 (2500p)\n",
       "PAYCREDITS", "(110049p)"},
      {with({"refund", "50", "--game", "1"}), 1, "game 1 is not open (settled", "", ""},
      {with({"refund", "50", "--game", "4"}), 1, "game 4 is not open (nothing is owed", "", ""},
      {with({"refund", "50", "--game", "9"}), 1, "game 9 is not in the game journal", "", ""},
      {with({"refund", "60", "--game", "5"}), 1,
       "game 5 does not owe REFUND 60p (it owes: refund 50p)", "", ""},
      {{"--game-dir", dir.File("nowhere"), "refund", "50", "--game", "1"},
       1,
       "no game journal",
       "",
       ""},
      {with({"pay", "100001", "--to", "bank", "--game", "1"}), 64, "takes 1..100000 pence", "", ""},
      {with({"refund", "0", "--game", "1"}), 64, "takes 1..100000 pence", "", ""},
      {with({"refund", "50"}), 64, "refund takes PENCE --game N", "", ""},
      {with({"refund", "50", "--game", "0"}), 64, "--game takes the game's number", "", ""},
      {with({"pay", "50", "--game", "3"}), 64, "pay takes PENCE --to bank|credits --game N", "",
       ""},
      {with({"pay", "50", "--to", "till", "--game", "3"}), 64, "--to takes bank or credits", "",
       ""},
      {with({"refund", "50", "--to", "bank", "--game", "3"}), 64, "refund takes PENCE --game N", "",
       ""},
  };
  int64_t entries = 1;
  for (const SettleCase& c : cases) {
    const std::string shown = ::testing::PrintToString(c.args);
    const ProgramResult r = RunMoneyctl(db, c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << shown << r.err;
    if (c.exit_code == 0) {
      ++entries;
      EXPECT_EQ(r.out, c.out) << shown;
      const ProgramResult last = RunMoneyctl(db, {"journal", "--last", "1"});
      EXPECT_NE(last.out.find(std::string(c.kind) + " "), std::string::npos) << last.out;
      EXPECT_NE(last.out.find("game " + c.args[c.args[4] == "--game" ? 5 : 7]), std::string::npos)
          << last.out;
      EXPECT_NE(RunMoneyctl(db, {"status"}).out.find(c.totals), std::string::npos) << shown;
    } else {
      EXPECT_NE(r.err.find(c.out), std::string::npos) << shown << r.err;
    }
  }
  // Settled games are closed in the game's journal: game 5 alone is still open.
  journal::Store store;
  std::string error;
  std::vector<journal::Game> open;
  ASSERT_TRUE(
      journal::OpenStore(game + "/data/Zemblar.journal", journal::OpenFor::kReading, store, error));
  ASSERT_TRUE(journal::ReadOpenGames(store, open, error));
  journal::CloseStore(store);
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].game, 5);
  const ProgramResult verified = RunMoneyctl(db, {"verify", "--full"});
  EXPECT_EQ(verified.exit_code, 0) << verified.out;
  EXPECT_NE(verified.out.find("the " + std::to_string(entries) + " journal entries"),
            std::string::npos)
      << verified.out;
}

}  // namespace
}  // namespace money_test
