#include "sound_table.h"

#include "asset_files.h"
#include "audio_assets.h"
#include "sound_recipes.h"

namespace audio {

Sound FinishMono(Track t, double peak, double fadeOut) {
  Normalise(t, peak);
  FadeEnds(t, 0.001, fadeOut);
  return MonoSound(t);
}

const SoundRecipe kSoundRecipes[kSoundCount] = {
    MakeTimeUp,        MakeTeletype,   MakeIncorrect,       MakeButton,       MakeCrowdLoop,
    MakeAnimationSpin, MakeExtraLife,  MakePrizeShow,       MakeBanking,      MakeTimerTick,
    MakeTimerBuildUp,  MakeAddPoints,  MakeMenuMusic,       MakeCorrect,      MakeSmallPoints,
    MakeBigPoints,     MakeBootKick,   MakeCashpotWin,      MakeWinPlanPrize, MakeDoubleOrQuits,
    MakeExtraReveal,   MakeDonkeyBray, MakeQuestionTimeout, MakeTrueOrFalse,  MakeGameOver,
    MakeLosePoints,
};

}  // namespace audio

bool WriteSounds(const std::string& gameDir, std::string* error) {
  for (int id = 1; id <= kSoundCount; ++id) {
    const audio::SoundRecipe make = audio::kSoundRecipes[id - 1];
    if (!audio::WriteGameFile(gameDir, soundFiles[id], audio::EncodeWav(make()), error))
      return false;
  }
  return true;
}
