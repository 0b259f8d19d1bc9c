// The countdown bar above the board: 25 segments that empty from the right while a tick
// marks each one. It times the true-or-false question (20 s, built up loudly), the board
// wait and the start pick (10 s, quiet); the button waits read it to end by themselves.
#pragma once

#include <cstdint>

struct CountdownPoint {
  int32_t x, y;
};

inline constexpr int kCountdownPositions = 29;
// 0, 1, 27 and 28 lie off the screen; 2..26 are the segments from the left.
extern const CountdownPoint countdownPositions[kCountdownPositions];

// Set by the start pick while it waits, so that arming leaves the bar alone.
extern bool countdownBarHidden;

void CountdownStart(uint32_t durationMs, bool quiet);
void CountdownResume();
void CountdownPause();
void CountdownCatchUp();
// Time left; the call that first finds the end may be negative, later ones are 0.
int32_t CountdownRemaining();
void CountdownUpdate();

// What the countdown holds, for tests and bots.
struct CountdownState {
  int32_t remaining = 0;
  bool running = false;
  uint32_t resumeTime = 0;
  float segmentTime = 0.0f;
  uint32_t tickDeadline = 0;
  int32_t barEdge = 333;
};
const CountdownState& Countdown();
void ResetCountdown();
