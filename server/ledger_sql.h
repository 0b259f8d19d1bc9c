// The SQLite helpers that the ledger's files share (ledger.cpp, verify.cpp); not for the
// programs.
#pragma once

#include <cstdint>
#include <string>

#include "server/audit.h"

struct sqlite3;
struct sqlite3_stmt;

namespace money {

// The journal's columns in the order ReadRow takes them.
extern const char* const kJournalColumns;

std::string Describe(sqlite3* db);
// Runs a statement to its end and makes it ready for the next use.
bool StepDone(sqlite3_stmt* statement);
bool Exec(sqlite3* db, const char* sql, std::string& error);
bool QueryInt(sqlite3* db, const char* sql, int64_t& value, std::string& error);
bool QueryText(sqlite3* db, const char* sql, std::string& value, std::string& error);
bool Prepare(sqlite3* db, const char* sql, sqlite3_stmt*& statement, std::string& error);
std::string ColumnText(sqlite3_stmt* s, int column);
// One journal row as selected with kJournalColumns.
JournalRow ReadRow(sqlite3_stmt* s);
// "YYYY-MM-DD HH:MM:SS.SSS", UTC.
std::string NowText();

}  // namespace money
