#include "server/ledger.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <initializer_list>
#include <utility>
#include <vector>

#include "server/ledger_sql.h"

namespace money {

const char* const kJournalColumns =
    "seq, time, kind, client, amount, credits_change, bank_change, credits, bank, detail, hash";

std::string Describe(sqlite3* db) {
  return db ? sqlite3_errmsg(db) : "out of memory";
}

bool Failed(sqlite3* db, std::string& error) {
  error = Describe(db);
  return false;
}

Statement::Statement(sqlite3* db, const std::string& sql, bool persistent) {
  Prepare(db, sql, persistent);
}

Statement::~Statement() {
  sqlite3_finalize(s_);
}

bool Statement::Prepare(sqlite3* db, const std::string& sql, bool persistent) {
  sqlite3_finalize(s_);
  s_ = nullptr;
  rc_ = SQLITE_OK;
  const unsigned int flags = persistent ? SQLITE_PREPARE_PERSISTENT : 0;
  return sqlite3_prepare_v3(db, sql.c_str(), -1, flags, &s_, nullptr) == SQLITE_OK && s_ != nullptr;
}

void Statement::Bind(int index, int64_t value) {
  if (s_) sqlite3_bind_int64(s_, index, value);
}

void Statement::Bind(int index, const std::string& text) {
  if (s_) {
    sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
}

void Statement::BindNull(int index) {
  if (s_) sqlite3_bind_null(s_, index);
}

bool Statement::Next() {
  rc_ = s_ ? sqlite3_step(s_) : SQLITE_MISUSE;
  return rc_ == SQLITE_ROW;
}

bool Statement::Ended() const {
  return rc_ == SQLITE_DONE;
}

bool Statement::Run() {
  Next();
  const bool ended = Ended();
  Reset();
  return ended;
}

bool Statement::Reset() {
  if (!s_) return false;
  const int rc = sqlite3_reset(s_);
  sqlite3_clear_bindings(s_);
  return rc == SQLITE_OK;
}

int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(s_, column);
}

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(s_, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

bool Statement::Null(int column) const {
  return sqlite3_column_type(s_, column) == SQLITE_NULL;
}

bool BeginTransaction(Ledger& ledger, TransactionKind kind, std::string& error) {
  LedgerConnection& c = *ledger.connection;
  if (!(kind == TransactionKind::kWrite ? c.begin_write : c.begin_read).Run()) {
    return Failed(ledger.db, error);
  }
  c.in_transaction = true;
  return true;
}

bool CommitTransaction(Ledger& ledger, std::string& error) {
  // The transaction stays open while its COMMIT runs, for the commit hook to let it through;
  // a failed one stays open until it is rolled back.
  if (!ledger.connection->commit.Run()) return Failed(ledger.db, error);
  ledger.connection->in_transaction = false;
  return true;
}

void RollbackTransaction(Ledger& ledger) {
  if (!sqlite3_get_autocommit(ledger.db)) ledger.connection->rollback.Run();
  ledger.connection->in_transaction = false;
}

bool Exec(sqlite3* db, const char* sql, std::string& error) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Failed(db, error);
}

bool QueryInt(sqlite3* db, const char* sql, int64_t& value, std::string& error) {
  Statement s(db, sql);
  if (!s.Next()) return Failed(db, error);
  value = s.Int(0);
  return true;
}

bool QueryText(sqlite3* db, const char* sql, std::string& value, std::string& error) {
  Statement s(db, sql);
  if (!s.Next()) return Failed(db, error);
  value = s.Text(0);
  return true;
}

JournalRow ReadRow(const Statement& s) {
  JournalRow row;
  row.seq = s.Int(0);
  row.time = s.Text(1);
  row.kind = s.Text(2);
  row.client = s.Int(3);
  row.amount = s.Int(4);
  row.change = Delta{s.Int(5), s.Int(6)};
  row.after = Totals{s.Int(7), s.Int(8)};
  row.detail = s.Text(9);
  row.hash = s.Text(10);
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

// Format 1 kept no hashes: the column is added and the existing entries are chained in the
// order of their numbers.
bool ChainOldEntries(sqlite3* db, int64_t& chained, std::string& error) {
  if (!Exec(db, "ALTER TABLE journal ADD COLUMN hash TEXT NOT NULL DEFAULT ''", error)) {
    return false;
  }
  std::vector<std::pair<int64_t, std::string>> hashes;
  {
    Statement rows(db, std::string("SELECT ") + kJournalColumns + " FROM journal ORDER BY seq");
    std::string previous = kChainStart;
    while (rows.Next()) {
      previous = ChainHash(previous, ReadRow(rows));
      hashes.emplace_back(rows.Int(0), previous);
    }
    if (!rows.Ended()) return Failed(db, error);
  }
  Statement update(db, "UPDATE journal SET hash = ?1 WHERE seq = ?2");
  if (!update.Prepared()) return Failed(db, error);
  for (const auto& [seq, hash] : hashes) {
    update.Bind(1, hash);
    update.Bind(2, seq);
    if (!update.Run()) return Failed(db, error);
  }
  chained = static_cast<int64_t>(hashes.size());
  return true;
}

// Format 1 or 2 to 3, all in one transaction, so that a crash leaves the old format to upgrade
// again: the totals get the chain's head and the checkpoint table is made.
bool Upgrade(Ledger& ledger, int64_t from, std::string& error) {
  sqlite3* db = ledger.db;
  if (!BeginTransaction(ledger, TransactionKind::kWrite, error)) return false;
  int64_t chained = 0;
  if ((from == 1 && !ChainOldEntries(db, chained, error)) || !Exec(db, kUpgradeTo3, error) ||
      !Exec(db, kCheckpointSchema, error) || !CommitTransaction(ledger, error)) {
    RollbackTransaction(ledger);
    return false;
  }
  if (from == 1) ledger.upgraded_entries = chained;
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
    if (!Upgrade(ledger, version, error)) return false;
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
  if (!BeginTransaction(ledger, TransactionKind::kWrite, error)) return false;
  if (!Exec(db, kSchema, error) || !Exec(db, kCheckpointSchema, error) ||
      !CommitTransaction(ledger, error)) {
    RollbackTransaction(ledger);
    return false;
  }
  return true;
}

// Prepares statements for the connection's whole life.
bool PrepareEach(sqlite3* db, std::initializer_list<std::pair<Statement*, const char*>> list,
                 std::string& error) {
  for (const auto& [statement, sql] : list) {
    if (!statement->Prepare(db, sql, true)) return Failed(db, error);
  }
  return true;
}

bool PrepareTransactions(Ledger& ledger, std::string& error) {
  LedgerConnection& c = *ledger.connection;
  return PrepareEach(ledger.db,
                     {{&c.begin_read, "BEGIN"},
                      {&c.begin_write, "BEGIN IMMEDIATE"},
                      {&c.commit, "COMMIT"},
                      {&c.rollback, "ROLLBACK"}},
                     error);
}

bool PrepareTables(Ledger& ledger, std::string& error) {
  LedgerConnection& c = *ledger.connection;
  return PrepareEach(
      ledger.db,
      {{&c.read_totals, "SELECT credits, bank FROM totals WHERE id = 1"},
       {&c.write_totals,
        "UPDATE totals SET credits = ?1, bank = ?2, head_seq = ?3, head_hash = ?4 WHERE id = 1"},
       {&c.add_entry,
        "INSERT INTO journal (seq, time, kind, client, amount, credits_change, bank_change, "
        "credits, bank, detail, hash) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"},
       // The next number is past every one ever given, even to entries removed since, so
       // that a removal shows as a gap.
       {&c.read_head,
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'journal'), 0), "
        "coalesce((SELECT max(seq) FROM journal), 0)), (SELECT hash FROM journal ORDER BY seq "
        "DESC LIMIT 1)"}},
      error);
}

// The commit hook: a write committed outside the ledger's own transactions is refused (the
// commit becomes a rollback), so no statement can change the file piecemeal.
int RefuseOutsideTransaction(void* connection) {
  return static_cast<const LedgerConnection*>(connection)->in_transaction ? 0 : 1;
}

// Switching to the write-ahead log writes the file's header, the one write the ledger makes
// outside a transaction of its own.
bool UseWriteAheadLog(Ledger& ledger, std::string& error) {
  std::string journal_mode;
  ledger.connection->in_transaction = true;
  const bool read = QueryText(ledger.db, "PRAGMA journal_mode = WAL", journal_mode, error);
  ledger.connection->in_transaction = false;
  if (read && journal_mode != "wal") {
    error = "the database cannot use a write-ahead log (journal mode " + journal_mode + ")";
    return false;
  }
  return read;
}

// No ledger can be in a file that is missing or empty, unless its write-ahead log holds one.
bool HoldsNothing(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && info.st_size > 0) return false;
  return stat((path + "-wal").c_str(), &info) != 0 || info.st_size == 0;
}

bool ReadTotalsRow(Ledger& ledger, Totals& totals) {
  Statement& s = ledger.connection->read_totals;
  const bool found = s.Next();
  if (found) totals = Totals{s.Int(0), s.Int(1)};
  return s.Reset() && found;
}

bool ReadHeadRow(Ledger& ledger, ChainHead& head) {
  Statement& s = ledger.connection->read_head;
  const bool found = s.Next();
  if (found) {
    head.seq = s.Int(0);
    // An empty journal starts the chain; otherwise the last entry's hash, whatever it is.
    head.hash = s.Null(1) ? kChainStart : s.Text(1);
  }
  return s.Reset() && found;
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
  Statement& w = ledger.connection->write_totals;
  w.Bind(1, after.credits);
  w.Bind(2, after.bank);
  w.Bind(3, row.seq);
  w.Bind(4, row.hash);
  if (!w.Run()) return false;

  Statement& a = ledger.connection->add_entry;
  a.Bind(1, row.seq);
  a.Bind(2, row.time);
  a.Bind(3, row.kind);
  if (row.client > 0) {
    a.Bind(4, row.client);
  } else {
    a.BindNull(4);
  }
  a.Bind(5, row.amount);
  a.Bind(6, row.change.credits);
  a.Bind(7, row.change.bank);
  a.Bind(8, after.credits);
  a.Bind(9, after.bank);
  a.Bind(10, row.detail);
  a.Bind(11, row.hash);
  seq = row.seq;
  return a.Run();
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
    Failed(ledger.db, error);
    CloseLedger(ledger);
    return false;
  }
  sqlite3_extended_result_codes(ledger.db, 1);
  sqlite3_busy_timeout(ledger.db, kBusyTimeoutMs);
  ledger.connection = new LedgerConnection;
  sqlite3_commit_hook(ledger.db, RefuseOutsideTransaction, ledger.connection);

  if (PrepareTransactions(ledger, error) && Initialise(ledger, mode, error) &&
      UseWriteAheadLog(ledger, error) && Exec(ledger.db, "PRAGMA synchronous = FULL", error) &&
      PrepareTables(ledger, error)) {
    return true;
  }
  CloseLedger(ledger);
  return false;
}

void CloseLedger(Ledger& ledger) {
  delete ledger.connection;  // its statements are finalised before the connection closes
  sqlite3_close(ledger.db);
  ledger = Ledger{};
}

bool ReadTotals(Ledger& ledger, Totals& totals, std::string& error) {
  return ReadTotalsRow(ledger, totals) || Failed(ledger.db, error);
}

bool BeginBatch(Ledger& ledger, std::string& error) {
  return BeginTransaction(ledger, TransactionKind::kWrite, error);
}

RecordResult RecordInBatch(Ledger& ledger, const Entry& entry) {
  RecordResult result;
  if (!ReadTotalsRow(ledger, result.before)) {
    Failed(ledger.db, result.error);
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
    Failed(ledger.db, result.error);
    return result;
  }
  result.outcome = Outcome::kApplied;
  result.decision = *decision;
  result.after = after;
  return result;
}

bool CommitBatch(Ledger& ledger, std::string& error) {
  if (CommitTransaction(ledger, error)) return true;
  if (ledger.commit_unknown) ledger.commit_unknown(error);
  AbandonBatch(ledger);
  return false;
}

void AbandonBatch(Ledger& ledger) {
  RollbackTransaction(ledger);
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
  if (!ReadHeadRow(ledger, head)) return Failed(ledger.db, error);
  // The last entry present, which is what an operator notes.
  int64_t last = 0;
  if (!QueryInt(ledger.db, "SELECT coalesce(max(seq), 0) FROM journal", last, error)) {
    return false;
  }
  head.seq = last;
  return true;
}

bool NextClientId(Ledger& ledger, int64_t& id, std::string& error) {
  return QueryInt(ledger.db, "SELECT coalesce(max(client), 0) + 1 FROM journal", id, error);
}

bool ForEachJournalRow(Ledger& ledger, int64_t last,
                       const std::function<void(const JournalRow&)>& visit, std::string& error,
                       int64_t client) {
  Statement s(ledger.db, std::string("SELECT ") + kJournalColumns + " FROM (SELECT " +
                             kJournalColumns + " FROM journal WHERE ?2 = 0 OR client = ?2 " +
                             "ORDER BY seq DESC LIMIT ?1) ORDER BY seq");
  if (!s.Prepared()) return Failed(ledger.db, error);
  s.Bind(1, last > 0 ? last : -1);
  s.Bind(2, client);
  while (s.Next()) visit(ReadRow(s));
  return s.Ended() || Failed(ledger.db, error);
}

}  // namespace money
