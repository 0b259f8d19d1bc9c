// Balances, levels, the control table, charging and settling a game.
#include "accounting/accounting.h"

#include <set>

#include "accounting/money_link.h"
#include "link_fixture.h"
#include "shell/timing.h"

namespace {

class Accounting : public LinkedGame {
 protected:
  void SetUp() override {
    LinkedGame::SetUp();
    ResetAccounting();
    StakePerGame = 50;
  }
};

TEST(BalanceLevels, ThresholdsAreInclusiveFromAbove) {
  ResetAccounting();
  const std::pair<float, int> cases[] = {{5000.0f, 0},  {1000.0f, 0},  {999.9f, 1},  {500.0f, 1},
                                         {250.0f, 2},   {249.0f, 3},   {-250.0f, 3}, {-250.5f, 4},
                                         {-1000.0f, 5}, {-1000.1f, 6}, {-1e9f, 6}};
  for (auto [balance, level] : cases) {
    Balances[0] = balance;
    EXPECT_EQ(BalanceLevel(0), level) << balance;
  }
}

TEST(Meters, CountAddIgnoreOutOfRangeAndWrap) {
  ResetAccounting();
  CountMeter(0);
  AddToMeter(22, 750);
  AddToMeter(22, -50);
  CountMeter(-1);
  CountMeter(39);
  AddToMeter(100, 5);
  EXPECT_EQ(Meters[0], 1);
  EXPECT_EQ(Meters[22], 700);
  Meters[5] = INT32_MAX;
  CountMeter(5);
  EXPECT_EQ(Meters[5], INT32_MIN);
  int32_t sum = 0;
  for (int32_t m : Meters) sum += m == INT32_MIN ? 0 : m;
  EXPECT_EQ(sum, 701);
}

TEST(ControlTable, DrawsOncePerGameFromTheLevelsRow) {
  ResetAccounting();
  SeedRandom(99);
  Balances[0] = -5000.0f;  // level 6: everything generous
  ASSERT_TRUE(StartControlTable(0));
  ControlTable t = controlTable;
  EXPECT_EQ(t.controlLevel, 6);
  for (int16_t m : {t.controlModePreview, t.controlModeQuestion, t.controlModeLives,
                    t.controlModeGrid, t.controlModeWinPlan})
    EXPECT_EQ(m, 4);
  Balances[0] = 5000.0f;
  EXPECT_FALSE(StartControlTable(10));  // already in force: unchanged
  EXPECT_EQ(controlTable.controlLevel, 6);
  EXPECT_TRUE(EndControlTable());
  EXPECT_FALSE(EndControlTable());

  for (int game = 0; game < 50; ++game) {  // level 0 is never lowered, all modes 0
    ASSERT_TRUE(StartControlTable(100));
    EXPECT_EQ(controlTable.controlLevel, 0);
    EXPECT_EQ(controlTable.controlModeGrid + controlTable.controlModePreview +
                  controlTable.controlModeLives + controlTable.controlModeQuestion +
                  controlTable.controlModeWinPlan,
              0);
    EndControlTable();
  }
}

TEST(ControlTable, TheLastFourModesRotateThroughTheRowAndTheLevelDropsAThirdOfTheTime) {
  ResetAccounting();
  SeedRandom(2024);
  Balances[0] = 0.0f;  // level 3: row 0, 1, 2, 3
  int lowered = 0, firstGameLowered = 0;
  for (int game = 0; game < 3000; ++game) {
    ASSERT_TRUE(StartControlTable(game == 0 ? 0 : 5));
    const ControlTable& t = controlTable;
    if (game == 0) firstGameLowered += t.controlLevel != 3;
    lowered += t.controlLevel == 2;
    const int16_t* row = ControlModeRows[t.controlLevel];
    int start = -1;
    for (int i = 0; i < 4; ++i)
      if (row[i] == t.controlModeQuestion && row[(i + 1) % 4] == t.controlModeLives &&
          row[(i + 2) % 4] == t.controlModeWinPlan && row[(i + 3) % 4] == t.controlModeGrid)
        start = i;
    EXPECT_NE(start, -1) << "game " << game;
    EndControlTable();
  }
  EXPECT_EQ(firstGameLowered, 0);  // the very first game is never made meaner
  EXPECT_NEAR(lowered / 3000.0, 0.33, 0.03);
}

TEST_F(Accounting, ChargingTakesTheStakeAndBooksItsShares) {
  server_.AddReply("CTEL,450\r\n");
  server_.AddReply("BTEL,200\r\n");
  winAmount = 123;
  ASSERT_TRUE(ChargeGame());
  EXPECT_EQ(winAmount, 0);
  EXPECT_FLOAT_EQ(Balances[0], -10.0f);
  EXPECT_FLOAT_EQ(Balances[1], -5.0f);
  EXPECT_EQ(Meters[0], 1);
  EXPECT_EQ(Meters[33], 1);
  EXPECT_EQ(Sent(), "CUSE,50\r\nBGET\r\n");
}

TEST_F(Accounting, TheCashpotFundStopsTakingItsShareBelowMinus1000) {
  Balances[1] = -1000.0f;
  for (const char* r : {"CTEL,1\r\n", "BTEL,500\r\n", "CTEL,1\r\n", "BTEL,1000\r\n"})
    server_.AddReply(r);
  ASSERT_TRUE(ChargeGame());
  EXPECT_FLOAT_EQ(Balances[1], -1005.0f);
  EXPECT_FLOAT_EQ(Balances[0], -10.0f);
  ASSERT_TRUE(ChargeGame());
  EXPECT_FLOAT_EQ(Balances[1], -1005.0f);
  EXPECT_FLOAT_EQ(Balances[0], -25.0f);  // 10 + 5 for that game
  EXPECT_EQ(Meters[34], 1);
  EXPECT_EQ(Meters[35], 1);
}

TEST_F(Accounting, ARefusedChargeChangesNothingAndAFailedBankQueryCounts35) {
  server_.AddReply("FAIL\r\n");
  server_.AddReply("CTEL,0\r\n");
  server_.AddReply("FAIL\r\n");  // the bank query fails
  EXPECT_FALSE(ChargeGame());
  EXPECT_EQ(Meters[0], 0);
  EXPECT_FLOAT_EQ(Balances[0], 0.0f);
  ASSERT_TRUE(ChargeGame());
  EXPECT_EQ(Meters[35], 1);
}

TEST(Settling, BooksTheWinByLevelAndCountsKnownPrizes) {
  ResetAccounting();
  winAmount = 0;
  SettleGame();
  for (int32_t m : Meters) EXPECT_EQ(m, 0);  // a losing game books nothing

  Balances[0] = -300.0f;  // level 4 before the win
  winAmount = 750;
  SettleGame();
  EXPECT_EQ(Meters[27], 750);
  EXPECT_EQ(Meters[22], 750);
  EXPECT_EQ(Meters[30], 1);
  for (int i = 13; i <= 20; ++i) EXPECT_EQ(Meters[i], 0);
  EXPECT_FLOAT_EQ(Balances[0], 450.0f);

  const int prizes[] = {100, 200, 300, 400, 500, 600, 1000, 2000};
  for (int i = 0; i < 8; ++i) {
    winAmount = prizes[i];
    SettleGame();
    EXPECT_EQ(Meters[13 + i], 1) << prizes[i];
  }
  EXPECT_EQ(Meters[30], 9);
}

TEST(Cashpot, AddsResetsAndStartsAt100) {
  ResetAccounting();
  ResetCashpot();
  AddToCashpot(5);
  EXPECT_EQ(GetCashpot(), 105);
  AddToCashpot(-5);
  AddToCashpot(-5);
  EXPECT_EQ(GetCashpot(), 95);
  ResetCashpot();
  EXPECT_EQ(GetCashpot(), kCashpotStart);
}

}  // namespace
