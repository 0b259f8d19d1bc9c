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
    {"sounds\\TimeUp.WAV", MakeTimeUp},
    {"sounds\\teletype.wav", MakeTeletype},
    {"sounds\\InCorrect.wav", MakeIncorrect},
    {"sounds\\Button.wav", MakeButton},
    {"sounds\\CrowdLoop.wav", MakeCrowdLoop},
    {"sounds\\AnimationSpin.wav", MakeAnimationSpin},
    {"sounds\\ExtraLifeAnim.wav", MakeExtraLife},
    {"sounds\\EndprizeShow.wav", MakePrizeShow},
    {"sounds\\BankingNoise.wav", MakeBanking},
    {"sounds\\Timer.wav", MakeTimerTick},
    {"sounds\\TimerUp.wav", MakeTimerBuildUp},
    {"sounds\\AddPoints.wav", MakeAddPoints},
    {"sounds\\StrikoraMusic.wav", MakeMenuMusic},
    {"sounds\\Correct.wav", MakeCorrect},
    {"sounds\\SmallPoints.wav", MakeSmallPoints},
    {"sounds\\BigPoints.wav", MakeBigPoints},
    {"sounds\\Cashpot.wav", MakeBootKick},
    {"sounds\\CashpotWin.wav", MakeCashpotWin},
    {"sounds\\CashWinplan.wav", MakeWinPlanPrize},
    {"sounds\\DoubleOrQuits.wav", MakeDoubleOrQuits},
    {"sounds\\ExtraReveal.wav", MakeExtraReveal},
    {"sounds\\InCorrectDonkey.wav", MakeDonkeyBray},
    {"sounds\\QuestionTimeout.wav", MakeQuestionTimeout},
    {"sounds\\TrueOrFalse.wav", MakeTrueOrFalse},
    {"sounds\\GameOver.wav", MakeGameOver},
    {"sounds\\LosePoints.wav", MakeLosePoints},
};

}  // namespace audio

bool WriteSounds(const std::string& gameDir, std::string* error) {
  for (const audio::SoundRecipe& r : audio::kSoundRecipes) {
    if (!audio::WriteGameFile(gameDir, r.path, audio::EncodeWav(r.make()), error)) return false;
  }
  return true;
}
