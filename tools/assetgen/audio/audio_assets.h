// The game's sounds, made at build time by assetgen.
#pragma once

#include <string>

// Writes the 26 WAV files of the sound table under gameDir ("sounds/...").
bool WriteSounds(const std::string& gameDir, std::string* error);
