// moneyd's running log: one line per event on stderr, stamped with the UTC time, so that an
// operator can follow what the server does.
#pragma once

#include <cstdio>

namespace money {

// Where the lines go (stderr unless changed); nullptr keeps quiet.
void SetEventLogStream(FILE* stream);

// Writes "moneyd: <time> <message>" as one line.
void LogEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace money
