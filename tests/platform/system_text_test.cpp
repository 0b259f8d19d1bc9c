// System-font text: layout, clipping and transparency on a 16-bit picture.
#include "platform/text/system_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;

constexpr uint16_t kGround = 0x1234;
constexpr uint32_t kNearWhite = 0x00FAFAFA;  // RGB 250, 250, 250
constexpr uint32_t kTeamFormat = kTextCenter | kTextVCenter | kTextWordBreak | kTextNoPrefix;

struct Picture {
  Picture() : pixels(320 * 200, kGround) {}
  Canvas565 Canvas() { return {pixels.data(), 320, 200, 320}; }
  // The inked box: pixels that differ from the ground.
  bool Ink(int& left, int& top, int& right, int& bottom) const {
    left = top = 1 << 20;
    right = bottom = -1;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 320; ++x)
        if (pixels[y * 320 + x] != kGround) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    return right >= 0;
  }
  std::vector<uint16_t> pixels;
};

class SystemTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    font_ = CreateSystemFont(-12, 400, &error);  // 9 points on a 96-dpi screen
    ASSERT_TRUE(font_) << error;
  }
  SystemFontHandle font_;
};

TEST_F(SystemTextTest, ATeamNameIsCentredTransparentAndInItsColour) {
  Picture p;
  TextRect rect{100, 50, 220, 80};
  int height =
      DrawSystemText(p.Canvas(), *font_, "Arsenal", -1, rect, kTeamFormat, kNearWhite, 0, false);
  EXPECT_GT(height, 10);
  int l, t, r, b;
  ASSERT_TRUE(p.Ink(l, t, r, b));
  EXPECT_GE(l, rect.left);
  EXPECT_LT(r, rect.right);
  EXPECT_NEAR((l + r) / 2.0, (rect.left + rect.right) / 2.0, 2.0);
  // Without a single line, vertical centring does not apply: the text starts at the top.
  EXPECT_LT(t, rect.top + 6);
  // Strokes are blended towards the text colour, never past it; the rest of the box keeps
  // the ground.
  int brightest = 0;
  for (uint16_t px : p.pixels) brightest = std::max(brightest, (px >> 11) & 31);
  EXPECT_GE(brightest, 28);
  EXPECT_LE(brightest, 250 >> 3);
  EXPECT_EQ(p.pixels[rect.top * 320 + rect.left], kGround);
}

TEST_F(SystemTextTest, LongNamesBreakBetweenWordsAndStayInsideTheBox) {
  Picture p;
  TextRect rect{10, 10, 80, 100};
  int one = DrawSystemText(p.Canvas(), *font_, "Wolverhampton", -1, rect, kTeamFormat, kNearWhite,
                           0, false);
  Picture q;
  int two = DrawSystemText(q.Canvas(), *font_, "Wolverhampton Wanderers", -1, rect, kTeamFormat,
                           kNearWhite, 0, false);
  EXPECT_EQ(two, 2 * one);
  int l, t, r, b;
  ASSERT_TRUE(q.Ink(l, t, r, b));
  EXPECT_GE(l, rect.left);
  EXPECT_LT(r, rect.right);
  EXPECT_GT(b - t, one);  // two lines of ink
}

TEST_F(SystemTextTest, TextIsClippedToItsRectangleUnlessTold) {
  Picture p;
  TextRect narrow{50, 50, 70, 60};
  DrawSystemText(p.Canvas(), *font_, "Middlesbrough", -1, narrow, kTeamFormat, kNearWhite, 0,
                 false);
  int l, t, r, b;
  ASSERT_TRUE(p.Ink(l, t, r, b));
  EXPECT_GE(l, narrow.left);
  EXPECT_LT(r, narrow.right);
  EXPECT_LT(b, narrow.bottom);

  Picture q;
  DrawSystemText(q.Canvas(), *font_, "Middlesbrough", -1, narrow, kTeamFormat | kTextNoClip,
                 kNearWhite, 0, false);
  ASSERT_TRUE(q.Ink(l, t, r, b));
  EXPECT_LT(l, narrow.left);
  EXPECT_GE(r, narrow.right);
}

TEST_F(SystemTextTest, SingleLinesCentreVerticallyAndOpaqueModeFillsBehind) {
  Picture p;
  TextRect rect{0, 0, 320, 200};
  int height =
      DrawSystemText(p.Canvas(), *font_, "Celtic", -1, rect,
                     kTextCenter | kTextVCenter | kTextSingleLine, 0x000000FF, 0x00FF0000, true);
  int l, t, r, b;
  ASSERT_TRUE(p.Ink(l, t, r, b));
  EXPECT_EQ(t, (200 - height) / 2);                // the filled background starts the line box
  EXPECT_EQ(p.pixels[(t + 1) * 320 + l], 0x001F);  // blue ground (0x00BBGGRR)
}

TEST_F(SystemTextTest, CountsPrefixesAndEmptyInput) {
  Picture p;
  TextRect rect{0, 0, 320, 200};
  EXPECT_EQ(DrawSystemText(p.Canvas(), *font_, nullptr, -1, rect, 0, kNearWhite, 0, false), 0);
  DrawSystemText(p.Canvas(), *font_, "Hearts of Midlothian", 6, rect, 0, kNearWhite, 0, false);
  int l, t, r, b;
  ASSERT_TRUE(p.Ink(l, t, r, b));
  EXPECT_NEAR(r - l + 1, MeasureSystemText(*font_, "Hearts"), 2);

  // Without "no prefix", an ampersand marks the next character and is not drawn.
  Picture amp, plain;
  DrawSystemText(amp.Canvas(), *font_, "&Brighton", -1, rect, 0, kNearWhite, 0, false);
  DrawSystemText(plain.Canvas(), *font_, "Brighton", -1, rect, 0, kNearWhite, 0, false);
  EXPECT_EQ(amp.pixels, plain.pixels);
}

}  // namespace
