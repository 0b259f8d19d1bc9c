#include "shell/pump.h"

#include "shell/system.h"

int16_t TouchX = -1;
int16_t TouchY = -1;
int16_t StakePerGame = 50;
int ServerSocket = -1;

bool CreateMainWindow() {
  return Sys().CreateMainWindow();
}

int32_t MainWindowProc(const platform::Message& message) {
  switch (message.kind) {
    case platform::MessageKind::Destroy:
      // The quit request is posted and never looked for: closing the window does not
      // stop the game.
      return 1;
    case platform::MessageKind::LeftButtonDown:
      TouchX = static_cast<int16_t>(message.lParam & 0xFFFF);
      TouchY = static_cast<int16_t>(static_cast<int32_t>(message.lParam) >> 16);
      return 1;
    default:
      return 0;
  }
}

void PumpMessages() {
  platform::Message message;
  while (Sys().PeekMessage(message)) MainWindowProc(message);
  Sys().QueueEmpty();
}
