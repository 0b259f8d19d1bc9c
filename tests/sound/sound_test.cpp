// The sound table on the headless device: loading at the first play, restarts, the
// crowd loop, sounds ending after exactly their length in virtual time, the message
// boxes of a missing device or file, and the cases where the game must go on silent.
#include "sound/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/headless/headless_platform.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "temp_dir.h"
#include "wav_builder.h"

namespace {

using platform::SoundEvent;
using Kind = platform::SoundEvent::Kind;
using testing_support::WavBytes;
using testing_support::WavSpec;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    system_.SetStep(0);  // the clock moves only when a test moves it
    system_.SetTime(1000);
    SetSystem(&system_);
    ResetSound();
    std::filesystem::create_directory(dir_ / "sounds");
  }
  void TearDown() override {
    ResetSound();
    SetSystem(nullptr);
  }

  // Writes the file of sound id n.
  void WriteSound(int id, const std::string& bytes) {
    std::string name = soundFiles[id];
    std::replace(name.begin(), name.end(), '\\', '/');
    testing_support::WriteFile(dir_ / name, bytes);
  }
  platform::HeadlessSoundDevice& Device() { return system_.Sound(); }
  const std::vector<SoundEvent>& Events() { return Device().Events(); }
  int Opened(const std::string& path) {
    return static_cast<int>(std::count_if(
        system_.Calls().begin(), system_.Calls().end(),
        [&](const std::string& c) { return c.rfind("OpenFile " + path + " ", 0) == 0; }));
  }

  testing_support::TempDir dir_;
  platform::HeadlessPlatform system_;
};

TEST_F(SoundTest, InitMakesTheDeviceWithoutAWord) {
  EXPECT_TRUE(InitSound());
  EXPECT_TRUE(Device().Created());
  EXPECT_TRUE(system_.MessageBoxes().empty());
  EXPECT_EQ(Device().BufferCount(), 0u);  // nothing is loaded before it is played
}

TEST_F(SoundTest, ASoundIsLoadedAtItsFirstPlayOnlyAndRestartsWhenPlayedAgain) {
  WriteSound(4, testing_support::ToneWav(100));
  ASSERT_TRUE(InitSound());
  StartSound(4);
  system_.SetTime(1040);
  EXPECT_TRUE(IsSoundActive(4));
  StartSound(4);  // still playing: from the beginning again
  EXPECT_EQ(Opened("sounds\\Button.wav"), 1);
  EXPECT_EQ(Device().BufferCount(), 1u);
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[0].kind, Kind::Start);
  EXPECT_EQ(Events()[0].atMs, 1000u);
  EXPECT_EQ(Events()[1].kind, Kind::Start);
  EXPECT_EQ(Events()[1].atMs, 1040u);
  EXPECT_EQ(Events()[1].name, "sounds\\Button.wav");
  // Its 100 ms now count from the restart.
  system_.SetTime(1139);
  EXPECT_TRUE(IsSoundActive(4));
  system_.SetTime(1140);
  EXPECT_FALSE(IsSoundActive(4));
}

TEST_F(SoundTest, IsSoundActiveIsTrueAfterAStartAndFalseAfterItsLength) {
  WriteSound(4, testing_support::ToneWav(250));
  ASSERT_TRUE(InitSound());
  StartSound(4);
  EXPECT_TRUE(IsSoundActive(4));
  system_.SetTime(1249);
  EXPECT_TRUE(IsSoundActive(4));
  system_.SetTime(1250);
  EXPECT_FALSE(IsSoundActive(4));
  EXPECT_FALSE(IsSoundActive(3));  // never played: not loaded by the question
  EXPECT_EQ(Opened("sounds\\InCorrect.wav"), 0);
}

TEST_F(SoundTest, TheCrowdLoopRunsUntilAllSoundsAreStopped) {
  WriteSound(5, testing_support::ToneWav(50));
  WriteSound(9, testing_support::ToneWav(20));
  ASSERT_TRUE(InitSound());
  StartSoundLooped(5);
  StartSound(9);
  system_.SetTime(600000);  // ten minutes on
  EXPECT_TRUE(IsSoundActive(5));
  EXPECT_FALSE(IsSoundActive(9));
  system_.SetTime(600001);
  StopAllSounds();
  EXPECT_FALSE(IsSoundActive(5));
  // Every loaded sound is stopped, in the order of the table.
  std::vector<std::pair<Kind, std::string>> seen;
  for (const SoundEvent& e : Events()) seen.emplace_back(e.kind, e.name);
  EXPECT_EQ(seen,
            (std::vector<std::pair<Kind, std::string>>{{Kind::Loop, "sounds\\CrowdLoop.wav"},
                                                       {Kind::Start, "sounds\\BankingNoise.wav"},
                                                       {Kind::Stop, "sounds\\CrowdLoop.wav"},
                                                       {Kind::Stop, "sounds\\BankingNoise.wav"}}));
  EXPECT_EQ(Events()[2].atMs, 600001u);
}

TEST_F(SoundTest, StopAllSoundsBeforeAnyPlayDoesNothing) {
  ASSERT_TRUE(InitSound());
  StopAllSounds();
  EXPECT_TRUE(Events().empty());
}

TEST_F(SoundTest, PlaySoundToEndWaitsOutTheSoundByPollingItsStatus) {
  WriteSound(4, testing_support::ToneWav(100));
  ASSERT_TRUE(InitSound());
  system_.SetStep(1);  // each status read is a moment of the wait
  PlaySoundToEnd(4);
  EXPECT_EQ(system_.Now(), 1101u);  // the read at 1100 found it over
  EXPECT_FALSE(IsSoundActive(4));
}

TEST_F(SoundTest, AMissingFileIsReportedOnceAndTheGameGoesOnSilent) {
  ASSERT_TRUE(InitSound());
  StartSound(13);
  ASSERT_EQ(system_.MessageBoxes().size(), 1u);
  EXPECT_EQ(system_.MessageBoxes()[0].text, "Game Failed.");
  EXPECT_EQ(system_.MessageBoxes()[0].title, "Couldn't open WAV file sounds\\StrikoraMusic.wav!");
  StartSound(13);
  StartSoundLooped(13);
  PlaySoundToEnd(13);  // returns at once
  EXPECT_FALSE(IsSoundActive(13));
  StopAllSounds();
  EXPECT_EQ(system_.MessageBoxes().size(), 1u);
  EXPECT_EQ(Opened("sounds\\StrikoraMusic.wav"), 1);
  EXPECT_TRUE(Events().empty());
}

TEST_F(SoundTest, NoDeviceIsReportedAndEverySoundIsSilent) {
  WriteSound(4, testing_support::ToneWav(100));
  Device().Faults().create = true;
  EXPECT_TRUE(InitSound());
  ASSERT_EQ(system_.MessageBoxes().size(), 1u);
  EXPECT_EQ(system_.MessageBoxes()[0].text, "Game Failed.");
  EXPECT_EQ(system_.MessageBoxes()[0].title, "Couldn't init DirectSound");
  StartSound(4);
  PlaySoundToEnd(4);
  StartSoundLooped(5);
  EXPECT_FALSE(IsSoundActive(4));
  StopAllSounds();
  EXPECT_EQ(Opened("sounds\\Button.wav"), 0);  // nothing to fill, so nothing read
  EXPECT_EQ(system_.MessageBoxes().size(), 1u);
}

TEST_F(SoundTest, ARefusedCooperativeLevelIsReportedAndSoundsStillPlay) {
  WriteSound(4, testing_support::ToneWav(100));
  Device().Faults().cooperation = true;
  EXPECT_TRUE(InitSound());
  ASSERT_EQ(system_.MessageBoxes().size(), 1u);
  EXPECT_EQ(system_.MessageBoxes()[0].title, "Couldn't init DirectSound Cooperative level!");
  StartSound(4);
  EXPECT_TRUE(IsSoundActive(4));
}

TEST_F(SoundTest, StateThatCannotBeAllocatedFailsInit) {
  FailNextSoundAllocation();
  EXPECT_FALSE(InitSound());
  StartSound(4);  // nothing there to play with
  EXPECT_TRUE(InitSound());
}

TEST_F(SoundTest, TheFileIsReadAsItStandsWhateverItsLayout) {
  WavSpec spec;
  spec.dataFirst = true;
  spec.between = testing_support::RiffChunk("JUNK", "odd");
  spec.channels = 2;
  spec.rate = 11025;
  spec.bits = 8;
  spec.data = "\x80\x90\x70\x80";
  WriteSound(7, WavBytes(spec));
  // An extensible PCM format keeps its 22 extra bytes.
  WavSpec ext;
  ext.tag = platform::kWaveFormatExtensible;
  ext.extra = {16, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  ext.data = testing_support::Pcm16(10, 1, [](size_t, int) { return 1; });
  WriteSound(6, WavBytes(ext));
  ASSERT_TRUE(InitSound());
  StartSound(7);
  StartSound(6);
  platform::SoundBuffer b = Device().Find("sounds\\ExtraLifeAnim.wav");
  ASSERT_NE(b, 0);
  EXPECT_EQ(Device().FormatOf(b)->channels, 2);
  EXPECT_EQ(Device().FormatOf(b)->samplesPerSec, 11025u);
  EXPECT_EQ(*Device().DataOf(b), (std::vector<uint8_t>{0x80, 0x90, 0x70, 0x80}));
  b = Device().Find("sounds\\AnimationSpin.wav");
  ASSERT_NE(b, 0);
  EXPECT_EQ(Device().FormatOf(b)->extra, ext.extra);
  EXPECT_EQ(Device().DataOf(b)->size(), 20u);
}

TEST_F(SoundTest, UnplayableOrIncompleteFilesAreSilentWithoutABox) {
  WavSpec floatFormat;
  floatFormat.tag = 3;
  floatFormat.bits = 32;
  floatFormat.extra = {};
  floatFormat.data = std::string(400, '\0');
  WriteSound(1, WavBytes(floatFormat));
  WavSpec noData;
  noData.withData = false;
  WriteSound(2, WavBytes(noData));
  WavSpec noFormat;
  noFormat.withFormat = false;
  noFormat.data = "abcd";
  WriteSound(3, WavBytes(noFormat));
  WriteSound(10, "");
  WavSpec empty;
  WriteSound(11, WavBytes(empty));  // a "data" chunk without a frame
  ASSERT_TRUE(InitSound());
  for (int id : {1, 2, 3, 10, 11}) {
    StartSound(id);
    PlaySoundToEnd(id);
    EXPECT_FALSE(IsSoundActive(id)) << id;
  }
  EXPECT_TRUE(system_.MessageBoxes().empty());
  EXPECT_EQ(Device().BufferCount(), 0u);
  EXPECT_TRUE(Events().empty());
  // Each is noted on the debug output.
  EXPECT_EQ(system_.DebugOutput().size(), 5u);
  EXPECT_EQ(system_.DebugOutput()[0],
            "sound 1 (sounds\\TimeUp.WAV): format cannot be played (not PCM), left silent\n");
  EXPECT_EQ(system_.DebugOutput()[1],
            "sound 2 (sounds\\teletype.wav): no \"data\" chunk, left silent\n");
  EXPECT_EQ(system_.DebugOutput()[4],
            "sound 11 (sounds\\TimerUp.wav): no whole sample frame, left silent\n");
}

// With the event log open, a sound left silent is a line of it, as a picture is.
TEST_F(SoundTest, ASoundLeftSilentIsWrittenToTheEventLog) {
  WavSpec noData;
  noData.withData = false;
  WriteSound(2, WavBytes(noData));
  ASSERT_EQ(CreateSystemFolders(), 0);
  OpenLog();
  ASSERT_TRUE(LogIsOpen());
  ASSERT_TRUE(InitSound());
  StartSound(2);
  StartSound(3);  // no file at all: the box, and the line
  CloseLog();
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find(" - sound 2 (sounds\\teletype.wav): no \"data\" chunk, left silent\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" - sound 3 (sounds\\InCorrect.wav): cannot open the file, left silent\n"),
            std::string::npos)
      << log;
}

TEST_F(SoundTest, IdsOutsideTheTableDoNothingAndStartSoundUsesTheLowByte) {
  WriteSound(4, testing_support::ToneWav(100));
  ASSERT_TRUE(InitSound());
  for (int id : {0, 27, -1, 1000}) {
    StartSound(id);
    StartSoundLooped(id);
    PlaySoundToEnd(id);
    EXPECT_FALSE(IsSoundActive(id));
  }
  EXPECT_TRUE(system_.Calls().empty());
  StartSound(256 + 4);
  EXPECT_TRUE(IsSoundActive(4));
  StopAllSounds();
  StartSoundLooped(256 + 4);  // the looped start takes the low byte too
  EXPECT_TRUE(IsSoundActive(4));
}

TEST_F(SoundTest, BeforeInitNothingHappens) {
  WriteSound(2, testing_support::ToneWav(10));
  StartSound(2);
  StartSoundLooped(5);
  PlaySoundToEnd(2);
  StopAllSounds();
  EXPECT_FALSE(IsSoundActive(2));
  EXPECT_TRUE(system_.Calls().empty());
  EXPECT_FALSE(Device().Created());
}

TEST_F(SoundTest, ASoundSystemLeftFromAnotherPlatformIsNotUsed) {
  WriteSound(4, testing_support::ToneWav(100));
  ASSERT_TRUE(InitSound());
  StartSound(4);
  {
    platform::HeadlessPlatform other;
    other.SetGameDir(dir_.Path());
    SetSystem(&other);
    StartSound(4);
    EXPECT_FALSE(IsSoundActive(4));
    StopAllSounds();
    EXPECT_TRUE(other.Sound().Events().empty());
  }
  SetSystem(&system_);
  EXPECT_TRUE(IsSoundActive(4));
}

TEST(SoundTable, HoldsTheTwentySixFiles) {
  EXPECT_EQ(soundFiles[0], nullptr);
  EXPECT_STREQ(soundFiles[1], "sounds\\TimeUp.WAV");
  EXPECT_STREQ(soundFiles[5], "sounds\\CrowdLoop.wav");
  EXPECT_STREQ(soundFiles[13], "sounds\\StrikoraMusic.wav");
  EXPECT_STREQ(soundFiles[26], "sounds\\LosePoints.wav");
  for (int id = 1; id <= kSoundCount; ++id)
    EXPECT_EQ(std::string(soundFiles[id]).rfind("sounds\\", 0), 0u) << id;
}

}  // namespace
