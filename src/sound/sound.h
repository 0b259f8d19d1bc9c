// The game's sounds: 26 WAV files addressed by id 1..26. Each id gets its own buffer
// on the platform's sound device the first time it is played, kept for the rest of the
// run; playing an id again restarts it from its beginning.
//
// Where nothing can sound the game goes on in silence and nothing waits: with no device,
// for an id whose file is missing or unreadable or in a format that cannot be played, and
// for an id outside 1..26, starting and stopping do nothing, IsSoundActive is false and
// PlaySoundToEnd returns at once. Before InitSound every operation does nothing.
#pragma once

#include <cstdint>

inline constexpr int kSoundCount = 26;

// Row n is the file of sound id n (row 0 is unused).
extern const char* const soundFiles[kSoundCount + 1];

bool InitSound();
void StartSound(int id);  // only the low 8 bits of the id count
void StartSoundLooped(int id);
void PlaySoundToEnd(int id);
bool IsSoundActive(int id);
void StopAllSounds();

void EnsureSoundLoaded(int id);
void LoadWave(const char* path, int slot);
bool ReportSoundError(int code);  // always false

// Back to a program that has just started: no sound system, and none made yet.
void ResetSound();
// Tests: the next InitSound finds no memory for its state.
void FailNextSoundAllocation();
