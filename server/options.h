// Command lines of moneyd and moneyctl.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace money {

inline constexpr int kDefaultPort = 6667;
inline constexpr const char* kDatabaseName = "money.db";

struct MoneydOptions {
  int port = kDefaultPort;         // 0: any free port
  std::string db_path;             // the database; by default money.db beside the program
  std::string bind = "127.0.0.1";  // only loopback addresses are served
  int64_t demo_credit = 0;         // top the credits up to this at start
  bool help = false;
  bool relaxed_durability = false;  // no waiting for the disk: for simulations, never for cash
  bool init = false;                // make the ledger when the file is missing or empty
};

inline constexpr const char* kMoneydUsage =
    "usage: moneyd [--port N] [--db FILE] [--bind 127.x.x.x] [--demo-credit PENCE]\n"
    "              [--init] [--relaxed-durability]\n"
    "--init: make a new ledger when the file is missing or empty (without it moneyd refuses\n"
    "such a file); a ledger that is there is opened as usual.\n"
    "--relaxed-durability: commits do not wait for the disk, so a power cut can lose the\n"
    "latest ones; for simulations only, never for a cabinet that takes cash.\n";

// Reads moneyd's arguments (argv[0] is the program); false with a message on a bad one.
bool ParseMoneydOptions(int argc, char** argv, MoneydOptions& options, std::string& error);

// A whole decimal number within [min, max], nothing else around it.
bool ParseWhole(std::string_view text, int64_t min, int64_t max, int64_t& value);

// The folder of the running program, with its trailing slash ("" when it cannot be found).
std::string ProgramFolder();

// money.db in the folder of the running program.
std::string DefaultDatabasePath();

}  // namespace money
