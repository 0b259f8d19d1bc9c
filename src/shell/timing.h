// The clock, deadlines, waits that keep the window's queue moving, the one animation
// tween, the random generator and the array shuffle that every screen uses.
#pragma once

#include <cstdint>

uint32_t timeGetTime();
// The value the clock gave at its last reading, without reading it again.
uint32_t LastClockReading();

void TimerStart(uint32_t& deadline, int32_t delayMs);
void TimerNow(uint32_t& deadline);
bool TimerExpired(uint32_t deadline);

// The game's own generator: state = state * 214013 + 2531011, output 15 bits.
void SeedRandom(uint32_t seed);
uint32_t RandomState();  // the generator's whole state: SeedRandom(RandomState()) goes on alike
int NextRandom();        // 0..32767
uint32_t RandomBelow(uint32_t n);
bool RandomPercent(int32_t p);
void ShuffleInts(int32_t* values, int32_t count);

void FlushInput();
void PumpWait(uint32_t ms);
void IgnoreInputFor(uint32_t ms);

void TweenStart(uint32_t durationMs);
uint32_t TweenValue(uint32_t n);
bool TweenDone();

// Trace calls stay at their sites; they print nothing.
int DebugPrint(const char* format, ...);
