// Bitmap fonts: 96 cells for the bytes 32..127, cell 95 holding the pound sign. The game measures
// each glyph's width from its rightmost ink column, so every glyph's ink starts at column 1 (2 in
// the larger fonts): the column before it is the gap that the measured width leaves between
// letters. The two number fonts leave the backslash cell empty, so a thousands separator written
// as a backslash and a comma shows as a comma alone.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace assetgen {
namespace {

void DrawGlyph(cairo_t* cr, const GlyphStyle& s, const std::string& utf8, double dx, double sx) {
  UseFont(cr, s.face, s.size);
  cairo_save(cr);
  cairo_translate(cr, dx, 0);
  cairo_scale(cr, sx, 1);
  cairo_move_to(cr, 0, s.baseline);
  cairo_text_path(cr, utf8.c_str());
  cairo_restore(cr);
  if (s.outline > 0) {
    SetColour(cr, s.outlineColour);
    cairo_set_line_width(cr, 2 * s.outline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
  }
  cairo_pattern_t* p = cairo_pattern_create_linear(0, s.baseline - s.size * 0.75, 0, s.baseline);
  Stop(p, 0, s.fill);
  Stop(p, 1, s.fillBottom);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

struct InkSpan {
  int first = -1, last = -1;
};

// Columns holding ink (alpha of at least half, the rule the pictures are converted by).
InkSpan MeasureInk(const GlyphStyle& s, const std::string& utf8, int w, int h, double dx,
                   double sx) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surf);
  DrawGlyph(cr, s, utf8, dx, sx);
  cairo_destroy(cr);
  cairo_surface_flush(surf);
  const unsigned char* data = cairo_image_surface_get_data(surf);
  const int stride = cairo_image_surface_get_stride(surf);
  InkSpan span;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      if ((row[x] >> 24) < 128) continue;
      if (span.first < 0 || x < span.first) span.first = x;
      span.last = std::max(span.last, x);
    }
  }
  cairo_surface_destroy(surf);
  return span;
}

struct FontLook {
  int key;
  GlyphStyle style;
  int left;
  bool numbers;  // backslash cell left empty
};

FontLook LookOf(int key) {
  FontLook l{key, {}, 1, false};
  GlyphStyle& s = l.style;
  switch (key) {
    case 9:  // general text, white on dark
      s = {Face::kSansBold, 17, pal::kChalk, {214, 222, 236}, 0, pal::kNight, 20};
      break;
    case 10:  // large gold headline letters
      s = {Face::kSansBold, 27, pal::kGoldPale, pal::kGold, 1.2, pal::kGoldDark, 31};
      l.left = 2;
      break;
    case 11:  // the question text, white on the navy question box
      s = {Face::kSansCondensedBold, 17, pal::kChalk, {226, 232, 244}, 0, pal::kNight, 18};
      break;
    case 12:  // blue typewriter answers
      s = {Face::kMonoBold, 18, {40, 90, 210}, {20, 60, 170}, 0, pal::kNight, 19};
      break;
    case 13:  // points counter: floodlight gold digits in the dark window
      s = {Face::kSansCondensedBold, 34, pal::kGoldPale, pal::kGold, 1, pal::kGoldDark, 30};
      l.numbers = true;
      break;
    default:  // 14, win plan rung values, chalk white
      s = {Face::kSansCondensedBold, 12.5, pal::kChalk, {220, 226, 236}, 0, pal::kNight, 13};
      l.numbers = true;
      break;
  }
  return l;
}

}  // namespace

void PaintGlyph(cairo_t* cr, const GlyphStyle& s, const std::string& utf8, int cellW, int cellH,
                int left) {
  UseFont(cr, s.face, s.size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, utf8.c_str(), &e);
  if (e.width <= 0) return;
  const int start = left < 0 ? 1 : left;
  double sx = std::min(1.0, (cellW - 1 - start - 2 * s.outline) / (e.width + 2 * s.outline));
  // Measure on a wider scratch surface, then move the ink to its column; squeeze a little more
  // while the ink still reaches past the cell's last column.
  const int pad = 8;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const double dx = pad - e.x_bearing * sx + s.outline;
    const InkSpan ink = MeasureInk(s, utf8, cellW + 2 * pad, cellH, dx, sx);
    if (ink.first < 0) return;
    const int inkW = ink.last - ink.first + 1;
    const int want = left < 0 ? std::max(1, (cellW - inkW) / 2) : left;
    if (want + inkW <= cellW - (left < 0 ? 1 : 0)) {
      DrawGlyph(cr, s, utf8, dx - pad + (want - (ink.first - pad)), sx);
      return;
    }
    sx *= 0.96;
  }
}

void PaintFont(const Frame& f) {
  const FontLook l = LookOf(f.variant);
  const int byte = 32 + f.index;
  if (byte == ' ') return;
  if (l.numbers && byte == '\\') return;
  const std::string text = f.index == 95 ? "\xC2\xA3" : std::string(1, static_cast<char>(byte));
  PaintGlyph(f.cr, l.style, text, f.width, f.height, l.left);
}

// The old digit strips: the digits 0-9 and a comma, centred in their cells.
void PaintDigitStrip(const Frame& f) {
  const FontLook l = LookOf(f.variant == 35 ? 13 : 14);
  const std::string text = f.index < 10 ? std::string(1, static_cast<char>('0' + f.index)) : ",";
  PaintGlyph(f.cr, l.style, text, f.width, f.height, -1);
}

}  // namespace assetgen
