// Frames drawn where they belong, clipped, keyed, saved and restored.
#include "graphics_fixture.h"

namespace {

using testing_support::BmpBytes;
using testing_support::Rgb;

// Each pixel of the test strip says where it came from: red = column * 4, green = row.
Rgb Coded(int x, int y) {
  return Rgb{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y), 8};
}
uint16_t CodeOf(int x, int y) {
  return Rgb565(Coded(x, y).r, Coded(x, y).g, Coded(x, y).b);
}

class SpriteTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    WritePicture(48, BmpBytes(40, 30 * 4, Coded));  // 4 frames of 40 x 30
    LoadGraphic(strip_, 48, 4);
    Device().Fill(BackBuffer, nullptr, kGround);
  }
  static constexpr uint16_t kGround = 0x1111;
  Sprite strip_;
};

TEST_F(SpriteTest, FramesComeFromTheirRowsAndTheFileIsUpright) {
  EXPECT_EQ(strip_.width, 40);
  EXPECT_EQ(strip_.frameHeight, 30);
  DrawSprite(strip_, 3, 100, 200, nullptr, 0);
  EXPECT_EQ(Back(100, 200), CodeOf(0, 90));
  EXPECT_EQ(Back(139, 229), CodeOf(39, 119));
  int l, t, r, b;
  ASSERT_TRUE(Changed(kGround, l, t, r, b));
  EXPECT_EQ(l, 100);
  EXPECT_EQ(t, 200);
  EXPECT_EQ(r, 139);
  EXPECT_EQ(b, 229);
}

TEST_F(SpriteTest, FramesAreClippedToTheScreenAndToTheClipRectangle) {
  DrawSprite(strip_, 0, -10, -5, nullptr, 0);
  EXPECT_EQ(Back(0, 0), CodeOf(10, 5));
  EXPECT_EQ(Back(29, 24), CodeOf(39, 29));
  EXPECT_EQ(Back(30, 0), kGround);

  DrawSprite(strip_, 0, 790, 300, nullptr, 0);
  EXPECT_EQ(Back(790, 300), CodeOf(0, 0));
  EXPECT_EQ(Back(799, 300), CodeOf(9, 0));

  Device().Fill(BackBuffer, nullptr, kGround);
  ClipRect clip{10, 20, 5, 15};  // left, right, top, bottom
  DrawSprite(strip_, 0, 0, 0, &clip, 0);
  int l, t, r, b;
  ASSERT_TRUE(Changed(kGround, l, t, r, b));
  EXPECT_EQ(l, 10);
  EXPECT_EQ(r, 19);
  EXPECT_EQ(t, 5);
  EXPECT_EQ(b, 14);
  EXPECT_EQ(Back(10, 5), CodeOf(10, 5));
}

TEST_F(SpriteTest, InvisibleFramesAndFramesOutsideTheStripDrawNothing) {
  ClipRect clip{100, 200, 100, 200};
  for (auto [x, y] : {std::pair{40, 150}, {150, 40}, {200, 150}, {150, 200}})
    DrawSprite(strip_, 0, x, y, &clip, 0);
  DrawSprite(strip_, 4, 300, 300, nullptr, 0);
  DrawSprite(strip_, -1, 300, 300, nullptr, 0);
  int l, t, r, b;
  EXPECT_FALSE(Changed(kGround, l, t, r, b));
  EXPECT_TRUE(DisplayUp());
}

TEST_F(SpriteTest, MagentaIsSkippedOnlyInTransparentDraws) {
  WritePicture(49, BmpBytes(8, 9 * 2, [](int x, int) {
                 return x < 4 ? Rgb{255, 0, 255} : Rgb{254, 0, 254};  // both are the key at 16 bits
               }));
  Sprite s;
  LoadGraphic(s, 49, 9);
  DrawSprite(s, 0, 0, 0, nullptr, 2);
  EXPECT_EQ(Back(0, 0), kGround);
  EXPECT_EQ(Back(7, 0), kGround);
  DrawSprite(s, 0, 0, 0, nullptr, 0);
  EXPECT_EQ(Back(0, 0), 0xF81F);
  EXPECT_EQ(Back(7, 0), 0xF81F);
}

TEST_F(SpriteTest, LoadingTwiceReadsNoFileAndLeftoverRowsAreNeverShown) {
  int opened = FilesOpened();
  Sprite again;
  LoadGraphic(again, 48, 4);
  EXPECT_EQ(FilesOpened(), opened);
  EXPECT_EQ(again.width, strip_.width);
  EXPECT_EQ(again.tableIndex, strip_.tableIndex);

  WritePicture(50, BmpBytes(8, 100, Coded));
  Sprite three;
  LoadGraphicHeader(three, 50, 3);
  EXPECT_EQ(three.frameHeight, 33);
  DrawSprite(three, 2, 0, 0, nullptr, 0);  // loads on first draw
  EXPECT_EQ(Back(0, 32), CodeOf(0, 98));
  EXPECT_EQ(Back(0, 33), kGround);
}

TEST_F(SpriteTest, BadKeysAndFilesShutTheDisplayWithCode7) {
  Sprite s;
  LoadGraphic(s, 0, 1);
  EXPECT_EQ(LastShutdownCode(), 7);
  ASSERT_TRUE(InitDisplay());
  LoadGraphicHeader(s, 85, 1);
  EXPECT_EQ(LastShutdownCode(), 7);
  ASSERT_TRUE(InitDisplay());
  WritePicture(51, "XM" + std::string(100, '\0'));
  LoadGraphic(s, 51, 9);
  EXPECT_EQ(LastShutdownCode(), 7);
  ASSERT_TRUE(InitDisplay());
  std::string pcx = testing_support::PcxBytes(4, 4, Coded);
  pcx[1] = 4;
  WritePicture(3, pcx);
  LoadGraphic(s, 3, 1);
  EXPECT_EQ(LastShutdownCode(), 7);
}

TEST_F(SpriteTest, APcxIsAsWideAsItsBytesPerLine) {
  WritePicture(3, testing_support::PcxBytes(11, 2, Coded, 12));
  Sprite s;
  LoadGraphic(s, 3, 1);
  EXPECT_EQ(s.width, 12);
  DrawSprite(s, 0, 0, 0, nullptr, 0);
  EXPECT_EQ(Back(10, 1), CodeOf(10, 1));
  EXPECT_EQ(Back(11, 1), 0);  // the padding column is black
}

TEST_F(SpriteTest, SavedPanelsComeBackExceptWhereTheCopyIsMagenta) {
  DrawSprite(strip_, 0, 575, 123, nullptr, 0);
  FillRect(700, 400, 710, 410, KeyColour);
  SaveRect(2, 575, 123, 800, 600);
  FillRect(0, 0, 800, 600, 0x2222);
  RestoreRect(2, 0, 0, 2, 575, 123, 800, 600);
  EXPECT_EQ(Back(575, 123), CodeOf(0, 0));
  EXPECT_EQ(Back(614, 152), CodeOf(39, 29));
  EXPECT_EQ(Back(799, 599), kGround);
  EXPECT_EQ(Back(705, 405), 0x2222);  // magenta in the copy: skipped
  EXPECT_EQ(Back(574, 123), 0x2222);
}

// The surface restored after a loss is the one that was lost, source or target; a loss
// that keeps coming back is given up rather than retried for ever.
TEST_F(SpriteTest, SavesAndRestoresRestoreWhicheverSurfaceWasLost) {
  DrawSprite(strip_, 0, 575, 123, nullptr, 0);
  system_.ScreenFaults().LoseSurface(BackBuffer);  // the source of a save
  SaveRect(2, 575, 123, 800, 600);
  EXPECT_FALSE(Device().IsLost(BackBuffer));
  EXPECT_TRUE(DisplayUp());
  system_.ScreenFaults().LoseSurface(SaveSurface[2]);  // the source of a restore
  RestoreRect(2, 0, 0, 1, 575, 123, 800, 600);
  EXPECT_FALSE(Device().IsLost(SaveSurface[2]));
  system_.ScreenFaults().InjectResult(platform::DisplayOp::Blit,
                                      platform::DisplayResult::SurfaceLost, 100);
  SaveRect(1, 0, 0, 800, 600);  // fatal for a save, as a failed restore is
  EXPECT_FALSE(DisplayUp());
}

TEST_F(SpriteTest, RestoreRectShiftsAndClipsProportionally) {
  DrawSprite(strip_, 0, 0, 0, nullptr, 0);
  SaveRect(1, 0, 0, 800, 600);
  Device().Fill(BackBuffer, nullptr, 0x2222);
  // Shifted right by 100: the source starts off the screen, so the destination moves.
  RestoreRect(1, 100, 0, 0, 50, 0, 250, 30);
  EXPECT_EQ(Back(99, 0), 0x2222);
  EXPECT_EQ(Back(100, 0), CodeOf(0, 0));
  EXPECT_EQ(Back(139, 29), CodeOf(39, 29));
  // Shifted so that the destination runs off the screen: the source is cut to match.
  RestoreRect(1, 780, 0, 0, 780, 0, 840, 10);
  EXPECT_EQ(Back(799, 5), CodeOf(19, 5));
}

}  // namespace
