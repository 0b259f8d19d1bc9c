// Checking the journal: every entry carries a hash of its contents chained to the entry
// before it, so that an entry edited, inserted or removed by hand breaks the chain; and
// replaying every entry through the money rules, from zero, must give each entry's change
// and totals and, at the end, the recorded totals.
#pragma once

#include <array>
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

// SHA-256 of `text` as hex.
std::string Sha256Hex(const std::string& text);

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

// The kinds whose entries and pence the audit adds up (for moneyctl prometheus).
inline constexpr std::array<Kind, 8> kSummedKinds = {
    Kind::kUseCredits, Kind::kAddBank, Kind::kRefund,     Kind::kPayBank,
    Kind::kAddCredits, Kind::kInsert,  Kind::kPayCredits, Kind::kCashout};

struct KindSum {
  int64_t entries = 0;
  int64_t pence = 0;  // the amounts; for a cashout what was paid out
  bool operator==(const KindSum&) const = default;
};
using KindSums = std::array<KindSum, kSummedKinds.size()>;

// The audit so far; fed one row at a time so that a long journal is never held in memory.
struct Audit {
  int64_t entries = 0;
  int64_t replayed = 0;        // the entries replayed in this run (the rest from a checkpoint)
  int64_t checkpoint_seq = 0;  // the checkpoint's entry this run started after, 0 for none
  Totals sum;                  // the changes of every entry added up
  KindSums kind_sums;
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

  // The last entry as the totals record it, checked by FinishAudit when set: an entry removed
  // from the end, or added after it, shows.
  bool check_recorded_head = false;
  ChainHead recorded_head;

  // The checkpoint stored after this audit (its entry, 0 for none), or why none could be.
  int64_t checkpoint_stored = 0;
  std::string checkpoint_error;
};

// Adds a problem; `tampered` is the entry it shows was altered by hand, 0 for none.
void NoteProblem(Audit& audit, std::string text, int64_t tampered = 0);

// A checkpoint: the audit's state after entry `seq`, so that a later audit replays only the
// entries after it. Checkpoints are chained by hash like the journal.
struct Checkpoint {
  int64_t id = 0;
  std::string time;
  int64_t seq = 0;
  std::string seq_hash;  // entry seq's hash
  int64_t entries = 0;
  Totals sum;
  KindSums kind_sums;
  std::string previous;  // the hash of the checkpoint before, kChainStart for the first
  std::string hash;
};

std::string CheckpointHash(const Checkpoint& checkpoint);
// "CUSE 3 150,BADD 1 100,..." in kSummedKinds's order, and back (false on anything else).
std::string KindSumsText(const KindSums& sums);
bool ParseKindSums(const std::string& text, KindSums& sums);

// The checkpoint of a clean audit at its last entry, chained to `previous`.
Checkpoint CheckpointOf(const Audit& audit, const std::string& previous, const std::string& time);
// Starts `audit` after the checkpoint; `before_hash` is the hash of the entry before its
// entry (kChainStart when there is none).
void ResumeAudit(Audit& audit, const Checkpoint& checkpoint, const std::string& before_hash);
// When the audit has just taken the checkpoint's entry: what differs, or "" when it matches.
std::string CheckpointMismatch(const Audit& audit, const Checkpoint& checkpoint);

void AuditRow(Audit& audit, const JournalRow& row);
// Compares the journal's sum with the totals that the ledger holds, and the noted head (if
// any) with the entry of that number.
void FinishAudit(Audit& audit, const Totals& recorded);

}  // namespace money
