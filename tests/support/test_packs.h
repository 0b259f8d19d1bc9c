// Fifty one-statement packs in a game folder, for tests that start the whole program:
// without them start-up stops at the question packs with exit code -7. Each pack's
// statement names its category and truth value ("C7 T1 "), so a test can tell which pack
// a question came from.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "questions/pack_format.h"
#include "questions/question_packs.h"

namespace testing_support {

// Plain pack bytes scrambled as a pack stores them.
inline std::string ScrambledPack(const std::string& plain) {
  std::string s = plain;
  for (size_t i = 0; i < s.size(); ++i)
    s[i] =
        static_cast<char>(ScrambleByte(static_cast<uint8_t>(s[i]), kPackKey[i % kPackKeyLength]));
  return s;
}

inline std::string MarkerStatement(int category, int answer) {
  char text[32];
  std::snprintf(text, sizeof text, "C%d T%d ", category, answer);
  return text;
}

inline void WriteTestPacks(const std::string& gameDir) {
  std::filesystem::create_directories(gameDir + "/Questions/trueorfalse");
  for (const PackEntry* e = packTable; e->path; ++e) {
    std::string path = gameDir + "/";
    for (const char* c = e->path; *c; ++c) path += *c == '\\' ? '/' : *c;
    // The intro packs carry the character the game drops before the "*".
    std::string filler = e->category == kIntroCategory ? "x" : "";
    std::ofstream(path, std::ios::binary)
        << ScrambledPack(MarkerStatement(e->category, e->answer) + filler + "*remark\n");
  }
}

}  // namespace testing_support
