// The payout sheet: many games per skill and collect strategy, played by the bots of
// `play` on the real program, in worker processes that each run their own money server.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim_play.h"

namespace sim {

struct ParOptions {
  std::string gameDir;
  std::string moneyd;  // the money server program
  int games = 100000;  // per skill and strategy
  std::vector<double> skills{0.5, 0.7, 0.9, 1.0};
  std::vector<CollectStrategy> collects{CollectStrategy::Best};
  int jobs = 2;
  int replications = 10;  // independent replications per row, each from the same record
  uint32_t seed = 1;
  std::string record;  // a statistics record every worker starts from; fresh when empty
  std::string outDir = "par";
  bool timing = true;        // games_per_second_per_core in par.json (off for byte-identical runs)
  uint32_t clockStepMs = 1;  // the virtual clock's step in a game (see PlayOptions)
};

// The 0.975 quantile of Student's t with df degrees of freedom (df >= 1).
double StudentT975(int df);

struct Interval {
  double mean = 0, low = 0, high = 0;
};
// The mean of independent values with its two-sided 95 % t interval.
Interval MeanCi95(const std::vector<double>& values);

// Whether the money a server journalled is what the games counted.
bool MoneyAgrees(const PlayTotals& t, int games);

// Plays the sheet and writes par.md and par.json into options.outDir; 0 when done.
// What a whole run found beside its rows: the record every worker started from (main
// balance, cashpot balance, cashpot), the games, and the time they took.
struct ParSummary {
  std::array<long, 3> start{};
  bool sameStart = true;
  int64_t totalGames = 0;
  double cpuSeconds = 0;      // the workers' and their servers' processor time
  double runWallSeconds = 0;  // the whole run
  double workerSeconds = 0;   // the workers' own wall times, added up
};
// par.json up to the opening of its rows.
std::string ParJsonHead(const ParOptions& options, const ParSummary& summary);

int RunPar(const ParOptions& options, std::string& error);

}  // namespace sim
