// How each of the game's 26 sounds is made; row n - 1 is sound id n, written to the game's
// file of that id.
#pragma once

#include "sound/sound_files.h"
#include "wav_file.h"

namespace audio {

using SoundRecipe = Sound (*)();

extern const SoundRecipe kSoundRecipes[kSoundCount];

}  // namespace audio
