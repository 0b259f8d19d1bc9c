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

#include "sound/sound_files.h"

// The sound ids by what they sound, row n of soundFiles.
inline constexpr int kSoundTimeUp = 1;
inline constexpr int kSoundTeletype = 2;
inline constexpr int kSoundInCorrect = 3;
inline constexpr int kSoundButton = 4;
inline constexpr int kSoundCrowdLoop = 5;
inline constexpr int kSoundAnimationSpin = 6;
inline constexpr int kSoundExtraLifeAnim = 7;
inline constexpr int kSoundEndPrizeShow = 8;
inline constexpr int kSoundBankingNoise = 9;
inline constexpr int kSoundTimer = 10;
inline constexpr int kSoundTimerUp = 11;
inline constexpr int kSoundAddPoints = 12;
inline constexpr int kSoundMenuMusic = 13;
inline constexpr int kSoundCorrect = 14;
inline constexpr int kSoundSmallPoints = 15;
inline constexpr int kSoundBigPoints = 16;
inline constexpr int kSoundCashpot = 17;
inline constexpr int kSoundCashpotWin = 18;
inline constexpr int kSoundCashWinplan = 19;
inline constexpr int kSoundDoubleOrQuits = 20;
inline constexpr int kSoundExtraReveal = 21;
inline constexpr int kSoundInCorrectDonkey = 22;
inline constexpr int kSoundQuestionTimeout = 23;
inline constexpr int kSoundTrueOrFalse = 24;
inline constexpr int kSoundGameOver = 25;
inline constexpr int kSoundLosePoints = 26;

bool InitSound();
void StartSound(int id);        // only the low 8 bits of the id count
void StartSoundLooped(int id);  // the low 8 bits too
void PlaySoundToEnd(int id);
bool IsSoundActive(int id);
void StopAllSounds();

void EnsureSoundLoaded(int id);
void LoadWave(const char* path, int slot);
bool ReportSoundError(int code);  // always false

// Back to a program that has just started: no sound system, and none made yet.
void ResetSound();
