// A small scene drawn through sprites, bitmap text and a fade, compared with its golden
// picture.
#include "golden.h"

#include "graphics/fade.h"
#include "graphics_fixture.h"

namespace {

using testing_support::BmpBytes;
using testing_support::Rgb;

TEST_F(GraphicsTest, SceneMatchesItsGoldenPicture) {
  // A night-sky gradient as the old screen, a striped pitch as the new picture with a
  // magenta window, a ball sprite, and two lines of text.
  WritePicture(37, BmpBytes(800, 600, [](int x, int y) {
                 bool window = x >= 300 && x < 500 && y >= 200 && y < 300;
                 if (window) return Rgb{255, 0, 255};
                 bool stripe = (x / 80) % 2 == 0;
                 return stripe ? Rgb{30, 140, 50} : Rgb{40, 160, 60};
               }));
  WritePicture(48, BmpBytes(32, 32 * 15, [](int x, int y) {
                 int cx = x - 16, cy = y % 32 - 16;
                 int d = cx * cx + cy * cy;
                 if (d > 15 * 15) return Rgb{255, 0, 255};
                 bool patch = ((cx + 64) / 8 + (cy + 64) / 8 + y / 32) % 2 == 0;
                 return patch ? Rgb{250, 250, 250} : Rgb{20, 20, 20};
               }));
  WritePicture(14, BmpBytes(24, 16 * 96, [](int x, int y) {
                 int g = y / 16, row = y % 16;
                 bool ink =
                     x >= 1 && x <= 2 + g % 9 && row >= 2 && row < 14 && (x + row + g) % 3 != 0;
                 return ink ? Rgb{255, 210, 60} : Rgb{255, 0, 255};
               }));
  for (int y = 0; y < 600; ++y) {
    platform::Rect row{0, y, 800, y + 1};
    Device().Fill(BackBuffer, &row, Rgb565(0, 0, static_cast<uint8_t>(40 + y / 4)));
  }
  Sprite pitch, ball;
  LoadGraphicHeader(pitch, 37, 1);
  LoadGraphic(ball, 48, 15);
  SaveRect(1, 0, 0, 800, 600);
  CaptureSave(1, nullptr);
  DrawSpriteToSave(0, pitch, 0, 0, 0, nullptr, 0);
  CaptureSave(0, nullptr);
  FadeStep(60, nullptr, 2);
  ClipRect halfScreen{0, 400, 0, 600};
  for (int f = 0; f < 15; ++f) DrawSprite(ball, f, 40 + f * 50, 500, &halfScreen, 2);
  textOptions.centre = true;
  DrawText("STRIKE ZONE 1\\,000 \xA3", 250, 50, 300, 60, 14);
  DrawText("PICK A HEXAGON", 250, 120, 120, 60, 14);
  Present();
  std::string diff = testing_support::CompareWithGolden("scene", system_.Screen());
  EXPECT_EQ(diff, "");
}

}  // namespace
