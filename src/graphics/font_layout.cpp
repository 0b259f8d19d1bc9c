#include "graphics/font_layout.h"

namespace {

int Width(const int32_t widths[96], int glyph) {
  return glyph < 0 ? 0 : widths[glyph];
}

}  // namespace

int GlyphOf(unsigned char byte) {
  if (byte >= 32 && byte <= 127) return byte - 32;
  if (byte == 0xA3) return 95;
  return -1;
}

void MeasureGlyphWidths(const FontStrip& strip, int extraSpacing, uint16_t keyColour,
                        int32_t widths[96]) {
  long budget = kGlyphMeasureBudget;
  for (int j = 0; j < 96; ++j) {
    int extent = 0;
    for (int k = 0; k < strip.cellHeight; ++k) {
      long row = static_cast<long>(j) * strip.cellHeight + k;
      if (row >= strip.height) break;
      const auto* pixels = reinterpret_cast<const uint16_t*>(
          static_cast<const uint8_t*>(strip.pixels) + row * strip.pitch);
      for (int col = strip.cellWidth - 1; col >= 1 && budget > 0; --col) {
        --budget;
        if (pixels[col] != keyColour) {
          if (col > extent) extent = col;
          break;
        }
      }
    }
    widths[j] = extent + extraSpacing;
  }
  widths[0] = strip.cellWidth / 2;
}

void LayoutTextLines(const unsigned char* text, int length, int boxWidth, const int32_t widths[96],
                     TextLayout& layout) {
  layout = TextLayout{};
  layout.length = length;
  int line = 0, p = 0;
  while (p < length) {
    int e = p + 1;
    while (e < length && text[e] != ' ') ++e;
    int wordWidth = 0;
    for (int i = p; i < e; ++i) wordWidth += Width(widths, GlyphOf(text[i]));
    if (layout.width[line] + wordWidth > boxWidth && layout.width[line] > 0 &&
        line + 1 < kMaxTextLines) {
      for (int i = p; i < e && text[i] == ' '; ++i) wordWidth -= Width(widths, 0);
      ++line;
      ++layout.breaks;
    }
    layout.end[line] = e;
    layout.width[line] += wordWidth;
    p = e;
  }
}
