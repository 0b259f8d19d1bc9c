// The payout sheet: many games per player and collect strategy, played by the bots of
// `play` on the real program, in worker processes that each run their own money server.
// A run can do every unit and write the sheet, or do some units and write them as a part;
// parts from anywhere merge into the same sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "par_plan.h"
#include "par_sheet.h"
#include "sim_play.h"

namespace sim {

struct ParOptions {
  std::string gameDir;
  std::string moneyd;                        // the money server program
  int games = 100000;                        // counted games per row
  std::vector<std::string> rows;             // players: NAME or NAME@OTHER:GAMES
  std::vector<std::string> collects{"own"};  // "own" or a collect strategy
  std::string playerTable;                   // the table of named players
  int jobs = 2;
  int replications = 10;  // independent replications per row
  int burnIn = -1;        // games played first and not counted; -1: kDefaultBurnIn, 0 with a record
  uint32_t seed = 1;
  std::string record;  // a statistics record every worker starts from; fresh when empty
  std::string outDir = "par";
  bool timing = true;                 // timing in the sheet (off for byte-identical runs)
  uint32_t clockStepMs = 1;           // the virtual clock's step in a game (see PlayOptions)
  int firstUnit = -1, lastUnit = -1;  // --units A..B: only these, written as a part
  bool quiet = false;                 // no progress on standard error
};

inline constexpr int kDefaultBurnIn = 1000;

// The rows of the default sheet: the table's players, a scenario after a strong player, and
// the uniform skills of earlier sheets.
std::vector<std::string> DefaultParRows();

// Whether the money a server journalled is what the games counted.
bool MoneyAgrees(const PlayTotals& t, int games);

// "A..B" with 0 <= A <= B.
bool ParseUnitRange(const std::string& text, int& first, int& last);

// The plan of a run: its rows' players from the table, and the table lines they use.
bool MakePlan(const ParOptions& options, ParPlan& plan, std::string& error);

// Plays the sheet (or its part) into options.outDir. 0 done; 1 failed; 2 when a server's
// money differs from the games'.
int RunPar(const ParOptions& options, std::string& error);

// Makes the sheet in outDir from the parts (part-*.json) in the given folders or files.
// 0 done; 1 cannot write it; 2 money differs; 65 a part that is not one or does not fit
// the others, or units missing or twice; 66 a part that cannot be read.
int MergePar(const std::vector<std::string>& inputs, const std::string& outDir, bool timing,
             std::string& error);

// The largest part file merge reads.
inline constexpr uintmax_t kMaxPartBytes = uintmax_t(1) << 30;

}  // namespace sim
