// A stock media probe (ffprobe) reads every sound and decodes every clip frame.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "audio_assets.h"
#include "clip_assets.h"
#include "media_readers.h"
#include "run_command.h"
#include "temp_dir.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::TempDir;

bool HaveProbe() {
  return RunCommand("ffprobe -version >/dev/null").status == 0;
}

// key=value lines of one probe, with anything printed on standard error under "stderr".
std::map<std::string, std::string> Probe(const std::string& args, const std::string& path) {
  std::string errors = path + ".probe-errors";
  // In a subshell, so that its standard error stays in its own file.
  auto r = RunCommand("(ffprobe -v error " + args + " -of default=nw=1 '" + path + "' 2>'" +
                      errors + "')");
  std::map<std::string, std::string> fields;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  fields["status"] = std::to_string(r.status);
  fields["stderr"] = ReadFile(errors);
  return fields;
}

TEST(AssetgenAudioProbe, ReadsEverySoundAsSixteenBitPcm) {
  if (!HaveProbe()) GTEST_SKIP() << "ffprobe is not installed";
  TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteSounds(dir.Path(), &error)) << error;
  const char* files[] = {
      "TimeUp.WAV",        "teletype.wav",        "InCorrect.wav",       "Button.wav",
      "CrowdLoop.wav",     "AnimationSpin.wav",   "ExtraLifeAnim.wav",   "EndprizeShow.wav",
      "BankingNoise.wav",  "Timer.wav",           "TimerUp.wav",         "AddPoints.wav",
      "StrikoraMusic.wav", "Correct.wav",         "SmallPoints.wav",     "BigPoints.wav",
      "Cashpot.wav",       "CashpotWin.wav",      "CashWinplan.wav",     "DoubleOrQuits.wav",
      "ExtraReveal.wav",   "InCorrectDonkey.wav", "QuestionTimeout.wav", "TrueOrFalse.wav",
      "GameOver.wav",      "LosePoints.wav"};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    auto f = Probe("-show_entries stream=codec_name,sample_rate,channels,duration",
                   dir.Path() + "/sounds/" + file);
    EXPECT_EQ(f["status"], "0");
    EXPECT_EQ(f["stderr"], "");
    EXPECT_EQ(f["codec_name"], "pcm_s16le");
    EXPECT_TRUE(f["sample_rate"] == "22050" || f["sample_rate"] == "44100") << f["sample_rate"];
    EXPECT_TRUE(f["channels"] == "1" || f["channels"] == "2");
    EXPECT_GT(std::stod(f["duration"].empty() ? "0" : f["duration"]), 0.0);
  }
}

TEST(AssetgenAudioProbe, DecodesEveryClipFrameAtFullScreen) {
  if (!HaveProbe()) GTEST_SKIP() << "ffprobe is not installed";
  TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteClips(dir.Path(), &error)) << error;
  for (const char* clip : {"Jackpot.avi", "Gameover.avi"}) {
    SCOPED_TRACE(clip);
    auto f =
        Probe("-count_frames -show_entries stream=codec_name,width,height,nb_frames,nb_read_frames",
              dir.Path() + "/Graphic_resource/avis/" + clip);
    EXPECT_EQ(f["status"], "0");
    EXPECT_EQ(f["stderr"], "") << "the decoder complained";
    EXPECT_EQ(f["codec_name"], "msrle");
    EXPECT_EQ(f["width"], "800");
    EXPECT_EQ(f["height"], "600");
    EXPECT_EQ(f["nb_read_frames"], f["nb_frames"]);
    EXPECT_GE(std::stoi(f["nb_read_frames"].empty() ? "0" : f["nb_read_frames"]), 50);
  }
}

}  // namespace
