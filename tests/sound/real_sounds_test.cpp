// The game's own 26 sounds, when a build has made them: each one loads and can be played.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "sound/sound.h"

namespace {

namespace fs = std::filesystem;

// STRIKORA_SOUND_DIR when set, else this build's game folder or the main build's.
std::string FindSoundFolder() {
  std::vector<fs::path> candidates;
  if (const char* dir = std::getenv("STRIKORA_SOUND_DIR")) candidates.emplace_back(dir);
  candidates.emplace_back(STRIKORA_BINARY_DIR "/game");
  candidates.emplace_back(STRIKORA_SOURCE_DIR "/build/game");
  candidates.emplace_back(STRIKORA_SOURCE_DIR "/build-audio/game");
  for (const fs::path& c : candidates)
    if (fs::exists(c / "sounds/CrowdLoop.wav")) return c.string();
  return "";
}

TEST(RealSounds, EverySoundOfTheTableLoadsAndPlays) {
  std::string folder = FindSoundFolder();
  if (folder.empty()) GTEST_SKIP() << "no build has made the sounds yet";
  platform::HeadlessPlatform system;
  system.SetGameDir(folder);
  system.SetStep(0);
  SetSystem(&system);
  ResetSound();
  ASSERT_TRUE(InitSound());
  for (int id = 1; id <= kSoundCount; ++id) {
    StartSound(id);
    platform::SoundBuffer b = system.Sound().Find(soundFiles[id]);
    EXPECT_NE(b, 0) << soundFiles[id];
    EXPECT_GT(system.Sound().LengthMs(b), 0.0) << soundFiles[id];
    EXPECT_TRUE(IsSoundActive(id)) << soundFiles[id];
  }
  EXPECT_TRUE(system.MessageBoxes().empty());
  EXPECT_TRUE(system.DebugOutput().empty());
  ResetSound();
  SetSystem(nullptr);
}

}  // namespace
