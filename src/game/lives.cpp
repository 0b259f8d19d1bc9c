#include "game/lives.h"

#include "accounting/accounting.h"
#include "frontend/buttons.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_flow.h"
#include "game/game_record.h"
#include "game/points.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "shell/timing.h"
#include "sound/sound.h"

int32_t lives = 0;
uint8_t revealCount = 0;

namespace {

constexpr int kLifePresent = 5, kLifeEmpty = 0;
constexpr ClipRect kRevealArea{layout::kRevealClipL, layout::kRevealClipR, layout::kRevealClipT,
                               kFullScreen.bottom};

struct PickBox {
  ClipRect clip;
  int x, y;
};
constexpr PickBox Box(int k) {
  const int x = layout::kPickX[k], y = layout::kPickY;
  return {{x, x + layout::kPickW, y, y + layout::kPickH}, x, y};
}
constexpr PickBox kPickBoxes[3] = {Box(0), Box(1), Box(2)};

// Slot 1..5 of the lives display.
ClipRect LifeSlot(int slot) {
  int left = layout::kSlotL[slot - 1];
  return {left, left + layout::kSlotW, layout::kSlotT, layout::kSlotB};
}

void DrawLife(int slot, int frame) {
  ClipRect clip = LifeSlot(slot);
  DrawSprite(GraphicSprite(kGraphicLivesMen), frame, layout::kLivesX, layout::kLivesY, &clip, 2);
}

void BlinkLife(int slot) {
  for (int k = 0; k < 10; ++k) {
    DrawLife(slot, k % 2 == 0 ? kLifeEmpty : kLifePresent);
    Present();
    PumpWait(80);
  }
}

void DrawRevealTokens(int count, int frame) {
  DrawSprite(GraphicSprite(kGraphicMain), 0, 0, 0, &kRevealArea, 0);
  DrawSprite(GraphicSprite(kGraphicReveal0 + count), frame, layout::kRevealX, layout::kRevealY,
             nullptr, 2);
}

// One step of the token display: the old count highlighted, then the new one.
void StepRevealTokens(int from, int to) {
  DrawRevealTokens(from, 1);
  Present();
  PlaySoundToEnd(kSoundButton);
  DrawRevealTokens(to, 0);
  Present();
  PlaySoundToEnd(kSoundButton);
}

}  // namespace

LivesDraw DrawLivesForMode(int mode) {
  switch (mode) {
    case 1:
      return {1, 0};
    case 2:
      return RandomPercent(50) ? LivesDraw{2, 0} : LivesDraw{1, 1};
    default: {
      // Modes 3..5 give the same lives at the pick; the rest of the mode's lives are
      // bonus hexagons.
      int m = mode < 3 ? 3 : mode > 5 ? 5 : mode;
      if (RandomPercent(40)) return {3, m - 3};
      if (RandomPercent(50)) return {2, m - 2};
      return {1, m - 1};
    }
  }
}

void StartLivesPick() {
  static const int kModeOfLives[5] = {1, 2, 3, 4, 5};
  int mode = kModeOfLives[controlTable.controlModeLives >= 0 && controlTable.controlModeLives < 5
                              ? controlTable.controlModeLives
                              : 0];
  bonusBudget = 0;
  LivesDraw draw = DrawLivesForMode(mode);
  bonusBudget = draw.bonusBudget;

  DrawSprite(GraphicSprite(kGraphicLifeScreen), 0, 0, 0, nullptr, 0);
  DrawSprite(GraphicSprite(kGraphicLivesMen), 0, layout::kLivesX, layout::kLivesY, nullptr, 2);
  for (int k = 0; k < 3; ++k)
    DrawSprite(GraphicSprite(kGraphicLife1Anim + k), 0, kPickBoxes[k].x, kPickBoxes[k].y, nullptr,
               2);
  Present();

  countdownBarHidden = true;
  CountdownStart(10000, true);
  CountdownResume();
  FlushInput();
  int c = ChooseLivesBox();
  const bool atTimeOut = c == 3;
  if (c == 3) c = static_cast<int>(RandomBelow(3));

  // The box touched only decides where the lives drawn before the touch are shown.
  const PickBox& box = kPickBoxes[c];
  Sprite& opening = GraphicSprite(kGraphicLife1Anim + draw.lives - 1);
  StartSound(kSoundAnimationSpin);
  TweenStart(700);
  do {
    uint32_t v = TweenValue(19);
    if (v > 18) v = 18;
    DrawSprite(GraphicSprite(kGraphicLifeScreen), 0, 0, 0, &box.clip, 0);
    DrawSprite(opening, static_cast<int>(v), box.x, box.y, &box.clip, 2);
    Present();
  } while (!TweenDone());
  DrawSprite(GraphicSprite(kGraphicLifeScreen), 0, 0, 0, &box.clip, 0);
  DrawSprite(opening, 19, box.x, box.y, &box.clip, 2);
  Present();
  ChangeLives(static_cast<uint16_t>(draw.lives), true);
  countdownBarHidden = false;
  RecordPick(c, atTimeOut, draw.lives);
}

void ChangeLives(uint16_t n, bool gain) {
  for (int i = 1; i <= lives && i <= kMaxLives; ++i) DrawLife(i, kLifePresent);
  if (GetGameState() == GameLost || n == 0) return;
  if (gain) {
    for (int i = lives + 1; i <= lives + n && i <= kMaxLives; ++i) {
      StartSound(kSoundExtraLifeAnim);
      TweenStart(400);
      do {
        DrawLife(i, static_cast<int>(TweenValue(5)));
        Present();
      } while (!TweenDone());
      BlinkLife(i);
      DrawLife(i, kLifePresent);
      Present();
    }
    lives = lives + n > kMaxLives ? kMaxLives : lives + n;
    return;
  }
  for (int i = lives; i >= lives - n + 1 && i > 0; --i) {
    BlinkLife(i);
    DrawLife(i, kLifePresent);
    Present();
    // The figure fades to the empty slot.
    StartSound(kSoundExtraLifeAnim);
    TweenStart(400);
    do {
      DrawLife(i, kLifePresent - static_cast<int>(TweenValue(5)));
      Present();
    } while (!TweenDone());
  }
  lives = lives - n < -1 ? -1 : lives - n;
}

void ChangeReveals(uint16_t n, bool gain) {
  DrawSprite(
      GraphicSprite(kGraphicReveal0 + (revealCount > kMaxReveals ? kMaxReveals : revealCount)), 0,
      layout::kRevealX, layout::kRevealY, nullptr, 2);
  if (GetGameState() == GameLost || n == 0) return;
  if (gain) {
    for (int i = revealCount + 1; i <= revealCount + n && i <= kMaxReveals; ++i)
      StepRevealTokens(i - 1, i);
    revealCount =
        static_cast<uint8_t>(revealCount + n > kMaxReveals ? kMaxReveals : revealCount + n);
    return;
  }
  for (int i = revealCount; i >= revealCount - n + 1 && i > 0; --i) StepRevealTokens(i, i - 1);
  revealCount = static_cast<uint8_t>(revealCount < n ? 0 : revealCount - n);
}

void RefreshSidePanel() {
  RestoreWinPlanPanel();
  DrawPointer();
  ChangeLives(0, false);
  ChangeReveals(0, false);
  DrawCashpot();
  DrawBoots();
}
