#include "game/touch_wait.h"

#include "game/game_record.h"
#include "shell/pump.h"
#include "shell/system.h"
#include "shell/timing.h"

int WaitOrTouch(uint32_t ms) {
  FlushInput();
  uint32_t deadline;
  TimerStart(deadline, static_cast<int32_t>(ms));
  const uint32_t waitStart = WaitStarted();
  for (;;) {
    if (TimerExpired(deadline)) return 1;
    WaitPass(WaitOn::kTouch, waitStart);
    if (TouchX != -1) {
      RecordWait(WaitOn::kTouch, TouchX, TouchX, TouchY);
      return TouchX;
    }
    Sys().WaitingUntil(deadline);
    PumpMessages();
  }
}
