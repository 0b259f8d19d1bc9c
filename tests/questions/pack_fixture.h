// The game's packs in a temporary game folder on the headless backend. Every pack starts
// with one statement naming its category and truth value ("C7 T1 *..."); a test replaces
// the packs it is about with exact plain bytes, scrambled as a pack stores them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "accounting/accounting.h"
#include "game/game_flow.h"
#include "graphics/display.h"
#include "platform/headless/headless_platform.h"
#include "questions/pack_format.h"
#include "questions/question_packs.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "shell/timing.h"
#include "temp_dir.h"
#include "test_packs.h"

namespace questions_test {

inline std::string Scrambled(const std::string& plain) {
  return testing_support::ScrambledPack(plain);
}

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
    ResetDisplayState();
    ResetQuestionPacks();
    ResetAccounting();
    turnCount = 0;
    SeedRandom(1);
    testing_support::WriteTestPacks(dir_.Path());
  }
  void TearDown() override {
    ResetQuestionPacks();
    if (DisplayUp()) ShutdownDisplay(255);
    CloseLog();
    SetSystem(nullptr);
  }

  static const PackEntry* Entry(int category, int answer) {
    for (const PackEntry* e = packTable; e->path; ++e)
      if (e->category == category && e->answer == answer) return e;
    return nullptr;
  }
  std::string FileOf(const PackEntry* e) const { return system_.ResolvePath(e->path); }
  void WritePlain(const PackEntry* e, const std::string& plain) {
    std::filesystem::remove(FileOf(e));  // a fresh file is quicker than one rewritten
    testing_support::WriteFile(FileOf(e), Scrambled(plain));
  }
  void WritePlain(int category, int answer, const std::string& plain) {
    WritePlain(Entry(category, answer), plain);
  }
  // The only statement of a one-line pack, as the game shows it.
  std::string QuestionFrom(int category, int answer, const std::string& plain) {
    WritePlain(category, answer, plain);
    EXPECT_TRUE(LoadQuestionPacks());
    LoadQuestion(category, answer);
    return GetQuestionText();
  }

  testing_support::TempDir dir_;
  platform::HeadlessPlatform system_;
};

}  // namespace questions_test
