// Games recorded by the game as bots play them, then played again from their records: step
// by step the same, and screen for screen the same where the bots' screens were drawn; a
// game killed in the middle is recalled open with its steps and replays to its last one; a
// record changed by hand fails at the step changed.
#include "sim_replay.h"

#include <cstdlib>
#include <map>

#include "accounting/game_journal.h"
#include "accounting/game_steps.h"
#include "accounting/journal_store.h"
#include "frontend_fixture.h"
#include "run_command.h"
#include "sim_play.h"

namespace {

uint64_t Hash(const std::vector<uint16_t>& pixels) {
  uint64_t h = 1469598103934665603ull;
  for (uint16_t p : pixels) h = (h ^ p) * 1099511628211ull;
  return h;
}

class SimReplayTest : public FrontendTest {
 protected:
  std::string JournalPath() { return dir_ / "data/Zemblar.journal"; }

  // The journal's newest game number (0 for none).
  int64_t NewestGame() {
    journal::Store store;
    std::string error;
    std::vector<journal::Game> latest;
    if (!journal::OpenStore(JournalPath(), journal::OpenFor::kReading, store, error)) return 0;
    journal::ReadLatestGames(store, 1, latest, error);
    journal::CloseStore(store);
    return latest.empty() ? 0 : latest.front().game;
  }

  sim::ReplayResult Replay(int64_t game, bool blind, std::vector<uint64_t>* screens = nullptr,
                           std::vector<journal::StepRow>* altered = nullptr) {
    journal::Game g;
    std::vector<journal::StepRow> rows;
    std::string error;
    EXPECT_TRUE(sim::LoadRecordedGame(JournalPath(), game, g, rows, error)) << error;
    if (altered) rows = *altered;
    sim::ReplayOptions o;
    o.gameDir = dir_.Path();
    o.blind = blind;
    if (screens)
      o.onStep = [screens](const journal::StepRow&, const std::vector<uint16_t>& screen) {
        screens->push_back(Hash(screen));
      };
    return sim::ReplayRecorded(g, rows, o);
  }

  std::vector<journal::StepRow> Steps(int64_t game) {
    journal::Game g;
    std::vector<journal::StepRow> rows;
    std::string error;
    EXPECT_TRUE(sim::LoadRecordedGame(JournalPath(), game, g, rows, error)) << error;
    return rows;
  }
};

// STRIKORA_REPLAY_SCALE multiplies the games of every row (scripts/replay_check.sh runs
// 1,000 games with 20).
TEST_F(SimReplayTest, BotGamesReplayStepByStepAndDrawnOnesPixelForPixel) {
  struct Row {
    double skill;
    sim::CollectStrategy collect;
    uint32_t seed;
    int games;
    bool drawn;  // the bots' screens drawn and kept at each step, and compared with the replay's
  };
  const Row rows[] = {
      {0.5, sim::CollectStrategy::Best, 21, 10, false},
      {0.8, sim::CollectStrategy::First, 22, 10, false},
      {0.9, sim::CollectStrategy::Best, 23, 10, false},
      {1.0, sim::CollectStrategy::Never, 24, 5, false},
      {0.7, sim::CollectStrategy::First, 25, 10, false},
      {0.95, sim::CollectStrategy::First, 26, 5, true},
  };
  const char* scaleText = std::getenv("STRIKORA_REPLAY_SCALE");
  const int scale = scaleText ? std::max(1, std::atoi(scaleText)) : 1;
  int played = 0, identical = 0, drawn = 0, sameScreens = 0;
  for (const Row& r : rows) {
    const int64_t before = NewestGame();
    std::map<int64_t, std::vector<uint64_t>> screens;
    platform::HeadlessPlatform::Options po;
    po.startMs = 100000 + r.seed * 7919u;
    po.blind = !r.drawn;
    po.skipIdle = true;
    platform::HeadlessPlatform system(po);
    system.SetGameDir(dir_.Path());
    if (r.drawn)
      SetStepObserver([&screens, &system](const journal::StepRow&) {
        screens[CurrentGameNumber()].push_back(Hash(system.Screen()));
      });
    sim::PlayOptions options;
    options.games = r.games * scale;
    options.seed = r.seed;
    options.skill = r.skill;
    options.collect = r.collect;
    options.keepScreens = r.drawn;
    options.keepGames = false;
    options.dbPath = dir_ / "money.db";
    sim::PlayResult result =
        sim::PlayGames(system, {"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, options);
    SetStepObserver(nullptr);
    ASSERT_EQ(result.exitCode, kExitNormal) << result.error;
    const int64_t newest = NewestGame();
    ASSERT_EQ(newest - before, r.games * scale);
    for (int64_t game = before + 1; game <= newest; ++game) {
      std::vector<uint64_t> replayed;
      sim::ReplayResult replay = Replay(game, !r.drawn, r.drawn ? &replayed : nullptr);
      ++played;
      EXPECT_TRUE(replay.identical) << "game " << game << ": " << replay.difference << replay.error;
      EXPECT_EQ(replay.matched, replay.recorded) << "game " << game;
      if (replay.identical) ++identical;
      if (!r.drawn) continue;
      ++drawn;
      EXPECT_EQ(replayed, screens[game]) << "game " << game << ": the screens differ";
      if (replayed == screens[game] && !replayed.empty()) ++sameScreens;
    }
  }
  std::printf("replayed %d/%d games identical step by step; %d/%d drawn games pixel-identical\n",
              identical, played, sameScreens, drawn);
}

// Killed just after its first prize went to the money server: the game is open, its steps
// reach the collect, and its replay plays to that step and stops there.
TEST_F(SimReplayTest, AGameKilledInTheMiddleIsRecalledOpenAndReplaysToItsLastStep) {
  const std::string play = std::string(SIM_BINARY) + " play --game-dir " + dir_.Path() +
                           " --server 127.0.0.1:" + std::to_string(daemon_.port()) +
                           " --no-pixels --seed 5 --skill 1.0 --collect first --db " +
                           (dir_ / "money.db") + " --games 5";
  testing_support::Outcome killed =
      testing_support::RunCommand("STRIKORA_SIM_KILL=send:BADD:1:0 " + play + " 2>/dev/null");
  ASSERT_EQ(killed.status, 128 + 9) << killed.output;
  const int64_t game = NewestGame();
  journal::Store store;
  std::string error;
  ASSERT_TRUE(journal::OpenStore(JournalPath(), journal::OpenFor::kReading, store, error)) << error;
  std::optional<journal::Game> g;
  ASSERT_TRUE(journal::ReadGame(store, game, g, error)) << error;
  journal::CloseStore(store);
  ASSERT_TRUE(g);
  EXPECT_TRUE(journal::GameIsOpen(*g));
  EXPECT_EQ(g->endedMs, 0);
  const std::vector<journal::StepRow> rows = Steps(game);
  ASSERT_GE(rows.size(), 5u);
  EXPECT_EQ(rows.front().kind, "start");
  EXPECT_EQ(rows.back().kind, "collect");

  testing_support::Outcome recall = testing_support::RunCommand(
      std::string(METERS_BINARY) + " " + (dir_ / "data/Zemblar.rec") + " --games 1");
  EXPECT_EQ(recall.status, 0) << recall.output;
  EXPECT_NE(recall.output.find("Game " + std::to_string(game) + " - OPEN"), std::string::npos)
      << recall.output;
  EXPECT_NE(recall.output.find(steps::Describe(rows.back())), std::string::npos) << recall.output;

  testing_support::Outcome replay =
      testing_support::RunCommand(std::string(SIM_BINARY) + " replay --no-pixels --game-dir " +
                                  dir_.Path() + " --game " + std::to_string(game));
  EXPECT_EQ(replay.status, 0) << replay.output;
  EXPECT_NE(replay.output.find(std::to_string(rows.size()) + " of " + std::to_string(rows.size()) +
                               " steps replayed as recorded (the game was cut off after its last "
                               "step)"),
            std::string::npos)
      << replay.output;
}

// A record changed by hand: the replay fails at the step changed and names it.
TEST_F(SimReplayTest, ARecordChangedByHandFailsAtTheStepChanged) {
  const std::string play = std::string(SIM_BINARY) + " play --game-dir " + dir_.Path() +
                           " --server 127.0.0.1:" + std::to_string(daemon_.port()) +
                           " --no-pixels --seed 9 --skill 0.8 --db " + (dir_ / "money.db") +
                           " --games 1";
  ASSERT_EQ(testing_support::RunCommand(play).status, 0);
  const std::vector<journal::StepRow> rows = Steps(1);
  // The first question's turn and the answer touched for it.
  size_t turn = 0;
  while (turn < rows.size() &&
         !(rows[turn].kind == "turn" && rows[turn].data.find("truth=") != std::string::npos))
    ++turn;
  ASSERT_LT(turn, rows.size());
  const size_t answer = turn - 1;
  ASSERT_EQ(rows[answer].kind, "wait");
  struct Change {
    const char* what;
    size_t row;
    const char* key;
    std::string (*to)(const std::string&);
  };
  const Change changes[] = {
      {"the answer given", turn, "answer",
       [](const std::string& v) { return std::string(v == "true" ? "false" : "true"); }},
      {"the button the touch found", answer, "result",
       [](const std::string& v) { return std::string(v == "0" ? "1" : "0"); }},
      {"the hexagon", turn, "hex",
       [](const std::string& v) { return std::to_string((std::stoi(v) + 1) % 20); }},
      {"the points after the turn", turn, "points",
       [](const std::string& v) { return std::to_string(std::stoi(v) + 1000); }},
  };
  for (const Change& c : changes) {
    std::vector<journal::StepRow> altered = rows;
    steps::Fields f;
    std::string error;
    ASSERT_TRUE(steps::Decode(altered[c.row].data, f, error)) << error;
    for (auto& [key, value] : f)
      if (key == c.key) value = c.to(value);
    altered[c.row].data = steps::Encode(f);
    sim::ReplayResult r = Replay(1, true, nullptr, &altered);
    EXPECT_FALSE(r.identical) << c.what;
    EXPECT_EQ(r.matched, c.row) << c.what << ": " << r.difference;
    EXPECT_EQ(r.difference.rfind("step " + std::to_string(altered[c.row].seq) + " (", 0), 0u)
        << c.what << ": " << r.difference;
    EXPECT_NE(r.difference.find(std::string(c.key) + " is "), std::string::npos)
        << c.what << ": " << r.difference;
  }

  // By hand in the journal itself, and the command says so with exit status 1.
  journal::Store store;
  std::string error;
  ASSERT_TRUE(journal::OpenStore(JournalPath(), journal::OpenFor::kSettling, store, error));
  const bool saidTrue = rows[turn].data.find("answer=true") != std::string::npos;
  const std::string sql = std::string("UPDATE steps SET data = replace(data, 'answer=") +
                          (saidTrue ? "true', 'answer=false" : "false', 'answer=true") +
                          "') WHERE game = 1 AND seq = " + std::to_string(rows[turn].seq);
  ASSERT_TRUE(journal::Exec(store, sql.c_str(), error)) << error;
  journal::CloseStore(store);
  testing_support::Outcome replay = testing_support::RunCommand(
      std::string(SIM_BINARY) + " replay --no-pixels --game-dir " + dir_.Path() + " --game 1");
  EXPECT_EQ(replay.status, 1) << replay.output;
  EXPECT_NE(replay.output.find("game 1: DIFFERS at step " + std::to_string(rows[turn].seq) +
                               " (turn): answer is "),
            std::string::npos)
      << replay.output;
}

}  // namespace
