// The files side of packtool: all 50 sources of a folder compiled into the packs of a
// game folder, and one pack file read back.
#pragma once

#include <string>
#include <vector>

#include "pack_text.h"

namespace packtool {

// Where the packs go inside a game folder.
inline constexpr char kPackFolder[] = "Questions/trueorfalse";

struct BuildResult {
  std::vector<std::string> problems;  // nothing is written when there are any
  int statements = 0;
  long long sourceBytes = 0;  // the source files as they stand
  long long textBytes = 0;    // the plain text of the lines, newlines included
  long long packBytes = 0;    // the packs written
};

// Checks every source (all but the fit in the question box) and, when all pass, writes
// OUT_DIR/Questions/trueorfalse/<name>.pck for each.
BuildResult BuildPacks(const std::string& sourceDir, const std::string& outDir);

// The lines of a pack file in source form; false with the reason when the file cannot be
// read or its name is not one of the 50 packs.
bool DumpPack(const std::string& path, DecodedPack& pack, std::string* error);

}  // namespace packtool
