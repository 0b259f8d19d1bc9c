// The game's two clips, made at build time by assetgen.
#pragma once

#include <string>

// Writes "Graphic_resource/avis/Jackpot.avi" and "Graphic_resource/avis/Gameover.avi".
bool WriteClips(const std::string& gameDir, std::string* error);
