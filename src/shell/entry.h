// The program's entry and outermost control: the window, the connection to the money
// server, the start-up order, the menu-and-game loop, the shut-down and the exit code.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

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

extern int16_t TouchX;
extern int16_t TouchY;
extern int16_t StakePerGame;
extern int ServerSocket;

// The whole run on the given platform against the money server at the address.
int StrikoraMain(platform::Platform& system, const ServerAddress& server);

bool CreateMainWindow();
int32_t MainWindowProc(const platform::Message& message);
void PumpMessages();

// What the end of the process does on its own: the log file and the connection close.
// The headless runner calls it after a run, since there the process goes on.
void EndOfProcess();
