#include "accounting/money_link.h"

#include "shell/entry.h"
#include "shell/system.h"

void SendTerminate() {
  static const char kTerm[] = "TERM\r\n";
  Sys().SocketSend(ServerSocket, kTerm, sizeof kTerm - 1);
}
