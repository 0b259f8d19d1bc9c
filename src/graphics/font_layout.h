// The two pure halves of the bitmap fonts: measuring each glyph's width from the ink of
// a font picture, and the word wrap that lays a text out with those widths. The game runs
// them on a locked image surface; packtool runs them on the decoded picture file to find
// out whether a question fits its box before the pack is built.
#pragma once

#include <cstdint>

#include "graphics/fonts.h"

// Pixel tests one measurement may make; rows beyond it count as empty.
inline constexpr long kGlyphMeasureBudget = 1048576;

// 16-bit pixels of a 96-cell font strip: `pitch` bytes from one row to the next,
// `height` rows in all, cells `cellWidth` x `cellHeight` stacked from the top.
struct FontStrip {
  const void* pixels = nullptr;
  long pitch = 0;
  int height = 0;
  int cellWidth = 0;
  int cellHeight = 0;
};

// Widths of the 96 glyphs: the rightmost inked column of the cell (column 0 is never
// tested) plus the font's extra spacing; the space is half the cell width.
void MeasureGlyphWidths(const FontStrip& strip, int extraSpacing, uint16_t keyColour,
                        int32_t widths[96]);

// Word wrap into `layout`: a word runs up to the next space and every word after the first
// starts with the space before it; a word that would overflow a non-empty line starts the
// next line without its leading spaces. Bytes without a glyph have width 0.
void LayoutTextLines(const unsigned char* text, int length, int boxWidth, const int32_t widths[96],
                     TextLayout& layout);
