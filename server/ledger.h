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
struct sqlite3_stmt;

namespace money {

struct Ledger {
  sqlite3* db = nullptr;
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_stmt* rollback = nullptr;
  sqlite3_stmt* read_totals = nullptr;
  sqlite3_stmt* write_totals = nullptr;
  sqlite3_stmt* add_entry = nullptr;
  sqlite3_stmt* read_head = nullptr;
  int64_t upgraded_entries = -1;  // the entries chained when an old database was upgraded
};

enum class OpenMode {
  kCreate,    // make the database when it does not exist yet (moneyd)
  kExisting,  // only open one that moneyd made (moneyctl)
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

// Audits the whole journal against the totals, in one consistent snapshot, and against a
// noted head when `head.seq` is positive.
bool VerifyLedger(Ledger& ledger, Audit& audit, Totals& totals, std::string& error,
                  const ChainHead& head = {});

}  // namespace money
