#include "shell/timing.h"

#include <utility>

#include "shell/pump.h"
#include "shell/system.h"

namespace {

struct Tween {
  bool done = true;
  uint32_t duration = 0;
  uint32_t start = 0;
};
Tween gTween;
uint32_t gRandomState = 1;
uint32_t gLastClock = 0;

}  // namespace

uint32_t timeGetTime() {
  gLastClock = Sys().TimeGetTime();
  return gLastClock;
}

uint32_t LastClockReading() {
  return gLastClock;
}

void TimerStart(uint32_t& deadline, int32_t delayMs) {
  deadline = timeGetTime() + static_cast<uint32_t>(delayMs);
}

void TimerNow(uint32_t& deadline) {
  TimerStart(deadline, 0);
}

// The clock wraps after 49.7 days of uptime: a deadline that seems more than 24 days
// ahead was passed before the clock went round, so a wait never spans the wrap.
bool TimerExpired(uint32_t deadline) {
  uint32_t now = timeGetTime();
  return now >= deadline || deadline - now > 0x80000000u;
}

void SeedRandom(uint32_t seed) {
  gRandomState = seed;
}

uint32_t RandomState() {
  return gRandomState;
}

int NextRandom() {
  gRandomState = gRandomState * 214013u + 2531011u;
  return static_cast<int>((gRandomState >> 16) & 0x7FFF);
}

uint32_t RandomBelow(uint32_t n) {
  if (n == 0) n = 1;
  return static_cast<uint32_t>(NextRandom()) % n;
}

bool RandomPercent(int32_t p) {
  return static_cast<int32_t>(RandomBelow(100)) < p;
}

void ShuffleInts(int32_t* values, int32_t count) {
  for (int32_t i = 0; i < count - 1; ++i) {
    int32_t j = i + static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(count - i)));
    std::swap(values[i], values[j]);
  }
}

void FlushInput() {
  platform::Message m;
  while (Sys().PeekMessage(m)) {
  }
  TouchX = -1;
  TouchY = -1;
}

void PumpWait(uint32_t ms) {
  uint32_t pumpDeadline;
  TimerNow(pumpDeadline);
  uint32_t start = timeGetTime();
  do {
    if (TimerExpired(pumpDeadline)) {
      PumpMessages();
      TimerStart(pumpDeadline, 250);
    }
  } while (timeGetTime() - start < ms);
}

void IgnoreInputFor(uint32_t ms) {
  uint32_t deadline;
  TimerStart(deadline, static_cast<int32_t>(ms & 0xFFFF));
  do {
    FlushInput();
    PumpWait(20);
  } while (!TimerExpired(deadline));
}

void TweenStart(uint32_t durationMs) {
  gTween.done = false;
  gTween.duration = durationMs;
  gTween.start = timeGetTime();
}

uint32_t TweenValue(uint32_t n) {
  uint32_t elapsed = timeGetTime() - gTween.start;
  if (elapsed >= gTween.duration) {
    elapsed = gTween.duration;
    gTween.done = true;
  }
  if (gTween.duration == 0) return n;
  return n * elapsed / gTween.duration;
}

bool TweenDone() {
  if (gTween.done) return true;
  gTween.done = (timeGetTime() - gTween.start) >= gTween.duration;
  return false;
}

int DebugPrint(const char*, ...) {
  return 0;
}
