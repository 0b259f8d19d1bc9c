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
#include "graphics/sprites.h"
#include "shell/entry.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

// A game's record starts as it is charged, and ends at once when its stake is refused.
const ChargeRecord kGameRecord{RecordGameStart, [] { RecordGameEnd(journal::kOutcomeNotPlayed); }};

constexpr ClipRect kBottomStrip{0, kFullScreen.right, 500, kFullScreen.bottom};

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
    int drop = static_cast<int>(TweenValue(92));
    if (leaving == Leaving::MainMenu)
      DrawSprite(GraphicSprite(kGraphicMenuSwipe), 0, 0, 508 + drop, &kBottomStrip, 2);
    else
      DrawSprite(GraphicSprite(kGraphicMenuBlank), 0, 0, 508, &kBottomStrip, 2);
    if (leaving == Leaving::Rules)
      DrawSprite(GraphicSprite(kGraphicOptionSwipe), 0, 276, 508 + drop, &kBottomStrip, 2);
    else
      DrawSprite(GraphicSprite(kGraphicOptionBlank), 0, 276, 508, &kBottomStrip, 2);
    if (leaving == Leaving::Start)
      DrawSprite(GraphicSprite(kGraphicPlaySwipe), 0, 584, 508 + drop, &kBottomStrip, 2);
    else if (leaving == Leaving::Rules && !CanAffordGame())
      DrawSprite(GraphicSprite(kGraphicInsert), 0, 635, 522, &kBottomStrip, 2);
    else
      DrawSprite(GraphicSprite(kGraphicPlayBlank), 0, 584, 508, &kBottomStrip, 2);
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
    int a = static_cast<int>(TweenValue(216));
    int b = static_cast<int>(TweenValue(92));
    int e = static_cast<int>(CanAffordGame() ? TweenValue(216) : TweenValue(165));
    int c = static_cast<int>(TweenValue(216));
    int g = static_cast<int>(TweenValue(216));
    DrawSprite(GraphicSprite(kGraphicOptionSwipe), 0, 276, kFullScreen.bottom - b, nullptr, 2);
    DrawSprite(GraphicSprite(kGraphicMenuSwipe), 0, a - 216, 508, nullptr, 2);
    // Asked again: money inserted meanwhile changes the picture, not the distance.
    if (CanAffordGame())
      DrawSprite(GraphicSprite(kGraphicPlaySwipe), 0, kFullScreen.right - e, 508, nullptr, 2);
    else
      DrawSprite(GraphicSprite(kGraphicInsert), 0, kFullScreen.right - e, 522, nullptr, 2);
    DrawSprite(GraphicSprite(kGraphicCreditSwipe), 0, kFullScreen.right - g, 0, nullptr, 2);
    DrawSprite(GraphicSprite(kGraphicBankSwipe), 0, c - 216, 0, nullptr, 2);
    Present();
  } while (!TweenDone());
}

bool RunMainMenu() {
  MenuSwipeIn();
  DrawSprite(GraphicSprite(kGraphicOptionBlank), 0, 276, 508, nullptr, 2);
  DrawSprite(GraphicSprite(kGraphicMenuBlank), 0, 0, 508, nullptr, 2);
  if (!CanAffordGame())
    DrawSprite(GraphicSprite(kGraphicInsert), 0, 635, 522, nullptr, 2);
  else
    DrawSprite(GraphicSprite(kGraphicPlayBlank), 0, 584, 508, nullptr, 2);
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
