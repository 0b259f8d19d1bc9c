// The payout sheet's plan and its units of work: the rows (a player, perhaps after another
// player's games, and a collect strategy), the replications of each, every unit's seed, and
// the raw result a unit leaves, written and read back as JSON so that parts run anywhere can
// be merged into one sheet.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "players.h"

namespace sim {

using Json = nlohmann::ordered_json;

// A row's player: NAME, or NAME@OTHER:GAMES for NAME's games counted after OTHER has played
// GAMES games on the settled cabinet.
struct RowSpec {
  std::string text;  // as given, canonical: it seeds the row's units
  Player player;
  bool after = false;
  Player other;
  int otherGames = 0;
};
bool ParseRowSpec(const std::string& text, const std::vector<Player>& table, RowSpec& out,
                  std::string& error);

struct ParPlan {
  uint32_t seed = 1;
  int games = 100000;  // counted games per row
  int replications = 10;
  int burnIn = 0;  // games each replication plays first and does not count
  uint32_t clockStepMs = 1;
  std::string record;                   // the record's file name; empty for a fresh one
  std::vector<RowSpec> rows;            // players in order
  std::vector<std::string> collects;    // "own" (the player's own), first, best or never
  std::vector<std::string> tableLines;  // the player table's lines of the players used
};

struct Unit {
  int index = 0;
  int row = 0, collect = 0, rep = 0;
  int games = 0;  // counted
  uint32_t seed = 0;
};

// The units in their order: rows, then collect strategies, then replications.
std::vector<Unit> PlanUnits(const ParPlan& plan);
// A unit's seed from the sheet's seed, the row, the strategy and the replication alone.
uint32_t UnitSeed(uint32_t seed, const std::string& row, const std::string& collect, int rep);
// The collect strategy a row's player follows under a strategy name ("own" or a strategy).
CollectStrategy StrategyOf(const RowSpec& row, const std::string& collect);

Json PlanJson(const ParPlan& plan);
// Reads a plan back (from a part), the players from its table lines.
bool PlanFromJson(const Json& j, ParPlan& plan, std::string& error);

// What one unit of work found: its counted games' totals and distributions.
struct UnitResult {
  int unit = 0;
  int64_t games = 0, staked = 0, paidPrizes = 0, paidCashpots = 0;
  int64_t hits = 0, anyAward = 0, jackpots = 0, cashpotGames = 0, gaveUp = 0;
  int64_t returnSquares = 0;  // sum over games of (prize + cashpot)^2, pence^2
  int64_t turns = 0, questions = 0, ms = 0;
  std::array<int64_t, 7> levels{};        // games by balance level 1..7 (meters 1..7)
  std::array<int64_t, 7> controlGames{};  // games by control level 1..7
  std::array<int64_t, 7> controlPaid{};   // their prizes and cashpots
  std::map<int, int64_t> prizes;          // games won at each amount
  std::map<int, int64_t> cashpotValues;   // cashpots paid at each value
  std::vector<int64_t> blocks;            // prizes and cashpots of each whole 100 games
  std::array<int64_t, 3> start{};         // main balance, cashpot balance, cashpot at start
  std::array<int64_t, 3> settled{};       // the same at the first counted game
  bool moneyChecked = false;
  std::vector<int64_t> balance;  // the main balance after each counted game (replication 0)
  double seconds = 0;            // the worker's wall time
};

inline constexpr int kBlockGames = 100;

Json UnitJson(const UnitResult& u);
// Reads a unit's result back, bounded: every field present with its type and in range.
bool UnitFromJson(const Json& j, UnitResult& u, std::string& error);

}  // namespace sim
