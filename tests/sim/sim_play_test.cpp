// The bot players against a real moneyd with the real game folder: every game ends, and
// the money the server moved is what the game's meters count.
#include "sim_play.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "accounting/accounting.h"
#include "accounting/record_file.h"
#include "frontend_fixture.h"
#include "run_command.h"
#include "sim_par.h"

namespace {

class SimPlayTest : public FrontendTest {
 protected:
  sim::PlayResult Play(const sim::PlayOptions& given) {
    sim::PlayOptions options = given;
    options.dbPath = dir_ / "money.db";
    return sim::PlayGames(system_, {"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, options);
  }
};

TEST_F(SimPlayTest, EveryGameEndsAndTheServerMovedWhatTheMetersCount) {
  struct Row {
    double skill;
    sim::CollectStrategy collect;
    int games;
  };
  const Row rows[] = {
      {0.7, sim::CollectStrategy::Best, 5},
      {0.9, sim::CollectStrategy::First, 5},
      {1.0, sim::CollectStrategy::Never, 2},  // only a jackpot or giving up ends these
  };
  int64_t staked = 0, paid = 0, cashpots = 0;
  uint32_t seed = 7;
  for (const Row& r : rows) {
    sim::PlayOptions options;
    options.games = r.games;
    options.seed = seed++;
    options.skill = r.skill;
    options.collect = r.collect;
    sim::PlayResult result = Play(options);
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.exitCode, kExitNormal);
    const sim::PlayTotals& t = result.totals;
    ASSERT_EQ(t.games, r.games);
    ASSERT_EQ(result.games.size(), static_cast<size_t>(r.games));
    EXPECT_EQ(t.serverStakes, t.staked);
    EXPECT_EQ(t.serverPayouts, t.paidPrizes + t.paidCashpots);
    for (const sim::GameReport& g : result.games) {
      EXPECT_GE(g.turns, 1);
      if (g.outcome == "lost") {
        EXPECT_EQ(g.win, 0);
      }
      if (r.collect == sim::CollectStrategy::Never) {
        EXPECT_NE(g.outcome, "collected");
        EXPECT_TRUE(g.outcome == "jackpot" || g.gaveUp) << sim::FormatGameLine(g);
      }
    }
    staked += t.staked;
    paid += t.paidPrizes + t.paidCashpots;
    cashpots += t.paidCashpots;
  }
  // The record the program kept over the three runs agrees: meters 0, 22 and 32.
  std::string bytes = testing_support::ReadFile(dir_ / "data/Zemblar.rec");
  RecordImage record;
  DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record);
  EXPECT_EQ(record.meters[0] * 50, staked);
  EXPECT_EQ(record.meters[22], paid);
  EXPECT_EQ(record.meters[32], cashpots);
  std::string v = Money({"verify"});
  EXPECT_NE(v.find("add up to the totals"), std::string::npos) << v;
}

// The program killed the instant the server's reply to its first stake arrives, before it
// notes the reply: the next start says so on its standard error as an error for the
// system's log ("<3>", what journalctl -p err lists) with the stake not confirmed, and
// reconcile finds from the server's ledger that it was taken and is owed back.
TEST_F(SimPlayTest, AGameKilledAfterItsStakeIsAnErrorOnTheNextStartsStandardError) {
  const std::string play = std::string(SIM_BINARY) + " play --game-dir " + dir_.Path() +
                           " --server 127.0.0.1:" + std::to_string(daemon_.port()) +
                           " --no-pixels --seed 3 --db " + (dir_ / "money.db") + " --games ";
  testing_support::Outcome killed =
      testing_support::RunCommand("STRIKORA_SIM_KILL=reply:CUSE:1:0 " + play + "5 2>/dev/null");
  EXPECT_EQ(killed.status, 128 + 9) << killed.output;  // SIGKILL, as the shell tells it
  // Its standard error only.
  testing_support::Outcome again = testing_support::RunCommand("(" + play + "1 2>&1 >/dev/null)");
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_NE(
      again.output.find("<3>GAME INTERRUPTED - game 1 - stake 50 pence not confirmed - settle "
                        "with moneyctl reconcile\n"),
      std::string::npos)
      << again.output;
  const std::string settle = Money({"reconcile", dir_.Path()});
  EXPECT_NE(settle.find("owed: refund £0.50 (50p): moneyctl refund 50 --game 1"), std::string::npos)
      << settle;
}

TEST_F(SimPlayTest, TheCommandPrintsOneJsonObjectAGameAndTheTotals) {
  std::string command = std::string(SIM_BINARY) + " play --game-dir " + dir_.Path() +
                        " --server 127.0.0.1:" + std::to_string(daemon_.port()) +
                        " --games 2 --seed 3 --skill 0.8 --collect first --json --shots " +
                        (dir_ / "shots");
  testing_support::Outcome o = testing_support::RunCommand(command);
  ASSERT_EQ(o.status, 0) << o.output;
  std::istringstream lines(o.output);
  std::string line;
  std::vector<std::string> json;
  while (std::getline(lines, line))
    if (!line.empty() && line[0] == '{') json.push_back(line);
  ASSERT_EQ(json.size(), 3u) << o.output;
  for (int i = 0; i < 2; ++i) {
    const nlohmann::json game = nlohmann::json::parse(json[i]);
    EXPECT_EQ(game["game"], i + 1) << json[i];
    EXPECT_TRUE(game["outcome"].is_string()) << json[i];
    for (const char* key : {"win", "cashpot", "turns", "seconds"})
      EXPECT_TRUE(game[key].is_number()) << key << ": " << json[i];
  }
  const nlohmann::json totals = nlohmann::json::parse(json[2]);
  EXPECT_EQ(totals["games"], 2);
  EXPECT_EQ(totals["staked"], 100);
  for (const char* key : {"paid_prizes", "paid_cashpots", "inserted"})
    EXPECT_TRUE(totals[key].is_number_integer()) << key << ": " << json[2];
  // The screens of the first game.
  for (const char* shot : {"menu", "start-pick", "board", "question"})
    EXPECT_TRUE(std::filesystem::exists(dir_ / (std::string("shots/") + shot + ".png"))) << shot;
}

// The same seeds must give the same games, outcome by outcome, and the same money, whether
// the screen is drawn or blind, and whether the clock makes every idle reading, skips them
// or moves coarsely in a game (which lengthens the games' frames, so only their seconds
// may differ).
TEST_F(SimPlayTest, TheSameSeedsGiveTheSameGamesWhateverTheScreenAndTheClock) {
  struct Clock {
    const char* name;
    bool blind, skipIdle;
    uint32_t gameStep, menuStep;
    bool sameSeconds;
    int games;  // of each row's games: drawn screens are slow
  };
  const Clock clocks[] = {
      {"every reading, blind (the reference)", true, false, 1, 1, true, 100},
      {"idle readings skipped, blind", true, true, 1, 25, true, 100},
      {"coarse game clock, blind", true, true, 5, 25, false, 100},
      {"idle readings skipped, drawn", false, true, 1, 25, true, 12},
  };
  struct Row {
    double skill;
    sim::CollectStrategy collect;
    uint32_t seed;
  };
  const Row rows[] = {{0.5, sim::CollectStrategy::Best, 11},
                      {0.9, sim::CollectStrategy::First, 12},
                      {1.0, sim::CollectStrategy::Never, 13}};
  for (const Row& r : rows) {
    // The reference's games, with their seconds and without.
    std::vector<std::string> reference[2];
    std::vector<double> referenceSeconds;
    std::string referenceTotals;
    for (const Clock& c : clocks) {
      std::filesystem::remove(dir_ / "data/Zemblar.rec");
      Money({"cashout"});
      platform::HeadlessPlatform::Options po;
      po.startMs = 100000 + r.seed * 7919u;
      po.blind = c.blind;
      po.skipIdle = c.skipIdle;
      platform::HeadlessPlatform system(po);
      system.SetGameDir(dir_.Path());
      system.KeepScreen(false);
      sim::PlayOptions options;
      options.games = c.games;
      options.seed = r.seed;
      options.skill = r.skill;
      options.collect = r.collect;
      options.gameClockStepMs = c.gameStep;
      options.menuClockStepMs = c.menuStep;
      options.dbPath = dir_ / "money.db";
      sim::PlayResult result =
          sim::PlayGames(system, {"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, options);
      ASSERT_EQ(result.error, "") << c.name;
      ASSERT_EQ(result.exitCode, kExitNormal) << c.name;
      ASSERT_EQ(result.games.size(), static_cast<size_t>(c.games)) << c.name;
      std::vector<std::string> seen[2];
      for (sim::GameReport g : result.games)
        for (int withSeconds = 1; withSeconds >= 0; --withSeconds) {
          if (!withSeconds) g.seconds = 0;
          seen[withSeconds].push_back(sim::FormatGameJson(g) + " level " + std::to_string(g.level) +
                                      " questions " + std::to_string(g.questions) + " balance " +
                                      std::to_string(g.balance));
        }
      if (reference[0].empty()) {
        reference[0] = seen[0];
        reference[1] = seen[1];
        for (const sim::GameReport& g : result.games) referenceSeconds.push_back(g.seconds);
        referenceTotals = sim::FormatTotalsJson(result.totals);
        continue;
      }
      for (size_t i = 0; i < seen[0].size(); ++i) {
        ASSERT_EQ(seen[c.sameSeconds][i], reference[c.sameSeconds][i])
            << c.name << ", skill " << r.skill << ", game " << i + 1;
        // A coarser clock only lengthens the games.
        EXPECT_GE(result.games[i].seconds, referenceSeconds[i]) << c.name;
      }
      if (c.games == clocks[0].games) {
        EXPECT_EQ(sim::FormatTotalsJson(result.totals), referenceTotals) << c.name;
      }
    }
  }
}

// Table players with every stage a replication of the sheet has: a burn-in by the player,
// games of another player, then the counted games; every game ends and the server moved
// what the games counted.
TEST_F(SimPlayTest, TablePlayersPlayTheirStagesAndTheMoneyAgrees) {
  std::vector<sim::Player> table;
  std::string error;
  ASSERT_TRUE(sim::ReadPlayerTable(PLAYER_TABLE, table, error)) << error;
  sim::Player casual, memory;
  ASSERT_TRUE(sim::FindPlayer(table, "casual", casual));
  ASSERT_TRUE(sim::FindPlayer(table, "regular-memory", memory));
  sim::PlayOptions options;
  options.seed = 21;
  options.keepGames = true;
  options.stages = {{memory, 2, true}, {casual, 2, false}, {memory, 3, false}};
  options.games = 7;
  sim::PlayResult result = Play(options);
  ASSERT_EQ(result.error, "");
  ASSERT_EQ(result.exitCode, kExitNormal);
  EXPECT_TRUE(sim::MoneyAgrees(result.totals, 7)) << sim::FormatTotalsLine(result.totals);
  for (const sim::GameReport& g : result.games) {
    EXPECT_GE(g.controlLevel, 1);
    EXPECT_LE(g.controlLevel, 7);
  }
}

// par from a cabinet's record: every worker starts from its balances and cashpot (no
// burn-in is played from a given record), and the same seed gives the same sheet.
TEST_F(SimPlayTest, ParStartsFromTheGivenRecordAndRepeatsItselfByteForByte) {
  RecordImage image;
  image.balances[0] = 5000;  // far above level 1's bound: every game counts at level 1
  image.balances[1] = -300;
  image.cashpot = 777;
  image.dateWord = "12/01/26";
  testing_support::WriteFile(dir_ / "cabinet.rec", EncodeRecord(image));
  std::string sheets[2];
  for (int run = 0; run < 2; ++run) {
    std::string out = dir_ / ("sheet" + std::to_string(run));
    std::string command = std::string(SIM_BINARY) + " par --game-dir " + GAME_DIR +
                          " --games 6 --skills 0.7 --jobs 2 --replications 2 --seed 5 " +
                          "--no-timing --quiet --record " + (dir_ / "cabinet.rec") + " --out " +
                          out;
    testing_support::Outcome o = testing_support::RunCommand(command);
    ASSERT_EQ(o.status, 0) << o.output;
    sheets[run] = testing_support::ReadFile(out + "/par.json");
    for (const char* picture : {"rtp-by-skill.png", "balance.png", "prizes.png"})
      EXPECT_GT(std::filesystem::file_size(out + "/" + picture), 1000u) << picture;
  }
  EXPECT_EQ(sheets[0], sheets[1]);
  const nlohmann::json sheet = nlohmann::json::parse(sheets[0]);
  EXPECT_EQ(sheet["start"], nlohmann::json::parse(R"({"record": "cabinet.rec",
      "main_balance": 5000, "cashpot_balance": -300, "cashpot": 777})"));
  EXPECT_EQ(sheet["burn_in"]["games"], 0);
  EXPECT_EQ(sheet["rows"][0]["level_share"][0], 1.0);
  EXPECT_EQ(sheet["rows"][0]["settled"]["cashpot_balance"], -300.0);
  EXPECT_EQ(sheet["rows"][0]["money_checked"], true);
  EXPECT_EQ(sheet["rows"][0]["replications"].size(), 2u);
}

// A sheet made of parts run apart and merged is the sheet of one run, byte for byte; a
// part that does not belong, or units missing or twice, is refused.
TEST_F(SimPlayTest, PartsMergedMakeTheSheetOfOneRunByteForByte) {
  const std::string common = std::string(SIM_BINARY) + " par --game-dir " + GAME_DIR +
                             " --players regular-memory,skill-0.6@skill-0.9:2 --games 4 " +
                             "--replications 2 --burn-in 1 --seed 3 --no-timing --quiet ";
  const std::string whole = dir_ / "whole", parts = dir_ / "parts", merged = dir_ / "merged";
  testing_support::Outcome o = testing_support::RunCommand(common + "--jobs 2 --out " + whole);
  ASSERT_EQ(o.status, 0) << o.output;
  for (const char* units : {"0..2", "3..3"}) {
    o = testing_support::RunCommand(common + "--jobs 1 --units " + units + " --out " + parts);
    ASSERT_EQ(o.status, 0) << o.output;
  }
  o = testing_support::RunCommand(std::string(SIM_BINARY) + " par merge " + parts + " --out " +
                                  merged + " --no-timing");
  ASSERT_EQ(o.status, 0) << o.output;
  for (const char* file : {"par.json", "par.md"})
    EXPECT_EQ(testing_support::ReadFile(merged + "/" + file),
              testing_support::ReadFile(whole + "/" + file))
        << file;
  const nlohmann::json sheet =
      nlohmann::json::parse(testing_support::ReadFile(whole + "/par.json"));
  EXPECT_EQ(sheet["burn_in"]["games"], 1);
  EXPECT_EQ(sheet["rows"][0]["learning_curve"]["block_games"], 100);
  EXPECT_EQ(sheet["rows"][1]["after"]["games"], 2);
  EXPECT_TRUE(std::filesystem::exists(whole + "/learning.png"));
  // With its timing, a merge does not pass the parts' added wall times off as the sheet's.
  o = testing_support::RunCommand(std::string(SIM_BINARY) + " par merge " + parts + " --out " +
                                  dir_ / "timed");
  ASSERT_EQ(o.status, 0) << o.output;
  EXPECT_NE(testing_support::ReadFile(dir_ / "timed/par.md").find("Made in 2 parts of up to 1"),
            std::string::npos);
  EXPECT_EQ(
      nlohmann::json::parse(testing_support::ReadFile(dir_ / "timed/par.json"))["games_per_second"],
      nullptr);

  // What merge refuses, and with which exit code.
  const std::string first = parts + "/part-000000-000002.json";
  const std::string last = parts + "/part-000003-000003.json";
  testing_support::WriteFile(dir_ / "junk.json", "{\"format\": 7}");
  std::string other = testing_support::ReadFile(last);
  other.replace(other.find("\"seed\":3"), 8, "\"seed\":4");
  testing_support::WriteFile(dir_ / "other.json", other);
  struct Case {
    std::string inputs;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {first, 65, "unit 3 of 0..3 is missing"},
      {first + " " + first + " " + last, 65, "comes twice"},
      {first + " " + (dir_ / "other.json"), 65, "its plan differs"},
      {(dir_ / "junk.json"), 65, "not a part"},
      {(dir_ / "nothing.json"), 66, "cannot read"},
      {"", 64, "needs"},
  };
  for (const Case& c : cases) {
    o = testing_support::RunCommand(std::string(SIM_BINARY) + " par merge " + c.inputs + " --out " +
                                    (dir_ / "bad"));
    EXPECT_EQ(o.status, c.status) << c.inputs << ": " << o.output;
    EXPECT_NE(o.output.find(c.says), std::string::npos) << o.output;
  }
}

}  // namespace
