// The bot players against a real moneyd with the real game folder: every game ends, and
// the money the server moved is what the game's meters count.
#include "sim_play.h"

#include <sstream>

#include "accounting/accounting.h"
#include "accounting/record_file.h"
#include "frontend_fixture.h"
#include "run_command.h"

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
    EXPECT_EQ(json[i].rfind("{\"game\": " + std::to_string(i + 1) + ", \"outcome\": \"", 0), 0u);
    for (const char* key : {"\"win\": ", "\"cashpot\": ", "\"turns\": ", "\"seconds\": "})
      EXPECT_NE(json[i].find(key), std::string::npos) << json[i];
  }
  for (const char* key : {"{\"games\": 2, \"staked\": 100, ",
                          "\"paid_prizes\": ", "\"paid_cashpots\": ", "\"inserted\": "})
    EXPECT_NE(json[2].find(key), std::string::npos) << json[2];
  // The screens of the first game.
  for (const char* shot : {"menu", "start-pick", "board", "question"})
    EXPECT_TRUE(std::filesystem::exists(dir_ / (std::string("shots/") + shot + ".png"))) << shot;
}

// A blind screen writes no pixel; the same seeds must give the same games, outcome by
// outcome, and the same money.
TEST_F(SimPlayTest, ABlindScreenPlaysTheSameGames) {
  struct Row {
    double skill;
    sim::CollectStrategy collect;
    uint32_t seed;
  };
  const Row rows[] = {{0.5, sim::CollectStrategy::Best, 11},
                      {0.9, sim::CollectStrategy::First, 12},
                      {1.0, sim::CollectStrategy::Never, 13}};
  for (const Row& r : rows) {
    std::vector<std::string> seen[2];
    sim::PlayTotals totals[2];
    for (int blind = 0; blind < 2; ++blind) {
      std::filesystem::remove(dir_ / "data/Zemblar.rec");
      Money({"cashout"});
      platform::HeadlessPlatform::Options po;
      po.startMs = 100000 + r.seed * 7919u;
      po.blind = blind == 1;
      platform::HeadlessPlatform system(po);
      system.SetGameDir(dir_.Path());
      sim::PlayOptions options;
      options.games = 4;
      options.seed = r.seed;
      options.skill = r.skill;
      options.collect = r.collect;
      options.dbPath = dir_ / "money.db";
      sim::PlayResult result =
          sim::PlayGames(system, {"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, options);
      ASSERT_EQ(result.error, "");
      ASSERT_EQ(result.exitCode, kExitNormal);
      for (const sim::GameReport& g : result.games)
        seen[blind].push_back(sim::FormatGameJson(g) + " level " + std::to_string(g.level) +
                              " questions " + std::to_string(g.questions) + " balance " +
                              std::to_string(g.balance));
      totals[blind] = result.totals;
    }
    ASSERT_EQ(seen[0].size(), 4u);
    EXPECT_EQ(seen[0], seen[1]) << "skill " << r.skill;
    EXPECT_EQ(sim::FormatTotalsJson(totals[0]), sim::FormatTotalsJson(totals[1]));
  }
}

}  // namespace
