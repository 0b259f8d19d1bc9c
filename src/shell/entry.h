// The program's entry and outermost control: the window, the connection to the money
// server, the start-up order, the menu-and-game loop, the shut-down and the exit code.
#pragma once

#include <cstdint>
#include <string>

#include "accounting/end_of_process.h"
#include "platform/platform.h"
#include "shell/pump.h"

struct ServerAddress {
  std::string host = "127.0.0.1";
  uint16_t port = 6667;
};

// Exit codes of the program.
enum ExitCode : int {
  kExitNormal = 0,
  kExitNoWindow = -1,
  kExitNoSocket = 1,
  kExitNoServer = 2,
  kExitNoDisplay = -6,
  kExitNoQuestionPacks = -7,
  kExitNoSound = -8,
  kExitNoJournal = -9,  // the game journal could not be opened: no stake can be taken
};

// The whole run on the given platform against the money server at the address.
int StrikoraMain(platform::Platform& system, const ServerAddress& server);
