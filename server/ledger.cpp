#include "server/ledger.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "server/ledger_sql.h"

namespace money {

const char* const kJournalColumns =
    "seq, time, kind, client, amount, credits_change, bank_change, credits, bank, detail, hash";

std::string Describe(sqlite3* db) {
  return db ? sqlite3_errmsg(db) : "out of memory";
}

bool StepDone(sqlite3_stmt* statement) {
  const int rc = sqlite3_step(statement);
  sqlite3_reset(statement);
  return rc == SQLITE_DONE;
}

bool Exec(sqlite3* db, const char* sql, std::string& error) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  error = Describe(db);
  return false;
}

bool QueryInt(sqlite3* db, const char* sql, int64_t& value, std::string& error) {
  sqlite3_stmt* statement = nullptr;
  bool ok = false;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    value = sqlite3_column_int64(statement, 0);
    ok = true;
  } else {
    error = Describe(db);
  }
  sqlite3_finalize(statement);
  return ok;
}

bool QueryText(sqlite3* db, const char* sql, std::string& value, std::string& error) {
  sqlite3_stmt* statement = nullptr;
  bool ok = false;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    value = text ? reinterpret_cast<const char*>(text) : "";
    ok = true;
  } else {
    error = Describe(db);
  }
  sqlite3_finalize(statement);
  return ok;
}

bool Prepare(sqlite3* db, const char* sql, sqlite3_stmt*& statement, std::string& error) {
  if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) ==
      SQLITE_OK) {
    return true;
  }
  error = Describe(db);
  return false;
}

std::string ColumnText(sqlite3_stmt* s, int column) {
  const unsigned char* text = sqlite3_column_text(s, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

JournalRow ReadRow(sqlite3_stmt* s) {
  JournalRow row;
  row.seq = sqlite3_column_int64(s, 0);
  row.time = ColumnText(s, 1);
  row.kind = ColumnText(s, 2);
  row.client = sqlite3_column_int64(s, 3);
  row.amount = sqlite3_column_int64(s, 4);
  row.change = Delta{sqlite3_column_int64(s, 5), sqlite3_column_int64(s, 6)};
  row.after = Totals{sqlite3_column_int64(s, 7), sqlite3_column_int64(s, 8)};
  row.detail = ColumnText(s, 9);
  row.hash = ColumnText(s, 10);
  return row;
}

std::string NowText() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03ld", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                now.tv_nsec / 1000000);
  return text;
}

namespace {

// 1: totals and journal; 2: each journal entry carries its chain hash; 3: the totals carry
// the chain's head, and audits leave checkpoints.
constexpr int kSchemaVersion = 3;

constexpr const char* kSchema = R"sql(
CREATE TABLE totals (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  credits INTEGER NOT NULL,
  bank INTEGER NOT NULL,
  head_seq INTEGER NOT NULL DEFAULT 0,
  head_hash TEXT NOT NULL DEFAULT '');
INSERT INTO totals (id, credits, bank) VALUES (1, 0, 0);
CREATE TABLE journal (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  time TEXT NOT NULL,
  kind TEXT NOT NULL,
  client INTEGER,
  amount INTEGER NOT NULL,
  credits_change INTEGER NOT NULL,
  bank_change INTEGER NOT NULL,
  credits INTEGER NOT NULL,
  bank INTEGER NOT NULL,
  detail TEXT NOT NULL DEFAULT '',
  hash TEXT NOT NULL DEFAULT '');
)sql";

// Format 3's additions to format 2, also made by the upgrade.
constexpr const char* kCheckpointSchema = R"sql(
CREATE TABLE checkpoint (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  time TEXT NOT NULL,
  seq INTEGER NOT NULL,
  seq_hash TEXT NOT NULL,
  entries INTEGER NOT NULL,
  credits INTEGER NOT NULL,
  bank INTEGER NOT NULL,
  kinds TEXT NOT NULL,
  previous TEXT NOT NULL,
  hash TEXT NOT NULL);
PRAGMA user_version = 3;
)sql";

constexpr const char* kUpgradeTo3 = R"sql(
ALTER TABLE totals ADD COLUMN head_seq INTEGER NOT NULL DEFAULT 0;
ALTER TABLE totals ADD COLUMN head_hash TEXT NOT NULL DEFAULT '';
UPDATE totals SET
  head_seq = coalesce((SELECT max(seq) FROM journal), 0),
  head_hash = coalesce((SELECT hash FROM journal ORDER BY seq DESC LIMIT 1), '');
)sql";

constexpr const char* kMakeOne = "make a new one with moneyctl init or moneyd --init";

// Format 1 or 2 to 3, all in one transaction, so that a crash leaves the old format to upgrade
// again. From 1 the hash column is added and the existing entries are chained in the order of
// their numbers; then the totals get the chain's head and the checkpoint table is made.
bool Upgrade(sqlite3* db, int64_t from, int64_t& upgraded, std::string& error) {
  if (!Exec(db, "BEGIN IMMEDIATE", error)) return false;
  std::vector<std::pair<int64_t, std::string>> hashes;
  bool ok =
      from != 1 || Exec(db, "ALTER TABLE journal ADD COLUMN hash TEXT NOT NULL DEFAULT ''", error);
  sqlite3_stmt* s = nullptr;
  if (ok && from == 1) {
    const std::string sql = std::string("SELECT ") + kJournalColumns + " FROM journal ORDER BY seq";
    ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK;
    std::string previous = kChainStart;
    int rc = SQLITE_ROW;
    while (ok && (rc = sqlite3_step(s)) == SQLITE_ROW) {
      previous = ChainHash(previous, ReadRow(s));
      hashes.emplace_back(sqlite3_column_int64(s, 0), previous);
    }
    ok = ok && rc == SQLITE_DONE;
    sqlite3_finalize(s);
    s = nullptr;
  }
  ok = ok && (from != 1 || sqlite3_prepare_v2(db, "UPDATE journal SET hash = ?1 WHERE seq = ?2", -1,
                                              &s, nullptr) == SQLITE_OK);
  for (size_t i = 0; ok && i < hashes.size(); ++i) {
    sqlite3_bind_text(s, 1, hashes[i].second.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 2, hashes[i].first);
    ok = StepDone(s);
  }
  sqlite3_finalize(s);
  ok = ok && Exec(db, kUpgradeTo3, error) && Exec(db, kCheckpointSchema, error) &&
       Exec(db, "COMMIT", error);
  if (!ok) {
    if (error.empty()) error = Describe(db);
    std::string ignored;
    if (!sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK", ignored);
    return false;
  }
  if (from == 1) upgraded = static_cast<int64_t>(hashes.size());
  return true;
}

// Makes the tables of a new database, or checks that an existing one is ours.
bool Initialise(Ledger& ledger, OpenMode mode, std::string& error) {
  sqlite3* db = ledger.db;
  int64_t version = 0;
  // The first read of the file: this is where a file that is no database is noticed.
  if (!QueryInt(db, "PRAGMA user_version", version, error)) return false;
  if (version == kSchemaVersion) return true;
  if (version == 1 || version == 2) {
    if (mode == OpenMode::kExisting) {
      error = "made by an older moneyd (format " + std::to_string(version) +
              "): start moneyd once to upgrade it";
      return false;
    }
    if (!Upgrade(db, version, ledger.upgraded_entries, error)) return false;
    ledger.upgraded_from = version;
    return true;
  }
  if (version > kSchemaVersion) {
    error = "made by a newer moneyd (format " + std::to_string(version) + ")";
    return false;
  }
  int64_t tables = 0;
  if (!QueryInt(db, "SELECT count(*) FROM sqlite_master", tables, error)) return false;
  if (tables > 0) {
    error = "not a money database (it holds other tables)";
    return false;
  }
  if (mode != OpenMode::kCreate) {
    error = std::string("not a money ledger yet: ") + kMakeOne;
    return false;
  }
  if (!Exec(db, "BEGIN IMMEDIATE", error)) return false;
  if (!Exec(db, kSchema, error) || !Exec(db, kCheckpointSchema, error)) {
    Exec(db, "ROLLBACK", error);
    return false;
  }
  return Exec(db, "COMMIT", error);
}

bool PrepareAll(Ledger& ledger, std::string& error) {
  sqlite3* db = ledger.db;
  return Prepare(db, "BEGIN IMMEDIATE", ledger.begin, error) &&
         Prepare(db, "COMMIT", ledger.commit, error) &&
         Prepare(db, "ROLLBACK", ledger.rollback, error) &&
         Prepare(db, "SELECT credits, bank FROM totals WHERE id = 1", ledger.read_totals, error) &&
         Prepare(db,
                 "UPDATE totals SET credits = ?1, bank = ?2, head_seq = ?3, head_hash = ?4 "
                 "WHERE id = 1",
                 ledger.write_totals, error) &&
         Prepare(db,
                 "INSERT INTO journal (seq, time, kind, client, amount, credits_change, "
                 "bank_change, credits, bank, detail, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                 "?8, ?9, ?10, ?11)",
                 ledger.add_entry, error) &&
         // The next number is past every one ever given, even to entries removed since, so
         // that a removal shows as a gap.
         Prepare(db,
                 "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'journal'), "
                 "0), coalesce((SELECT max(seq) FROM journal), 0)), (SELECT hash FROM journal "
                 "ORDER BY seq DESC LIMIT 1)",
                 ledger.read_head, error);
}

// No ledger can be in a file that is missing or empty, unless its write-ahead log holds one.
bool HoldsNothing(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && info.st_size > 0) return false;
  return stat((path + "-wal").c_str(), &info) != 0 || info.st_size == 0;
}

bool ReadTotalsRow(Ledger& ledger, Totals& totals) {
  sqlite3_stmt* s = ledger.read_totals;
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  if (found) {
    totals.credits = sqlite3_column_int64(s, 0);
    totals.bank = sqlite3_column_int64(s, 1);
  }
  const int rc = sqlite3_reset(s);
  return found && rc == SQLITE_OK;
}

bool ReadHeadRow(Ledger& ledger, ChainHead& head) {
  sqlite3_stmt* s = ledger.read_head;
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  if (found) {
    head.seq = sqlite3_column_int64(s, 0);
    // An empty journal starts the chain; otherwise the last entry's hash, whatever it is.
    head.hash = sqlite3_column_type(s, 1) == SQLITE_NULL ? kChainStart : ColumnText(s, 1);
  }
  const int rc = sqlite3_reset(s);
  return found && rc == SQLITE_OK;
}

bool WriteEntry(Ledger& ledger, const Entry& entry, const Decision& decision, const Totals& after,
                int64_t& seq) {
  ChainHead head;
  if (!ReadHeadRow(ledger, head)) return false;
  JournalRow row;
  row.seq = head.seq + 1;
  row.time = NowText();
  row.kind = KindName(entry.kind);
  row.client = entry.client > 0 ? entry.client : 0;
  row.amount = decision.amount;
  row.change = decision.delta;
  row.after = after;
  row.detail = entry.detail;
  row.hash = ChainHash(head.hash, row);

  // The totals carry the chain's head, so that an entry removed from the end shows.
  sqlite3_stmt* w = ledger.write_totals;
  sqlite3_bind_int64(w, 1, after.credits);
  sqlite3_bind_int64(w, 2, after.bank);
  sqlite3_bind_int64(w, 3, row.seq);
  sqlite3_bind_text(w, 4, row.hash.c_str(), -1, SQLITE_TRANSIENT);
  const bool written = StepDone(w);
  sqlite3_clear_bindings(w);
  if (!written) return false;

  sqlite3_stmt* a = ledger.add_entry;
  sqlite3_bind_int64(a, 1, row.seq);
  sqlite3_bind_text(a, 2, row.time.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(a, 3, KindName(entry.kind), -1, SQLITE_STATIC);
  if (row.client > 0) {
    sqlite3_bind_int64(a, 4, row.client);
  } else {
    sqlite3_bind_null(a, 4);
  }
  sqlite3_bind_int64(a, 5, row.amount);
  sqlite3_bind_int64(a, 6, row.change.credits);
  sqlite3_bind_int64(a, 7, row.change.bank);
  sqlite3_bind_int64(a, 8, after.credits);
  sqlite3_bind_int64(a, 9, after.bank);
  sqlite3_bind_text(a, 10, row.detail.data(), static_cast<int>(row.detail.size()),
                    SQLITE_TRANSIENT);
  sqlite3_bind_text(a, 11, row.hash.c_str(), -1, SQLITE_TRANSIENT);
  const bool ok = StepDone(a);
  sqlite3_clear_bindings(a);
  seq = row.seq;
  return ok;
}

}  // namespace

bool OpenLedger(const std::string& path, OpenMode mode, Ledger& ledger, std::string& error) {
  ledger = Ledger{};
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    return false;
  }
  if (mode != OpenMode::kCreate && HoldsNothing(path)) {
    error = std::string("no ledger here (the file is missing or empty): ") + kMakeOne;
    return false;
  }
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
  if (mode == OpenMode::kCreate) flags |= SQLITE_OPEN_CREATE;
  if (sqlite3_open_v2(path.c_str(), &ledger.db, flags, nullptr) != SQLITE_OK) {
    error = Describe(ledger.db);
    CloseLedger(ledger);
    return false;
  }
  sqlite3_extended_result_codes(ledger.db, 1);
  sqlite3_busy_timeout(ledger.db, kBusyTimeoutMs);

  std::string journal_mode;
  const bool ok = Initialise(ledger, mode, error) &&
                  QueryText(ledger.db, "PRAGMA journal_mode = WAL", journal_mode, error) &&
                  Exec(ledger.db, "PRAGMA synchronous = FULL", error) && PrepareAll(ledger, error);
  if (ok && journal_mode != "wal") {
    error = "the database cannot use a write-ahead log (journal mode " + journal_mode + ")";
  } else if (ok) {
    return true;
  }
  CloseLedger(ledger);
  return false;
}

void CloseLedger(Ledger& ledger) {
  for (sqlite3_stmt* s : {ledger.begin, ledger.commit, ledger.rollback, ledger.read_totals,
                          ledger.write_totals, ledger.add_entry, ledger.read_head}) {
    sqlite3_finalize(s);
  }
  sqlite3_close(ledger.db);
  ledger = Ledger{};
}

bool ReadTotals(Ledger& ledger, Totals& totals, std::string& error) {
  if (ReadTotalsRow(ledger, totals)) return true;
  error = Describe(ledger.db);
  return false;
}

bool BeginBatch(Ledger& ledger, std::string& error) {
  if (StepDone(ledger.begin)) return true;
  error = Describe(ledger.db);
  return false;
}

RecordResult RecordInBatch(Ledger& ledger, const Entry& entry) {
  RecordResult result;
  if (!ReadTotalsRow(ledger, result.before)) {
    result.error = Describe(ledger.db);
    return result;
  }
  result.after = result.before;
  const std::optional<Decision> decision = Decide(entry.kind, result.before, entry.amount);
  if (!decision) {
    result.outcome = Outcome::kRefused;
    return result;
  }
  const Totals after = Apply(result.before, decision->delta);
  if (!WriteEntry(ledger, entry, *decision, after, result.seq)) {
    result.error = Describe(ledger.db);
    return result;
  }
  result.outcome = Outcome::kApplied;
  result.decision = *decision;
  result.after = after;
  return result;
}

bool CommitBatch(Ledger& ledger, std::string& error) {
  if (StepDone(ledger.commit)) return true;
  error = Describe(ledger.db);
  if (ledger.commit_unknown) ledger.commit_unknown(error);
  AbandonBatch(ledger);
  return false;
}

void AbandonBatch(Ledger& ledger) {
  if (!sqlite3_get_autocommit(ledger.db)) StepDone(ledger.rollback);
}

RecordResult Record(Ledger& ledger, const Entry& entry) {
  RecordResult result;
  if (!BeginBatch(ledger, result.error)) return result;
  result = RecordInBatch(ledger, entry);
  if (result.outcome != Outcome::kApplied) {
    AbandonBatch(ledger);
  } else if (!CommitBatch(ledger, result.error)) {
    result.outcome = Outcome::kFailed;
    result.error = "COMMIT FAILED - outcome unknown: " + result.error;
  }
  return result;
}

bool ReadHead(Ledger& ledger, ChainHead& head, std::string& error) {
  if (ReadHeadRow(ledger, head)) {
    // The last entry present, which is what an operator notes.
    int64_t last = 0;
    if (!QueryInt(ledger.db, "SELECT coalesce(max(seq), 0) FROM journal", last, error)) {
      return false;
    }
    head.seq = last;
    return true;
  }
  error = Describe(ledger.db);
  return false;
}

bool NextClientId(Ledger& ledger, int64_t& id, std::string& error) {
  return QueryInt(ledger.db, "SELECT coalesce(max(client), 0) + 1 FROM journal", id, error);
}

bool ForEachJournalRow(Ledger& ledger, int64_t last,
                       const std::function<void(const JournalRow&)>& visit, std::string& error,
                       int64_t client) {
  const std::string sql = std::string("SELECT ") + kJournalColumns + " FROM (SELECT " +
                          kJournalColumns + " FROM journal WHERE ?2 = 0 OR client = ?2 " +
                          "ORDER BY seq DESC LIMIT ?1) ORDER BY seq";
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(ledger.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    error = Describe(ledger.db);
    return false;
  }
  sqlite3_bind_int64(s, 1, last > 0 ? last : -1);
  sqlite3_bind_int64(s, 2, client);
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) visit(ReadRow(s));
  if (rc != SQLITE_DONE) error = Describe(ledger.db);
  sqlite3_finalize(s);
  return rc == SQLITE_DONE;
}

}  // namespace money
