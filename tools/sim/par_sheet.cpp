#include "par_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "accounting/accounting.h"
#include "par_plot.h"

namespace fs = std::filesystem;

namespace sim {

double StudentT975(int df) {
  static const double kTable[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306,
                                  2.262,  2.228, 2.201, 2.179, 2.160, 2.145, 2.131, 2.120,
                                  2.110,  2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064,
                                  2.060,  2.056, 2.052, 2.048, 2.045, 2.042};
  if (df < 1) df = 1;
  if (df <= 30) return kTable[df - 1];
  // Cornish-Fisher expansion about the normal quantile.
  const double z = 1.959964, n = df;
  return z + (z * z * z + z) / (4 * n) +
         (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * n * n);
}

Interval MeanCi95(const std::vector<double>& values) {
  Interval r;
  if (values.empty()) return r;
  double sum = 0;
  for (double v : values) sum += v;
  r.mean = sum / values.size();
  r.low = r.high = r.mean;
  if (values.size() < 2) return r;
  double squares = 0;
  for (double v : values) squares += (v - r.mean) * (v - r.mean);
  double se = std::sqrt(squares / (values.size() - 1) / values.size());
  double half = StudentT975(static_cast<int>(values.size()) - 1) * se;
  r.low = r.mean - half;
  r.high = r.mean + half;
  return r;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  double rank = std::ceil(p / 100.0 * values.size());
  size_t i = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
  return values[std::min(i, values.size() - 1)];
}

namespace {

constexpr int kStake = 50;
// The fewest windows a payback range is given from.
constexpr size_t kFewestWindows = 20;

// A figure rounded to `places` decimals: par.json prints the shortest form of it.
double Round(double v, int places) {
  const double scale = std::pow(10.0, places);
  const double r = std::round(v * scale) / scale;
  return r == 0 ? 0.0 : r;  // no "-0.0"
}

Json Share(int64_t part, int64_t whole, int places) {
  return whole > 0 ? Json(Round(double(part) / whole, places)) : Json(nullptr);
}

// Summed over a row's replications.
struct RowSums {
  int64_t games = 0, staked = 0, prizes = 0, cashpots = 0, hits = 0, anyAward = 0, jackpots = 0,
          cashpotGames = 0, gaveUp = 0, turns = 0, questions = 0, ms = 0;
  double returnSquares = 0;
  std::array<int64_t, 7> levels{}, controlGames{}, controlPaid{};
  std::map<int, int64_t> prizeCounts, cashpotValues;
  bool moneyChecked = true;
};

RowSums Sum(const RowResult& row) {
  RowSums s;
  for (const UnitResult* u : row.reps) {
    s.games += u->games;
    s.staked += u->staked;
    s.prizes += u->paidPrizes;
    s.cashpots += u->paidCashpots;
    s.hits += u->hits;
    s.anyAward += u->anyAward;
    s.jackpots += u->jackpots;
    s.cashpotGames += u->cashpotGames;
    s.gaveUp += u->gaveUp;
    s.turns += u->turns;
    s.questions += u->questions;
    s.ms += u->ms;
    s.returnSquares += double(u->returnSquares);
    for (int i = 0; i < 7; ++i) {
      s.levels[i] += u->levels[i];
      s.controlGames[i] += u->controlGames[i];
      s.controlPaid[i] += u->controlPaid[i];
    }
    for (const auto& [a, n] : u->prizes) s.prizeCounts[a] += n;
    for (const auto& [v, n] : u->cashpotValues) s.cashpotValues[v] += n;
    s.moneyChecked = s.moneyChecked && u->moneyChecked;
  }
  return s;
}

// The 95 % interval of "1 in N" from the replications' own frequencies.
Json OddsInterval(const RowResult& row, const std::function<int64_t(const UnitResult&)>& count) {
  std::vector<double> f;
  for (const UnitResult* u : row.reps) f.push_back(u->games ? double(count(*u)) / u->games : 0);
  const Interval i = MeanCi95(f);
  return Json::array({i.high > 0 ? Json(Round(1 / i.high, 1)) : Json(nullptr),
                      i.low > 0 ? Json(Round(1 / i.low, 1)) : Json(nullptr)});
}

// The returns of the windows of n consecutive counted games of each replication, made of
// whole blocks of 100.
std::vector<double> WindowReturns(const RowResult& row, int64_t n) {
  std::vector<double> windows;
  const size_t per = static_cast<size_t>(n / kBlockGames);
  for (const UnitResult* u : row.reps)
    for (size_t b = 0; b + per <= u->blocks.size(); b += per) {
      int64_t paid = 0;
      for (size_t k = b; k < b + per; ++k) paid += u->blocks[k];
      windows.push_back(double(paid) / (double(n) * kStake));
    }
  return windows;
}

constexpr int64_t kWindowGames[] = {1000, 10000, 100000, 1000000};

// The paybacks over n games: percentiles of the measured windows when at least 20 fit; else
// null, with the spread of the longest window that does fit scaled by the square root of
// the lengths about the row's return (what batches of independent means would do; the
// controller ties games together over shorter spans than that window).
Json PaybackRange(const RowResult& row, int64_t n, double rtp) {
  const std::vector<double> windows = WindowReturns(row, n);
  Json j;
  j["games"] = n;
  j["windows"] = windows.size();
  const bool enough = windows.size() >= kFewestWindows;
  const std::pair<const char*, double> kPercentiles[] = {{"p5", 5}, {"p50", 50}, {"p95", 95}};
  for (const auto& [key, p] : kPercentiles)
    j[key] = enough ? Json(Round(Percentile(windows, p), 4)) : Json(nullptr);
  int64_t from = 0;
  std::vector<double> measured;
  for (int64_t m : kWindowGames) {
    std::vector<double> w = m < n ? WindowReturns(row, m) : std::vector<double>();
    if (w.size() >= kFewestWindows) {
      from = m;
      measured = std::move(w);
    }
  }
  if (enough || from == 0) {
    j["scaled"] = nullptr;
    return j;
  }
  const double k = std::sqrt(double(from) / double(n));
  j["scaled"] = {{"from_games", from},
                 {"p5", Round(rtp + (Percentile(measured, 5) - rtp) * k, 4)},
                 {"p95", Round(rtp + (Percentile(measured, 95) - rtp) * k, 4)}};
  return j;
}

Json LearningCurve(const RowResult& row) {
  size_t blocks = 0;
  for (const UnitResult* u : row.reps) blocks = std::max(blocks, u->blocks.size());
  Json curve = Json::array();
  Json pass50 = nullptr, pass100 = nullptr;
  for (size_t b = 0; b < blocks; ++b) {
    int64_t paid = 0, n = 0;
    for (const UnitResult* u : row.reps)
      if (b < u->blocks.size()) {
        paid += u->blocks[b];
        ++n;
      }
    const double rtp = double(paid) / (double(n) * kBlockGames * kStake);
    curve.push_back(Round(rtp, 4));
    const int64_t lastGame = int64_t(b + 1) * kBlockGames;
    if (pass50.is_null() && rtp >= 0.5) pass50 = lastGame;
    if (pass100.is_null() && rtp >= 1.0) pass100 = lastGame;
  }
  Json j;
  j["block_games"] = kBlockGames;
  j["rtp"] = curve;
  j["passes_50_percent_by_game"] = pass50;
  j["passes_100_percent_by_game"] = pass100;
  return j;
}

Json CashpotJson(const RowResult& row, const RowSums& s) {
  Json j;
  j["games"] = s.cashpotGames;
  j["odds_1_in"] = s.cashpotGames ? Json(Round(double(s.games) / s.cashpotGames, 1)) : nullptr;
  j["odds_ci95"] = OddsInterval(row, [](const UnitResult& u) { return u.cashpotGames; });
  j["rtp"] = Share(s.cashpots, s.staked, 5);
  std::vector<double> values;
  for (const auto& [v, n] : s.cashpotValues) values.insert(values.end(), n, double(v));
  j["mean"] = s.cashpotGames ? Json(Round(double(s.cashpots) / s.cashpotGames, 1)) : nullptr;
  const std::pair<const char*, double> kPercentiles[] = {
      {"p10", 10}, {"p50", 50}, {"p90", 90}, {"max", 100}};
  for (const auto& [key, p] : kPercentiles)
    j[key] = values.empty() ? Json(nullptr) : Json(Percentile(values, p));
  return j;
}

Json RowJson(const ParPlan& plan, const RowResult& row) {
  const RowSums s = Sum(row);
  const double n = s.games ? double(s.games) : 1;
  const double rtp = s.staked ? double(s.prizes + s.cashpots) / s.staked : 0;
  std::vector<double> repRtp;
  Json reps = Json::array();
  for (const UnitResult* u : row.reps) {
    repRtp.push_back(u->staked ? double(u->paidPrizes + u->paidCashpots) / u->staked : 0);
    Json r;
    r["replication"] = reps.size();
    r["seed"] = UnitSeed(plan.seed, row.spec->text, row.collectKey, static_cast<int>(reps.size()));
    r["games"] = u->games;
    r["staked"] = u->staked;
    r["paid_prizes"] = u->paidPrizes;
    r["paid_cashpots"] = u->paidCashpots;
    r["hits"] = u->hits;
    r["any_award"] = u->anyAward;
    r["jackpots"] = u->jackpots;
    r["cashpot_games"] = u->cashpotGames;
    r["settled"] = u->settled;
    reps.push_back(r);
  }
  const Interval ci = MeanCi95(repRtp);
  const double meanSquare = s.returnSquares / (double(kStake) * kStake) / n;
  Json j;
  j["name"] = row.spec->text;
  j["player"] = row.spec->player.name;
  if (row.spec->after)
    j["after"] = {{"player", row.spec->other.name}, {"games", row.spec->otherGames}};
  else
    j["after"] = nullptr;
  j["collect"] = row.collect;
  j["games"] = s.games;
  j["staked"] = s.staked;
  j["paid_prizes"] = s.prizes;
  j["paid_cashpots"] = s.cashpots;
  j["rtp"] = Round(rtp, 5);
  j["rtp_ci95"] = {Round(ci.low, 5), Round(ci.high, 5)};
  j["sd_per_game"] = Round(std::sqrt(std::max(0.0, meanSquare - rtp * rtp)), 3);
  j["hit_frequency"] = Share(s.hits, s.games, 5);
  j["any_award_frequency"] = Share(s.anyAward, s.games, 5);
  j["jackpot_frequency"] = Share(s.jackpots, s.games, 6);
  j["cashpot_frequency"] = Share(s.cashpotGames, s.games, 6);
  Json ranges = Json::array();
  for (int64_t w : kWindowGames) ranges.push_back(PaybackRange(row, w, rtp));
  j["payback_ranges"] = ranges;
  Json prizes = Json::array();
  for (const auto& [amount, count] : s.prizeCounts) {
    const int a = amount;
    Json p;
    p["amount"] = amount;
    p["games"] = count;
    p["odds_1_in"] = Round(n / count, 1);
    p["odds_ci95"] = OddsInterval(row, [a](const UnitResult& u) {
      auto it = u.prizes.find(a);
      return it == u.prizes.end() ? int64_t(0) : it->second;
    });
    p["rtp"] = Share(int64_t(amount) * count, s.staked, 5);
    prizes.push_back(p);
  }
  j["prizes"] = prizes;
  j["cashpot"] = CashpotJson(row, s);
  Json control = Json::array();
  for (int i = 0; i < 7; ++i)
    control.push_back({{"level", i + 1},
                       {"share", Share(s.controlGames[i], s.games, 4)},
                       {"rtp", Share(s.controlPaid[i], s.controlGames[i] * kStake, 4)}});
  j["control_levels"] = control;
  Json levels = Json::array();
  for (int i = 0; i < 7; ++i) levels.push_back(Share(s.levels[i], s.games, 4));
  j["level_share"] = levels;
  std::array<double, 3> settled{};
  for (const UnitResult* u : row.reps)
    for (int k = 0; k < 3; ++k) settled[k] += double(u->settled[k]) / row.reps.size();
  j["settled"] = {{"main_balance", Round(settled[0], 1)},
                  {"cashpot_balance", Round(settled[1], 1)},
                  {"cashpot", Round(settled[2], 1)}};
  j["mean_turns"] = Round(s.turns / n, 2);
  j["mean_questions"] = Round(s.questions / n, 2);
  j["mean_minutes"] = Round(s.ms / n / 60000.0, 3);
  j["gave_up"] = s.gaveUp;
  j["learning_curve"] = row.spec->player.memorises ? LearningCurve(row) : Json(nullptr);
  j["money_checked"] = s.moneyChecked;
  j["replications"] = reps;
  return j;
}

// The skills of the uniform rows that bracket an RTP of 100 %: the highest measured below
// it and the lowest measured at or above it.
Json BreakEven(const Json& rows) {
  Json below = nullptr, above = nullptr;
  for (const Json& r : rows) {
    double skill = 0;
    if (!r["after"].is_null() || !ParseUniformName(r["player"].get<std::string>(), skill)) continue;
    const double rtp = r["rtp"].get<double>();
    if (rtp < 1 && (below.is_null() || skill > below.get<double>())) below = skill;
    if (rtp >= 1 && (above.is_null() || skill < above.get<double>())) above = skill;
  }
  if (below.is_null() && above.is_null()) return nullptr;
  return {{"highest_skill_below_100_percent", below}, {"lowest_skill_at_100_percent", above}};
}

}  // namespace

Json SheetJson(const ParPlan& plan, const std::vector<RowResult>& rows, const ParTiming& timing) {
  // Every game played, burn-in and scenario included, for the timing.
  int64_t games = 0;
  Json rowsJson = Json::array();
  for (const RowResult& r : rows) {
    rowsJson.push_back(RowJson(plan, r));
    const int uncounted = plan.burnIn + (r.spec->after ? r.spec->otherGames : 0);
    for (const UnitResult* u : r.reps) games += u->games + uncounted;
  }
  const UnitResult& first = *rows.front().reps.front();
  Json j;
  j["method"] = "independent replications, each after a burn-in";
  j["seed"] = plan.seed;
  j["games_per_row"] = plan.games;
  j["replications"] = plan.replications;
  j["clock_step_ms"] = plan.clockStepMs;
  j["burn_in"] = {{"games", plan.burnIn},
                  {"how",
                   "each replication first plays this many games with the row's own player on its "
                   "cabinet and does not count them; a memorising player then forgets them"}};
  j["start"] = {{"record", plan.record.empty() ? Json(nullptr) : Json(plan.record)},
                {"main_balance", first.start[0]},
                {"cashpot_balance", first.start[1]},
                {"cashpot", first.start[2]}};
  j["design"] = {
      {"main_balance_share_of_stake", 0.2},
      {"cashpot_fund_share_of_stake", 0.1},
      {"cashpot_reset_pence", 100},
      {"cashpot_reset_funded", false},
      {"controller_memory", "unbounded: the main balance keeps every game's stake share and win"}};
  j["definitions"] = {
      {"rtp", "prizes and cashpots paid over stakes"},
      {"rtp_ci95", "Student's t over the replications' own returns"},
      {"sd_per_game", "standard deviation of one game's prize and cashpot over its stake"},
      {"hit_frequency", "games that end with a prize"},
      {"any_award_frequency", "games that pay a prize or a cashpot or both"},
      {"payback_ranges",
       "percentiles of the return over windows of consecutive counted games "
       "of one replication; null with fewer than 20 windows, where scaled extrapolates the "
       "longest measured window's 5..95 % spread by the square root of the lengths"},
      {"control_levels",
       "the control table's level 1..7 as meters count levels (higher plays "
       "more generously): share of games and their return"}};
  j["players"] = plan.tableLines;
  j["break_even_uniform_skill"] = BreakEven(rowsJson);
  j["jobs"] = timing.shown ? Json(timing.jobs) : Json(nullptr);
  auto rate = [&](double seconds) {
    return timing.shown && seconds > 0 ? Json(Round(games / seconds, 1)) : Json(nullptr);
  };
  j["games_per_second_per_core"] = rate(timing.cpuSeconds);
  // Parts may have run at once (a cluster's do): their wall times say nothing of the sheet's.
  j["games_per_second"] = timing.parts == 1 ? rate(timing.wallSeconds) : Json(nullptr);
  j["games_per_worker_second"] = rate(timing.workerSeconds);
  j["rows"] = rowsJson;
  return j;
}

namespace {

std::string Fixed(double v, int places) {
  char b[64];
  std::snprintf(b, sizeof b, "%.*f", places, v);
  return b;
}

std::string Pct(const Json& v, int places = 2) {
  return v.is_null() ? "-" : Fixed(100 * v.get<double>(), places) + " %";
}

std::string Num(const Json& v, int places = 0) {
  return v.is_null() ? "-" : Fixed(v.get<double>(), places);
}

// Measured percentiles, or the scaled 5 .. 95 % range in brackets, or a dash.
std::string RangeText(const Json& w) {
  if (!w["p5"].is_null())
    return Pct(w["p5"], 1) + " / " + Pct(w["p50"], 1) + " / " + Pct(w["p95"], 1);
  if (!w["scaled"].is_null())
    return "(" + Pct(w["scaled"]["p5"], 1) + " .. " + Pct(w["scaled"]["p95"], 1) + " scaled from " +
           std::to_string(w["scaled"]["from_games"].get<int64_t>()) + ")";
  return "- (" + std::to_string(w["windows"].get<int>()) + " windows)";
}

std::string RowTitle(const Json& r) {
  std::string t = r["player"].get<std::string>();
  if (!r["after"].is_null())
    t += " after " + std::to_string(r["after"]["games"].get<int>()) + " games of " +
         r["after"]["player"].get<std::string>();
  return t;
}

void PlayersMarkdown(std::ostream& md, const ParPlan& plan) {
  if (plan.tableLines.empty()) return;
  md << "\nThe players (from content/players.txt; accuracy is the chance of a right answer "
        "without a token in each question class):\n\n"
     << "| player | intro | easy | middling | hard | answer ms | pick ms | reveal | hexagons | "
        "recall | collect | memory |\n|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (const std::string& line : plan.tableLines) {
    std::istringstream words(line);
    std::string w;
    md << "|";
    while (words >> w) md << " " << w << " |";
    md << "\n";
  }
}

}  // namespace

std::string SheetMarkdown(const ParPlan& plan, const Json& sheet, const ParTiming& timing) {
  std::ostringstream md;
  const Json& start = sheet["start"];
  md << "# Payout sheet\n\n"
     << "Every row: " << plan.games << " counted games played by the bots of `strikora-sim "
     << "play` on the real program, in " << plan.replications
     << " independent replications, each with its own money server and "
     << (plan.record.empty() ? "a fresh statistics record" : "a copy of the record " + plan.record)
     << " (main balance " << start["main_balance"].get<int64_t>() << ", cashpot balance "
     << start["cashpot_balance"].get<int64_t>() << ", cashpot " << start["cashpot"].get<int64_t>()
     << "p); seed " << plan.seed << ". Burn-in: each "
     << "replication first plays " << plan.burnIn
     << " games with the row's own player and does not count them, so that the counted games "
        "start from the state the cabinet settles in with that player (the mean state it "
        "reached is in the table of settled states); a memorising player forgets what it "
        "learnt in them. Money in pence, stake 50p. The 95 % interval of the return to player "
        "is Student's t over the replications' own returns; par.json keeps every "
        "replication's raw totals.\n\n"
     << "The design the sheet measures: every stake puts 20 % of itself against the main "
        "balance and 10 % against the cashpot fund (while that fund is at -1000 or above); "
        "prizes come back to the main balance and cashpots to the fund. The balance level "
        "(meters' levels 1..7, higher plays more generously) decides the control table of "
        "each game. The cashpot starts again at 100p after every cashpot paid, and nothing "
        "funds that 100p. The controller's memory is unbounded: the main balance keeps every "
        "game since the record began, so a strong player's winnings leave the cabinet mean "
        "to the next players until their stakes have paid it back (see the scenario rows).\n";
  PlayersMarkdown(md, plan);
  md << "\nA hit is a game that ends with a prize; any award counts the games that pay a "
        "prize, a cashpot or both. SD is the standard deviation of one game's return over "
        "its stake.\n\n"
     << "| player | collect | games | staked | prizes | cashpots | RTP | RTP 95 % | SD a game "
        "| hit freq | any award | jackpot freq | cashpot freq | turns | questions | minutes | "
        "money checked |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (const Json& r : sheet["rows"])
    md << "| " << RowTitle(r) << " | " << r["collect"].get<std::string>() << " | "
       << r["games"].get<int64_t>() << " | " << r["staked"].get<int64_t>() << " | "
       << r["paid_prizes"].get<int64_t>() << " | " << r["paid_cashpots"].get<int64_t>() << " | "
       << Pct(r["rtp"]) << " | " << Fixed(100 * r["rtp_ci95"][0].get<double>(), 2) << " .. "
       << Pct(r["rtp_ci95"][1]) << " | " << Num(r["sd_per_game"], 2) << " | "
       << Pct(r["hit_frequency"]) << " | " << Pct(r["any_award_frequency"]) << " | "
       << Pct(r["jackpot_frequency"], 3) << " | " << Pct(r["cashpot_frequency"], 3) << " | "
       << Num(r["mean_turns"], 1) << " | " << Num(r["mean_questions"], 1) << " | "
       << Num(r["mean_minutes"], 2) << " | " << (r["money_checked"].get<bool>() ? "yes" : "NO")
       << " |\n";
  const Json& be = sheet["break_even_uniform_skill"];
  if (!be.is_null())
    md << "\nBreak-even uniform skill (RTP 100 %): above "
       << Num(be["highest_skill_below_100_percent"], 2) << " and at most "
       << Num(be["lowest_skill_at_100_percent"], 2)
       << " (measured skills only; nothing between them is measured).\n";
  md << "\nPayback over N consecutive games: the 5th, 50th and 95th percentiles over windows of "
        "N counted games of one replication. Where fewer than 20 windows fit, the range in "
        "brackets is the 5 .. 95 % spread of the longest measured windows scaled by the square "
        "root of the lengths about the row's return: an extrapolation, not a measurement.\n\n"
     << "| player | collect | 1,000 games | 10,000 games | 100,000 games | 1,000,000 games |\n"
     << "|---|---|---|---|---|---|\n";
  for (const Json& r : sheet["rows"]) {
    md << "| " << RowTitle(r) << " | " << r["collect"].get<std::string>() << " |";
    for (const Json& w : r["payback_ranges"]) md << " " << RangeText(w) << " |";
    md << "\n";
  }
  md << "\nPrizes: odds 1 in N (95 % interval from the replications) and the return each "
        "gives, as a share of the stakes; the cashpot with its value's distribution:\n\n"
     << "| player | collect | prize | games | odds 1 in | 95 % | return |\n"
     << "|---|---|---|---|---|---|---|\n";
  for (const Json& r : sheet["rows"]) {
    const std::string head = "| " + RowTitle(r) + " | " + r["collect"].get<std::string>() + " | ";
    for (const Json& p : r["prizes"])
      md << head << p["amount"].get<int>() << "p | " << p["games"].get<int64_t>() << " | "
         << Num(p["odds_1_in"], 1) << " | " << Num(p["odds_ci95"][0], 1) << " .. "
         << Num(p["odds_ci95"][1], 1) << " | " << Pct(p["rtp"]) << " |\n";
    const Json& c = r["cashpot"];
    md << head << "cashpot (mean " << Num(c["mean"]) << "p; 10/50/90 % " << Num(c["p10"]) << " / "
       << Num(c["p50"]) << " / " << Num(c["p90"]) << "p; largest " << Num(c["max"]) << "p) | "
       << c["games"].get<int64_t>() << " | " << Num(c["odds_1_in"], 1) << " | "
       << Num(c["odds_ci95"][0], 1) << " .. " << Num(c["odds_ci95"][1], 1) << " | " << Pct(c["rtp"])
       << " |\n";
  }
  md << "\nReturn by control level (the control table's level, 1..7 as `meters` counts "
        "levels; higher plays more generously): share of games, return\n\n"
     << "| player | collect | 1 | 2 | 3 | 4 | 5 | 6 | 7 |\n|---|---|---|---|---|---|---|---|---|\n";
  for (const Json& r : sheet["rows"]) {
    md << "| " << RowTitle(r) << " | " << r["collect"].get<std::string>() << " |";
    for (const Json& l : r["control_levels"])
      md << " " << Pct(l["share"], 1) << ", " << Pct(l["rtp"], 1) << " |";
    md << "\n";
  }
  md << "\nSettled state (the mean over the replications when the counted games began):\n\n"
     << "| player | collect | main balance | cashpot balance | cashpot |\n|---|---|---|---|---|\n";
  for (const Json& r : sheet["rows"])
    md << "| " << RowTitle(r) << " | " << r["collect"].get<std::string>() << " | "
       << Num(r["settled"]["main_balance"]) << " | " << Num(r["settled"]["cashpot_balance"])
       << " | " << Num(r["settled"]["cashpot"]) << "p |\n";
  for (const Json& r : sheet["rows"]) {
    const Json& lc = r["learning_curve"];
    if (lc.is_null()) continue;
    md << "\nLearning curve of " << RowTitle(r) << " (" << r["collect"].get<std::string>()
       << "): the return of each 100 counted games, over the replications; it passes 50 % by "
       << "game " << Num(lc["passes_50_percent_by_game"]) << " and 100 % by game "
       << Num(lc["passes_100_percent_by_game"]) << " (- not within the games played).\n\n"
       << "| games | RTP |\n|---|---|\n";
    int64_t game = 0;
    for (const Json& v : lc["rtp"]) {
      game += kBlockGames;
      if (game <= 2000 || game % 1000 == 0)
        md << "| " << game - kBlockGames + 1 << ".." << game << " | " << Pct(v, 1) << " |\n";
    }
  }
  md << "\nThe money checked column says whether, in every worker, the stakes and the bank and "
        "credit payouts its server journalled (burn-in included) equal what the games counted. "
        "The virtual clock moved "
     << plan.clockStepMs << " ms at every reading in a game"
     << (plan.clockStepMs == 1
             ? ", as on the cabinet's own clock, so the minutes are a game's length"
             : "; the games are the same as at 1 ms, but their minutes are longer")
     << ".";
  if (timing.shown) {
    if (timing.parts == 1)
      md << " Made by " << timing.jobs << " workers in " << Fixed(timing.wallSeconds / 60, 1)
         << " minutes, ";
    else
      md << " Made in " << timing.parts << " parts of up to " << timing.jobs
         << " workers each, whose own run times add up to " << Fixed(timing.wallSeconds / 60, 1)
         << " minutes (parts that ran at the same time each count theirs), ";
    md << Num(sheet["games_per_second_per_core"], 1)
       << " games a second (burn-in included) for each core's time (the workers' and their "
          "servers').";
  }
  md << "\n\n![Return to player by player](rtp-by-skill.png)\n\n"
     << "![The main balance over the games](balance.png)\n\n"
     << "![The return of each prize](prizes.png)\n";
  bool learning = false;
  for (const Json& r : sheet["rows"]) learning = learning || !r["learning_curve"].is_null();
  if (learning) md << "\n![The memorising player's learning curve](learning.png)\n";
  return md.str();
}

namespace {

std::vector<PlotRow> PlotRows(const Json& sheet, const std::vector<RowResult>& rows) {
  std::vector<PlotRow> plots;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Json& r = sheet["rows"][i];
    PlotRow& p = plots.emplace_back();
    p.label = RowTitle(r) + ", " + r["collect"].get<std::string>();
    p.uniform = r["after"].is_null() && ParseUniformName(r["player"].get<std::string>(), p.skill);
    p.rtp = r["rtp"].get<double>();
    p.rtpLow = r["rtp_ci95"][0].get<double>();
    p.rtpHigh = r["rtp_ci95"][1].get<double>();
    for (int64_t b : rows[i].reps.front()->balance) p.balance.push_back(static_cast<int>(b));
    for (const Json& prize : r["prizes"])
      p.prizeReturns[prize["amount"].get<int>()] = prize["rtp"].get<double>();
    p.cashpotReturn = r["cashpot"]["rtp"].is_null() ? 0 : r["cashpot"]["rtp"].get<double>();
    p.memorises = !r["learning_curve"].is_null();
    if (p.memorises)
      for (const Json& v : r["learning_curve"]["rtp"]) p.learning.push_back(v.get<double>());
  }
  return plots;
}

// Written whole or not at all: a temporary file, flushed, then renamed.
bool WriteFileAtomically(const fs::path& path, const std::string& text, std::string& error) {
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      error = "cannot write " + tmp.string();
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    error = "cannot rename " + tmp.string() + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace

bool WriteSheet(const ParPlan& plan, const std::vector<UnitResult>& units, const ParTiming& timing,
                const std::string& dir, bool& moneyOk, std::string& error) {
  const std::vector<Unit> planned = PlanUnits(plan);
  if (units.size() != planned.size()) {
    error = "the sheet needs " + std::to_string(planned.size()) + " units, not " +
            std::to_string(units.size());
    return false;
  }
  std::vector<RowResult> rows;
  for (const Unit& u : planned) {
    if (u.rep == 0) {
      RowResult& r = rows.emplace_back();
      r.spec = &plan.rows[u.row];
      r.collectKey = plan.collects[u.collect];
      r.collect = CollectName(StrategyOf(plan.rows[u.row], r.collectKey));
    }
    rows.back().reps.push_back(&units[u.index]);
  }
  moneyOk = true;
  for (const UnitResult& u : units) moneyOk = moneyOk && u.moneyChecked;
  const Json sheet = SheetJson(plan, rows, timing);
  std::error_code ec;
  fs::create_directories(dir, ec);
  // The lower bounds of balance levels 1 to 6; level 7 has none.
  std::vector<int> thresholds(PayoutLevelRows, PayoutLevelRows + 6);
  return WriteFileAtomically(fs::path(dir) / "par.json", sheet.dump(2) + "\n", error) &&
         WriteFileAtomically(fs::path(dir) / "par.md", SheetMarkdown(plan, sheet, timing), error) &&
         WriteParPictures(PlotRows(sheet, rows), thresholds, dir, error);
}

}  // namespace sim
