// The ledger's audit: from the newest usable checkpoint (or from the first entry), then a new
// checkpoint. See VerifyLedger in ledger.h.
#include <sqlite3.h>

#include "server/ledger.h"
#include "server/ledger_sql.h"

namespace money {

namespace {

constexpr const char* kCheckpointColumns =
    "id, time, seq, seq_hash, entries, credits, bank, kinds, previous, hash";

// Statements finalised however the audit ends.
struct Statement {
  sqlite3_stmt* s = nullptr;
  ~Statement() { sqlite3_finalize(s); }
};

bool PrepareOnce(sqlite3* db, const std::string& sql, Statement& statement, std::string& error) {
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement.s, nullptr) == SQLITE_OK) return true;
  error = Describe(db);
  return false;
}

// One checkpoint row; false when it cannot be one (its sums by kind unreadable) or does not
// match its own hash.
bool ReadCheckpoint(sqlite3_stmt* s, Checkpoint& c) {
  c.id = sqlite3_column_int64(s, 0);
  c.time = ColumnText(s, 1);
  c.seq = sqlite3_column_int64(s, 2);
  c.seq_hash = ColumnText(s, 3);
  c.entries = sqlite3_column_int64(s, 4);
  c.sum = Totals{sqlite3_column_int64(s, 5), sqlite3_column_int64(s, 6)};
  const std::string kinds = ColumnText(s, 7);
  c.previous = ColumnText(s, 8);
  c.hash = ColumnText(s, 9);
  return kinds.size() < 1024 && ParseKindSums(kinds, c.kind_sums) && CheckpointHash(c) == c.hash;
}

std::string Named(const Checkpoint& c) {
  return "checkpoint " + std::to_string(c.id) + " (at entry " + std::to_string(c.seq) + ")";
}

void Edited(Audit& audit, const Checkpoint& c) {
  NoteProblem(audit, Named(c) + " was edited: its contents do not match its hash");
}

void EntryGone(Audit& audit, const Checkpoint& c) {
  NoteProblem(audit,
              "entry " + std::to_string(c.seq) + ", where " + Named(c) +
                  " was taken, is no longer in the journal",
              c.seq);
}

// The stored hash of entry `seq`; false when there is no such entry.
bool HashAt(sqlite3_stmt* s, int64_t seq, std::string& hash) {
  sqlite3_bind_int64(s, 1, seq);
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  if (found) hash = ColumnText(s, 0);
  sqlite3_reset(s);
  return found;
}

// Starts the audit after the newest checkpoint that is intact and whose entry still carries
// the hash it recorded; each newer one passed over is a problem.
bool StartAtCheckpoint(sqlite3* db, Audit& audit, std::string& error) {
  Statement list, row_at, hash_at, before;
  if (!PrepareOnce(
          db, std::string("SELECT ") + kCheckpointColumns + " FROM checkpoint ORDER BY id DESC",
          list, error) ||
      !PrepareOnce(db, std::string("SELECT ") + kJournalColumns + " FROM journal WHERE seq = ?1",
                   row_at, error) ||
      !PrepareOnce(db, "SELECT hash FROM journal WHERE seq = ?1", hash_at, error) ||
      !PrepareOnce(db, "SELECT hash FROM journal WHERE seq < ?1 ORDER BY seq DESC LIMIT 1", before,
                   error)) {
    return false;
  }
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(list.s)) == SQLITE_ROW) {
    Checkpoint c;
    if (!ReadCheckpoint(list.s, c)) {
      Edited(audit, c);
      continue;
    }
    sqlite3_bind_int64(row_at.s, 1, c.seq);
    const bool found = sqlite3_step(row_at.s) == SQLITE_ROW;
    const JournalRow row = found ? ReadRow(row_at.s) : JournalRow{};
    sqlite3_reset(row_at.s);
    if (!found) {
      EntryGone(audit, c);
      continue;
    }
    if (row.hash != c.seq_hash) {
      NoteProblem(audit,
                  "entry " + std::to_string(c.seq) + " no longer carries the hash that " +
                      Named(c) + " recorded: the journal up to it was altered",
                  c.seq);
      continue;
    }
    std::string before_hash = kChainStart;
    if (!HashAt(before.s, c.seq, before_hash)) before_hash = kChainStart;
    // The checkpoint's own entry is checked against its hash, being the one an edit of the
    // journal's end would most likely touch.
    if (ChainHash(before_hash, row) != row.hash) {
      NoteProblem(audit,
                  "entry " + std::to_string(row.seq) + " (" + row.kind + " " +
                      std::to_string(row.amount) +
                      ") was edited: its contents do not match its hash",
                  row.seq);
      continue;
    }
    ResumeAudit(audit, c, before_hash);
    // A noted head at or before the checkpoint is not replayed: its entry is looked up.
    if (audit.head.seq > 0 && audit.head.seq <= c.seq) {
      audit.head_found = HashAt(hash_at.s, audit.head.seq, audit.head_hash_found);
    }
    return true;
  }
  if (rc == SQLITE_DONE) return true;
  error = Describe(db);
  return false;
}

// Checks each checkpoint, in order, as the full replay passes its entry.
struct CheckpointWalk {
  Statement list;
  Checkpoint next;
  bool have = false;
  bool intact = false;
  std::string previous_hash = kChainStart;

  bool Step(sqlite3* db, std::string& error) {
    const int rc = sqlite3_step(list.s);
    have = rc == SQLITE_ROW;
    if (have) {
      next = Checkpoint{};
      intact = ReadCheckpoint(list.s, next);
    }
    if (have || rc == SQLITE_DONE) return true;
    error = Describe(db);
    return false;
  }

  // Checks the checkpoints at or before entry `seq`, the audit having just taken that entry
  // (`seq` 0: the journal is at its end, and every checkpoint left is past it).
  bool Pass(sqlite3* db, Audit& audit, int64_t seq, std::string& error) {
    while (have && (seq == 0 || next.seq <= seq)) {
      if (!intact) {
        Edited(audit, next);
      } else if (next.previous != previous_hash) {
        NoteProblem(audit, Named(next) +
                               " is not chained to the checkpoint before it: checkpoints were "
                               "removed or inserted");
      }
      previous_hash = next.hash;
      if (seq == 0 || next.seq < seq) {
        EntryGone(audit, next);
      } else {
        const std::string mismatch = CheckpointMismatch(audit, next);
        if (!mismatch.empty()) NoteProblem(audit, mismatch);
      }
      if (!Step(db, error)) return false;
    }
    return true;
  }
};

bool ReadRecorded(sqlite3* db, Totals& totals, ChainHead& head, std::string& error) {
  Statement s;
  if (!PrepareOnce(db, "SELECT credits, bank, head_seq, head_hash FROM totals WHERE id = 1", s,
                   error)) {
    return false;
  }
  if (sqlite3_step(s.s) != SQLITE_ROW) {
    error = "the totals are missing";
    return false;
  }
  totals = Totals{sqlite3_column_int64(s.s, 0), sqlite3_column_int64(s.s, 1)};
  head = ChainHead{sqlite3_column_int64(s.s, 2), ColumnText(s.s, 3)};
  return true;
}

bool Replay(sqlite3* db, Audit& audit, bool full, std::string& error) {
  CheckpointWalk walk;
  if (full && (!PrepareOnce(
                   db, std::string("SELECT ") + kCheckpointColumns + " FROM checkpoint ORDER BY id",
                   walk.list, error) ||
               !walk.Step(db, error))) {
    return false;
  }
  Statement rows;
  if (!PrepareOnce(
          db,
          std::string("SELECT ") + kJournalColumns + " FROM journal WHERE seq > ?1 ORDER BY seq",
          rows, error)) {
    return false;
  }
  sqlite3_bind_int64(rows.s, 1, audit.previous_seq);
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(rows.s)) == SQLITE_ROW) {
    const JournalRow row = ReadRow(rows.s);
    AuditRow(audit, row);
    if (full && !walk.Pass(db, audit, row.seq, error)) return false;
  }
  if (rc != SQLITE_DONE) {
    error = Describe(db);
    return false;
  }
  return !full || walk.Pass(db, audit, 0, error);
}

// A checkpoint at the audit's last entry, chained to the newest one, unless one at or past
// that entry was stored meanwhile.
bool StoreCheckpoint(sqlite3* db, Audit& audit, std::string& error) {
  if (!Exec(db, "BEGIN IMMEDIATE", error)) return false;
  Statement newest, insert;
  bool ok =
      PrepareOnce(db, "SELECT seq, hash FROM checkpoint ORDER BY id DESC LIMIT 1", newest, error);
  int64_t newest_seq = 0;
  std::string previous = kChainStart;
  if (ok && sqlite3_step(newest.s) == SQLITE_ROW) {
    newest_seq = sqlite3_column_int64(newest.s, 0);
    previous = ColumnText(newest.s, 1);
  }
  const bool wanted = newest_seq < audit.previous_seq;
  if (ok && wanted) {
    const Checkpoint c = CheckpointOf(audit, previous, NowText());
    ok = PrepareOnce(db,
                     "INSERT INTO checkpoint (time, seq, seq_hash, entries, credits, bank, kinds, "
                     "previous, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                     insert, error);
    if (ok) {
      const std::string kinds = KindSumsText(c.kind_sums);
      sqlite3_bind_text(insert.s, 1, c.time.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert.s, 2, c.seq);
      sqlite3_bind_text(insert.s, 3, c.seq_hash.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert.s, 4, c.entries);
      sqlite3_bind_int64(insert.s, 5, c.sum.credits);
      sqlite3_bind_int64(insert.s, 6, c.sum.bank);
      sqlite3_bind_text(insert.s, 7, kinds.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert.s, 8, c.previous.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert.s, 9, c.hash.c_str(), -1, SQLITE_TRANSIENT);
      ok = sqlite3_step(insert.s) == SQLITE_DONE;
      if (!ok) error = Describe(db);
    }
  }
  ok = ok && Exec(db, "COMMIT", error);
  if (!ok) {
    std::string ignored;
    if (!sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK", ignored);
    return false;
  }
  if (wanted) audit.checkpoint_stored = audit.previous_seq;
  return true;
}

}  // namespace

bool VerifyLedger(Ledger& ledger, Audit& audit, Totals& totals, std::string& error,
                  const VerifyOptions& options) {
  audit = Audit{};
  audit.head = options.head;
  audit.check_recorded_head = true;
  sqlite3* db = ledger.db;
  // One read transaction, so that moneyd's writes in the meantime are not half seen.
  if (!Exec(db, "BEGIN", error)) return false;
  const bool ok = ReadRecorded(db, totals, audit.recorded_head, error) &&
                  (options.full || StartAtCheckpoint(db, audit, error)) &&
                  Replay(db, audit, options.full, error);
  std::string ignored;
  Exec(db, "COMMIT", ignored);
  if (!ok) return false;
  FinishAudit(audit, totals);
  if (options.store_checkpoint && audit.problem_count == 0 &&
      audit.previous_seq > audit.checkpoint_seq) {
    StoreCheckpoint(db, audit, audit.checkpoint_error);
  }
  return true;
}

}  // namespace money
