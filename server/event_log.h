// moneyd's running log: one line per event on stderr. Read by a person (or a log file) each
// line is stamped with the UTC time; read by journald (JOURNAL_STREAM names stderr), which
// stamps lines itself, each line carries only its syslog priority ("<3>"), so that
// `journalctl -p err` finds the errors.
#pragma once

#include <cstdio>

namespace money {

// Syslog priorities of the lines.
inline constexpr int kLogError = 3;
inline constexpr int kLogWarning = 4;
inline constexpr int kLogNotice = 5;
inline constexpr int kLogInfo = 6;

// Where the lines go (stderr unless changed); nullptr keeps quiet.
void SetEventLogStream(FILE* stream);

// Whether the lines go to journald: JOURNAL_STREAM names the stream's device and inode.
bool JournaldReads(FILE* stream);

// "moneyd: <time> <message>", or "<priority><message>" for journald, as one line.
void LogEventAt(int priority, const char* format, ...) __attribute__((format(printf, 2, 3)));

// An informational line.
void LogEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace money
