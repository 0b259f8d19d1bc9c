// The pack reader on arbitrary bytes: counting the lines of a pack and drawing statements
// from it must stay inside the line buffer and the question text, whatever the file holds
// and however many lines start-up counted.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pack_text.h"
#include "platform/headless/headless_platform.h"
#include "questions/pack_format.h"
#include "questions/question_packs.h"
#include "shell/system.h"
#include "shell/timing.h"
#include "temp_dir.h"

std::vector<std::string> FuzzSeeds() {
  std::vector<std::string> statements = {
      "Which club won the first FA Cup? *Wanderers, in 1872.",
      "The ball cost #5. *A pound sign.",
      "No remark here",
      "*",
      "Two *stars *here",
  };
  std::string normal = packtool::EncodePack(statements, false);
  std::string intro = packtool::EncodePack(statements, true);
  return {normal,
          intro,
          normal.substr(0, normal.size() / 2),
          std::string(1200, '\x80') + "\n",
          std::string("\x03\xF8\xFF\x07\n\n\n"),
          "",
          std::string(600, 'x')};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing_support::TempDir dir;
  static platform::HeadlessPlatform system;
  static bool ready = [] {
    system.SetGameDir(dir.Path());
    std::filesystem::create_directories(dir / "Questions/trueorfalse");
    return true;
  }();
  (void)ready;
  SetSystem(&system);
  ResetQuestionPacks();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // A normal pack or an intro pack, which drops one more character before the star.
  PackEntry& entry = packTable[size % 2 ? 0 : kPackCount - 1];
  // A fresh file each time: rewriting one in place makes ext4 flush it to disk at close.
  std::string path = system.ResolvePath(entry.path);
  std::remove(path.c_str());
  testing_support::WriteFile(path, bytes);
  int32_t lines = CountPackLines(entry);
  if (lines < 0) __builtin_trap();
  // Sometimes claim more lines than there are, as if the pack shrank after start-up.
  entry.lineCount = lines + (size > 0 ? data[0] % 3 : 0);
  for (uint32_t seed = 0; seed < 3; ++seed) {
    SeedRandom(seed + static_cast<uint32_t>(size));
    LoadQuestion(entry.category, entry.answer);
    if (std::strlen(GetQuestionText()) >= static_cast<size_t>(kQuestionTextSize)) __builtin_trap();
    if (std::strlen(PackLineBuffer()) >= static_cast<size_t>(kLineBufferSize)) __builtin_trap();
  }
  // The expansion into small texts, as the game's line buffer holds it.
  char line[kLineBufferSize];
  size_t n = size < sizeof line - 1 ? size : sizeof line - 1;
  std::memcpy(line, data, n);
  line[n] = '\0';
  for (int capacity : {1, 2, 7, kQuestionTextSize}) {
    std::vector<char> text(static_cast<size_t>(capacity) + 1, '\x55');
    int length = ExpandPackText(line, text.data(), capacity, nullptr);
    if (length >= capacity || text[static_cast<size_t>(capacity)] != '\x55') __builtin_trap();
  }
  packtool::DecodePack(bytes, size % 2 == 0);
  return 0;
}
