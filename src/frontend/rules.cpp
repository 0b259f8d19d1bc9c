#include "frontend/rules.h"

#include "frontend/menu.h"
#include "graphics/fade.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "shell/entry.h"
#include "shell/timing.h"

namespace {

constexpr ClipRect kBottomStrip{0, kFullScreen.right, layout::kStripTop, kFullScreen.bottom};
// The Back button takes the Rules button's place and slides down out of sight.
constexpr int kDrop = kFullScreen.bottom - layout::kMenuButtonY;

// The area whose touch ends the screen: the middle of the screen above and into the
// button row, not the Back button's picture.
bool InTouchArea(int x, int y) {
  return x > layout::kRulesTouchL && x < layout::kRulesTouchR && y > layout::kRulesTouchT &&
         y < layout::kRulesTouchB;
}

void SlideBack(bool up) {
  TweenStart(300);
  do {
    int d = static_cast<int>(TweenValue(kDrop));
    DrawSprite(GraphicSprite(kGraphicInfoScreen), 0, 0, 0, &kBottomStrip, 2);
    DrawSprite(GraphicSprite(kGraphicBackSwipe), 0, layout::kRulesX,
               up ? kFullScreen.bottom - d : layout::kMenuButtonY + d, &kBottomStrip, 2);
    Present();
  } while (!TweenDone());
}

}  // namespace

void ShowRulesScreen() {
  FadeToPicture(GraphicSprite(kGraphicInfoScreen));
  Present();
  SlideBack(true);
  DrawSprite(GraphicSprite(kGraphicBackBlank), 0, layout::kRulesX, layout::kMenuButtonY,
             &kBottomStrip, 2);
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
