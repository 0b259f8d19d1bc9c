#include "frontend/menu.h"

#include "accounting/accounting.h"
#include "accounting/journal_store.h"
#include "accounting/money_link.h"
#include "frontend/buttons.h"
#include "frontend/panels.h"
#include "frontend/rules.h"
#include "game/game_record.h"
#include "graphics/display.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "shell/entry.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

// A game's record starts as it is charged, and ends at once when its stake is refused.
const ChargeRecord kGameRecord{RecordGameStart, [] { RecordGameEnd(journal::kOutcomeNotPlayed); }};

constexpr ClipRect kBottomStrip{0, kFullScreen.right, layout::kStripTop, kFullScreen.bottom};

// How far the parts slide: the buttons and money panels at the sides in from off the screen
// by their width (the Start button's, which ends at the right edge), the Insert sign in from
// the right edge, the buttons of the bottom row down out of sight.
constexpr int kSideSlide = kFullScreen.right - layout::kStartX;
constexpr int kInsertSlide = kFullScreen.right - layout::kInsertX;
constexpr int kDrop = kFullScreen.bottom - layout::kMenuButtonY;

bool CanAffordGame() {
  return GetCredits() + GetBank() >= StakePerGame;
}

Sprite& Background() {
  return GraphicSprite(kGraphicMenuBackground);
}

// One of the bottom-row buttons slides down out of sight, the other two resting.
enum class Leaving { Rules, MainMenu, Start };

void SlideOut(Leaving leaving) {
  TweenStart(300);
  do {
    DrawSprite(Background(), 0, 0, 0, &kBottomStrip, 2);
    int drop = static_cast<int>(TweenValue(kDrop));
    const int y = layout::kMenuButtonY;
    if (leaving == Leaving::MainMenu)
      DrawSprite(GraphicSprite(kGraphicMenuSwipe), 0, layout::kMainMenuX, y + drop, &kBottomStrip,
                 2);
    else
      DrawSprite(GraphicSprite(kGraphicMenuBlank), 0, layout::kMainMenuX, y, &kBottomStrip, 2);
    if (leaving == Leaving::Rules)
      DrawSprite(GraphicSprite(kGraphicOptionSwipe), 0, layout::kRulesX, y + drop, &kBottomStrip,
                 2);
    else
      DrawSprite(GraphicSprite(kGraphicOptionBlank), 0, layout::kRulesX, y, &kBottomStrip, 2);
    if (leaving == Leaving::Start)
      DrawSprite(GraphicSprite(kGraphicPlaySwipe), 0, layout::kStartX, y + drop, &kBottomStrip, 2);
    else if (leaving == Leaving::Rules && !CanAffordGame())
      DrawSprite(GraphicSprite(kGraphicInsert), 0, layout::kInsertX, layout::kInsertY,
                 &kBottomStrip, 2);
    else
      DrawSprite(GraphicSprite(kGraphicPlayBlank), 0, layout::kStartX, y, &kBottomStrip, 2);
    Present();
  } while (!TweenDone());
}

void WaitForButtonSound() {
  while (IsSoundActive(kSoundButton)) PumpMessages();
  PumpWait(500);
}

}  // namespace

void MenuSwipeIn() {
  TweenStart(500);
  do {
    DrawSprite(Background(), 0, 0, 0, nullptr, 2);
    int a = static_cast<int>(TweenValue(kSideSlide));
    int b = static_cast<int>(TweenValue(kDrop));
    int e = static_cast<int>(CanAffordGame() ? TweenValue(kSideSlide) : TweenValue(kInsertSlide));
    int c = static_cast<int>(TweenValue(kSideSlide));
    int g = static_cast<int>(TweenValue(kSideSlide));
    DrawSprite(GraphicSprite(kGraphicOptionSwipe), 0, layout::kRulesX, kFullScreen.bottom - b,
               nullptr, 2);
    DrawSprite(GraphicSprite(kGraphicMenuSwipe), 0, layout::kMainMenuX + a - kSideSlide,
               layout::kMenuButtonY, nullptr, 2);
    // Asked again: money inserted meanwhile changes the picture, not the distance.
    if (CanAffordGame())
      DrawSprite(GraphicSprite(kGraphicPlaySwipe), 0, kFullScreen.right - e, layout::kMenuButtonY,
                 nullptr, 2);
    else
      DrawSprite(GraphicSprite(kGraphicInsert), 0, kFullScreen.right - e, layout::kInsertY, nullptr,
                 2);
    DrawSprite(GraphicSprite(kGraphicCreditSwipe), 0, kFullScreen.right - g, 0, nullptr, 2);
    DrawSprite(GraphicSprite(kGraphicBankSwipe), 0, layout::kBankX + c - kSideSlide, 0, nullptr, 2);
    Present();
  } while (!TweenDone());
}

bool RunMainMenu() {
  MenuSwipeIn();
  DrawSprite(GraphicSprite(kGraphicOptionBlank), 0, layout::kRulesX, layout::kMenuButtonY, nullptr,
             2);
  DrawSprite(GraphicSprite(kGraphicMenuBlank), 0, layout::kMainMenuX, layout::kMenuButtonY, nullptr,
             2);
  if (!CanAffordGame())
    DrawSprite(GraphicSprite(kGraphicInsert), 0, layout::kInsertX, layout::kInsertY, nullptr, 2);
  else
    DrawSprite(GraphicSprite(kGraphicPlayBlank), 0, layout::kStartX, layout::kMenuButtonY, nullptr,
               2);
  DrawBankPanel();
  DrawCreditPanel();
  StartSound(kSoundMenuMusic);

  int choice;
  do {
    Present();
    choice = ChooseMenuButton();
    // With the screen gone there is nothing to slide out or wait for.
    if (DisplayFailureCode()) return false;
    if (choice == kMenuRules) {
      StartSound(kSoundButton);
      SlideOut(Leaving::Rules);
      ShowRulesScreen();
    } else if (choice == kMenuStart && !ChargeGame(kGameRecord)) {
      choice = kMenuRules;  // refused: back to waiting, without the rules
    }
  } while (choice == kMenuRules);

  if (choice == kMenuMainMenu) {
    StopAllSounds();
    StartSound(kSoundButton);
    SlideOut(Leaving::MainMenu);
    WaitForButtonSound();
    return false;
  }
  StartSound(kSoundButton);
  SlideOut(Leaving::Start);
  WaitForButtonSound();
  return true;
}
