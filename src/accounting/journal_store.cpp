#include "accounting/journal_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace journal {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS runs (
  run INTEGER PRIMARY KEY,
  started_ms INTEGER NOT NULL,
  local_port INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS games (
  game INTEGER PRIMARY KEY,
  run INTEGER NOT NULL,
  started_ms INTEGER NOT NULL,
  ended_ms INTEGER NOT NULL DEFAULT 0,
  outcome TEXT NOT NULL DEFAULT '',
  win INTEGER NOT NULL DEFAULT 0,
  settled_ms INTEGER NOT NULL DEFAULT 0,
  settled_note TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS money (
  step INTEGER PRIMARY KEY,
  game INTEGER NOT NULL,
  run INTEGER NOT NULL,
  kind TEXT NOT NULL,
  amount INTEGER NOT NULL,
  result TEXT NOT NULL DEFAULT 'intent',
  reply TEXT NOT NULL DEFAULT '',
  sent_ms INTEGER NOT NULL,
  replied_ms INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS money_by_game ON money (game, step);
CREATE INDEX IF NOT EXISTS money_by_run ON money (run, step);
CREATE TABLE IF NOT EXISTS record (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  pending INTEGER NOT NULL,
  image BLOB NOT NULL);
)sql";

// The second format adds the steps of each game; a first-format file gains the table in
// place, in one transaction, the first time the game opens it.
constexpr const char* kSchemaSteps = R"sql(
CREATE TABLE IF NOT EXISTS steps (
  game INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  kind TEXT NOT NULL,
  at_ms INTEGER NOT NULL,
  data TEXT NOT NULL,
  PRIMARY KEY (game, seq)) WITHOUT ROWID;
PRAGMA user_version = 2;
)sql";

const char* const kKindNames[] = {"stake", "prize to bank", "prize to credits", "cashpot to bank",
                                  "cashpot to credits"};
const char* const kResultNames[] = {"intent", "done", "refused", "no reply"};

std::string Describe(sqlite3* db) {
  return db ? sqlite3_errmsg(db) : "out of memory";
}

// One prepared statement, finalised when it goes out of scope.
class Statement {
 public:
  Statement(Store& store, const char* sql) : db_(store.db) {
    if (sqlite3_prepare_v2(db_, sql, -1, &s_, nullptr) != SQLITE_OK) s_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return s_ != nullptr; }
  Statement& Reset() {
    if (s_) sqlite3_reset(s_);
    return *this;
  }
  Statement& Bind(int i, int64_t v) {
    if (s_) sqlite3_bind_int64(s_, i, v);
    return *this;
  }
  Statement& Bind(int i, const std::string& v) {
    if (s_) sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& BindBlob(int i, const std::string& v) {
    if (s_) sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return s_ ? sqlite3_step(s_) : SQLITE_ERROR; }
  bool Run(std::string& error) {
    if (Step() == SQLITE_DONE) return true;
    error = Describe(db_);
    return false;
  }
  int64_t Int(int c) const { return sqlite3_column_int64(s_, c); }
  std::string Text(int c) const {
    const unsigned char* t = sqlite3_column_text(s_, c);
    return t ? reinterpret_cast<const char*>(t) : "";
  }
  std::string Blob(int c) const {
    const void* b = sqlite3_column_blob(s_, c);
    return b ? std::string(static_cast<const char*>(b),
                           static_cast<size_t>(sqlite3_column_bytes(s_, c)))
             : std::string();
  }
  sqlite3* Db() const { return db_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

// A write transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(Store& store) : store_(store) {
    begun_ = sqlite3_exec(store.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~Transaction() {
    if (begun_ && !sqlite3_get_autocommit(store_.db))
      sqlite3_exec(store_.db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  bool Begun(std::string& error) const {
    if (!begun_) error = Describe(store_.db);
    return begun_;
  }
  bool Commit(std::string& error) {
    if (sqlite3_exec(store_.db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error = Describe(store_.db);
    return false;
  }

 private:
  Store& store_;
  bool begun_ = false;
};

MoneyStep ReadStep(const Statement& s) {
  MoneyStep m;
  m.step = s.Int(0);
  m.game = s.Int(1);
  m.run = s.Int(2);
  m.kind = StepKindFromName(s.Text(3)).value_or(StepKind::kStake);
  m.amount = s.Int(4);
  m.result = StepResultFromName(s.Text(5)).value_or(StepResult::kNoReply);
  m.reply = s.Text(6);
  m.sentMs = s.Int(7);
  m.repliedMs = s.Int(8);
  return m;
}

constexpr const char* kStepColumns =
    "step, game, run, kind, amount, result, reply, sent_ms, replied_ms";
constexpr const char* kGameColumns =
    "game, run, started_ms, ended_ms, outcome, win, settled_ms, settled_note";

Game ReadGameRow(const Statement& s) {
  Game g;
  g.game = s.Int(0);
  g.run = s.Int(1);
  g.startedMs = s.Int(2);
  g.endedMs = s.Int(3);
  g.outcome = s.Text(4);
  g.win = s.Int(5);
  g.settledMs = s.Int(6);
  g.settledNote = s.Text(7);
  return g;
}

bool AttachSteps(Store& store, std::vector<Game>& games, std::string& error) {
  std::string sql =
      std::string("SELECT ") + kStepColumns + " FROM money WHERE game = ?1 ORDER BY step";
  Statement s(store, sql.c_str());
  for (Game& g : games) {
    s.Reset().Bind(1, g.game);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) g.steps.push_back(ReadStep(s));
    if (rc != SQLITE_DONE) {
      error = Describe(store.db);
      return false;
    }
  }
  return true;
}

bool SelectGames(Store& store, const std::string& where, int64_t value, std::vector<Game>& games,
                 std::string& error) {
  std::string sql =
      std::string("SELECT ") + kGameColumns + " FROM games " + where + " ORDER BY game";
  Statement s(store, sql.c_str());
  if (!s.Ok()) {
    error = Describe(store.db);
    return false;
  }
  s.Bind(1, value);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) games.push_back(ReadGameRow(s));
  if (rc != SQLITE_DONE) {
    error = Describe(store.db);
    return false;
  }
  return AttachSteps(store, games, error);
}

bool QueryInt(Store& store, const char* sql, int64_t& value, std::string& error) {
  Statement s(store, sql);
  if (s.Step() != SQLITE_ROW) {
    error = Describe(store.db);
    return false;
  }
  value = s.Int(0);
  return true;
}

bool Initialise(Store& store, OpenFor use, std::string& error) {
  int64_t version = 0;
  if (!QueryInt(store, "PRAGMA user_version", version, error)) return false;
  store.version = static_cast<int>(version);
  if (version == kSchemaVersion) return true;
  if (version == 1 && use == OpenFor::kReading) return true;  // read as it is: no steps
  if (version == 1) {
    Transaction t(store);
    if (!t.Begun(error) || !Exec(store, kSchemaSteps, error) || !t.Commit(error)) return false;
    store.version = kSchemaVersion;
    return true;
  }
  if (version > kSchemaVersion) {
    error = "made by a newer game (format " + std::to_string(version) + ")";
    return false;
  }
  int64_t tables = 0;
  if (!QueryInt(store, "SELECT count(*) FROM sqlite_master", tables, error)) return false;
  if (tables > 0) {
    error = "not a game journal (it holds other tables)";
    return false;
  }
  if (use != OpenFor::kGame) {
    error = "not a game journal yet (the game makes it at its first start)";
    return false;
  }
  Transaction t(store);
  if (!t.Begun(error) || !Exec(store, kSchema, error) || !Exec(store, kSchemaSteps, error) ||
      !t.Commit(error))
    return false;
  store.version = kSchemaVersion;
  return true;
}

}  // namespace

const char* StepKindName(StepKind kind) {
  return kKindNames[static_cast<int>(kind)];
}
std::optional<StepKind> StepKindFromName(const std::string& name) {
  for (int i = 0; i < 5; ++i)
    if (name == kKindNames[i]) return static_cast<StepKind>(i);
  return std::nullopt;
}
const char* StepResultName(StepResult result) {
  return kResultNames[static_cast<int>(result)];
}
std::optional<StepResult> StepResultFromName(const std::string& name) {
  for (int i = 0; i < 4; ++i)
    if (name == kResultNames[i]) return static_cast<StepResult>(i);
  return std::nullopt;
}
const char* StepVerb(StepKind kind) {
  if (kind == StepKind::kStake) return "CUSE";
  return StepToBank(kind) ? "BADD" : "CADD";
}
bool StepToBank(StepKind kind) {
  return kind == StepKind::kPrizeToBank || kind == StepKind::kCashpotToBank;
}

bool GameIsOpen(const Game& game) {
  if (game.settledMs != 0 || game.steps.empty()) return false;
  bool stakeRefused = false, prizeOwed = false, unknown = false, paidPrize = false;
  for (const MoneyStep& m : game.steps) {
    const bool stake = m.kind == StepKind::kStake;
    if (m.result == StepResult::kIntent || m.result == StepResult::kNoReply) unknown = true;
    if (stake && m.result == StepResult::kRefused) stakeRefused = true;
    if (!stake && m.result == StepResult::kRefused) prizeOwed = true;
    if (m.kind == StepKind::kPrizeToBank || m.kind == StepKind::kPrizeToCredits) paidPrize = true;
  }
  if (stakeRefused) return false;  // no game was played
  if (unknown || prizeOwed) return true;
  // A game cut off before its end (a crash, or a screen that failed with no prize reached),
  // or not played at all, owes its stake back unless its prize was paid; a stake the server
  // refused leaves nothing.
  return !GameFinished(game) && !paidPrize;
}

std::string DescribeSteps(const Game& game) {
  std::string out;
  for (const MoneyStep& m : game.steps) {
    if (!out.empty()) out += " - ";
    const bool stake = m.kind == StepKind::kStake;
    out += stake ? "stake "
                 : std::string(m.kind == StepKind::kCashpotToBank ||
                                       m.kind == StepKind::kCashpotToCredits
                                   ? "cashpot "
                                   : "prize ");
    out += std::to_string(m.amount) + " pence";
    if (!stake) out += StepToBank(m.kind) ? " to bank" : " to credits";
    switch (m.result) {
      case StepResult::kDone:
        out += stake ? " taken" : " paid";
        break;
      case StepResult::kRefused:
        out += " refused";
        break;
      case StepResult::kIntent:
      case StepResult::kNoReply:
        out += " not confirmed";
        break;
    }
  }
  return out.empty() ? "no money moved" : out;
}

std::string OpenGameLine(const Game& game) {
  std::string line = GameFinished(game) ? "GAME NOT SETTLED - game " : "GAME INTERRUPTED - game ";
  line += std::to_string(game.game) + " - " + DescribeSteps(game);
  if (game.outcome == kOutcomeCutShort) line += " - the screen failed";
  return line + " - settle with moneyctl reconcile";
}

bool OpenStore(const std::string& path, OpenFor use, Store& store, std::string& error) {
  store = Store{};
  struct stat info {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    error = path + ": not a regular file";
    return false;
  }
  if (!exists && use != OpenFor::kGame) {
    error = path + ": no game journal (the game makes it at its first start)";
    return false;
  }
  // A new journal may be written by the game's group as well as the game (the operators who
  // settle games on a cabinet): the file is made so before SQLite takes it up, and its
  // write-ahead files take its mode. The process's umask still has the last word.
  if (!exists && use == OpenFor::kGame) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0660);
    if (fd >= 0) close(fd);
  }
  int flags = use == OpenFor::kReading ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (use == OpenFor::kGame) flags |= SQLITE_OPEN_CREATE;
  if (sqlite3_open_v2(path.c_str(), &store.db, flags | SQLITE_OPEN_FULLMUTEX, nullptr) !=
      SQLITE_OK) {
    error = path + ": " + Describe(store.db);
    CloseStore(store);
    return false;
  }
  sqlite3_extended_result_codes(store.db, 1);
  sqlite3_busy_timeout(store.db, 5000);
  std::string why;
  bool ok = Initialise(store, use, why);
  if (ok && use != OpenFor::kReading) {
    ok = Exec(store, "PRAGMA journal_mode = WAL", why) &&
         Exec(store, "PRAGMA synchronous = FULL", why);
  }
  if (ok) return true;
  error = path + ": " + why;
  CloseStore(store);
  return false;
}

void CloseStore(Store& store) {
  if (store.db) sqlite3_close(store.db);
  store = Store{};
}

bool Exec(Store& store, const char* sql, std::string& error) {
  if (sqlite3_exec(store.db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  error = Describe(store.db);
  return false;
}

void SetDurable(Store& store, bool durable) {
  std::string ignored;
  Exec(store, durable ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = OFF", ignored);
}

bool ReadGames(Store& store, int64_t fromGame, std::vector<Game>& games, std::string& error) {
  return SelectGames(store, "WHERE game >= ?1", fromGame, games, error);
}

bool ReadOpenGames(Store& store, std::vector<Game>& games, std::string& error) {
  std::vector<Game> candidates;
  // Settled games and games that ended with every step done are closed; only the rest
  // need looking at.
  if (!SelectGames(
          store,
          "WHERE settled_ms = 0 AND (ended_ms = 0 OR outcome IN ('cut short', 'not played') OR "
          "game IN "
          "(SELECT game FROM money WHERE result <> 'done' AND game >= ?1))",
          0, candidates, error)) {
    return false;
  }
  for (Game& g : candidates)
    if (GameIsOpen(g)) games.push_back(std::move(g));
  return true;
}

bool ReadGame(Store& store, int64_t game, std::optional<Game>& found, std::string& error) {
  std::vector<Game> games;
  if (!SelectGames(store, "WHERE game = ?1", game, games, error)) return false;
  found.reset();
  if (!games.empty()) found = std::move(games.front());
  return true;
}

bool ReadRun(Store& store, int64_t run, std::optional<Run>& found, std::string& error) {
  Statement s(store, "SELECT run, started_ms, local_port FROM runs WHERE run = ?1");
  s.Bind(1, run);
  found.reset();
  const int rc = s.Step();
  if (rc == SQLITE_ROW) found = Run{s.Int(0), s.Int(1), static_cast<int>(s.Int(2))};
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
  error = Describe(store.db);
  return false;
}

bool ReadRunSteps(Store& store, int64_t run, std::vector<MoneyStep>& steps, std::string& error) {
  std::string sql =
      std::string("SELECT ") + kStepColumns + " FROM money WHERE run = ?1 ORDER BY step";
  Statement s(store, sql.c_str());
  s.Bind(1, run);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) steps.push_back(ReadStep(s));
  if (rc == SQLITE_DONE) return true;
  error = Describe(store.db);
  return false;
}

bool MarkSettled(Store& store, int64_t game, int64_t nowMs, const std::string& note,
                 std::string& error) {
  Statement s(store,
              "UPDATE games SET settled_ms = ?2, settled_note = ?3 WHERE game = ?1 AND "
              "settled_ms = 0");
  s.Bind(1, game).Bind(2, nowMs).Bind(3, note);
  if (!s.Run(error)) return false;
  if (sqlite3_changes(store.db) == 1) return true;
  error = "game " + std::to_string(game) + " is not in the game journal or is settled already";
  return false;
}

int64_t NowUtcMs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string UtcText(int64_t ms) {
  if (ms == 0) return "-";
  time_t seconds = static_cast<time_t>(ms / 1000);
  tm utc{};
  gmtime_r(&seconds, &utc);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

bool BeginRun(Store& store, int64_t nowMs, int localPort, int64_t& run, std::string& error) {
  Statement s(store, "INSERT INTO runs (started_ms, local_port) VALUES (?1, ?2)");
  s.Bind(1, nowMs).Bind(2, localPort);
  if (!s.Run(error)) return false;
  run = sqlite3_last_insert_rowid(store.db);
  return true;
}

bool NextGameNumber(Store& store, int64_t atLeast, int64_t& game, std::string& error) {
  int64_t last = 0;
  if (!QueryInt(store, "SELECT coalesce(max(game), 0) FROM games", last, error)) return false;
  game = (last > atLeast ? last : atLeast) + 1;
  return true;
}

bool BeginGame(Store& store, int64_t game, int64_t run, int64_t nowMs, std::string& error) {
  Statement s(store, "INSERT OR IGNORE INTO games (game, run, started_ms) VALUES (?1, ?2, ?3)");
  s.Bind(1, game).Bind(2, run).Bind(3, nowMs);
  return s.Run(error);
}

bool AddIntents(Store& store, int64_t game, int64_t run, const std::vector<Intent>& intents,
                const std::string* recordImage, int64_t nowMs, std::vector<int64_t>& steps,
                std::string& error) {
  return AddIntentsAndSteps(store, game, run, intents, recordImage, {}, nowMs, steps, error);
}

bool SetResult(Store& store, int64_t step, StepResult result, const std::string& reply,
               int64_t nowMs, std::string& error) {
  Statement s(store, "UPDATE money SET result = ?2, reply = ?3, replied_ms = ?4 WHERE step = ?1");
  s.Bind(1, step).Bind(2, std::string(StepResultName(result))).Bind(3, reply).Bind(4, nowMs);
  return s.Run(error);
}

bool EndGame(Store& store, int64_t game, const std::string& outcome, int64_t win,
             const std::string* recordImage, int64_t nowMs, std::string& error) {
  return EndGameWithSteps(store, game, outcome, win, recordImage, {}, nowMs, error);
}

bool PendingRecord(Store& store, std::optional<std::string>& image, std::string& error) {
  Statement s(store, "SELECT image FROM record WHERE id = 1 AND pending = 1");
  image.reset();
  const int rc = s.Step();
  if (rc == SQLITE_ROW) image = s.Blob(0);
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
  error = Describe(store.db);
  return false;
}

bool SetPendingRecord(Store& store, const std::string& image, std::string& error) {
  Statement s(store, "INSERT OR REPLACE INTO record (id, pending, image) VALUES (1, 1, ?1)");
  s.BindBlob(1, image);
  return s.Run(error);
}

bool ClearPendingRecord(Store& store, std::string& error) {
  Statement s(store, "UPDATE record SET pending = 0 WHERE id = 1");
  return s.Run(error);
}

bool Prune(Store& store, std::string& error) {
  // Closed games older than the newest kGamesKept go with their steps, except in a run that
  // holds an open game: reconcile matches a run's steps from its first one.
  int64_t newest = 0;
  if (!QueryInt(store, "SELECT coalesce(max(game), 0) FROM games", newest, error)) return false;
  const int64_t cutoff = newest - kGamesKept;
  if (cutoff <= 0) return true;
  std::vector<Game> open;
  if (!ReadOpenGames(store, open, error)) return false;
  std::string keep = "0";
  for (const Game& g : open) keep += "," + std::to_string(g.run);
  const std::string old = "(SELECT game FROM games WHERE game <= ?1 AND run NOT IN (" + keep + "))";
  const std::string money = "DELETE FROM money WHERE game IN " + old;
  const std::string played = "DELETE FROM steps WHERE game IN " + old;
  const std::string games = "DELETE FROM games WHERE game IN " + old;
  for (const std::string& sql : {money, played, games}) {
    Statement d(store, sql.c_str());
    d.Bind(1, cutoff);
    if (!d.Run(error)) return false;
  }
  return Exec(store,
              "DELETE FROM runs WHERE run < (SELECT max(run) FROM runs) AND run NOT IN "
              "(SELECT run FROM games)",
              error);
}

namespace {

bool InsertSteps(Store& store, int64_t game, const std::vector<StepRow>& rows, std::string& error) {
  if (rows.empty()) return true;
  Statement s(store,
              "INSERT OR REPLACE INTO steps (game, seq, kind, at_ms, data) VALUES (?1, ?2, ?3, "
              "?4, ?5)");
  for (const StepRow& r : rows) {
    if (r.seq > kMaxStepsPerGame) break;
    s.Reset().Bind(1, game).Bind(2, r.seq).Bind(3, r.kind).Bind(4, r.atMs).Bind(5, r.data);
    if (!s.Run(error)) return false;
  }
  return true;
}

}  // namespace

bool AddIntentsAndSteps(Store& store, int64_t game, int64_t run, const std::vector<Intent>& intents,
                        const std::string* recordImage, const std::vector<StepRow>& rows,
                        int64_t nowMs, std::vector<int64_t>& steps, std::string& error) {
  steps.clear();
  Transaction t(store);
  if (!t.Begun(error) || !BeginGame(store, game, run, nowMs, error) ||
      !InsertSteps(store, game, rows, error))
    return false;
  for (const Intent& intent : intents) {
    Statement s(store,
                "INSERT INTO money (game, run, kind, amount, sent_ms) VALUES (?1, ?2, ?3, ?4, ?5)");
    s.Bind(1, game).Bind(2, run).Bind(3, std::string(StepKindName(intent.kind)));
    s.Bind(4, intent.amount).Bind(5, nowMs);
    if (!s.Run(error)) return false;
    steps.push_back(sqlite3_last_insert_rowid(store.db));
  }
  if (recordImage && !SetPendingRecord(store, *recordImage, error)) return false;
  return t.Commit(error);
}

bool EndGameWithSteps(Store& store, int64_t game, const std::string& outcome, int64_t win,
                      const std::string* recordImage, const std::vector<StepRow>& rows,
                      int64_t nowMs, std::string& error) {
  Transaction t(store);
  if (!t.Begun(error) || !InsertSteps(store, game, rows, error)) return false;
  Statement s(store, "UPDATE games SET ended_ms = ?2, outcome = ?3, win = ?4 WHERE game = ?1");
  s.Bind(1, game).Bind(2, nowMs).Bind(3, outcome).Bind(4, win);
  if (!s.Run(error)) return false;
  if (recordImage && !SetPendingRecord(store, *recordImage, error)) return false;
  if (game % 100 == 0 && !Prune(store, error)) return false;
  return t.Commit(error);
}

bool ReadSteps(Store& store, int64_t game, std::vector<StepRow>& rows, std::string& error) {
  rows.clear();
  if (store.version < 2) return true;
  Statement s(store, "SELECT seq, kind, at_ms, data FROM steps WHERE game = ?1 ORDER BY seq");
  s.Bind(1, game);
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) rows.push_back({s.Int(0), s.Text(1), s.Int(2), s.Text(3)});
  if (rc == SQLITE_DONE) return true;
  error = Describe(store.db);
  return false;
}

bool ReadLatestGames(Store& store, int64_t count, std::vector<Game>& games, std::string& error) {
  games.clear();
  if (!SelectGames(store, "WHERE game IN (SELECT game FROM games ORDER BY game DESC LIMIT ?1)",
                   count, games, error))
    return false;
  std::reverse(games.begin(), games.end());
  return true;
}

bool StepBytes(Store& store, int64_t game, int64_t& bytes, std::string& error) {
  bytes = 0;
  if (store.version < 2) return true;
  Statement s(store,
              "SELECT coalesce(sum(length(kind) + length(data) + 12), 0) FROM steps WHERE game = "
              "?1");
  s.Bind(1, game);
  if (s.Step() != SQLITE_ROW) {
    error = Describe(store.db);
    return false;
  }
  bytes = s.Int(0);
  return true;
}

}  // namespace journal
