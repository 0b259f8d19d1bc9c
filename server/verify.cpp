// The ledger's audit: from the newest usable checkpoint (or from the first entry), then a new
// checkpoint. See VerifyLedger in ledger.h.
#include "server/ledger.h"
#include "server/ledger_sql.h"

namespace money {

namespace {

constexpr const char* kCheckpointColumns =
    "id, time, seq, seq_hash, entries, credits, bank, kinds, previous, hash";

bool PrepareOnce(sqlite3* db, const std::string& sql, Statement& statement, std::string& error) {
  return statement.Prepare(db, sql) || Failed(db, error);
}

// One checkpoint row; false when it cannot be one (its sums by kind unreadable) or does not
// match its own hash.
bool ReadCheckpoint(const Statement& s, Checkpoint& c) {
  c.id = s.Int(0);
  c.time = s.Text(1);
  c.seq = s.Int(2);
  c.seq_hash = s.Text(3);
  c.entries = s.Int(4);
  c.sum = Totals{s.Int(5), s.Int(6)};
  const std::string kinds = s.Text(7);
  c.previous = s.Text(8);
  c.hash = s.Text(9);
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
bool HashAt(Statement& s, int64_t seq, std::string& hash) {
  s.Bind(1, seq);
  const bool found = s.Next();
  if (found) hash = s.Text(0);
  s.Reset();
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
  while (list.Next()) {
    Checkpoint c;
    if (!ReadCheckpoint(list, c)) {
      Edited(audit, c);
      continue;
    }
    row_at.Bind(1, c.seq);
    const bool found = row_at.Next();
    const JournalRow row = found ? ReadRow(row_at) : JournalRow{};
    row_at.Reset();
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
    if (!HashAt(before, c.seq, before_hash)) before_hash = kChainStart;
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
      audit.head_found = HashAt(hash_at, audit.head.seq, audit.head_hash_found);
    }
    return true;
  }
  return list.Ended() || Failed(db, error);
}

// Checks each checkpoint, in order, as the full replay passes its entry.
struct CheckpointWalk {
  Statement list;
  Checkpoint next;
  bool have = false;
  bool intact = false;
  std::string previous_hash = kChainStart;

  bool Step(sqlite3* db, std::string& error) {
    have = list.Next();
    if (have) {
      next = Checkpoint{};
      intact = ReadCheckpoint(list, next);
    }
    return have || list.Ended() || Failed(db, error);
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
  if (!s.Next()) {
    error = "the totals are missing";
    return false;
  }
  totals = Totals{s.Int(0), s.Int(1)};
  head = ChainHead{s.Int(2), s.Text(3)};
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
  rows.Bind(1, audit.previous_seq);
  while (rows.Next()) {
    const JournalRow row = ReadRow(rows);
    AuditRow(audit, row);
    if (full && !walk.Pass(db, audit, row.seq, error)) return false;
  }
  if (!rows.Ended()) return Failed(db, error);
  return !full || walk.Pass(db, audit, 0, error);
}

// A checkpoint at the audit's last entry, chained to the newest one, unless one at or past
// that entry was stored meanwhile (then `stored` stays false).
bool InsertCheckpoint(sqlite3* db, const Audit& audit, bool& stored, std::string& error) {
  Statement newest(db, "SELECT seq, hash FROM checkpoint ORDER BY id DESC LIMIT 1");
  if (!newest.Prepared()) return Failed(db, error);
  int64_t newest_seq = 0;
  std::string previous = kChainStart;
  if (newest.Next()) {
    newest_seq = newest.Int(0);
    previous = newest.Text(1);
  }
  if (newest_seq >= audit.previous_seq) return true;
  const Checkpoint c = CheckpointOf(audit, previous, NowText());
  Statement insert(db,
                   "INSERT INTO checkpoint (time, seq, seq_hash, entries, credits, bank, kinds, "
                   "previous, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  insert.Bind(1, c.time);
  insert.Bind(2, c.seq);
  insert.Bind(3, c.seq_hash);
  insert.Bind(4, c.entries);
  insert.Bind(5, c.sum.credits);
  insert.Bind(6, c.sum.bank);
  insert.Bind(7, KindSumsText(c.kind_sums));
  insert.Bind(8, c.previous);
  insert.Bind(9, c.hash);
  stored = insert.Run();
  return stored || Failed(db, error);
}

bool StoreCheckpoint(Ledger& ledger, Audit& audit, std::string& error) {
  if (!BeginTransaction(ledger, TransactionKind::kWrite, error)) return false;
  bool stored = false;
  if (!InsertCheckpoint(ledger.db, audit, stored, error) || !CommitTransaction(ledger, error)) {
    RollbackTransaction(ledger);
    return false;
  }
  if (stored) audit.checkpoint_stored = audit.previous_seq;
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
  if (!BeginTransaction(ledger, TransactionKind::kRead, error)) return false;
  const bool ok = ReadRecorded(db, totals, audit.recorded_head, error) &&
                  (options.full || StartAtCheckpoint(db, audit, error)) &&
                  Replay(db, audit, options.full, error);
  std::string ignored;
  CommitTransaction(ledger, ignored);
  if (!ok) return false;
  FinishAudit(audit, totals);
  if (options.store_checkpoint && audit.problem_count == 0 &&
      audit.previous_seq > audit.checkpoint_seq) {
    StoreCheckpoint(ledger, audit, audit.checkpoint_error);
  }
  return true;
}

}  // namespace money
