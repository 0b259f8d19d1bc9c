// Glyph widths measured from the ink, word wrap, centring and the typewriter.
#include "graphics_fixture.h"

namespace {

using testing_support::BmpBytes;
using testing_support::Rgb;

constexpr int kCell = 40, kCellHeight = 20;

// A 96-cell font: glyph g is inked in columns 1..inkTo(g) of rows 2..17, in a colour that
// names the glyph (red = g * 2).
std::string FontStrip(int (*inkTo)(int glyph)) {
  return BmpBytes(kCell, kCellHeight * 96, [inkTo](int x, int y) {
    int g = y / kCellHeight, row = y % kCellHeight;
    bool ink = x >= 1 && x <= inkTo(g) && row >= 2 && row < 18;
    return ink ? Rgb{static_cast<uint8_t>(g * 2), 200, 0} : Rgb{255, 0, 255};
  });
}

uint16_t GlyphColour(int g) {
  return Rgb565(static_cast<uint8_t>(g * 2), 200, 0);
}

class FontTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    WritePicture(14, FontStrip([](int) { return 9; }));
    WritePicture(13, FontStrip([](int) { return 9; }));
    Device().Fill(BackBuffer, nullptr, 0);
  }
};

TEST_F(FontTest, WidthsComeFromTheInkWithEachFontsSpacing) {
  DrawText("A", 0, 0, 200, 20, 14);
  DrawText("A", 0, 0, 200, 20, 13);
  EXPECT_EQ(GlyphWidthTable[8]['A' - 32], 10);
  EXPECT_EQ(GlyphWidthTable[7]['A' - 32], 11);
  EXPECT_EQ(GlyphWidthTable[8][0], kCell / 2);  // space: half the cell, whatever it holds
  EXPECT_EQ(FontSlot(12), 4);
  EXPECT_EQ(FontSlot(99), -1);
}

TEST_F(FontTest, WordsWrapWithTheSpaceEndingTheFirstLine) {
  DrawText("PQ RS", 100, 100, 50, 60, 14);
  const TextLayout& layout = LastTextLayout();
  EXPECT_EQ(layout.breaks, 1);
  EXPECT_EQ(layout.width[0], 20);
  EXPECT_EQ(layout.width[1], 20);  // the leading space is not counted
  EXPECT_EQ(Back(101, 102), GlyphColour('P' - 32));
  EXPECT_EQ(Back(111, 102), GlyphColour('Q' - 32));
  EXPECT_EQ(Back(101, 122), GlyphColour('R' - 32));  // the next line starts at the left
  EXPECT_EQ(Back(111, 122), GlyphColour('S' - 32));

  DrawText("Extraordinarily", 0, 300, 30, 20, 14);
  EXPECT_EQ(LastTextLayout().breaks, 0);  // a word wider than the box stays put
}

TEST_F(FontTest, CentringPlacesLinesAndTheBlock) {
  textOptions.centre = true;
  DrawText("PQ RS", 0, 0, 50, 100, 14);
  EXPECT_EQ(Back(15 + 1, 30 + 2), GlyphColour('P' - 32));  // (50 - 20) / 2 across, 30 down
  EXPECT_EQ(Back(15 + 1, 50 + 2), GlyphColour('R' - 32));
  EXPECT_FALSE(textOptions.centre);  // cleared after the call

  Device().Fill(BackBuffer, nullptr, 0);
  textOptions.centreVertically = true;
  DrawText("PQ", 0, 0, 50, 100, 14);
  EXPECT_EQ(Back(1, 40 + 2), GlyphColour('P' - 32));
  EXPECT_TRUE(textOptions.centreVertically);  // stays set
}

TEST_F(FontTest, PoundSignsBackslashesAndBytesWithoutGlyphs) {
  DrawText("\xA3", 0, 0, 100, 20, 14);
  EXPECT_EQ(Back(1, 2), GlyphColour(95));
  DrawText("\x7F", 0, 40, 100, 20, 14);
  EXPECT_EQ(Back(1, 42), GlyphColour(95));
  EXPECT_EQ(GlyphOf(0x80), -1);
  EXPECT_EQ(GlyphOf(31), -1);

  DrawText("1\\,000", 0, 100, 200, 20, 14);  // six glyphs: 1, backslash, comma, 0, 0, 0
  EXPECT_EQ(LastTextLayout().length, 6);
  EXPECT_EQ(LastTextLayout().width[0], 60);
  EXPECT_EQ(Back(11, 102), GlyphColour('\\' - 32));

  Device().Fill(BackBuffer, nullptr, 0);
  DrawText("\x01\xFF", 0, 0, 100, 20, 14);  // nothing to draw, nothing out of bounds
  int l, t, r, b;
  EXPECT_FALSE(Changed(0, l, t, r, b));
}

TEST_F(FontTest, TheTypewriterPresentsEachCharacterButTheAtSign) {
  size_t before = system_.FramesShown();
  uint32_t start = system_.Now();
  textOptions.typewriter = true;
  DrawText("A B@C", 0, 0, 400, 20, 14);
  EXPECT_EQ(system_.FramesShown() - before, 4u);  // A, space, B, C
  EXPECT_GE(system_.Now() - start, 4u * 15u);     // each present paced
  EXPECT_FALSE(textOptions.typewriter);
}

TEST_F(FontTest, AnyOtherKeyDrawsInTheFirstFont) {
  WritePicture(9, testing_support::PcxBytes(kCell, kCellHeight * 96, [](int x, int y) {
                 bool ink = x >= 1 && x <= 3 && y % kCellHeight >= 2 && y % kCellHeight < 18;
                 return ink ? Rgb{0, 0, 255} : Rgb{255, 0, 255};
               }));
  DrawText("Z", 0, 0, 100, 20, 42);
  EXPECT_EQ(Back(1, 2), Rgb565(0, 0, 255));
  EXPECT_EQ(GlyphWidthTable[0]['Z' - 32], 4);
}

}  // namespace
