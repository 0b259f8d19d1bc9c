// One function per game sound. Each returns the finished PCM sound; the table in
// sound_table.cpp ties them to their file names.
#pragma once

#include "wav_file.h"

namespace audio {

constexpr int kEffectRate = 22050;

// Levels a one-shot to `peak`, fades its ends to silence (no click) and makes it 16-bit mono.
Sound FinishMono(Track t, double peak, double fadeOut = 0.01);

// Short interface sounds (sounds_ui.cpp).
Sound MakeTeletype();
Sound MakeButton();
Sound MakeTimerTick();
Sound MakeTimerBuildUp();
Sound MakeTimeUp();
Sound MakeQuestionTimeout();
Sound MakeAnimationSpin();
Sound MakeExtraLife();
Sound MakeExtraReveal();
Sound MakeAddPoints();
Sound MakeLosePoints();
Sound MakeSmallPoints();

// Answers, prizes and fanfares (sounds_show.cpp).
Sound MakeCorrect();
Sound MakeIncorrect();
Sound MakeDonkeyBray();
Sound MakeTrueOrFalse();
Sound MakeDoubleOrQuits();
Sound MakeBigPoints();
Sound MakeBootKick();
Sound MakeCashpotWin();
Sound MakeWinPlanPrize();
Sound MakeBanking();
Sound MakePrizeShow();
Sound MakeGameOver();

// The crowd loop (sounds_crowd.cpp) and the menu tune (sounds_music.cpp).
Sound MakeCrowdLoop();
Sound MakeMenuMusic();

}  // namespace audio
