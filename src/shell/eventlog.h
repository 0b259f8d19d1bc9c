// The running event log "~system/logs/SKV.txt" and the system folders it lives in.
// Each start writes a new log; the previous run's is kept beside it under its start time
// ("SKV-YYYYMMDD-HHMMSS.txt", the newest 100 and at most 16 MiB of them). Each entry is
// stamped with the local date and time, flushed at once and copied to the debug output
// (standard error on the shipped program) without its stamp, after its syslog priority:
// "<3>" for what an operator must act on, "<4>" for warnings, "<6>" for the rest.
#pragma once

inline constexpr const char* kLogPath = "~system/logs/SKV.txt";
inline constexpr const char* kVersionText = "1.0.0.1";

int CreateSystemFolders();
int OpenLog();
int CloseLog();
int LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool LogIsOpen();
