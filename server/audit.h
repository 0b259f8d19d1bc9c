// Checking the journal: every entry carries a hash of its contents chained to the entry
// before it, so that an entry edited, inserted or removed by hand breaks the chain; and
// replaying every entry through the money rules, from zero, must give each entry's change
// and totals and, at the end, the recorded totals.
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
  std::string hash;  // ChainHash of the entry before it and this one; hex
};

// SHA-256 as 64 lower-case hex digits.
inline constexpr size_t kHashHexDigits = 64;
// What the first entry is chained to.
inline const std::string kChainStart(kHashHexDigits, '0');

// The hash of `row` (every field but its own hash) chained to `previous`, the hash of the
// entry before it.
std::string ChainHash(const std::string& previous, const JournalRow& row);

// A head of the chain noted earlier: the entry's number and hash.
struct ChainHead {
  int64_t seq = 0;
  std::string hash;
};

// Reads "SEQ:HASH" as `moneyctl head` prints it.
bool ParseChainHead(const std::string& text, ChainHead& head);

inline constexpr size_t kAuditProblemsKept = 20;

// The audit so far; fed one row at a time so that a long journal is never held in memory.
struct Audit {
  int64_t entries = 0;
  Totals sum;         // the changes of every entry added up
  Delta after_drift;  // the difference between the entries' own totals and `sum`
  int64_t problem_count = 0;
  std::vector<std::string> problems;  // the first kAuditProblemsKept of them
  int64_t first_tampered = 0;         // the first entry that breaks the chain, 0 for none

  // The chain so far.
  std::string previous_hash = kChainStart;  // as stored in the entry before
  std::string before_previous_hash;         // as stored in the one before that
  int64_t previous_seq = 0;
  bool previous_suspect = false;  // the entry before did not match its hash
  std::string previous_where;

  // The head to check against, when one was given.
  ChainHead head;
  bool head_found = false;
  std::string head_hash_found;
  bool head_matches = false;  // set by FinishAudit
};

void AuditRow(Audit& audit, const JournalRow& row);
// Compares the journal's sum with the totals that the ledger holds, and the noted head (if
// any) with the entry of that number.
void FinishAudit(Audit& audit, const Totals& recorded);

}  // namespace money
