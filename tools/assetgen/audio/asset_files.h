// Writing generated files into the game folder.
#pragma once

#include <string>

namespace audio {

// The game's tables name files with backslashes ("sounds\Correct.wav"); on disk each one is a
// folder. Returns gameDir joined with the table path, separators turned into '/'.
std::string GamePath(const std::string& gameDir, const std::string& tablePath);

// Writes bytes to the table path under gameDir, creating folders as needed. On failure fills
// *error (when given) and returns false.
bool WriteGameFile(const std::string& gameDir, const std::string& tablePath,
                   const std::string& bytes, std::string* error);

}  // namespace audio
