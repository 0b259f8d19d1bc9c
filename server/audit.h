// Checking that the journal adds up: replaying every entry through the money rules, from
// zero, must give each entry's change and totals and, at the end, the recorded totals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/money_rules.h"

namespace money {

// One journal entry as stored.
struct JournalRow {
  int64_t seq = 0;
  std::string time;    // UTC, "YYYY-MM-DD HH:MM:SS.SSS"
  std::string kind;    // KindName()
  int64_t client = 0;  // 0 when no client is involved
  int64_t amount = 0;
  Delta change;
  Totals after;
  std::string detail;
};

inline constexpr size_t kAuditProblemsKept = 20;

// The audit so far; fed one row at a time so that a long journal is never held in memory.
struct Audit {
  int64_t entries = 0;
  Totals sum;         // the changes of every entry added up
  Delta after_drift;  // the difference between the entries' own totals and `sum`
  int64_t problem_count = 0;
  std::vector<std::string> problems;  // the first kAuditProblemsKept of them
};

void AuditRow(Audit& audit, const JournalRow& row);
// Compares the journal's sum with the totals that the ledger holds.
void FinishAudit(Audit& audit, const Totals& recorded);

}  // namespace money
