// The money ledger: the credits and bank totals and the journal of everything that happened,
// in one SQLite database (WAL, synchronous FULL). Every change and its journal entry are
// committed together in one transaction, and the commit is on disk before the caller replies,
// so an acknowledged change survives kill -9 and power loss. Several changes may share one
// transaction (a batch); none of them is answered before its commit. Each journal entry
// carries its chain hash (audit.h). moneyd and moneyctl open the
// same file at the same time; the totals are always read inside the writing transaction.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "server/audit.h"
#include "server/money_rules.h"

struct sqlite3;

namespace money {

struct LedgerConnection;  // the connection's prepared statements and transaction state

struct Ledger {
  sqlite3* db = nullptr;
  LedgerConnection* connection = nullptr;  // owned: made by OpenLedger, freed by CloseLedger
  int64_t upgraded_entries = -1;  // the entries chained when a format 1 database was upgraded
  int64_t upgraded_from = 0;      // the format of an older database upgraded on opening
  // Called when a COMMIT fails. The commit may be on disk all the same (the write-ahead log
  // can hold it though its sync failed), so its outcome is unknown and nothing may be claimed
  // about it: the programs log it and end at once (kExitCommitUnknown); a restart recovers the
  // database. When it returns, the transaction is rolled back and the commit reported failed.
  void (*commit_unknown)(const std::string& error) = nullptr;
};

// The exit code of a program that ended because a commit's outcome was unknown.
inline constexpr int kExitCommitUnknown = 3;

enum class OpenMode {
  kCreate,    // make the ledger when the file is missing or empty (--init); upgrade an old one
  kServe,     // open a ledger that is there, upgrading an old one (moneyd)
  kExisting,  // open a ledger of the current format only (moneyctl)
};

// How long a writer waits for another process's transaction to finish.
inline constexpr int kBusyTimeoutMs = 5000;

bool OpenLedger(const std::string& path, OpenMode mode, Ledger& ledger, std::string& error);
void CloseLedger(Ledger& ledger);

bool ReadTotals(Ledger& ledger, Totals& totals, std::string& error);

struct Entry {
  Kind kind = Kind::kStart;
  int64_t client = 0;  // 0 when no client is involved
  int64_t amount = 0;
  std::string detail;
};

enum class Outcome { kApplied, kRefused, kFailed };

struct RecordResult {
  Outcome outcome = Outcome::kFailed;
  Totals before;
  Totals after;  // equal to `before` unless applied
  Decision decision;
  int64_t seq = 0;    // the journal entry's number, when applied
  std::string error;  // for kFailed
};

// Decides the entry against the current totals (money_rules) and, unless refused, applies it
// and journals it in one durable transaction. A refused entry leaves no trace.
RecordResult Record(Ledger& ledger, const Entry& entry);

// A batch: one write transaction for several entries. RecordInBatch decides and writes one
// entry as Record does, but nothing is durable before CommitBatch returns true. After any
// kFailed entry, or a failed commit, the whole batch is rolled back (AbandonBatch) and none
// of its entries happened.
bool BeginBatch(Ledger& ledger, std::string& error);
RecordResult RecordInBatch(Ledger& ledger, const Entry& entry);
// A failed commit calls ledger.commit_unknown before it returns false.
bool CommitBatch(Ledger& ledger, std::string& error);
void AbandonBatch(Ledger& ledger);

// The last journal entry's number and hash (0 and kChainStart for an empty journal).
bool ReadHead(Ledger& ledger, ChainHead& head, std::string& error);

// The client number after the highest one in the journal, so numbers stay unique over restarts.
bool NextClientId(Ledger& ledger, int64_t& id, std::string& error);

// Calls `visit` for the journal's entries in order: all of them, or only the last `last` when
// `last` is positive; only those of `client` when it is positive.
bool ForEachJournalRow(Ledger& ledger, int64_t last,
                       const std::function<void(const JournalRow&)>& visit, std::string& error,
                       int64_t client = 0);

struct VerifyOptions {
  ChainHead head;  // a head noted earlier, checked when its seq is positive
  // Replay from the first entry and check every checkpoint, instead of starting after the
  // newest checkpoint whose entry still carries the hash it recorded.
  bool full = false;
  // After a clean audit that replayed entries past its checkpoint, store a new checkpoint at
  // its last entry (in a short transaction of its own).
  bool store_checkpoint = false;
};

// Audits the journal against the totals and the chain's head they record, in one consistent
// snapshot: from the newest usable checkpoint, or from the first entry with `options.full`.
// A checkpoint that was edited or whose entry was altered is reported and passed over for an
// older one. False only when the database could not be read; the verdict is in `audit`.
bool VerifyLedger(Ledger& ledger, Audit& audit, Totals& totals, std::string& error,
                  const VerifyOptions& options = {});

}  // namespace money
