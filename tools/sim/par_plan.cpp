#include "par_plan.h"

#include <cstdlib>

namespace sim {

bool ParseRowSpec(const std::string& text, const std::vector<Player>& table, RowSpec& out,
                  std::string& error) {
  out = RowSpec();
  out.text = text;
  const size_t at = text.find('@');
  const std::string name = text.substr(0, at);
  if (!FindPlayer(table, name, out.player)) {
    error = "no player \"" + name + "\" in the table (nor skill-P)";
    return false;
  }
  if (at == std::string::npos) return true;
  const std::string rest = text.substr(at + 1);
  const size_t colon = rest.rfind(':');
  char* end = nullptr;
  const long games =
      colon == std::string::npos ? 0 : std::strtol(rest.c_str() + colon + 1, &end, 10);
  if (colon == std::string::npos || *end != '\0' || games < 1 || games > 1000000) {
    error = "\"" + text + "\" is not NAME@OTHER:GAMES (GAMES 1..1000000)";
    return false;
  }
  if (!FindPlayer(table, rest.substr(0, colon), out.other)) {
    error = "no player \"" + rest.substr(0, colon) + "\" in the table (nor skill-P)";
    return false;
  }
  out.after = true;
  out.otherGames = static_cast<int>(games);
  return true;
}

namespace {

uint64_t Fnv(const std::string& s, uint64_t h) {
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

uint64_t SplitMix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

}  // namespace

uint32_t UnitSeed(uint32_t seed, const std::string& row, const std::string& collect, int rep) {
  uint64_t h = SplitMix(seed);
  h = SplitMix(h ^ Fnv(row, 14695981039346656037ull));
  h = SplitMix(h ^ Fnv(collect, 14695981039346656037ull));
  h = SplitMix(h ^ static_cast<uint64_t>(rep));
  return static_cast<uint32_t>(h >> 32);
}

CollectStrategy StrategyOf(const RowSpec& row, const std::string& collect) {
  CollectStrategy c = row.player.collect;
  ParseCollect(collect, c);  // "own" leaves the player's own
  return c;
}

std::vector<Unit> PlanUnits(const ParPlan& plan) {
  std::vector<Unit> units;
  for (size_t row = 0; row < plan.rows.size(); ++row)
    for (size_t c = 0; c < plan.collects.size(); ++c)
      for (int rep = 0; rep < plan.replications; ++rep) {
        Unit u;
        u.index = static_cast<int>(units.size());
        u.row = static_cast<int>(row);
        u.collect = static_cast<int>(c);
        u.rep = rep;
        u.games = plan.games / plan.replications + (rep < plan.games % plan.replications ? 1 : 0);
        u.seed = UnitSeed(plan.seed, plan.rows[row].text, plan.collects[c], rep);
        units.push_back(u);
      }
  return units;
}

Json PlanJson(const ParPlan& plan) {
  Json j;
  j["seed"] = plan.seed;
  j["games"] = plan.games;
  j["replications"] = plan.replications;
  j["burn_in"] = plan.burnIn;
  j["clock_step_ms"] = plan.clockStepMs;
  j["record"] = plan.record.empty() ? Json(nullptr) : Json(plan.record);
  j["rows"] = Json::array();
  for (const RowSpec& r : plan.rows) j["rows"].push_back(r.text);
  j["collects"] = plan.collects;
  j["player_table"] = plan.tableLines;
  return j;
}

namespace {

bool WholeIn(const Json& j, const char* key, int64_t low, int64_t high, int64_t& out,
             std::string& error) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_number_integer()) {
    error = std::string("\"") + key + "\" is missing or not a whole number";
    return false;
  }
  out = it->get<int64_t>();
  if (out < low || out > high) {
    error = std::string("\"") + key + "\" is " + std::to_string(out) + ", outside " +
            std::to_string(low) + ".." + std::to_string(high);
    return false;
  }
  return true;
}

bool StringList(const Json& j, const char* key, size_t most, std::vector<std::string>& out,
                std::string& error) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_array() || it->size() > most) {
    error = std::string("\"") + key + "\" is not a list of at most " + std::to_string(most);
    return false;
  }
  out.clear();
  for (const Json& s : *it) {
    if (!s.is_string() || s.get<std::string>().size() > 200) {
      error = std::string("\"") + key + "\" holds something other than a short text";
      return false;
    }
    out.push_back(s.get<std::string>());
  }
  return true;
}

}  // namespace

bool PlanFromJson(const Json& j, ParPlan& plan, std::string& error) {
  if (!j.is_object()) {
    error = "the plan is not an object";
    return false;
  }
  int64_t seed, games, reps, burnIn, step;
  if (!WholeIn(j, "seed", 0, 0xFFFFFFFFll, seed, error) ||
      !WholeIn(j, "games", 1, 100000000, games, error) ||
      !WholeIn(j, "replications", 2, 100000000, reps, error) ||
      !WholeIn(j, "burn_in", 0, 100000000, burnIn, error) ||
      !WholeIn(j, "clock_step_ms", 1, 100, step, error))
    return false;
  plan = ParPlan();
  plan.seed = static_cast<uint32_t>(seed);
  plan.games = static_cast<int>(games);
  plan.replications = static_cast<int>(reps);
  plan.burnIn = static_cast<int>(burnIn);
  plan.clockStepMs = static_cast<uint32_t>(step);
  auto record = j.find("record");
  if (record == j.end() || !(record->is_null() || record->is_string())) {
    error = "\"record\" is missing";
    return false;
  }
  if (record->is_string()) plan.record = record->get<std::string>();
  std::vector<std::string> rows;
  if (!StringList(j, "rows", 1000, rows, error) ||
      !StringList(j, "collects", 3, plan.collects, error) ||
      !StringList(j, "player_table", 1000, plan.tableLines, error))
    return false;
  std::string table;
  for (const std::string& line : plan.tableLines) table += line + "\n";
  std::vector<Player> players;
  if (!plan.tableLines.empty() && !ParsePlayerTable(table, players, error)) {
    error = "player_table: " + error;
    return false;
  }
  for (const std::string& r : rows) {
    RowSpec spec;
    if (!ParseRowSpec(r, players, spec, error)) return false;
    plan.rows.push_back(spec);
  }
  for (const std::string& c : plan.collects) {
    CollectStrategy ignored;
    if (c != "own" && !ParseCollect(c, ignored)) {
      error = "\"collects\" holds \"" + c + "\"";
      return false;
    }
  }
  if (plan.rows.empty() || plan.collects.empty()) {
    error = "the plan has no rows";
    return false;
  }
  return true;
}

Json UnitJson(const UnitResult& u) {
  Json j;
  j["unit"] = u.unit;
  j["games"] = u.games;
  j["staked"] = u.staked;
  j["paid_prizes"] = u.paidPrizes;
  j["paid_cashpots"] = u.paidCashpots;
  j["hits"] = u.hits;
  j["any_award"] = u.anyAward;
  j["jackpots"] = u.jackpots;
  j["cashpot_games"] = u.cashpotGames;
  j["gave_up"] = u.gaveUp;
  j["return_squares"] = u.returnSquares;
  j["turns"] = u.turns;
  j["questions"] = u.questions;
  j["ms"] = u.ms;
  j["levels"] = u.levels;
  j["control_games"] = u.controlGames;
  j["control_paid"] = u.controlPaid;
  Json prizes = Json::object(), values = Json::object();
  for (const auto& [amount, n] : u.prizes) prizes[std::to_string(amount)] = n;
  for (const auto& [value, n] : u.cashpotValues) values[std::to_string(value)] = n;
  j["prizes"] = prizes;
  j["cashpot_values"] = values;
  j["blocks"] = u.blocks;
  j["start"] = u.start;
  j["settled"] = u.settled;
  j["money_checked"] = u.moneyChecked;
  j["balance"] = u.balance;
  j["seconds"] = u.seconds;
  return j;
}

namespace {

constexpr int64_t kMostPence = int64_t(1) << 50;

template <size_t N>
bool Counts(const Json& j, const char* key, int64_t high, std::array<int64_t, N>& out,
            std::string& error, int64_t low = 0) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_array() || it->size() != N) {
    error = std::string("\"") + key + "\" is not a list of " + std::to_string(N);
    return false;
  }
  for (size_t i = 0; i < N; ++i) {
    const Json& v = (*it)[i];
    if (!v.is_number_integer() || v.get<int64_t>() < low || v.get<int64_t>() > high) {
      error = std::string("\"") + key + "\" holds a value outside " + std::to_string(low) + ".." +
              std::to_string(high);
      return false;
    }
    out[i] = v.get<int64_t>();
  }
  return true;
}

bool List(const Json& j, const char* key, size_t most, int64_t low, int64_t high,
          std::vector<int64_t>& out, std::string& error) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_array() || it->size() > most) {
    error = std::string("\"") + key + "\" is not a list of at most " + std::to_string(most);
    return false;
  }
  out.clear();
  for (const Json& v : *it) {
    if (!v.is_number_integer() || v.get<int64_t>() < low || v.get<int64_t>() > high) {
      error = std::string("\"") + key + "\" holds a value outside its range";
      return false;
    }
    out.push_back(v.get<int64_t>());
  }
  return true;
}

bool Histogram(const Json& j, const char* key, int64_t games, std::map<int, int64_t>& out,
               std::string& error) {
  auto it = j.find(key);
  if (it == j.end() || !it->is_object() || it->size() > 10000) {
    error = std::string("\"") + key + "\" is not an object of at most 10000 amounts";
    return false;
  }
  out.clear();
  for (auto e = it->begin(); e != it->end(); ++e) {
    char* end = nullptr;
    long amount = std::strtol(e.key().c_str(), &end, 10);
    if (e.key().empty() || *end != '\0' || amount < 1 || amount > 1000000 ||
        !e.value().is_number_integer() || e.value().get<int64_t>() < 1 ||
        e.value().get<int64_t>() > games) {
      error = std::string("\"") + key + "\" holds \"" + e.key() + "\"";
      return false;
    }
    out[static_cast<int>(amount)] = e.value().get<int64_t>();
  }
  return true;
}

}  // namespace

bool UnitFromJson(const Json& j, UnitResult& u, std::string& error) {
  if (!j.is_object()) {
    error = "a unit is not an object";
    return false;
  }
  u = UnitResult();
  int64_t unit;
  if (!WholeIn(j, "unit", 0, 100000000, unit, error)) return false;
  u.unit = static_cast<int>(unit);
  const int64_t g = 100000000;
  struct Field {
    const char* key;
    int64_t high;
    int64_t* out;
  };
  const Field fields[] = {
      {"games", g, &u.games},
      {"staked", kMostPence, &u.staked},
      {"paid_prizes", kMostPence, &u.paidPrizes},
      {"paid_cashpots", kMostPence, &u.paidCashpots},
      {"hits", g, &u.hits},
      {"any_award", g, &u.anyAward},
      {"jackpots", g, &u.jackpots},
      {"cashpot_games", g, &u.cashpotGames},
      {"gave_up", g, &u.gaveUp},
      {"return_squares", INT64_MAX, &u.returnSquares},
      {"turns", g * 1000, &u.turns},
      {"questions", g * 1000, &u.questions},
      {"ms", INT64_MAX, &u.ms},
  };
  for (const Field& f : fields)
    if (!WholeIn(j, f.key, 0, f.high, *f.out, error)) return false;
  if (u.hits > u.games || u.anyAward > u.games || u.cashpotGames > u.games ||
      u.staked != 50 * u.games) {
    error = "unit " + std::to_string(u.unit) + ": its counts do not fit its games";
    return false;
  }
  if (!Counts(j, "levels", u.games, u.levels, error) ||
      !Counts(j, "control_games", u.games, u.controlGames, error) ||
      !Counts(j, "control_paid", kMostPence, u.controlPaid, error) ||
      !Histogram(j, "prizes", u.games, u.prizes, error) ||
      !Histogram(j, "cashpot_values", u.games, u.cashpotValues, error) ||
      !List(j, "blocks", static_cast<size_t>(u.games / kBlockGames), 0, kMostPence, u.blocks,
            error) ||
      !Counts(j, "start", kMostPence, u.start, error, -kMostPence) ||
      !Counts(j, "settled", kMostPence, u.settled, error, -kMostPence) ||
      !List(j, "balance", static_cast<size_t>(u.games), -kMostPence, kMostPence, u.balance, error))
    return false;
  auto checked = j.find("money_checked");
  auto seconds = j.find("seconds");
  if (checked == j.end() || !checked->is_boolean() || seconds == j.end() || !seconds->is_number() ||
      !(seconds->get<double>() >= 0)) {
    error = "\"money_checked\" or \"seconds\" is missing";
    return false;
  }
  u.moneyChecked = checked->get<bool>();
  u.seconds = seconds->get<double>();
  return true;
}

}  // namespace sim
