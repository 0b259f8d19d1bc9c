// The game's own two clips, when a build has made them: every frame decodes, ffmpeg (where
// it is installed) sees the same pictures, and the player runs each through to its end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../graphics/graphics_fixture.h"
#include "clip_check.h"
#include "graphics/clip_player.h"

namespace {

namespace fs = std::filesystem;

// The folder that holds "Graphic_resource/avis" with both clips: STRIKORA_CLIP_DIR when
// set, else this build's game folder, the main build's, or one inside the audio build.
std::string FindClipFolder() {
  auto holds = [](const fs::path& dir) {
    return fs::exists(dir / "Graphic_resource/avis/Jackpot.avi") &&
           fs::exists(dir / "Graphic_resource/avis/Gameover.avi");
  };
  std::vector<fs::path> candidates;
  if (const char* dir = std::getenv("STRIKORA_CLIP_DIR")) candidates.emplace_back(dir);
  candidates.emplace_back(STRIKORA_BINARY_DIR "/game");
  candidates.emplace_back(STRIKORA_SOURCE_DIR "/build/game");
  candidates.emplace_back(STRIKORA_SOURCE_DIR "/build-audio/game");
  for (const fs::path& c : candidates)
    if (holds(c)) return c.string();
  std::error_code e;
  fs::path audio = STRIKORA_SOURCE_DIR "/build-audio";
  if (!fs::is_directory(audio, e)) return "";
  for (auto it = fs::recursive_directory_iterator(audio, e); it != fs::end(it); it.increment(e)) {
    if (e) break;
    if (it.depth() > 4) it.disable_recursion_pending();
    if (it->is_directory(e) && it->path().filename() == "avis" &&
        it->path().parent_path().filename() == "Graphic_resource" &&
        holds(it->path().parent_path().parent_path()))
      return it->path().parent_path().parent_path().string();
  }
  return "";
}

class RealClipsTest : public GraphicsTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    folder_ = FindClipFolder();
    if (folder_.empty()) GTEST_SKIP() << "no build has made the clips yet";
    GraphicsTest::SetUp();
  }
  void TearDown() override {
    if (folder_.empty()) return;
    CloseClip();
    GraphicsTest::TearDown();
  }
  std::string Path() const { return folder_ + "/Graphic_resource/avis/" + GetParam(); }
  std::string folder_;
};

TEST_P(RealClipsTest, EveryFrameDecodesAsFfmpegSeesIt) {
  ASSERT_TRUE(ClipFile.Open(Path().c_str()));
  ASSERT_GE(ClipFile.VideoCount(), 1);
  ASSERT_TRUE(ClipFile.OpenFrames(0));
  platform::BitmapHeader format;
  ASSERT_TRUE(platform::ReadBitmapHeader(ClipFile.VideoFormat(0), 40, format));
  EXPECT_LE(format.width, 800);
  EXPECT_LE(std::abs(format.height), 600);
  std::vector<std::string> theirs;
  bool ffmpeg = testing_support::HaveFfmpeg();
  if (ffmpeg) {
    ASSERT_TRUE(
        testing_support::FfmpegFrames(Path(), format.width, std::abs(format.height), theirs));
  }
  int frames = 0;
  while (const uint8_t* dib = ClipFile.GetFrame(0, frames)) {
    if (ffmpeg && frames < static_cast<int>(theirs.size())) {
      ASSERT_EQ(testing_support::TopDownBgr(dib), theirs[frames]) << "frame " << frames;
    }
    ++frames;
  }
  EXPECT_GT(frames, 1);
  if (ffmpeg) {
    EXPECT_EQ(frames, static_cast<int>(theirs.size()));
  }
  EXPECT_GT(ClipFile.Duration(0), 0);
  ClipFile.Close();
}

TEST_P(RealClipsTest, PlaysToItsEndWithTheLastFrameOnScreen) {
  // The clip in the game folder of this test, under the name the game uses.
  fs::create_directories(dir_ / "Graphic_resource/avis");
  fs::copy_file(Path(), dir_ / (std::string("Graphic_resource/avis/") + GetParam()));
  std::string gamePath = std::string("Graphic_resource\\avis\\") + GetParam();
  ASSERT_EQ(OpenClip(gamePath.c_str(), 30), 0);
  StepClip(-1, 0, 0);
  int steps = 0;
  while (ClipState() == 0 && steps < 100000) {
    StepClip(1, 0, 0);
    FlipPaced();
    ++steps;
  }
  EXPECT_EQ(ClipState(), 1);
  // Once ended, each step paints the last frame again.
  FillRect(0, 0, 800, 600, 0x1234);
  StepClip(1, 0, 0);
  auto file = platform::AviFile::Open(
      platform::ByteSource::FromFile(std::fopen(Path().c_str(), "rb")), nullptr);
  ASSERT_NE(file, nullptr);
  const platform::AviStream* video = file->GetStream(platform::kStreamTypeVideo, 0);
  auto reader = platform::FrameReader::Open(*file, *video, nullptr);
  ASSERT_NE(reader, nullptr);
  const uint8_t* last = reader->GetFrame(static_cast<int64_t>(video->length) - 1);
  ASSERT_NE(last, nullptr);
  platform::BitmapHeader h;
  platform::ReadBitmapHeader(last, 40, h);
  for (int y = 0; y < h.height; y += 37)
    for (int x = 0; x < h.width; x += 41) {
      testing_support::Bgr c = testing_support::DibPixel(last, x, y);
      ASSERT_EQ(Back(x, y), Rgb565(c.r, c.g, c.b)) << x << "," << y;
    }
  CloseClip();
}

INSTANTIATE_TEST_SUITE_P(Clips, RealClipsTest, ::testing::Values("Jackpot.avi", "Gameover.avi"));

}  // namespace
