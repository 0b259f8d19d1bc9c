// The game's 26 sounds with the file each one is written to; row n - 1 is sound id n.
#pragma once

#include "wav_file.h"

namespace audio {

struct SoundRecipe {
  const char* path;  // relative to the game folder, backslash-separated as the game names it
  Sound (*make)();
};

constexpr int kSoundCount = 26;
extern const SoundRecipe kSoundRecipes[kSoundCount];

}  // namespace audio
