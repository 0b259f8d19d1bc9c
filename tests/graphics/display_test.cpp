// The display's life, its fills, its losses and its fatal codes.
#include "graphics_fixture.h"

namespace {

using platform::DisplayOp;
using platform::DisplayResult;

TEST_F(GraphicsTest, InitFailuresShutDownWithTheirCodes) {
  ShutdownDisplay(255);
  struct Case {
    DisplayOp op;
    DisplayResult result;
    int code;
  };
  const Case cases[] = {{DisplayOp::Create, DisplayResult::Failed, 2},
                        {DisplayOp::SetMode, DisplayResult::InvalidMode, 4},
                        {DisplayOp::SetMode, DisplayResult::Failed, 4},
                        {DisplayOp::CreatePrimary, DisplayResult::Failed, 5},
                        {DisplayOp::GetBackBuffer, DisplayResult::Failed, 6},
                        {DisplayOp::CreateSurface, DisplayResult::Failed, 5}};
  for (const Case& c : cases) {
    system_.ScreenFaults().InjectResult(c.op, c.result);
    EXPECT_FALSE(InitDisplay());
    EXPECT_EQ(LastShutdownCode(), c.code);
    EXPECT_FALSE(DisplayUp());
    EXPECT_EQ(Device().LiveSurfaces(), 0u);
    EXPECT_FALSE(Device().IsOpen());
  }
  // The third save surface failing still releases the two made before it.
  system_.ScreenFaults().InjectResult(DisplayOp::CreateSurface, DisplayResult::Ok, 2);
  system_.ScreenFaults().InjectResult(DisplayOp::CreateSurface, DisplayResult::Failed);
  EXPECT_FALSE(InitDisplay());
  EXPECT_EQ(Device().LiveSurfaces(), 0u);
  EXPECT_TRUE(InitDisplay());
  EXPECT_EQ(KeyColour, 0xF81F);
}

TEST_F(GraphicsTest, ShutdownReleasesEverythingAndIsSafeTwice) {
  Sprite s;
  LoadGraphic(s, 37, 1);
  EXPECT_GT(Device().LiveSurfaces(), 5u);
  EXPECT_FALSE(ShutdownDisplay(99));
  EXPECT_EQ(Device().LiveSurfaces(), 0u);
  EXPECT_EQ(BackBuffer, 0);
  EXPECT_EQ(GraphicTable[FindGraphic(37)].surface, 0);
  EXPECT_FALSE(ShutdownDisplay(99));
  EXPECT_EQ(DisplayFailureCode(), 99);
  // Nothing draws or crashes on a display that is gone.
  DrawSprite(s, 0, 0, 0, nullptr, 0);
  ClearScreen();
  Present();
  SaveRect(1, 0, 0, 10, 10);
  RestoreRect(1, 0, 0, 0, 0, 0, 10, 10);
}

TEST_F(GraphicsTest, FillRectBlackensExactlyItsRectangle) {
  Device().Fill(BackBuffer, nullptr, 0x1234);
  FillRect(25, 130, 327, 160, 0);
  int l, t, r, b;
  ASSERT_TRUE(Changed(0x1234, l, t, r, b));
  EXPECT_EQ(l, 25);
  EXPECT_EQ(r, 326);
  EXPECT_EQ(t, 130);
  EXPECT_EQ(b, 159);
}

TEST_F(GraphicsTest, FillsRestoreALostBackBufferAndWaitOutABusyOne) {
  system_.ScreenFaults().LoseSurface(PrimarySurface);
  system_.ScreenFaults().LoseSurface(BackBuffer);
  system_.ScreenFaults().InjectResult(DisplayOp::Fill, DisplayResult::StillDrawing, 3);
  FillRect(0, 0, 10, 10, 0x0F0F);
  EXPECT_FALSE(Device().IsLost(BackBuffer));
  EXPECT_EQ(Back(9, 9), 0x0F0F);
  // A restore that fails lets the fill go, without a fatal error.
  system_.ScreenFaults().LoseSurface(BackBuffer);
  system_.ScreenFaults().InjectResult(DisplayOp::Restore, DisplayResult::Failed);
  ClearScreen();
  EXPECT_TRUE(DisplayUp());
}

TEST_F(GraphicsTest, PresentShowsTheBackBufferKeepsItAndPacesAt15ms) {
  Device().Fill(BackBuffer, nullptr, 0x07E0);
  std::vector<uint32_t> pumps;
  system_.SetDriver([&](platform::HeadlessPlatform& p) { pumps.push_back(p.Now()); });
  system_.ScheduleTouch(5, 123, 45);
  Present();
  uint32_t first = system_.Now();
  Present();
  uint32_t second = system_.Now();
  EXPECT_GE(second - first, 15u);
  EXPECT_EQ(system_.Screen()[0], 0x07E0);
  EXPECT_EQ(Back(0, 0), 0x07E0);  // the back buffer equals the screen after a present
  EXPECT_EQ(TouchX, 123);         // messages were handled while pacing
  EXPECT_GE(pumps.size(), 2u);
}

TEST_F(GraphicsTest, ALostPrimaryThatCannotBeRestoredIsFatalWhereItHappens) {
  Sprite s;
  LoadGraphic(s, 37, 1);
  system_.ScreenFaults().LoseSurface(PrimarySurface);
  system_.ScreenFaults().LoseSurface(BackBuffer);
  DrawSprite(s, 0, 0, 0, nullptr, 0);  // restored, then drawn
  EXPECT_TRUE(DisplayUp());
  EXPECT_EQ(Back(5, 5), Rgb565(111, 60, 90));

  system_.ScreenFaults().LoseSurface(BackBuffer);
  system_.ScreenFaults().InjectResult(DisplayOp::Restore, DisplayResult::Failed);
  DrawSprite(s, 0, 0, 0, nullptr, 0);
  EXPECT_EQ(LastShutdownCode(), 24);
  EXPECT_FALSE(DisplayUp());
}

TEST_F(GraphicsTest, LostSaveSurfacesAndFlipsHaveTheirOwnCodes) {
  Sprite s;
  LoadGraphic(s, 37, 1);
  system_.ScreenFaults().LoseSurface(SaveSurface[0]);
  system_.ScreenFaults().InjectResult(DisplayOp::Restore, DisplayResult::Failed);
  DrawSpriteToSave(0, s, 0, 0, 0, nullptr, 0);
  EXPECT_EQ(LastShutdownCode(), 33);

  ASSERT_TRUE(InitDisplay());
  system_.ScreenFaults().InjectResult(DisplayOp::Flip, DisplayResult::SurfaceLost);
  system_.ScreenFaults().InjectResult(DisplayOp::Restore, DisplayResult::Failed);
  FlipPaced();
  EXPECT_EQ(LastShutdownCode(), 22);
}

TEST_F(GraphicsTest, ALostPictureIsReadAgainFromItsFile) {
  Sprite s;
  LoadGraphic(s, 37, 1);
  int opened = FilesOpened();
  system_.ScreenFaults().LoseSurface(GraphicTable[FindGraphic(37)].surface);
  DrawSprite(s, 0, 0, 0, nullptr, 0);
  EXPECT_EQ(FilesOpened(), opened + 1);
  EXPECT_EQ(Back(799, 599), Rgb565(111, 60, 90));
}

}  // namespace
