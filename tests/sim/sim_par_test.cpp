// The payout sheet's arithmetic and its money cross-check.
#include "sim_par.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

TEST(SimParTest, TheIntervalOfKnownData) {
  struct Case {
    std::vector<double> values;
    double mean, low, high;
  };
  const Case cases[] = {
      // mean 3, s = sqrt(2.5), se = s / sqrt(5), t(4) = 2.776
      {{1, 2, 3, 4, 5}, 3.0, 3.0 - 2.776 * 0.7071068, 3.0 + 2.776 * 0.7071068},
      {{0.5, 0.5}, 0.5, 0.5, 0.5},  // no spread, no width
      {{2, 4}, 3.0, 3.0 - 12.706, 3.0 + 12.706},
      {{7}, 7.0, 7.0, 7.0},
  };
  for (const Case& c : cases) {
    sim::Interval i = sim::MeanCi95(c.values);
    EXPECT_NEAR(i.mean, c.mean, 1e-9);
    EXPECT_NEAR(i.low, c.low, 1e-4);
    EXPECT_NEAR(i.high, c.high, 1e-4);
  }
  EXPECT_NEAR(sim::StudentT975(19), 2.093, 1e-9);
  EXPECT_NEAR(sim::StudentT975(60), 2.000, 2e-3);
  EXPECT_NEAR(sim::StudentT975(100000), 1.960, 1e-3);
}

TEST(SimParTest, TheMoneyCheckFailsWhenAPaymentIsDropped) {
  sim::PlayTotals t;
  t.games = 3;
  t.staked = t.serverStakes = 150;
  t.paidPrizes = 200;
  t.paidCashpots = 60;
  t.serverPayouts = 260;
  EXPECT_TRUE(sim::MoneyAgrees(t, 3));
  sim::PlayTotals dropped = t;
  dropped.serverPayouts -= 60;  // the cashpot never reached the server
  EXPECT_FALSE(sim::MoneyAgrees(dropped, 3));
  sim::PlayTotals stake = t;
  stake.serverStakes -= 50;
  EXPECT_FALSE(sim::MoneyAgrees(stake, 3));
  EXPECT_FALSE(sim::MoneyAgrees(t, 4));  // a game missing
}

TEST(SimParTest, TheSheetNamesItsRecordAsJsonWhateverTheFileIsCalled) {
  struct Case {
    std::string record;
    nlohmann::json expected;
  };
  const Case cases[] = {
      {"", nullptr},
      {"/tmp/plain.rec", "plain.rec"},
      {"/tmp/say \"hi\"\\ \x01.rec", "say \"hi\"\\ \x01.rec"},
  };
  for (const Case& c : cases) {
    sim::ParOptions o;
    o.record = c.record;
    o.timing = false;
    sim::ParSummary s;
    s.start = {12, -3, 100};
    const std::string head = sim::ParJsonHead(o, s);
    nlohmann::json json = nlohmann::json::parse(head + "]}");
    EXPECT_EQ(json["start"]["record"], c.expected) << c.record;
    EXPECT_EQ(json["start"]["main_balance"], 12);
    EXPECT_EQ(json["games_per_second"], nullptr);
  }
}

}  // namespace
