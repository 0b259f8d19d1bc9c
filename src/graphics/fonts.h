// Text from bitmap fonts: 96-cell strips whose glyph widths are measured from the ink
// the first time a font is used, laid out with word wrap, optional centring and an
// optional typewriter effect.
#pragma once

#include <cstdint>

struct TextOptions {
  bool centre = false;            // cleared by each DrawText
  bool centreVertically = false;  // stays set
  bool typewriter = false;        // cleared by each DrawText
};

extern TextOptions textOptions;
extern int32_t GlyphWidthTable[9][96];

inline constexpr int kMaxTextLines = 64;

// The glyph of a byte, -1 for bytes without one.
int GlyphOf(unsigned char byte);
// The width-table slot of a font key (-1 when the key has no slot).
int FontSlot(int fontKey);

void DrawText(const char* text, int x, int y, int boxWidth, int boxHeight, int fontKey);

// What the last layout found, for tests: lines, their widths and ends.
struct TextLayout {
  int length = 0;
  int breaks = 0;
  int width[kMaxTextLines] = {};
  int end[kMaxTextLines] = {};
};
const TextLayout& LastTextLayout();

void ResetFonts();
