// Command lines of moneyd and moneyctl.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  // Only these users and the members of these groups (and root) are served; everyone local
  // when none are named.
  std::vector<std::string> allow_users;
  std::vector<std::string> allow_groups;
};

inline constexpr const char* kMoneydUsage =
    "usage: moneyd [--port N] [--db FILE] [--bind 127.x.x.x] [--demo-credit PENCE]\n"
    "              [--init] [--relaxed-durability] [--allow-user NAME]... [--allow-group NAME]...\n"
    "--init: make a new ledger when the file is missing or empty (without it moneyd refuses\n"
    "such a file); a ledger that is there is opened as usual.\n"
    "--allow-user, --allow-group: serve only root, those users and the members of those groups\n"
    "(every other connection is closed at once and journalled as REFUSED); without them every\n"
    "local user is served.\n"
    "--relaxed-durability: commits do not wait for the disk, so a power cut can lose the\n"
    "latest ones; for simulations only, never for a cabinet that takes cash.\n"
    "exit: 0 stopped, 1 cannot listen or use the ledger, 2 not a loopback address,\n"
    "3 a commit failed and its outcome is unknown, 64 bad usage\n";

// Reads moneyd's arguments (argv[0] is the program); false with a message on a bad one.
bool ParseMoneydOptions(int argc, char** argv, MoneydOptions& options, std::string& error);

// A whole decimal number within [min, max], nothing else around it.
bool ParseWhole(std::string_view text, int64_t min, int64_t max, int64_t& value);

// The folder of the running program, with its trailing slash ("" when it cannot be found).
std::string ProgramFolder();

// money.db in the folder of the running program.
std::string DefaultDatabasePath();

}  // namespace money
