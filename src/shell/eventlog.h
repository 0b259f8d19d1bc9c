// The running event log "~system/logs/SKV.txt" and the system folders it lives in.
// The log is rewritten at every start; each entry is stamped with the local date and
// time, flushed at once and copied to the debug output without its stamp.
#pragma once

inline constexpr const char* kLogPath = "~system/logs/SKV.txt";
inline constexpr const char* kVersionText = "1.0.0.1";

int CreateSystemFolders();
int OpenLog();
int CloseLog();
int LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool LogIsOpen();
