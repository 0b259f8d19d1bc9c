#include "accounting/end_of_process.h"

#include "accounting/game_journal.h"
#include "shell/eventlog.h"
#include "shell/pump.h"
#include "shell/system.h"

void EndOfProcess() {
  CloseLog();
  CloseGameJournal();
  if (ServerSocket >= 0) Sys().SocketClose(ServerSocket);
  ServerSocket = -1;
}
