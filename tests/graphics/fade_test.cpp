// The cross-fade's arithmetic and its magenta holes.
#include "graphics/fade.h"

#include "graphics_fixture.h"

namespace {

class FadeTest : public GraphicsTest {
 protected:
  // The new picture in save surface 0 and the old in 1, both captured.
  void Capture(uint16_t newPixel, uint16_t oldPixel) {
    Device().Fill(SaveSurface[0], nullptr, newPixel);
    Device().Fill(SaveSurface[1], nullptr, oldPixel);
    CaptureSave(0, nullptr);
    CaptureSave(1, nullptr);
  }
};

TEST_F(FadeTest, ChannelsBlendWithTruncatingDivision) {
  Capture(31 << 11, 0);
  FadeStep(50, nullptr, 0);
  EXPECT_EQ(Back(400, 300) >> 11, 15);
  Capture(0, 31 << 11);
  FadeStep(50, nullptr, 0);
  EXPECT_EQ(Back(400, 300) >> 11, 16);
  Capture(63 << 5, 10 << 5);
  FadeStep(33, nullptr, 2);
  EXPECT_EQ((Back(0, 0) >> 5) & 63, 10 + 33 * 53 / 100);
}

// Every pair of channel values at every percentage, across whole rows (so both the
// vector path and a row's plain end are used), against the plain arithmetic.
TEST_F(FadeTest, EveryChannelPairAtEveryPercentageBlendsAsThePlainArithmetic) {
  // Pixel i of the screen pairs green i%64 with green i/64 (all 4096 pairs in the first
  // 4096 pixels), red i%32 with (i/32)%32 and blue the other way round.
  auto pair = [](int i, bool newPicture) {
    int k = i % 4096;
    int g = newPicture ? k % 64 : k / 64;
    int r = newPicture ? k % 32 : (k / 32) % 32;
    int b = newPicture ? (k / 32) % 32 : k % 32;
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
  };
  for (int which : {0, 1}) {
    platform::LockedSurface l;
    ASSERT_EQ(Device().Lock(SaveSurface[which], l), platform::DisplayResult::Ok);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(l.pixels) + y * l.pitch)[x] =
            pair(y * 800 + x, which == 0);
    Device().Unlock(SaveSurface[which]);
    CaptureSave(which, nullptr);
  }
  auto blend = [](int a, int b, int p) { return b + p * (a - b) / 100; };
  // The whole screen, and rows of 797 pixels: 49 groups of 16, one of 8 and 5 alone.
  const ClipRect part{0, 797, 0, 6};
  for (int step = 0; step <= 201; ++step) {
    int p = step % 101;
    bool whole = step <= 100;
    FadeStep(p, whole ? nullptr : &part, 0);
    platform::LockedSurface l;
    ASSERT_EQ(Device().Lock(BackBuffer, l), platform::DisplayResult::Ok);
    int wrong = 0;
    for (int i = 0; i < 800 * 6; ++i) {
      if (!whole && i % 800 >= 797) continue;
      uint16_t a = pair(i, true), b = pair(i, false);
      int want = blend(a >> 11, b >> 11, p) << 11 | blend((a >> 5) & 63, (b >> 5) & 63, p) << 5 |
                 blend(a & 31, b & 31, p);
      uint16_t got = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(l.pixels) +
                                                 (i / 800) * l.pitch)[i % 800];
      if (got != want && ++wrong <= 3)
        ADD_FAILURE() << "p " << p << " pixel " << i << ": " << got << " not " << want;
    }
    Device().Unlock(BackBuffer);
    ASSERT_EQ(wrong, 0) << p;
  }
}

TEST_F(FadeTest, TheEndsShowEachPictureExactlyAndOutOfRangeStepsDoNothing) {
  Capture(0x1234, 0xABCD);
  FadeStep(0, nullptr, 0);
  EXPECT_EQ(Back(10, 10), 0xABCD);
  FadeStep(100, nullptr, 0);
  EXPECT_EQ(Back(10, 10), 0x1234);
  Device().Fill(BackBuffer, nullptr, 0x5555);
  FadeStep(101, nullptr, 0);
  FadeStep(-1, nullptr, 0);
  EXPECT_EQ(Back(10, 10), 0x5555);
}

TEST_F(FadeTest, MagentaInTheNewPictureShowsTheOldScreenThroughout) {
  Capture(0x07E0, 0x001F);
  platform::Rect hole{100, 100, 110, 110};
  Device().Fill(SaveSurface[0], &hole, KeyColour);
  CaptureSave(0, nullptr);
  Device().Fill(BackBuffer, nullptr, 0x4444);
  for (int p : {0, 40, 100}) {
    FadeStep(p, nullptr, 2);
    EXPECT_EQ(Back(105, 105), 0x4444) << p;
  }
  EXPECT_EQ(Back(0, 0), 0x07E0);
}

TEST_F(FadeTest, OnlyTheRectangleIsCapturedAndBlended) {
  Capture(0x07E0, 0x001F);
  Device().Fill(BackBuffer, nullptr, 0x4444);
  ClipRect part{10, 20, 30, 40};
  FadeStep(100, &part, 0);
  EXPECT_EQ(Back(10, 30), 0x07E0);
  EXPECT_EQ(Back(19, 39), 0x07E0);
  EXPECT_EQ(Back(20, 39), 0x4444);
  EXPECT_EQ(Back(9, 30), 0x4444);
}

TEST_F(FadeTest, TheOpeningFadeEndsOnThePicture) {
  Device().Fill(BackBuffer, nullptr, 0x001F);
  size_t before = system_.FramesShown();
  uint32_t start = system_.Now();
  LoadGraphicHeader(GraphicSprite(37), 37, 1);
  FadeToPicture(GraphicSprite(37));  // drawn from its file on first use
  EXPECT_GE(system_.Now() - start, 800u);
  EXPECT_GT(system_.FramesShown() - before, 10u);
  EXPECT_EQ(system_.Screen()[0], Rgb565(111, 60, 90));
}

}  // namespace
