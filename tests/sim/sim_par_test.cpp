// The payout sheet's arithmetic, its player table, its units' seeds and raw results, and
// the figures it makes from them.
#include "sim_par.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>

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
  // Nearest rank: of 1..20 the 5th percentile is 1, the median 10, the 95th 19.
  std::vector<double> ranks;
  for (int i = 20; i >= 1; --i) ranks.push_back(i);
  EXPECT_EQ(sim::Percentile(ranks, 5), 1);
  EXPECT_EQ(sim::Percentile(ranks, 50), 10);
  EXPECT_EQ(sim::Percentile(ranks, 95), 19);
  EXPECT_EQ(sim::Percentile(ranks, 100), 20);
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

const char* const kGoodLine =
    "pub 0.98 0.9 0.72 0.6 1500-7000 800-3500 unsure preview 0.3 best yes";

TEST(SimParTest, ThePlayerTableReadsItsColumnsAndRefusesWhatIsNotAPlayer) {
  struct Case {
    std::string text;
    std::string error;  // empty: read
  };
  const Case cases[] = {
      {std::string("# a comment\n\n") + kGoodLine + "\r\n", ""},
      {"", "the table names no player"},
      {"pub 0.98 0.9 0.72 0.6 1500-7000 800-3500 unsure preview 0.3 best", "expected 12 columns"},
      {"Pub 0.98 0.9 0.72 0.6 1-2 1-2 unsure preview 0.3 best no", "is not a player name"},
      {"skill-9 0.98 0.9 0.72 0.6 1-2 1-2 unsure preview 0.3 best no", "is not a player name"},
      {"pub 0.4 0.9 0.72 0.6 1-2 1-2 unsure preview 0.3 best no", "intro accuracy"},
      {"pub 1 0.9 0.72 0.61234 1-2 1-2 unsure preview 0.3 best no", "hard accuracy"},
      {"pub 1 0.9 0.72 0.6 2-1 1-2 unsure preview 0.3 best no", "reaction times"},
      {"pub 1 0.9 0.72 0.6 1-2 1-70000 unsure preview 0.3 best no", "reaction times"},
      {"pub 1 0.9 0.72 0.6 1-2 1-2 always preview 0.3 best no", "reveal is unsure or never"},
      {"pub 1 0.9 0.72 0.6 1-2 1-2 never corners 0.3 best no", "hexagons is random or preview"},
      {"pub 1 0.9 0.72 0.6 1-2 1-2 never random 1.5 best no", "recall"},
      {"pub 1 0.9 0.72 0.6 1-2 1-2 never random 0 greedy no", "collect is first"},
      {"pub 1 0.9 0.72 0.6 1-2 1-2 never random 0 first maybe", "memory is yes or no"},
      {std::string(kGoodLine) + "\n" + kGoodLine, "line 2: pub is named twice"},
      {std::string(sim::kMaxPlayerTableBytes + 1, '#'), "larger than"},
  };
  for (const Case& c : cases) {
    std::vector<sim::Player> players;
    std::string error;
    const bool read = sim::ParsePlayerTable(c.text, players, error);
    EXPECT_EQ(read, c.error.empty()) << c.text << ": " << error;
    if (!c.error.empty()) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
  std::vector<sim::Player> players;
  std::string error;
  ASSERT_TRUE(sim::ParsePlayerTable(kGoodLine, players, error)) << error;
  const sim::Player& p = players[0];
  EXPECT_FALSE(p.uniform);
  EXPECT_EQ(p.accuracy[sim::kHard], 0.6);
  EXPECT_EQ(p.answerMs[1], 7000u);
  EXPECT_EQ(p.pick, sim::HexagonPick::Preview);
  EXPECT_TRUE(p.memorises);
  // A player written back as a line reads as the same line.
  EXPECT_EQ(sim::PlayerLine(p), kGoodLine);
  // The repository's own table reads, with the players the default sheet names.
  ASSERT_TRUE(sim::ReadPlayerTable(PLAYER_TABLE, players, error)) << error;
  for (const std::string& row : sim::DefaultParRows()) {
    sim::RowSpec spec;
    EXPECT_TRUE(sim::ParseRowSpec(row, players, spec, error)) << row << ": " << error;
  }
}

TEST(SimParTest, RowsUnitRangesAndUniformNamesParse) {
  std::vector<sim::Player> table;
  std::string error;
  ASSERT_TRUE(sim::ParsePlayerTable(kGoodLine, table, error));
  struct Case {
    std::string row;
    bool ok;
    std::string player, other;
    int otherGames;
  };
  const Case rows[] = {
      {"pub", true, "pub", "", 0},
      {"skill-0.5", true, "skill-0.5", "", 0},
      {"skill-1", true, "skill-1", "", 0},
      {"skill-0.5@skill-0.9:400", true, "skill-0.5", "skill-0.9", 400},
      {"pub@pub:1", true, "pub", "pub", 1},
      {"nobody", false, "", "", 0},
      {"skill-1.5", false, "", "", 0},
      {"pub@skill-0.9", false, "", "", 0},
      {"pub@skill-0.9:0", false, "", "", 0},
      {"pub@nobody:5", false, "", "", 0},
  };
  for (const Case& c : rows) {
    sim::RowSpec spec;
    ASSERT_EQ(sim::ParseRowSpec(c.row, table, spec, error), c.ok) << c.row;
    if (!c.ok) continue;
    EXPECT_EQ(spec.player.name, c.player);
    EXPECT_EQ(spec.after, !c.other.empty());
    EXPECT_EQ(spec.other.name, c.other);
    EXPECT_EQ(spec.otherGames, c.otherGames);
  }
  struct Range {
    std::string text;
    bool ok;
    int first, last;
  };
  const Range ranges[] = {{"0..0", true, 0, 0}, {"3..17", true, 3, 17}, {"5..2", false, 0, 0},
                          {"..4", false, 0, 0}, {"1..", false, 0, 0},   {"-1..4", false, 0, 0},
                          {"1-4", false, 0, 0}, {"1..4x", false, 0, 0}};
  for (const Range& r : ranges) {
    int first = -1, last = -1;
    ASSERT_EQ(sim::ParseUnitRange(r.text, first, last), r.ok) << r.text;
    if (r.ok) {
      EXPECT_EQ(std::make_pair(first, last), std::make_pair(r.first, r.last)) << r.text;
    }
  }
  EXPECT_EQ(sim::UniformPlayer(0.5).name, "skill-0.5");
  EXPECT_EQ(sim::UniformPlayer(1.0).name, "skill-1");
  EXPECT_EQ(sim::UniformPlayer(0.125).name, "skill-0.125");
}

// A unit's seed depends on the seed, the row, the strategy and the replication, and not on
// where the row stands in the sheet: a sheet split or reordered plays the same games.
TEST(SimParTest, AUnitsSeedIsItsRowsStrategysAndReplicationsAlone) {
  sim::ParPlan a, b;
  for (sim::ParPlan* p : {&a, &b}) {
    p->games = 10;
    p->replications = 2;
    p->collects = {"own", "first"};
  }
  std::vector<sim::Player> none;
  std::string error;
  for (const char* row : {"skill-0.5", "skill-0.7"}) {
    sim::RowSpec s;
    ASSERT_TRUE(sim::ParseRowSpec(row, none, s, error));
    a.rows.push_back(s);
    b.rows.insert(b.rows.begin(), s);
  }
  const std::vector<sim::Unit> ua = sim::PlanUnits(a), ub = sim::PlanUnits(b);
  ASSERT_EQ(ua.size(), 8u);
  // Numbered by row, then strategy, then replication; the games shared over replications.
  EXPECT_EQ(ua[5].row, 1);
  EXPECT_EQ(ua[5].collect, 0);
  EXPECT_EQ(ua[5].rep, 1);
  EXPECT_EQ(ua[5].games, 5);
  EXPECT_EQ(ua[0].seed, ub[4].seed);  // skill-0.5, own, replication 0 in either order
  EXPECT_EQ(ua[7].seed, ub[3].seed);
  std::set<uint32_t> seeds;
  for (const sim::Unit& u : ua) seeds.insert(u.seed);
  EXPECT_EQ(seeds.size(), ua.size());
  EXPECT_NE(sim::UnitSeed(1, "skill-0.5", "own", 0), sim::UnitSeed(2, "skill-0.5", "own", 0));
}

sim::UnitResult SomeUnit() {
  sim::UnitResult u;
  u.unit = 3;
  u.games = 200;
  u.staked = 10000;
  u.paidPrizes = 1200;
  u.paidCashpots = 300;
  u.hits = 7;
  u.anyAward = 9;
  u.cashpotGames = 2;
  u.prizes = {{100, 4}, {200, 2}, {400, 1}};
  u.cashpotValues = {{120, 1}, {180, 1}};
  u.blocks = {700, 800};
  u.levels = {0, 0, 100, 100, 0, 0, 0};
  u.controlGames = {0, 50, 150, 0, 0, 0, 0};
  u.controlPaid = {0, 200, 1300, 0, 0, 0, 0};
  u.start = {0, 0, 100};
  u.settled = {-450, 12, 195};
  u.moneyChecked = true;
  u.balance = std::vector<int64_t>(200, -5);
  u.seconds = 1.25;
  return u;
}

// A unit's raw result reads back as written, and anything else is refused with a reason.
TEST(SimParTest, AUnitsRawResultReadsBackAndNothingElseDoes) {
  const sim::Json good = sim::UnitJson(SomeUnit());
  sim::UnitResult back;
  std::string error;
  ASSERT_TRUE(sim::UnitFromJson(sim::Json::parse(good.dump()), back, error)) << error;
  EXPECT_EQ(sim::UnitJson(back), good);
  struct Case {
    const char* what;
    std::function<void(sim::Json&)> spoil;
    const char* error;
  };
  const Case cases[] = {
      {"a field missing", [](sim::Json& j) { j.erase("hits"); }, "\"hits\""},
      {"a text for a number", [](sim::Json& j) { j["games"] = "200"; }, "\"games\""},
      {"a fraction", [](sim::Json& j) { j["turns"] = 1.5; }, "\"turns\""},
      {"a negative count", [](sim::Json& j) { j["jackpots"] = -1; }, "\"jackpots\""},
      {"stakes that are not 50p a game", [](sim::Json& j) { j["staked"] = 9999; }, "do not fit"},
      {"more hits than games", [](sim::Json& j) { j["hits"] = 201; }, "do not fit"},
      {"six levels", [](sim::Json& j) { j["levels"].erase(0); }, "\"levels\""},
      {"a prize of no amount", [](sim::Json& j) { j["prizes"]["x"] = 1; }, "\"prizes\""},
      {"more blocks than games", [](sim::Json& j) { j["blocks"].push_back(1); }, "\"blocks\""},
      {"more balances than games", [](sim::Json& j) { j["balance"].push_back(1); }, "\"balance\""},
      {"no money check", [](sim::Json& j) { j["money_checked"] = 1; }, "money_checked"},
      {"not an object", [](sim::Json& j) { j = sim::Json::array(); }, "not an object"},
  };
  for (const Case& c : cases) {
    sim::Json j = good;
    c.spoil(j);
    EXPECT_FALSE(sim::UnitFromJson(j, back, error)) << c.what;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
  }
}

// The sheet's figures from known raw results: hits and any award, odds, the return of each
// prize and by control level, payback windows, the learning curve and break-even.
TEST(SimParTest, TheSheetsFiguresComeFromTheReplicationsRawTotals) {
  std::vector<sim::Player> table;
  std::string error;
  ASSERT_TRUE(sim::ParsePlayerTable(kGoodLine, table, error));
  sim::ParPlan plan;
  plan.games = 400;
  plan.replications = 2;
  plan.collects = {"own"};
  for (const char* row : {"pub", "skill-0.7", "skill-0.9"}) {
    sim::RowSpec s;
    ASSERT_TRUE(sim::ParseRowSpec(row, table, s, error));
    plan.rows.push_back(s);
  }
  std::vector<sim::UnitResult> units;
  for (int i = 0; i < 6; ++i) {
    sim::UnitResult u = SomeUnit();
    u.unit = i;
    if (i == 1) u.prizes[100] = 6;     // the second replication of the first row: two more
    if (i >= 4) u.paidPrizes = 12000;  // skill 0.9 pays back more than it takes
    units.push_back(u);
  }
  std::vector<sim::RowResult> rows(3);
  for (int r = 0; r < 3; ++r) {
    rows[r].spec = &plan.rows[r];
    rows[r].collectKey = "own";
    rows[r].collect = "best";
    rows[r].reps = {&units[2 * r], &units[2 * r + 1]};
  }
  sim::ParTiming timing;
  const sim::Json sheet = sim::SheetJson(plan, rows, timing);
  const sim::Json& pub = sheet["rows"][0];
  EXPECT_EQ(pub["rtp"], 0.15);
  EXPECT_EQ(pub["rtp_ci95"], sim::Json::parse("[0.15, 0.15]"));
  EXPECT_EQ(pub["hit_frequency"], 0.035);
  EXPECT_EQ(pub["any_award_frequency"], 0.045);  // cashpot-only games count as awards
  EXPECT_EQ(pub["prizes"][0]["amount"], 100);
  EXPECT_EQ(pub["prizes"][0]["games"], 10);
  EXPECT_EQ(pub["prizes"][0]["odds_1_in"], 40.0);
  EXPECT_EQ(pub["prizes"][0]["rtp"], 0.05);
  // 4 and 6 in 200 games: mean 1 in 40, t interval 0.025 +- 12.706 * 0.005.
  EXPECT_EQ(pub["prizes"][0]["odds_ci95"][0], 11.3);
  EXPECT_EQ(pub["prizes"][0]["odds_ci95"][1], nullptr);  // its low end is below zero
  EXPECT_EQ(pub["cashpot"]["rtp"], 0.03);
  EXPECT_EQ(pub["cashpot"]["mean"], 150.0);
  EXPECT_EQ(pub["cashpot"]["max"], 180.0);
  EXPECT_EQ(pub["control_levels"][2]["share"], 0.75);
  EXPECT_EQ(pub["control_levels"][2]["rtp"], 0.1733);  // 2600 of 300 games' stakes
  EXPECT_EQ(pub["control_levels"][0]["rtp"], nullptr);
  EXPECT_EQ(pub["settled"]["main_balance"], -450.0);
  // Four blocks of 100 games: four windows of 1,000 do not fit, so no range is claimed.
  EXPECT_EQ(pub["payback_ranges"][0]["windows"], 0);
  EXPECT_EQ(pub["payback_ranges"][0]["p5"], nullptr);
  EXPECT_EQ(pub["learning_curve"]["rtp"], sim::Json::parse("[0.14, 0.16]"));
  EXPECT_EQ(pub["learning_curve"]["passes_50_percent_by_game"], nullptr);
  EXPECT_EQ(pub["replications"].size(), 2u);
  EXPECT_EQ(pub["replications"][1]["paid_prizes"], 1200);
  EXPECT_EQ(sheet["rows"][1]["learning_curve"], nullptr);  // a uniform player learns nothing
  EXPECT_EQ(sheet["break_even_uniform_skill"]["highest_skill_below_100_percent"], 0.7);
  EXPECT_EQ(sheet["break_even_uniform_skill"]["lowest_skill_at_100_percent"], 0.9);
  EXPECT_EQ(sheet["games_per_second"], nullptr);
}

TEST(SimParTest, PaybackRangesNeedTwentyWindows) {
  sim::ParPlan plan;
  plan.games = 4000;
  plan.replications = 2;
  plan.collects = {"own"};
  std::vector<sim::Player> none;
  std::string error;
  sim::RowSpec s;
  ASSERT_TRUE(sim::ParseRowSpec("skill-0.5", none, s, error));
  plan.rows.push_back(s);
  std::vector<sim::UnitResult> units(2, SomeUnit());
  for (int r = 0; r < 2; ++r) {
    units[r].unit = r;
    units[r].games = 2000;
    units[r].staked = 100000;
    units[r].blocks.clear();
    // Block k of replication r pays back k % 5 * 10 % of its stakes.
    for (int k = 0; k < 20; ++k) units[r].blocks.push_back(k % 5 * 500);
  }
  sim::RowResult row;
  row.spec = &plan.rows[0];
  row.reps = {&units[0], &units[1]};
  const sim::Json sheet = sim::SheetJson(plan, {row}, sim::ParTiming());
  const sim::Json& ranges = sheet["rows"][0]["payback_ranges"];
  EXPECT_EQ(ranges[0]["games"], 1000);
  EXPECT_EQ(ranges[0]["windows"], 4);  // too few
  EXPECT_EQ(ranges[0]["p50"], nullptr);
  sim::RowResult small = row;
  std::vector<sim::UnitResult> many(10, units[0]);
  small.reps.clear();
  for (sim::UnitResult& u : many) small.reps.push_back(&u);
  plan.replications = 10;
  const sim::Json tenfold = sim::SheetJson(plan, {small}, sim::ParTiming());
  const sim::Json& r = tenfold["rows"][0]["payback_ranges"][0];
  EXPECT_EQ(r["windows"], 20);
  // Every window of 10 blocks pays 0+10+20+30+40 % twice over: 20 % each.
  EXPECT_EQ(r["p5"], 0.2);
  EXPECT_EQ(r["p95"], 0.2);
  EXPECT_EQ(r["scaled"], nullptr);          // measured, not scaled
  EXPECT_EQ(ranges[3]["scaled"], nullptr);  // nothing measured to scale from
  // Longer windows than fit: the spread of the 1,000-game windows about the row's return
  // (1.5 % in these totals) shrunk by the square root of the lengths, and said to be so.
  for (int w = 1; w < 4; ++w) {
    const sim::Json& scaled = tenfold["rows"][0]["payback_ranges"][w]["scaled"];
    ASSERT_FALSE(scaled.is_null()) << w;
    EXPECT_EQ(scaled["from_games"], 1000);
    const double k =
        std::sqrt(1000.0 / tenfold["rows"][0]["payback_ranges"][w]["games"].get<double>());
    EXPECT_NEAR(scaled["p5"].get<double>(), 0.015 + 0.185 * k, 1e-4) << w;
  }
}

}  // namespace
