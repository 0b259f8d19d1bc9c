// The flipping pair's changed rows: what a flip tells the backend, and the copy of the
// shown screen to the back buffer that skips the rows already the same.
#include "platform/display/display_device.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace {

using platform::DisplayResult;
using platform::Rect;
using platform::Surface;

// Checks every flip's hint against the frame shown before: a row said to be unchanged
// must be unchanged.
class HintCheckingPlatform : public platform::HeadlessPlatform {
 public:
  void ShowFrame(const uint16_t* pixels, const uint8_t* rowsChanged) override {
    std::vector<uint16_t> frame(pixels, pixels + 800 * 600);
    ASSERT_NE(rowsChanged, nullptr);
    for (int y = 0; y < 600 && frames > 0; ++y) {
      bool same = std::equal(frame.begin() + y * 800, frame.begin() + (y + 1) * 800,
                             shown.begin() + y * 800);
      if (!rowsChanged[y]) {
        EXPECT_TRUE(same) << "row " << y << " of frame " << frames;
      } else {
        ++rowsHinted;
        if (same && !screenDrawnOn) ++rowsHintedButSame;
      }
    }
    shown = frame;
    ++frames;
  }
  std::vector<uint16_t> shown = std::vector<uint16_t>(800 * 600, 0);
  int frames = 0;
  bool screenDrawnOn = false;  // the shown screen itself was drawn on before this flip
  long rowsHinted = 0, rowsHintedButSame = 0;
};

TEST(DisplayDevicePair, FlipsNameEveryChangedRowAndTheCopyBackMatchesTheScreen) {
  HintCheckingPlatform system;
  platform::DisplayDevice& d = system.Display();
  ASSERT_EQ(d.Create(), DisplayResult::Ok);
  ASSERT_EQ(d.SetMode(800, 600, 16), DisplayResult::Ok);
  Surface primary = 0, back = 0, art = 0;
  ASSERT_EQ(d.CreatePrimary(primary), DisplayResult::Ok);
  ASSERT_EQ(d.GetBackBuffer(primary, back), DisplayResult::Ok);
  ASSERT_EQ(d.CreateSurface(800, 600, art), DisplayResult::Ok);
  ASSERT_EQ(d.Fill(art, nullptr, 0x1234), DisplayResult::Ok);
  d.SetColourKey(art, 0x1234);
  const Rect all{0, 0, 800, 600};
  std::mt19937 random(7);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int frame = 0; frame < 300; ++frame) {
    // Draw a few things on the back buffer (or now and then on the screen itself), some
    // of them the same pixels again, then show it and copy the screen back.
    system.screenDrawnOn = false;
    for (int k = below(4); k > 0; --k) {
      int top = below(599), bottom = top + 1 + below(600 - top);
      int left = below(799), right = left + 1 + below(800 - left);
      Rect r{left, top, right, bottom};
      Surface target = below(10) == 0 ? primary : back;
      if (target == primary) system.screenDrawnOn = true;
      switch (below(4)) {
        case 0:
          d.Fill(target, &r, static_cast<uint16_t>(below(3)));
          break;
        case 1:
          d.Blit(target, r, art, r, below(2) == 0);
          break;
        case 2:
          d.Blit(target, r, target == back ? primary : back, r, false);
          break;
        default: {
          platform::LockedSurface locked;
          ASSERT_EQ(d.Lock(target, locked), DisplayResult::Ok);
          locked.pixels[top * locked.pitch / 2 + left] = static_cast<uint16_t>(below(3));
          d.Unlock(target);
        }
      }
    }
    ASSERT_EQ(d.Flip(primary), DisplayResult::Ok);
    if (below(5) != 0) d.Blit(back, all, primary, all, false);
    if (frame % 7 == 0) {
      // The copy back leaves the back buffer the same as the screen, row for row.
      EXPECT_EQ(d.Blit(back, all, primary, all, false), DisplayResult::Ok);
      const std::vector<uint16_t> screen = *d.VisiblePixels();
      platform::LockedSurface b;
      ASSERT_EQ(d.Lock(back, b), DisplayResult::Ok);
      EXPECT_TRUE(std::equal(screen.begin(), screen.end(), b.pixels)) << frame;
      d.Unlock(back);
    }
  }
  EXPECT_EQ(system.frames, 300);
  // Rows of the back buffer drawn again with what they had are not passed on as changed.
  EXPECT_EQ(system.rowsHintedButSame, 0);
  EXPECT_GT(system.rowsHinted, 0);
  d.Close();
}

}  // namespace
