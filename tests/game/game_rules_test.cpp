// The game's rules on the headless backend's virtual clock, without a screen: the board
// plan, the preview, points and the win plan, lives and tokens, the countdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "accounting/accounting.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_flow.h"
#include "game/lives.h"
#include "game/points.h"
#include "graphics/display.h"
#include "graphics/sprites.h"
#include "platform/headless/headless_platform.h"
#include "questions/countdown.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystem(&system_);
    ResetDisplayState();
    ResetPresentPacing();
    ResetAccounting();
    ResetGame();
    SeedRandom(12345);
  }
  void TearDown() override { SetSystem(nullptr); }
  platform::HeadlessPlatform system_;
};

int Count(int32_t type, int from = 0, int to = kPlannedHexagons) {
  return static_cast<int>(std::count(hexTypes + from, hexTypes + to, type));
}

TEST_F(RulesTest, EachGridModePlansItsCountsAndPointsRange) {
  struct Row {
    int grid, questions, points, doubles;
    std::set<int32_t> pointTypes;  // every type the range can give
  };
  const Row rows[] = {
      {0, 34, 20, 6, {7, 8, 9}},
      {1, 29, 25, 6, {7, 8, 9, 10, 11}},
      {2, 29, 25, 6, {8, 10, 12, 14}},
      {3, 25, 25, 10, {8, 10, 12, 14}},  // 9,000 and 10,000 never
      {4, 20, 20, 20, {8, 10, 12, 14, 16}},
  };
  for (const Row& r : rows) {
    controlTable.controlModeGrid = static_cast<int16_t>(r.grid);
    std::set<int32_t> seen;
    for (int game = 0; game < 200; ++game) {
      PlanHexTypes(r.grid);
      ASSERT_EQ(Count(kHexQuestion), r.questions) << "mode " << r.grid;
      ASSERT_EQ(Count(kHexPointsToDraw), r.points);
      ASSERT_EQ(Count(kHexDoubleOrQuits), r.doubles);
      bonusBudget = 0;
      cashpotBoost = false;
      FinishHexTypes();
      // No budget, no bonus hexagons; three boots taken from the questions.
      ASSERT_EQ(Count(kHexExtraLife) + Count(kHexReveal), 0);
      ASSERT_EQ(Count(kHexBoot), 3);
      ASSERT_EQ(Count(kHexQuestion), r.questions - 3);
      for (int32_t t : hexTypes)
        if (t >= kHexPoints1000) seen.insert(t);
    }
    EXPECT_EQ(seen, r.pointTypes) << "mode " << r.grid;
  }
}

TEST_F(RulesTest, BootsGoOnePerBoardOrAllOnTheFirstWithTheBoost) {
  for (bool boost : {false, true}) {
    for (int game = 0; game < 100; ++game) {
      PlanHexTypes(4);
      cashpotBoost = boost;
      bonusBudget = 0;
      FinishHexTypes();
      int first = Count(kHexBoot, 0, 20), second = Count(kHexBoot, 20, 40);
      if (boost) {
        ASSERT_EQ(first, 3);
      } else {
        ASSERT_EQ(first, 1);
        ASSERT_EQ(second, 1);
      }
    }
  }
  EXPECT_EQ(CashpotBoostChance(299), 0);
  EXPECT_EQ(CashpotBoostChance(300), 33);
  EXPECT_EQ(CashpotBoostChance(699), 50);
  EXPECT_EQ(CashpotBoostChance(999), 75);
  EXPECT_EQ(CashpotBoostChance(1000), 99);
}

TEST_F(RulesTest, TheBonusBudgetTurnsQuestionsIntoLivesAndTokensMostlyOnTheFirstBoard) {
  int firstBoard = 0, all = 0;
  for (int game = 0; game < 200; ++game) {
    PlanHexTypes(0);
    bonusBudget = 4;
    FinishHexTypes();
    EXPECT_EQ(bonusBudget, 0);
    int bonus = Count(kHexExtraLife) + Count(kHexReveal);
    ASSERT_EQ(bonus, 4);
    all += bonus;
    firstBoard += Count(kHexExtraLife, 0, 20) + Count(kHexReveal, 0, 20);
  }
  EXPECT_GT(firstBoard * 10, all * 9);
}

// Every hexagon is shown exactly once, in groups of the pattern's sizes, whatever the
// pattern drawn.
TEST_F(RulesTest, ThePreviewShowsEveryHexagonOnce) {
  for (int i = 0; i < kHexagons; ++i) PlaceHexagon(i, kHexQuestion);
  for (int mode : {0, 2}) {
    controlTable.controlModePreview = static_cast<int16_t>(mode);
    for (int run = 0; run < 30; ++run) {
      std::vector<std::vector<int>> groups;
      system_.SetDriver([&](platform::HeadlessPlatform&) {
        std::vector<int> up;
        for (int i = 0; i < kHexagons; ++i)
          if (axHexagons[i].faceUp) up.push_back(i);
        if (!up.empty() && (groups.empty() || groups.back() != up)) groups.push_back(up);
      });
      PreviewBoard();
      system_.SetDriver(nullptr);
      std::map<int, int> shown;
      for (const auto& g : groups) {
        EXPECT_LE(g.size(), 3u);
        if (mode < 2) {
          EXPECT_LE(g.size(), 2u);
        }
        for (int h : g) ++shown[h];
      }
      ASSERT_EQ(shown.size(), 20u) << "mode " << mode;
      for (auto [h, n] : shown) ASSERT_EQ(n, 1) << "hexagon " << h;
    }
  }
}

TEST_F(RulesTest, PointsAreWrittenWithTwoCharacterSeparators) {
  const std::pair<int32_t, const char*> rows[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1\\,000"},
      {7500, "7\\,500"},
      {45000, "45\\,000"},
      {999000, "999\\,000"},
      {1000000, "1\\,000\\,000"},
  };
  for (auto [v, text] : rows) EXPECT_EQ(FormatPoints(v), text) << v;
  EXPECT_EQ(FormatPoints(1000000).size(), 11u);
}

TEST_F(RulesTest, TheWinPlanGivesTheLargestPrizeReached) {
  struct Row {
    int plan;
    int32_t points, prize, rung;
  };
  const Row rows[] = {
      {0, 0, 0, -1},          {0, 7499, 0, -1},      {0, 7500, 0, 0},     {0, 250000, 100, 12},
      {0, 300000, 200, 13},   {0, 1000000, 500, 19}, {2, 100000, 100, 7}, {3, 75000, 100, 6},
      {4, 1000000, 1000, 19}, {4, 999999, 600, 18},
  };
  for (const Row& r : rows) {
    BuildWinPlan(r.plan);
    SetPoints(r.points);
    EXPECT_EQ(HighestPrizeReached(), r.prize) << r.plan << " " << r.points;
    EXPECT_EQ(TopRungReached(r.points), r.rung) << r.plan << " " << r.points;
  }
  EXPECT_EQ(winPlan[0].y, 563);
  EXPECT_EQ(winPlan[19].y, 183);
  SetPoints(1200000);
  EXPECT_EQ(GetPoints(), 1000000);
}

TEST_F(RulesTest, ChangePointsRunsTwentyStepsAndCapsAtAMillion) {
  BuildWinPlan(0);
  struct Row {
    int32_t from, amount;
    bool add;
    int32_t to;
  };
  const Row rows[] = {
      {0, 3000, true, 3000},      {999000, 10000, true, 1000000}, {600000, 600000, true, 1000000},
      {600000, 600000, false, 0}, {5000, 0, true, 5000},
  };
  for (const Row& r : rows) {
    SetPoints(r.from);
    uint32_t start = system_.Now();
    ChangePoints(r.amount, r.add);
    EXPECT_EQ(GetPoints(), r.to);
    uint32_t took = system_.Now() - start;
    if (r.amount > 0) {
      EXPECT_GE(took, 20u * 50u) << r.from << " " << r.amount;
      EXPECT_LT(took, 1200u);  // each step also draws and presents
    }
  }
}

TEST_F(RulesTest, LivesAndTokensStayWithinTheirBounds) {
  struct Row {
    int32_t before;
    uint16_t n;
    bool gain;
    int32_t after;
  };
  const Row lifeRows[] = {
      {5, 1, true, 5}, {4, 3, true, 5}, {1, 1, false, 0}, {0, 1, false, -1}, {2, 1, true, 3}};
  for (const Row& r : lifeRows) {
    lives = r.before;
    ChangeLives(r.n, r.gain);
    EXPECT_EQ(lives, r.after) << r.before << (r.gain ? "+" : "-") << r.n;
  }
  const Row tokenRows[] = {{5, 1, true, 5}, {0, 1, true, 1}, {1, 1, false, 0}, {0, 1, false, 0}};
  for (const Row& r : tokenRows) {
    revealCount = static_cast<uint8_t>(r.before);
    ChangeReveals(r.n, r.gain);
    EXPECT_EQ(revealCount, r.after) << r.before << (r.gain ? "+" : "-") << r.n;
  }
  // The lives of the pick and the bonus hexagons always add up to the mode.
  std::map<int32_t, int> picked;
  for (int i = 0; i < 3000; ++i) {
    for (int mode = 1; mode <= 5; ++mode) {
      LivesDraw d = DrawLivesForMode(mode);
      ASSERT_EQ(d.lives + d.bonusBudget, mode);
      if (mode == 1) {
        ASSERT_EQ(d.lives, 1);
      }
      if (mode == 4) ++picked[d.lives];
    }
  }
  EXPECT_NEAR(picked[3] / 3000.0, 0.40, 0.04);
  EXPECT_NEAR(picked[2] / 3000.0, 0.30, 0.04);
}

TEST_F(RulesTest, TheCountdownWaitsForItsResumeAndEndsWhenTheBarIsEmpty) {
  CountdownStart(10000, true);
  system_.SetTime(system_.Now() + 5000);
  EXPECT_EQ(CountdownRemaining(), 10000);  // frozen until resumed
  CountdownResume();
  uint32_t resumed = Countdown().resumeTime;
  system_.SetTime(system_.Now() + 100);
  CountdownResume();
  EXPECT_EQ(Countdown().resumeTime, resumed);  // a second resume changes nothing

  // The bar empties from the right as the updates go; the time is up when it is empty.
  for (uint32_t duration : {10000u, 20000u}) {
    CountdownStart(duration, true);
    CountdownResume();
    uint32_t start = system_.Now();
    std::vector<int> edges;
    while (CountdownRemaining() > 0) {
      CountdownUpdate();
      if (edges.empty() || edges.back() != Countdown().barEdge)
        edges.push_back(Countdown().barEdge);
      system_.SetTime(system_.Now() + 5);
    }
    uint32_t took = system_.Now() - start;
    int32_t early = static_cast<int32_t>(duration) - static_cast<int32_t>(took);
    if (duration == 10000) {
      EXPECT_NEAR(early, 200, 30);
      EXPECT_EQ(edges.front(), 800);  // all 25 segments at first
    } else {
      EXPECT_NEAR(early, 1400, 30);
      EXPECT_EQ(edges.front(), 321);  // the rightmost segment goes at once
    }
    EXPECT_EQ(edges.back(), 33);
    EXPECT_EQ(CountdownRemaining(), 0);
  }
}

TEST_F(RulesTest, ACashpotThatIsNotAMultipleOfFiveStillCountsDownAndResets) {
  Cashpot = 103;
  bootCount = 2;
  CollectBoot();  // no money server: the payment is logged as not accepted
  EXPECT_EQ(GetCashpot(), kCashpotStart);
  EXPECT_EQ(bootCount, 0);
  EXPECT_EQ(Meters[31], 1);
  EXPECT_EQ(Meters[32], 103);
}

}  // namespace
