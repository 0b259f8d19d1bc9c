// The game's 26 sound files, addressed by id 1..26. The game plays from this table and
// assetgen writes to it.
#pragma once

inline constexpr int kSoundCount = 26;

// Row n is the file of sound id n (row 0 is unused); backslashes are folders.
inline constexpr const char* soundFiles[kSoundCount + 1] = {
    nullptr,
    "sounds\\TimeUp.WAV",
    "sounds\\teletype.wav",
    "sounds\\InCorrect.wav",
    "sounds\\Button.wav",
    "sounds\\CrowdLoop.wav",
    "sounds\\AnimationSpin.wav",
    "sounds\\ExtraLifeAnim.wav",
    "sounds\\EndprizeShow.wav",
    "sounds\\BankingNoise.wav",
    "sounds\\Timer.wav",
    "sounds\\TimerUp.wav",
    "sounds\\AddPoints.wav",
    "sounds\\StrikoraMusic.wav",
    "sounds\\Correct.wav",
    "sounds\\SmallPoints.wav",
    "sounds\\BigPoints.wav",
    "sounds\\Cashpot.wav",
    "sounds\\CashpotWin.wav",
    "sounds\\CashWinplan.wav",
    "sounds\\DoubleOrQuits.wav",
    "sounds\\ExtraReveal.wav",
    "sounds\\InCorrectDonkey.wav",
    "sounds\\QuestionTimeout.wav",
    "sounds\\TrueOrFalse.wav",
    "sounds\\GameOver.wav",
    "sounds\\LosePoints.wav",
};
