#include "game/cashpot.h"

#include "accounting/accounting.h"
#include "accounting/money_link.h"
#include "accounting/record_file.h"
#include "game/board.h"
#include "game/lives.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "shell/timing.h"
#include "sound/sound.h"

int32_t bootCount = 0;
bool collectAvailable = false;

namespace {

constexpr ClipRect kPanel{layout::kCashpotX, layout::kCashpotR, 0, layout::kCashpotB};
constexpr ClipRect kAmountArea{layout::kAmountL, layout::kAmountR, layout::kAmountT,
                               layout::kAmountB};
constexpr ClipRect kCollectArea{layout::kCollectL, layout::kCollectR, layout::kCollectT,
                                layout::kCollectB};
constexpr int kPoint = 10, kPound = 11;
constexpr int kBootComplete = 4;

struct BootSlot {
  int x, y;
  ClipRect clip;
};
constexpr BootSlot Slot(int k) {
  const int x = layout::kBootX[k];
  return {x, layout::kBootY, {x, x + layout::kBootW, layout::kBootY, layout::kBootB}};
}
constexpr BootSlot kBootSlots[3] = {Slot(0), Slot(1), Slot(2)};

uint32_t gFlashDeadline = 0;
int gFlashFrame = 0;

void DrawPanel(const ClipRect& clip) {
  DrawSprite(GraphicSprite(kGraphicCashpot), 0, layout::kCashpotX, 0, &clip, 0);
}

void DrawBoot(int slot, int frame) {
  const BootSlot& s = kBootSlots[slot];
  DrawSprite(GraphicSprite(kGraphicBoots), frame, s.x, s.y, &s.clip, 2);
}

void DrawDigit(int frame, int x) {
  DrawSprite(GraphicSprite(kGraphicCashpotNos), frame, x, layout::kCashDigitY, nullptr, 2);
}

}  // namespace

void DrawCashpot() {
  DrawCashpotAmount(GetCashpot());
}

void DrawCashpotAmount(int32_t amount) {
  DrawPanel(kAmountArea);
  int x = amount >= 1000 ? layout::kCashDigitXFrom1000 : layout::kCashDigitX;
  DrawDigit(kPound, x);
  if (amount >= 1000) {
    x += 16;
    DrawDigit(amount / 1000 % 10, x);
  }
  x += 16;
  DrawDigit(amount / 100 % 10, x);
  x += 12;
  DrawDigit(kPoint, x);
  x += 11;
  DrawDigit(amount / 10 % 10, x);
  x += 17;
  DrawDigit(amount % 10, x);
}

void DrawBoots() {
  for (int k = 0; k < 3; ++k)
    if (bootCount >= k + 1) DrawBoot(k, kBootComplete);
}

void CollectBoot() {
  if (bootCount < 0 || bootCount >= 3) return;
  StartSound(kSoundExtraLifeAnim);
  TweenStart(500);
  do {
    uint32_t v = TweenValue(5);
    if (v > 4) v = 4;
    DrawPanel(kBootSlots[bootCount].clip);
    DrawBoot(bootCount, static_cast<int>(v));
    Present();
  } while (!TweenDone());
  ++bootCount;
  DrawBoots();
  if (bootCount >= 3) WinCashpot();
}

void WinCashpot() {
  StartSound(kSoundCashpotWin);
  for (int k = 1; k <= 10; ++k) {
    DrawPanel(kPanel);
    DrawCashpot();
    if (k % 2 == 1)
      for (int slot = 0; slot < 3; ++slot) DrawBoot(slot, kBootComplete);
    Present();
    PumpWait(100);
  }
  DrawPanel(kPanel);
  DrawCashpot();
  for (int slot = 0; slot < 3; ++slot) DrawBoot(slot, kBootComplete);
  Present();

  // The cashpot is booked and reset first; the reset is durable together with the intent
  // to pay it (the record image goes into the game journal with it, then to the record
  // file), so that a crash at any later instant cannot pay it a second time. Whole pounds
  // go to the bank, the pence to the credits.
  int32_t a = GetCashpot();
  AddToBalance(1, static_cast<float>(a));
  CountMeter(kMeterCashpotsPaid);
  AddToMeter(kMeterCashpotPayouts, static_cast<int16_t>(a));
  AddToMeter(kMeterPaidOut, static_cast<int16_t>(a));
  ResetCashpot();
  PayCashpot(a, RecordBytes());

  // The amount paid counts down to nothing on the screen in steps of 5 pence; a last step
  // of less takes what is left of an amount that is not a multiple of 5.
  int32_t shown = a;
  while (shown > 0) {
    shown -= shown < 5 ? shown : 5;
    DrawCashpotAmount(shown);
    DrawBoots();
    Present();
    PumpWait(50);
  }
  bootCount = 0;
  cashpotBoost = false;

  StartSound(kSoundExtraLifeAnim);
  TweenStart(500);
  do {
    uint32_t v = TweenValue(5);
    int frame = 5 - static_cast<int>(v);
    if (frame > kBootComplete) frame = kBootComplete;
    DrawPanel(kPanel);
    DrawCashpot();
    for (int slot = 0; slot < 3; ++slot) DrawBoot(slot, frame);
    Present();
  } while (!TweenDone());
  DrawPanel(kPanel);
  DrawCashpot();
  Present();
  StartSound(kSoundCashpotWin);
}

void AnimateCollectButton() {
  CountdownUpdate();
  if (TimerExpired(gFlashDeadline)) {
    if (collectAvailable) {
      gFlashFrame = gFlashFrame >= 13 ? 0 : gFlashFrame + 1;
      TimerStart(gFlashDeadline, 100);
      DrawSprite(GraphicSprite(kGraphicCollectButton), 0, layout::kCollectX, layout::kCollectY,
                 nullptr, 2);
      DrawSprite(GraphicSprite(kGraphicCollectAnim), gFlashFrame, layout::kCollectAnimX,
                 layout::kCollectAnimY, nullptr, 2);
    } else {
      // The unavailable look: the plain background under the button, the grey face on it.
      DrawSprite(GraphicSprite(kGraphicMain), 0, 0, 0, &kCollectArea, 0);
      DrawSprite(GraphicSprite(kGraphicCollectButton), 2, layout::kCollectX, layout::kCollectY,
                 &kCollectArea, 2);
    }
  }
  RefreshSidePanel();
  DrawBoard();
}

void ResetCollectFlash() {
  gFlashDeadline = 0;
  gFlashFrame = 0;
}
