// The 26 game sounds: files and layout as the game's loader reads them, lengths that fit the
// moments they are played for, clean starts and ends, the seamless crowd loop, determinism.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "audio_assets.h"
#include "media_readers.h"
#include "temp_dir.h"
#include "wav_file.h"

namespace {

using media_test::ReadWav;
using media_test::Wav;
using testing_support::ReadFile;
using testing_support::TempDir;

// The sound table's files, by id, with the shortest and longest length (seconds) that fits
// where each is played.
struct Expected {
  const char* file;
  double shortest, longest;
};
const Expected kSounds[26] = {
    {"TimeUp.WAV", 0.25, 0.8},          // the time-out sweep, about 0.4 s of segments
    {"teletype.wav", 0.01, 0.05},       // restarts on every typed letter
    {"InCorrect.wav", 0.4, 1.5},        //
    {"Button.wav", 0.05, 0.3},          // played to its end between reveal steps
    {"CrowdLoop.wav", 3.0, 12.0},       // looped for the whole game
    {"AnimationSpin.wav", 0.4, 1.0},    // 630 ms hexagon turn
    {"ExtraLifeAnim.wav", 0.3, 0.8},    // 400-500 ms tweens
    {"EndprizeShow.wav", 0.5, 3.0},     //
    {"BankingNoise.wav", 0.4, 1.5},     //
    {"Timer.wav", 0.02, 0.2},           // ticks at least 400 ms apart
    {"TimerUp.wav", 0.25, 0.6},         // 27 steps of about 10-15 ms
    {"AddPoints.wav", 0.9, 1.5},        // 20 counter steps of 50 ms and more
    {"StrikoraMusic.wav", 5.0, 12.0},   // the menu tune
    {"Correct.wav", 0.4, 1.5},          //
    {"SmallPoints.wav", 0.2, 1.0},      //
    {"BigPoints.wav", 0.4, 1.5},        //
    {"Cashpot.wav", 0.3, 1.0},          //
    {"CashpotWin.wav", 0.8, 2.0},       // over ten 100 ms flashes
    {"CashWinplan.wav", 0.5, 1.5},      //
    {"DoubleOrQuits.wav", 0.6, 1.6},    //
    {"ExtraReveal.wav", 0.3, 1.0},      //
    {"InCorrectDonkey.wav", 0.8, 1.8},  //
    {"QuestionTimeout.wav", 1.8, 2.2},  // ten 200 ms flashes of the sign
    {"TrueOrFalse.wav", 0.4, 1.2},      //
    {"GameOver.wav", 2.0, 3.2},         // under the game-over clip
    {"LosePoints.wav", 0.9, 1.5},       // 20 counter steps
};

class AssetgenAudioSounds : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    std::string error;
    written_ = WriteSounds(dir_->Path(), &error);
    EXPECT_TRUE(written_) << error;
  }
  static void TearDownTestSuite() { delete dir_; }

  static Wav Load(const std::string& file) {
    return ReadWav(ReadFile(dir_->Path() + "/sounds/" + file));
  }

  static TempDir* dir_;
  static bool written_;
};

TempDir* AssetgenAudioSounds::dir_ = nullptr;
bool AssetgenAudioSounds::written_ = false;

double Rms(const std::vector<int16_t>& s, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / count);
}

// Zero crossings a second over a stretch: a rough measure of pitch and brightness.
double Crossings(const std::vector<int16_t>& s, int rate, double from, double to) {
  size_t a = static_cast<size_t>(from * rate), b = static_cast<size_t>(to * rate);
  int n = 0;
  for (size_t i = a + 1; i < b; ++i) n += (s[i - 1] < 0) != (s[i] < 0);
  return n / (to - from);
}

TEST_F(AssetgenAudioSounds, EveryTableFileIsPcmTheLoaderReads) {
  ASSERT_TRUE(written_);
  size_t onDisk = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_->Path() + "/sounds")) {
    (void)entry;
    ++onDisk;
  }
  EXPECT_EQ(onDisk, 26u) << "the sounds folder holds exactly the table's files";
  for (const Expected& e : kSounds) {
    SCOPED_TRACE(e.file);
    std::string path = dir_->Path() + "/sounds/" + e.file;
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << "missing, or in another case";
    std::string bytes = ReadFile(path);
    Wav w = ReadWav(bytes);
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(bytes.compare(8, 4, "WAVE"), 0);
    EXPECT_EQ(w.riffSize + 8, bytes.size());
    EXPECT_EQ(w.formatTag, 1);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2);
    EXPECT_TRUE(w.sampleRate == 22050 || w.sampleRate == 44100);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_EQ(w.blockAlign, w.channels * 2);
    EXPECT_EQ(w.bytesPerSecond, w.sampleRate * w.blockAlign);
    EXPECT_EQ(w.samples.size() % w.channels, 0u);
  }
}

TEST_F(AssetgenAudioSounds, LengthsFitTheirMomentsAndTheWholeSetStaysSmall) {
  ASSERT_TRUE(written_);
  uintmax_t total = 0;
  for (const Expected& e : kSounds) {
    SCOPED_TRACE(e.file);
    Wav w = Load(e.file);
    EXPECT_GE(w.Seconds(), e.shortest);
    EXPECT_LE(w.Seconds(), e.longest);
    total += std::filesystem::file_size(dir_->Path() + "/sounds/" + e.file);
  }
  EXPECT_LT(total, 4u * 1024 * 1024);
}

TEST_F(AssetgenAudioSounds, OneShotsAreAudibleStartAndEndSilentAndNeverClip) {
  ASSERT_TRUE(written_);
  for (const Expected& e : kSounds) {
    SCOPED_TRACE(e.file);
    Wav w = Load(e.file);
    ASSERT_FALSE(w.samples.empty());
    int peak = 0;
    for (int16_t v : w.samples) peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 8000) << "too quiet to hear in a pub";
    EXPECT_LT(peak, 32767) << "clipped";
    if (std::string(e.file) == "CrowdLoop.wav") continue;
    for (int c = 0; c < w.channels; ++c) {
      std::vector<int16_t> s = w.Channel(c);
      EXPECT_LE(std::abs(s.front()), 64) << "starts with a click";
      EXPECT_LE(std::abs(s.back()), 64) << "ends with a click";
    }
  }
}

TEST_F(AssetgenAudioSounds, CrowdLoopEndRunsStraightIntoItsStart) {
  ASSERT_TRUE(written_);
  Wav w = Load("CrowdLoop.wav");
  ASSERT_EQ(w.error, "");
  for (int c = 0; c < w.channels; ++c) {
    SCOPED_TRACE(c);
    std::vector<int16_t> s = w.Channel(c);
    ASSERT_GT(s.size(), 10000u);
    // Steps and bends between neighbouring samples inside the loop, against those at the join.
    std::vector<int> steps, bends;
    for (size_t i = 2; i < s.size(); ++i) {
      steps.push_back(std::abs(s[i] - s[i - 1]));
      bends.push_back(std::abs(s[i] - 2 * s[i - 1] + s[i - 2]));
    }
    std::sort(steps.begin(), steps.end());
    std::sort(bends.begin(), bends.end());
    int step99 = steps[steps.size() * 99 / 100];
    int bend99 = bends[bends.size() * 99 / 100];
    size_t n = s.size();
    EXPECT_LE(std::abs(s[0] - s[n - 1]), step99);
    EXPECT_LE(std::abs(s[0] - 2 * s[n - 1] + s[n - 2]), bend99);
    EXPECT_LE(std::abs(s[1] - 2 * s[0] + s[n - 1]), bend99);
    // No swell or drop at the join either.
    size_t window = w.sampleRate / 10;
    double ratio = Rms(s, n - window, window) / Rms(s, 0, window);
    EXPECT_GT(ratio, 0.6);
    EXPECT_LT(ratio, 1.6);
  }
}

TEST_F(AssetgenAudioSounds, SweepsAndCountersGoTheRightWay) {
  ASSERT_TRUE(written_);
  auto rising = [](const std::string& file) {
    Wav w = Load(file);
    std::vector<int16_t> s = w.Channel(0);
    double len = w.Seconds();
    return Crossings(s, w.sampleRate, len * 0.6, len * 0.8) /
           Crossings(s, w.sampleRate, len * 0.05, len * 0.25);
  };
  EXPECT_GT(rising("TimerUp.wav"), 1.5) << "the bar's build-up climbs";
  EXPECT_LT(rising("TimeUp.WAV"), 0.7) << "time up falls away";
  EXPECT_GT(rising("AddPoints.wav"), 1.2) << "points added count upwards";
  EXPECT_LT(rising("LosePoints.wav"), 0.85) << "points lost count downwards";

  // The bray: the "hee"s sit well above the "haw"s.
  Wav bray = Load("InCorrectDonkey.wav");
  std::vector<int16_t> s = bray.Channel(0);
  double hee = Crossings(s, bray.sampleRate, 0.05, 0.22);
  double haw = Crossings(s, bray.sampleRate, 0.33, 0.55);
  EXPECT_GT(hee, 1.3 * haw);
}

TEST_F(AssetgenAudioSounds, WritingAgainGivesTheSameBytes) {
  ASSERT_TRUE(written_);
  TempDir again;
  std::string error;
  ASSERT_TRUE(WriteSounds(again.Path(), &error)) << error;
  for (const Expected& e : kSounds) {
    EXPECT_EQ(ReadFile(dir_->Path() + "/sounds/" + e.file),
              ReadFile(again.Path() + "/sounds/" + e.file))
        << e.file;
  }
}

TEST(AssetgenAudioWavFile, EncodesTheCanonicalHeaderAndLittleEndianSamples) {
  audio::Sound s;
  s.rate = 44100;
  s.channels = 2;
  s.pcm = {1, -2, 0x1234, -32768};
  std::string b = audio::EncodeWav(s);
  const unsigned char header[44] = {'R', 'I', 'F',  'F',  44,  0,   0,    0,    'W', 'A', 'V',
                                    'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                    2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1, 2,   0,   4,
                                    0,   16,  0,    'd',  'a', 't', 'a',  8,    0,   0,   0};
  ASSERT_EQ(b.size(), 52u);
  EXPECT_EQ(b.substr(0, 44), std::string(reinterpret_cast<const char*>(header), 44));
  const unsigned char data[8] = {1, 0, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x80};
  EXPECT_EQ(b.substr(44), std::string(reinterpret_cast<const char*>(data), 8));
}

TEST(AssetgenAudioWavFile, ReportsAFolderThatCannotBeMade) {
  TempDir dir;
  std::string blocker = dir.Path() + "/blocked";
  std::ofstream(blocker) << "a file where the game folder should be";
  std::string error;
  EXPECT_FALSE(WriteSounds(blocker, &error));
  EXPECT_NE(error, "");
  EXPECT_FALSE(WriteSounds(blocker, nullptr));
}

}  // namespace
