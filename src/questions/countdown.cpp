#include "questions/countdown.h"

#include "graphics/display.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

using layout::kBarBottom, layout::kBarLeft, layout::kBarRight, layout::kBarTop;
using layout::kSegmentW, layout::kSegmentY;
constexpr int kFrameHead = 0, kFrameEnd = 1, kFrameLit = 2;

CountdownState gCountdown;

Sprite& TimerBits() {
  return GraphicSprite(kGraphicTimerBits);
}

void DrawSegment(int frame, const CountdownPoint& at) {
  DrawSprite(TimerBits(), frame, at.x, at.y, nullptr, 2);
}

}  // namespace

// The positions before and after the bar's segments: the screen's far corner, off it.
constexpr CountdownPoint kOffScreen{platform::kScreenWidth, platform::kScreenHeight};
#define STRIKORA_SEGMENT(k) \
  { kBarLeft + kSegmentW*(k), kSegmentY }
const CountdownPoint countdownPositions[kCountdownPositions] = {
    kOffScreen,           kOffScreen,           STRIKORA_SEGMENT(0),  STRIKORA_SEGMENT(1),
    STRIKORA_SEGMENT(2),  STRIKORA_SEGMENT(3),  STRIKORA_SEGMENT(4),  STRIKORA_SEGMENT(5),
    STRIKORA_SEGMENT(6),  STRIKORA_SEGMENT(7),  STRIKORA_SEGMENT(8),  STRIKORA_SEGMENT(9),
    STRIKORA_SEGMENT(10), STRIKORA_SEGMENT(11), STRIKORA_SEGMENT(12), STRIKORA_SEGMENT(13),
    STRIKORA_SEGMENT(14), STRIKORA_SEGMENT(15), STRIKORA_SEGMENT(16), STRIKORA_SEGMENT(17),
    STRIKORA_SEGMENT(18), STRIKORA_SEGMENT(19), STRIKORA_SEGMENT(20), STRIKORA_SEGMENT(21),
    STRIKORA_SEGMENT(22), STRIKORA_SEGMENT(23), STRIKORA_SEGMENT(24), kOffScreen,
    kOffScreen,
};
#undef STRIKORA_SEGMENT

bool countdownBarHidden = false;

void CountdownStart(uint32_t durationMs, bool quiet) {
  if (!countdownBarHidden) {
    gCountdown.barEdge = kBarRight;
    FillRect(kBarLeft, kBarTop, kBarRight, kBarBottom, 0);
    if (!quiet) StartSound(kSoundTimerUp);
    for (int i = 2; i < kCountdownPositions; ++i) {
      if (quiet) {
        DrawSegment(kFrameLit, countdownPositions[i - 2]);
        continue;
      }
      // A three-segment head sweeps left to right and leaves the bar lit behind it.
      DrawSegment(kFrameHead, countdownPositions[i]);
      DrawSegment(kFrameEnd, countdownPositions[i - 1]);
      DrawSegment(kFrameLit, countdownPositions[i - 2]);
      PumpWait(10);
      Present();
    }
  }
  if (!quiet) Present();
  gCountdown.segmentTime = static_cast<float>(durationMs) / 25.0f;
  TimerNow(gCountdown.tickDeadline);
  gCountdown.remaining = static_cast<int32_t>(durationMs);
  gCountdown.running = false;
}

void CountdownResume() {
  if (gCountdown.running) return;
  gCountdown.resumeTime = timeGetTime();
  gCountdown.running = true;
}

void CountdownPause() {
  if (!gCountdown.running) return;
  CountdownCatchUp();
  gCountdown.running = false;
}

void CountdownCatchUp() {
  if (!gCountdown.running) return;
  int32_t left = gCountdown.remaining - static_cast<int32_t>(timeGetTime() - gCountdown.resumeTime);
  gCountdown.remaining = left < 0 ? 0 : left;
}

int32_t CountdownRemaining() {
  int32_t r = gCountdown.remaining;
  if (gCountdown.running) r -= static_cast<int32_t>(timeGetTime() - gCountdown.resumeTime);
  if (r <= 0) CountdownPause();
  return r;
}

void CountdownUpdate() {
  int32_t a = CountdownRemaining() + 1000;
  if (CountdownRemaining() <= 0) {
    FillRect(kBarLeft, kBarTop, kBarRight, kBarBottom, 0);
    return;
  }
  if (TimerExpired(gCountdown.tickDeadline)) {
    StartSound(kSoundTimer);
    TimerStart(gCountdown.tickDeadline, static_cast<int32_t>(gCountdown.segmentTime));
  }
  if (gCountdown.barEdge >= kBarLeft + kSegmentW && gCountdown.barEdge < kBarRight)
    DrawSegment(kFrameEnd, {gCountdown.barEdge - kSegmentW, kSegmentY});
  // Durations of 6,251 ms and more keep the index inside the table; a shorter one
  // starts with the whole bar standing.
  int index = static_cast<int>(static_cast<float>(a) / gCountdown.segmentTime);
  if (index < 0) index = 0;
  if (index >= kCountdownPositions) index = kCountdownPositions - 1;
  gCountdown.barEdge = countdownPositions[index].x;
  if (gCountdown.barEdge <= kBarLeft) {
    gCountdown.barEdge = kBarLeft;
    CountdownCatchUp();
  }
  FillRect(gCountdown.barEdge, kBarTop, kBarRight, kBarBottom, 0);
}

const CountdownState& Countdown() {
  return gCountdown;
}

void ResetCountdown() {
  gCountdown = CountdownState{};
  countdownBarHidden = false;
}
