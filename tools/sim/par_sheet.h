// The payout sheet made from the raw results of its units: par.json, par.md and the
// pictures. A one-process run and a merge of parts both come here with the same units, so
// they write the same bytes.
#pragma once

#include <string>
#include <vector>

#include "par_plan.h"

namespace sim {

// The 0.975 quantile of Student's t with df degrees of freedom (df >= 1).
double StudentT975(int df);

struct Interval {
  double mean = 0, low = 0, high = 0;
};
// The mean of independent values with its two-sided 95 % t interval.
Interval MeanCi95(const std::vector<double>& values);

// The p-th percentile (0..100) of the values by the nearest rank; 0 when there are none.
double Percentile(std::vector<double> values, double p);

// What a run took, for the sheet's timing (left out with --no-timing).
struct ParTiming {
  bool shown = false;
  int jobs = 0;
  double cpuSeconds = 0;     // the workers' and their servers' processor time
  double wallSeconds = 0;    // the runs, one after another
  int parts = 1;             // merged parts: their wall times may overlap, so they only add up
  double workerSeconds = 0;  // the workers' own wall times, added up
};

// One row's units (every replication, in order) reduced to the sheet's figures.
struct RowResult {
  const RowSpec* spec = nullptr;
  std::string collectKey;  // as the plan names it ("own" or a strategy)
  std::string collect;     // the strategy followed
  std::vector<const UnitResult*> reps;
};

Json SheetJson(const ParPlan& plan, const std::vector<RowResult>& rows, const ParTiming& timing);
std::string SheetMarkdown(const ParPlan& plan, const Json& sheet, const ParTiming& timing);

// Writes par.json, par.md and the pictures into dir from every unit of the plan (each
// present once, in order); false with a reason. `moneyOk` is false when a worker's money
// did not agree with its games.
bool WriteSheet(const ParPlan& plan, const std::vector<UnitResult>& units, const ParTiming& timing,
                const std::string& dir, bool& moneyOk, std::string& error);

}  // namespace sim
