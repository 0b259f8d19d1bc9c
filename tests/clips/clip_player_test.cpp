// The clip player on the headless display: the rewind and the wall-clock pacing, the end
// of a clip with its last frame kept on screen, clips that cannot be played behaving as
// empty ones, the five-stream limit, and painting at a place on the back buffer.
#include "graphics/clip_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../graphics/graphics_fixture.h"
#include "clip_check.h"
#include "shell/eventlog.h"

namespace {

using testing_support::AviBytes;
using testing_support::AviSpec;
using testing_support::AviStreamSpec;
using testing_support::Bgr;

const std::vector<Bgr> kColours = {{0, 0, 248}, {0, 252, 0}, {248, 0, 0}, {248, 252, 248}};

uint16_t As565(const Bgr& c) {
  return Rgb565(c.r, c.g, c.b);
}

class ClipPlayerTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    CloseClip();
    system_.SetStep(0);  // the clock moves only when a test moves it
    system_.SetTime(1000);
    FillRect(0, 0, 800, 600, kGround);
  }
  void TearDown() override {
    CloseClip();
    GraphicsTest::TearDown();
  }
  // Writes a clip into the game folder and gives its path there.
  std::string WriteClip(const AviSpec& spec, const std::string& name = "clip.avi") {
    testing_support::WriteFile(dir_ / name, AviBytes(spec));
    return name;
  }
  std::string SolidClip(size_t frames, int width = 8, int height = 6) {
    AviSpec spec;
    spec.streams.push_back(testing_support::SolidVideo(
        width, height, std::vector<Bgr>(kColours.begin(), kColours.begin() + frames)));
    return WriteClip(spec);
  }
  // Steps at the given time and gives the colour painted at (x, y).
  uint16_t StepAt(uint32_t time, int advance, int x = 0, int y = 0) {
    system_.SetTime(time);
    StepClip(advance, x, y);
    return Back(x, y);
  }
  bool Untouched() {
    int l, t, r, b;
    return !Changed(kGround, l, t, r, b);
  }

  static constexpr uint16_t kGround = 0x1234;
};

TEST_F(ClipPlayerTest, ARewindPaintsFrameZeroAndPacesTheNextAdvance) {
  ASSERT_EQ(OpenClip(SolidClip(4).c_str(), 30), 0);
  EXPECT_EQ(ClipState(), 0);
  EXPECT_EQ(StepAt(1000, -1), As565(kColours[0]));  // the next advance after 1030
  EXPECT_EQ(StepAt(1001, 1), As565(kColours[0]));
  EXPECT_EQ(StepAt(1030, 1), As565(kColours[0]));
  EXPECT_EQ(StepAt(1031, 1), As565(kColours[1]));  // and now after 1061
  EXPECT_EQ(StepAt(1061, 1), As565(kColours[1]));
  EXPECT_EQ(StepAt(1062, 1), As565(kColours[2]));
  // Between advances the same frame is painted again, however often it is asked for.
  FillRect(0, 0, 800, 600, kGround);
  EXPECT_EQ(StepAt(1070, 1), As565(kColours[2]));
  EXPECT_EQ(ClipState(), 0);
}

TEST_F(ClipPlayerTest, SteppingPastTheEndEndsTheClipAndKeepsItsLastFrame) {
  ASSERT_EQ(OpenClip(SolidClip(3).c_str(), 30), 0);
  StepAt(1000, -1);
  EXPECT_EQ(StepAt(1031, 1), As565(kColours[1]));
  EXPECT_EQ(StepAt(1062, 1), As565(kColours[2]));
  EXPECT_EQ(ClipState(), 0);
  FillRect(0, 0, 800, 600, kGround);
  EXPECT_EQ(StepAt(1093, 1), As565(kColours[2]));  // past the last frame: painted again
  EXPECT_EQ(ClipState(), 1);
  FillRect(0, 0, 800, 600, kGround);
  EXPECT_EQ(StepAt(5000, 1), As565(kColours[2]));  // ended: no more advances
  EXPECT_EQ(ClipState(), 1);
  // A rewind plays it again from the start.
  EXPECT_EQ(StepAt(6000, -1), As565(kColours[0]));
  EXPECT_EQ(ClipState(), 0);
}

TEST_F(ClipPlayerTest, PlaysThroughAsTheGameDrivesIt) {
  // Open, rewind, then step and flip until the clip has ended, on a clock that moves.
  ASSERT_EQ(OpenClip(SolidClip(4, 800, 600).c_str(), 30), 0);
  system_.SetStep(1);
  StepClip(-1, 0, 0);
  std::vector<uint16_t> shown = {Back(400, 300)};
  int steps = 0;
  while (ClipState() == 0 && steps < 1000) {
    StepClip(1, 0, 0);
    uint16_t painted = Back(400, 300);  // before the flip swaps the buffers
    FlipPaced();
    ++steps;
    if (painted != shown.back()) shown.push_back(painted);
  }
  CloseClip();
  EXPECT_EQ(ClipState(), 2);
  EXPECT_EQ(shown, (std::vector<uint16_t>{As565(kColours[0]), As565(kColours[1]),
                                          As565(kColours[2]), As565(kColours[3])}));
  EXPECT_GT(steps, 4);  // frames were held between advances
  EXPECT_LT(steps, 20);
}

TEST_F(ClipPlayerTest, PaintsAtItsPlaceAndSizeCutToTheScreen) {
  AviSpec spec;
  AviStreamSpec v;
  v.format = testing_support::BitmapFormat(4, 3, 24, 0);
  auto pixel = [](int x, int y) {
    return Bgr{0, static_cast<uint8_t>(y * 80), static_cast<uint8_t>(x * 60)};
  };
  v.chunks = {testing_support::Frame24(4, 3, pixel)};
  spec.streams.push_back(v);
  ASSERT_EQ(OpenClip(WriteClip(spec).c_str(), 30), 0);
  StepAt(1000, -1, 100, 50);
  int l, t, r, b;
  ASSERT_TRUE(Changed(kGround, l, t, r, b));
  EXPECT_EQ(l, 100);
  EXPECT_EQ(t, 50);
  EXPECT_EQ(r, 103);
  EXPECT_EQ(b, 52);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Back(100 + x, 50 + y), As565(pixel(x, y)));
  // Hanging over the corners of the screen.
  FillRect(0, 0, 800, 600, kGround);
  StepAt(1001, 0, 798, 598);
  StepClip(0, -2, -1);
  EXPECT_EQ(Back(799, 599), As565(pixel(1, 1)));
  EXPECT_EQ(Back(0, 0), As565(pixel(2, 1)));
  ASSERT_TRUE(Changed(kGround, l, t, r, b));
  EXPECT_EQ(Back(2, 0), kGround);
}

TEST_F(ClipPlayerTest, AnAudioOnlyFileHasNoClipAndPlaysAsAnEmptyOne) {
  AviSpec spec;
  spec.streams.push_back(testing_support::AudioStream());
  EXPECT_EQ(OpenClip(WriteClip(spec).c_str(), 30), -1);
  EXPECT_EQ(ClipFile.AudioCount(), 1);
  EXPECT_EQ(ClipState(), 2);
  StepAt(1000, -1);
  EXPECT_EQ(ClipState(), 1);
  StepAt(2000, 1);
  EXPECT_EQ(ClipState(), 1);
  EXPECT_TRUE(Untouched());
}

TEST_F(ClipPlayerTest, AMissingOrBrokenFileHasNoClip) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  OpenLog();
  EXPECT_EQ(OpenClip("Graphic_resource\\avis\\Jackpot.avi", 30), -1);
  StepAt(1000, -1);
  EXPECT_EQ(ClipState(), 1);
  testing_support::WriteFile(dir_ / "bad.avi", "RIFF\x10\0\0\0AVI LIST");
  EXPECT_EQ(OpenClip("bad.avi", 30), -1);
  // A stream without a format block cannot be taken: nothing is kept open.
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(2, 2, {kColours[0]}));
  spec.streams.push_back(testing_support::AudioStream());
  spec.streams[1].format.clear();
  EXPECT_EQ(OpenClip(WriteClip(spec).c_str(), 30), -1);
  EXPECT_EQ(ClipFile.VideoCount(), 0);
  EXPECT_EQ(ClipFile.AudioCount(), 0);
  StepAt(1000, -1);
  EXPECT_EQ(ClipState(), 1);
  EXPECT_TRUE(Untouched());
  // Each clip that could not be played is a line of the event log.
  CloseLog();
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find(" - clip (Graphic_resource\\avis\\Jackpot.avi): cannot open the file, "
                     "not played\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" - clip (bad.avi): "), std::string::npos) << log;
  EXPECT_NE(log.find("a stream has no format block, not played\n"), std::string::npos) << log;
}

TEST_F(ClipPlayerTest, AFileWithSixVideoStreamsUsesTheFirstFive) {
  AviSpec spec;
  for (int i = 0; i < 6; ++i) {
    spec.streams.push_back(testing_support::SolidVideo(2 + i, 2, {kColours[i % 4]}));
    spec.streams.push_back(testing_support::AudioStream(1));
  }
  ASSERT_EQ(OpenClip(WriteClip(spec).c_str(), 30), 0);
  EXPECT_EQ(ClipFile.VideoCount(), 5);
  EXPECT_EQ(ClipFile.AudioCount(), 5);
  ASSERT_NE(ClipFile.VideoFormat(4), nullptr);
  platform::BitmapHeader h;
  ASSERT_TRUE(platform::ReadBitmapHeader(ClipFile.VideoFormat(4), 40, h));
  EXPECT_EQ(h.width, 6);  // the fifth video stream's
  EXPECT_EQ(ClipFile.VideoFormat(5), nullptr);
  EXPECT_TRUE(ClipFile.FramesOpen(0));
  EXPECT_FALSE(ClipFile.FramesOpen(1));
  // Playback is the first stream's: two pixels wide.
  StepAt(1000, -1);
  int l, t, r, b;
  ASSERT_TRUE(Changed(kGround, l, t, r, b));
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Back(0, 0), As565(kColours[0]));
  // The other streams' readers open on request and read their own frames.
  EXPECT_TRUE(ClipFile.OpenFrames(3));
  EXPECT_EQ(testing_support::DibPixel(ClipFile.GetFrame(3, 0), 0, 0), kColours[3]);
  EXPECT_TRUE(ClipFile.CloseFrames(3));
  EXPECT_FALSE(ClipFile.CloseFrames(3));
  EXPECT_FALSE(ClipFile.OpenFrames(5));
}

TEST_F(ClipPlayerTest, OpeningTheFramesGivesTheStreamsDuration) {
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(2, 2, kColours));  // 4 at 25 a second
  spec.streams[0].start = 1;
  ASSERT_EQ(OpenClip(WriteClip(spec).c_str(), 30), 0);
  EXPECT_EQ(ClipFile.Duration(0), 200);  // start and length: 5 frames of 40 ms
}

TEST_F(ClipPlayerTest, AClipWhoseFramesCannotBeDecodedEndsAtOnce) {
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(2, 2, {kColours[0]}));
  spec.streams[0].format = testing_support::BitmapFormat(2, 2, 24, 0x44495658);
  EXPECT_EQ(OpenClip(WriteClip(spec).c_str(), 30), 0);  // it has a video stream
  EXPECT_FALSE(ClipFile.FramesOpen(0));
  StepAt(1000, -1);
  EXPECT_EQ(ClipState(), 1);
  EXPECT_TRUE(Untouched());
}

TEST_F(ClipPlayerTest, ClosingForgetsEverything) {
  ASSERT_EQ(OpenClip(SolidClip(2).c_str(), 30), 0);
  StepAt(1000, -1);
  EXPECT_EQ(CloseClip(), 0);
  EXPECT_EQ(ClipState(), 2);
  EXPECT_EQ(ClipFile.VideoCount(), 0);
  EXPECT_EQ(ClipFile.VideoFormat(0), nullptr);
  EXPECT_EQ(ClipFile.GetFrame(0, 0), nullptr);
  FillRect(0, 0, 800, 600, kGround);
  StepAt(2000, 1);
  EXPECT_EQ(ClipState(), 1);
  EXPECT_TRUE(Untouched());
  // Opening again while open starts afresh.
  ASSERT_EQ(OpenClip(SolidClip(2).c_str(), 30), 0);
  ASSERT_EQ(OpenClip(SolidClip(3).c_str(), 30), 0);
  EXPECT_EQ(ClipFile.VideoCount(), 1);
}

TEST_F(ClipPlayerTest, APaintOnALostBackBufferIsSkipped) {
  ASSERT_EQ(OpenClip(SolidClip(2).c_str(), 30), 0);
  Device().InjectResult(platform::DisplayOp::Lock, platform::DisplayResult::SurfaceLost);
  StepAt(1000, -1);
  EXPECT_TRUE(Untouched());
  EXPECT_EQ(Device().Locked(), 0u);
  EXPECT_EQ(StepAt(1001, 0), As565(kColours[0]));
}

}  // namespace
