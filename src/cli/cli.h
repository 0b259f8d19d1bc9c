// What every program's command line has in common: --help (to standard output, exit 0),
// --version, and one form and one exit code for a command line that is wrong.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// A command line that is wrong (sysexits' EX_USAGE), the same in every program.
inline constexpr int kExitUsage = 64;

// The project's version ("1.0.0").
const char* Version();

// When the arguments hold --help (or -h) or --version, prints the usage to standard output
// or "PROGRAM VERSION", sets `status` to 0 and returns true.
bool HelpOrVersion(int argc, char** argv, const char* program, const std::string& usage,
                   int& status);

// The same, with the usage printed by a function to the stream it is given.
bool HelpOrVersion(int argc, char** argv, const char* program, void (*print_usage)(FILE*),
                   int& status);

// "PROGRAM: PROBLEM" on one line, then how to get help, on standard error; returns
// kExitUsage.
int UsageError(const char* program, const std::string& problem);

}  // namespace cli
