// The game's sounds and clips, made at build time by assetgen.
#pragma once

#include <string>

// Writes the 26 WAV files of the sound table under gameDir ("sounds/...").
bool WriteSounds(const std::string& gameDir, std::string* error);
// Writes "Graphic_resource/avis/Jackpot.avi" and "Graphic_resource/avis/Gameover.avi".
bool WriteClips(const std::string& gameDir, std::string* error);
