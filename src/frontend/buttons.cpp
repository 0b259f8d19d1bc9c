#include "frontend/buttons.h"

#include "accounting/money_link.h"
#include "frontend/panels.h"
#include "game/cashpot.h"
#include "game/game_record.h"
#include "game/lives.h"
#include "game/points.h"
#include "graphics/display.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "questions/true_false.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "shell/timing.h"

const Button MenuButtons[] = {
    {" Main Menu", layout::kMenuTouchX[0], layout::kMenuTouchY, layout::kMenuTouchW,
     layout::kMenuTouchH},
    {" Rules", layout::kMenuTouchX[1], layout::kMenuTouchY, layout::kMenuTouchW,
     layout::kMenuTouchH},
    {" Start", layout::kMenuTouchX[2], layout::kMenuTouchY, layout::kMenuTouchW,
     layout::kMenuTouchH},
    {nullptr, 0, 0, 0, 0},
};

const Button LivesPickButtons[] = {
    {" 0", layout::kPickX[0], layout::kPickY, layout::kPickW, layout::kPickH},
    {" 1", layout::kPickX[1], layout::kPickY, layout::kPickW, layout::kPickH},
    {" 2", layout::kPickX[2], layout::kPickY, layout::kPickW, layout::kPickH},
    {nullptr, 0, 0, 0, 0},
};

const Button TrueFalseButtons[] = {
    {" True", layout::kTrueTouchX, layout::kAnswerTouchY, layout::kAnswerTouchSize,
     layout::kAnswerTouchSize},
    {" False", layout::kFalseTouchX, layout::kAnswerTouchY, layout::kAnswerTouchSize,
     layout::kAnswerTouchSize},
    {" Reveal", layout::kRevealTouchX, layout::kRevealTouchY, layout::kRevealTouchW,
     layout::kRevealTouchH},
    {nullptr, 0, 0, 0, 0},
};

// The collect button takes a touch over the area it is redrawn in.
constexpr Button kCollectTouch{" collect", layout::kCollectL, layout::kCollectT,
                               layout::kCollectR - layout::kCollectL,
                               layout::kCollectB - layout::kCollectT};
#define STRIKORA_HEX(n, column, row) \
  { " " #n, layout::kHexX[column], layout::kHexY[row], layout::kHexW, layout::kHexH }
const Button BoardButtons[] = {
    STRIKORA_HEX(0, 0, 0),  STRIKORA_HEX(1, 1, 0),  STRIKORA_HEX(2, 2, 0),  STRIKORA_HEX(3, 3, 0),
    STRIKORA_HEX(4, 4, 0),  STRIKORA_HEX(5, 0, 1),  STRIKORA_HEX(6, 1, 1),  STRIKORA_HEX(7, 2, 1),
    STRIKORA_HEX(8, 3, 1),  STRIKORA_HEX(9, 4, 1),  STRIKORA_HEX(10, 0, 2), STRIKORA_HEX(11, 1, 2),
    STRIKORA_HEX(12, 2, 2), STRIKORA_HEX(13, 3, 2), STRIKORA_HEX(14, 4, 2), STRIKORA_HEX(15, 0, 3),
    STRIKORA_HEX(16, 1, 3), STRIKORA_HEX(17, 2, 3), STRIKORA_HEX(18, 3, 3), STRIKORA_HEX(19, 4, 3),
    kCollectTouch,          {nullptr, 0, 0, 0, 0},
};
#undef STRIKORA_HEX

namespace {

struct WaitState {
  int buttons = 0;
  uint32_t idleDeadline = 0;
  int creditsShown = -1;
  int moneyAvailable = -1;
  int lastResult = -1;
  uint32_t start = 0;                // the clock when the wait began
  int16_t touchX = -1, touchY = -1;  // the touch looked at in the last pass
};
WaitState gWait;
uint32_t gStripDeadline = 0;  // the menu strip's redraw, not reset between waits
const Button* gActiveList = nullptr;
uint32_t gWaitSerial = 0;

constexpr ClipRect kAboveButtonRow{0, kFullScreen.right, 0, layout::kButtonRowTop};
constexpr ClipRect kButtonRow{0, kFullScreen.right, layout::kButtonRowTop, kFullScreen.bottom};

}  // namespace

void StartButtonWait(const Button* list) {
  gWait = WaitState{};
  while (list[gWait.buttons].label) ++gWait.buttons;
  FlushInput();
  TimerStart(gWait.idleDeadline, 30000);
  gWait.start = WaitStarted();
}

void RefreshMenuStrip() {
  gWait.moneyAvailable = GetCredits() + GetBank();
  if (TimerExpired(gStripDeadline)) {
    TimerStart(gStripDeadline, 500);
    DrawSprite(GraphicSprite(kGraphicMenuBackground), 0, 0, 0, &kAboveButtonRow, 0);
  }
  DrawCreditPanel();
  DrawBankPanel();
  DrawSprite(GraphicSprite(kGraphicMenuBackground), 0, 0, 0, &kButtonRow, 0);
  if (gWait.moneyAvailable < StakePerGame)
    DrawSprite(GraphicSprite(kGraphicInsert), 0, layout::kInsertX, layout::kInsertY, &kButtonRow,
               2);
  else
    DrawSprite(GraphicSprite(kGraphicPlayBlank), 0, layout::kStartX, layout::kMenuButtonY, nullptr,
               2);
  DrawSprite(GraphicSprite(kGraphicOptionBlank), 0, layout::kRulesX, layout::kMenuButtonY, nullptr,
             2);
  DrawSprite(GraphicSprite(kGraphicMenuBlank), 0, layout::kMainMenuX, layout::kMenuButtonY, nullptr,
             2);
}

namespace {

bool GameWait(const Button* list, WaitOn& on) {
  if (list == LivesPickButtons) on = WaitOn::kPick;
  if (list == BoardButtons) on = WaitOn::kBoard;
  if (list == TrueFalseButtons) on = WaitOn::kAnswer;
  return list == LivesPickButtons || list == BoardButtons || list == TrueFalseButtons;
}

}  // namespace

int PollButtons(const Button* list) {
  PumpMessages();
  WaitOn on;
  if (GameWait(list, on)) WaitPass(on, gWait.start);
  gWait.touchX = TouchX;
  gWait.touchY = TouchY;
  // Once the display has failed nobody can see the screen: every wait ends at once, the
  // menu's as Main Menu, the game's as if its time had run out.
  if (DisplayFailureCode()) {
    if (list == BoardButtons) return 21;
    if (list == LivesPickButtons) return 3;
    if (list == TrueFalseButtons) return 4;
    return 0;
  }
  int result = -1;
  if (TouchX >= 0) {
    for (int i = 0; i < gWait.buttons; ++i) {
      const Button& b = list[i];
      if (TouchX >= b.x && TouchX < b.x + b.width && TouchY >= b.y && TouchY < b.y + b.height)
        result = i;
    }
  }
  if (TimerExpired(gWait.idleDeadline) && list != LivesPickButtons && list != TrueFalseButtons)
    result = 0;
  // An operator's stop request closes the menu as Main Menu does; a game plays on.
  if (list == MenuButtons && Sys().StopRequested()) result = 0;

  if (list == MenuButtons) {
    RefreshMenuStrip();
    if (GetCredits() != gWait.creditsShown) {
      gWait.creditsShown = GetCredits();
      DrawCreditPanel();
    }
    if (result == 2 && GetCredits() + GetBank() < StakePerGame) {
      FlushInput();
      result = -1;
    }
    Present();
  } else if (list == BoardButtons) {
    AnimateCollectButton();
    Present();
    if (result == kCollectButton && HighestPrizeReached() == 0) {
      FlushInput();
      result = -1;
    }
    if (CountdownRemaining() == 0) {
      FillRect(25, 130, 327, 160, 0);
      return 21;
    }
  } else if (list == LivesPickButtons) {
    if (CountdownRemaining() == 0) return 3;
  } else if (list == TrueFalseButtons) {
    TrueFalseRefresh();
    Present();
    if (result == 2 && revealCount == 0) {
      FlushInput();
      result = -1;
    }
    if (CountdownRemaining() == 0) {
      Present();
      return 4;
    }
  }
  if (result != -1) FlushInput();
  gWait.lastResult = result;
  return result;
}

int ChooseButton(const Button* list) {
  StartButtonWait(list);
  gActiveList = list;
  ++gWaitSerial;
  int result;
  do {
    result = PollButtons(list);
  } while (result == -1);
  gActiveList = nullptr;
  WaitOn on;
  if (GameWait(list, on)) RecordWait(on, result, gWait.touchX, gWait.touchY);
  return result;
}

const Button* ActiveButtonWait() {
  return gActiveList;
}

uint32_t ButtonWaitSerial() {
  return gWaitSerial;
}

void ResetButtonWaits() {
  gActiveList = nullptr;
}

int ChooseMenuButton() {
  return ChooseButton(MenuButtons);
}
int ChooseLivesBox() {
  return ChooseButton(LivesPickButtons);
}
int ChooseTrueFalse() {
  return ChooseButton(TrueFalseButtons);
}
int ChooseBoardButton() {
  return ChooseButton(BoardButtons);
}
