// The SQLite helpers that the ledger's files share (ledger.cpp, verify.cpp, reconcile.cpp);
// not for the programs.
#pragma once

#include <cstdint>
#include <string>

#include "server/audit.h"
#include "server/ledger.h"

struct sqlite3;
struct sqlite3_stmt;

namespace money {

// The journal's columns in the order ReadRow takes them.
extern const char* const kJournalColumns;

std::string Describe(sqlite3* db);
// The one place an SQLite error becomes the ledger's error: the connection's message goes
// into `error`, and the result is false, for `return Failed(db, error);`.
bool Failed(sqlite3* db, std::string& error);

// One statement, prepared when it is made and finalised when it goes. A statement that could
// not be prepared fails every step, so the caller's error path is the usual one.
class Statement {
 public:
  Statement() = default;
  // `persistent` for the statements a connection keeps for its whole life.
  Statement(sqlite3* db, const std::string& sql, bool persistent = false);
  ~Statement();
  // Prepares it (again): false when the statement cannot be prepared.
  bool Prepare(sqlite3* db, const std::string& sql, bool persistent = false);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Prepared() const { return s_ != nullptr; }
  void Bind(int index, int64_t value);
  void Bind(int index, const std::string& text);
  void BindNull(int index);
  // Steps once: true for a row. After the last row, Ended() says whether it ran to its end
  // or failed.
  bool Next();
  bool Ended() const;
  // Runs a statement that returns no rows to its end and makes it ready for the next use
  // (reset, bindings cleared): true when it ran to its end.
  bool Run();
  // Makes it ready for the next use; false when its last step had failed.
  bool Reset();

  int64_t Int(int column) const;
  std::string Text(int column) const;
  bool Null(int column) const;
  sqlite3_stmt* Handle() const { return s_; }

 private:
  sqlite3_stmt* s_ = nullptr;
  int rc_ = 0;
};

// What a ledger keeps for the life of its connection.
struct LedgerConnection {
  Statement begin_read, begin_write, commit, rollback;
  Statement read_totals, write_totals, add_entry, read_head;
  bool in_transaction = false;  // between the ledger's BEGIN and its COMMIT or ROLLBACK
};

// The ledger's own transactions. The connection's commit hook refuses any write committed
// outside one of them, so that no change reaches the file except as a whole.
enum class TransactionKind { kRead, kWrite };
bool BeginTransaction(Ledger& ledger, TransactionKind kind, std::string& error);
bool CommitTransaction(Ledger& ledger, std::string& error);
void RollbackTransaction(Ledger& ledger);

bool Exec(sqlite3* db, const char* sql, std::string& error);
bool QueryInt(sqlite3* db, const char* sql, int64_t& value, std::string& error);
bool QueryText(sqlite3* db, const char* sql, std::string& value, std::string& error);
// One journal row as selected with kJournalColumns.
JournalRow ReadRow(const Statement& s);
// "YYYY-MM-DD HH:MM:SS.SSS", UTC.
std::string NowText();

}  // namespace money
