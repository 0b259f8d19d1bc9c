#include "frontend/rules.h"

#include "frontend/menu.h"
#include "graphics/fade.h"
#include "graphics/graphic_table.h"
#include "graphics/sprites.h"
#include "shell/entry.h"
#include "shell/timing.h"

namespace {

constexpr ClipRect kBottomStrip{0, kFullScreen.right, 500, kFullScreen.bottom};

// The area whose touch ends the screen: the middle of the screen above and into the
// button row, not the Back button's picture.
bool InTouchArea(int x, int y) {
  return x > 325 && x < 535 && y > 350 && y < 570;
}

void SlideBack(bool up) {
  TweenStart(300);
  do {
    int d = static_cast<int>(TweenValue(92));
    DrawSprite(GraphicSprite(kGraphicInfoScreen), 0, 0, 0, &kBottomStrip, 2);
    DrawSprite(GraphicSprite(kGraphicBackSwipe), 0, 276, up ? kFullScreen.bottom - d : 508 + d,
               &kBottomStrip, 2);
    Present();
  } while (!TweenDone());
}

}  // namespace

void ShowRulesScreen() {
  FadeToPicture(GraphicSprite(kGraphicInfoScreen));
  Present();
  SlideBack(true);
  DrawSprite(GraphicSprite(kGraphicBackBlank), 0, 276, 508, &kBottomStrip, 2);
  Present();
  uint32_t deadline;
  TimerStart(deadline, 35000);
  for (;;) {
    PumpMessages();
    if (TimerExpired(deadline) || InTouchArea(TouchX, TouchY)) break;
  }
  SlideBack(false);
  DrawSprite(GraphicSprite(kGraphicMenuBackground), 0, 0, 0, nullptr, 0);
  Present();
  MenuSwipeIn();
}
