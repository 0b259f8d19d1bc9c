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
