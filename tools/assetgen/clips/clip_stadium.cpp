#include "clip_stadium.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synth.h"

namespace clips {

using audio::Rng;
namespace {

constexpr double kTowerX[2] = {70, 730};
constexpr double kHeadY = 52;
constexpr double kBoardsTop = 290;
constexpr double kGoalLine = 312;

double Channel(uint32_t rgb, int shift) {
  return ((rgb >> shift) & 0xFF) / 255.0;
}

void Rect(cairo_t* cr, double x, double y, double w, double h, uint32_t rgb) {
  SetColour(cr, rgb);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

void DrawSky(cairo_t* cr) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 170);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.02, 0.035, 0.11);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.11, 0.17, 0.35);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  Rng rng(404);
  for (int i = 0; i < 28; ++i) {
    double x = rng.Range(150, 650);
    double y = rng.Range(6, 130);
    Rect(cr, std::floor(x), std::floor(y), 2, 2, rng.Uniform() < 0.5 ? 0xB4BEC8 : 0x5A646E);
  }
}

void DrawStands(cairo_t* cr) {
  Rect(cr, 0, 150, kClipWidth, 16, 0x141418);
  Rect(cr, 0, 164, kClipWidth, 2, 0x5A646E);
  for (int tier = 0; tier < 9; ++tier) {
    double y = 166 + tier * 13.8;
    Rect(cr, 0, y, kClipWidth, 14, tier % 2 ? 0x1E2A46 : 0x26334F);
  }
  // The crowd: heads along each tier in the muted colours of scarves and shirts.
  const uint32_t shirts[] = {0x5A646E, 0x3C4650, 0x8C1C1C, 0x2A3A5A, 0xB4BEC8, 0x783C14};
  Rng rng(8080);
  for (int tier = 0; tier < 9; ++tier) {
    double y = 170 + tier * 13.8;
    for (int i = 0; i < 34; ++i) {
      double x = rng.Range(0, kClipWidth);
      SetColour(cr, shirts[rng.Next() % 6]);
      cairo_arc(cr, x, y + rng.Range(0, 4), 3.2, 0, 2 * std::numbers::pi);
      cairo_fill(cr);
    }
  }
}

void DrawBoards(cairo_t* cr) {
  for (int i = 0; i < 8; ++i) {
    Rect(cr, i * 100, kBoardsTop, 100, 18, i % 2 ? 0x8C0C0E : 0x0E1C4A);
    SetColour(cr, i % 2 ? kChalk : kGold);
    CentredTextPath(cr, "STRIKORA", 12, i * 100 + 50, kBoardsTop + 9);
    cairo_fill(cr);
  }
}

// Perspective: pitch lines run towards a point high above the far goal.
double Towards(double x0, double y) {
  return 400 + (x0 - 400) * (y + 380) / (kGoalLine + 380);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void DrawPitch(cairo_t* cr) {
  const double top = kBoardsTop + 18;
  for (int k = 0; k < 10; ++k) {
    double y0 = top + (kClipHeight - top) * std::pow(k / 10.0, 1.5);
    double y1 = top + (kClipHeight - top) * std::pow((k + 1) / 10.0, 1.5);
    Rect(cr, 0, std::floor(y0), kClipWidth, std::ceil(y1) - std::floor(y0),
         k % 2 ? 0x1A6024 : 0x22702C);
  }
  SetColour(cr, kChalk, 0.9);
  Line(cr, 0, kGoalLine, kClipWidth, kGoalLine, 2);
  const double box = 362;
  Line(cr, 250, kGoalLine, Towards(250, box), box, 2);
  Line(cr, 550, kGoalLine, Towards(550, box), box, 2);
  Line(cr, Towards(250, box), box, Towards(550, box), box, 2.2);
  const double six = 328;
  Line(cr, 335, kGoalLine, Towards(335, six), six, 2);
  Line(cr, 465, kGoalLine, Towards(465, six), six, 2);
  Line(cr, Towards(335, six), six, Towards(465, six), six, 2);
  cairo_save(cr);
  cairo_translate(cr, 400, box);
  cairo_scale(cr, 1.0, 0.22);
  cairo_arc(cr, 0, 0, 70, 0.2 * std::numbers::pi, 0.8 * std::numbers::pi);
  cairo_restore(cr);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, 400, 660);
  cairo_scale(cr, 1.0, 0.25);
  cairo_arc(cr, 0, 0, 260, std::numbers::pi, 2 * std::numbers::pi);
  cairo_restore(cr);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  Rect(cr, 398, 344, 5, 3, kChalk);
}

void DrawGoal(cairo_t* cr) {
  const double left = 352, right = 448, bar = 274;
  SetColour(cr, 0xB4BEC8, 0.35);
  for (double x = left + 8; x < right; x += 8) Line(cr, x, bar, x + 2, kGoalLine - 4, 1);
  for (double y = bar + 8; y < kGoalLine - 4; y += 8) Line(cr, left, y, right, y, 1);
  SetColour(cr, kChalk);
  cairo_set_line_width(cr, 4);
  cairo_move_to(cr, left, kGoalLine);
  cairo_line_to(cr, left, bar);
  cairo_line_to(cr, right, bar);
  cairo_line_to(cr, right, kGoalLine);
  cairo_stroke(cr);
}

void DrawBeams(cairo_t* cr, const Floodlights& lights) {
  for (int side = 0; side < 2; ++side) {
    double level = 0;
    for (double l : lights.lamps[side]) level += l / kLampsPerTower;
    if (level <= 0.01) continue;
    double x = kTowerX[side];
    double aim = (side == 0 ? 330 : 470) + (side == 0 ? 1 : -1) * lights.beamSway;
    cairo_pattern_t* beam = cairo_pattern_create_linear(0, kHeadY, 0, kClipHeight);
    cairo_pattern_add_color_stop_rgba(beam, 0, 1.0, 0.86, 0.5, 0.22 * level);
    cairo_pattern_add_color_stop_rgba(beam, 1, 1.0, 0.86, 0.5, 0.07 * level);
    cairo_set_source(cr, beam);
    cairo_move_to(cr, x - 40, kHeadY + 20);
    cairo_line_to(cr, x + 40, kHeadY + 20);
    cairo_line_to(cr, aim + 200, kClipHeight);
    cairo_line_to(cr, aim - 200, kClipHeight);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(beam);
  }
}

void DrawTower(cairo_t* cr, int side, const double* lamps) {
  double x = kTowerX[side];
  SetColour(cr, 0x3C4650);
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, x - 14, kBoardsTop);
  cairo_line_to(cr, x - 4, kHeadY + 28);
  cairo_move_to(cr, x + 14, kBoardsTop);
  cairo_line_to(cr, x + 4, kHeadY + 28);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.5);
  for (double y = kBoardsTop; y > kHeadY + 40; y -= 26) {
    double w0 = 4 + 10 * (y - kHeadY) / (kBoardsTop - kHeadY);
    double w1 = 4 + 10 * (y - 26 - kHeadY) / (kBoardsTop - kHeadY);
    Line(cr, x - w0, y, x + w1, y - 26, 1.5);
  }
  // The glow of the lit head against the night.
  double level = 0;
  for (int i = 0; i < kLampsPerTower; ++i) level += lamps[i] / kLampsPerTower;
  if (level > 0.01) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, kHeadY, 10, x, kHeadY, 190);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.88, 0.55, 0.55 * level);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.88, 0.55, 0.0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, x, kHeadY, 190, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
  }
  Rect(cr, x - 62, kHeadY - 30, 124, 60, 0x141418);
  for (int i = 0; i < kLampsPerTower; ++i) {
    double lx = x - 45 + (i % 4) * 30;
    double ly = kHeadY - 15 + (i / 4) * 15;
    double on = lamps[i];
    double r = 0.24 + (1.0 - 0.24) * on, g = 0.27 + (0.98 - 0.27) * on,
           b = 0.31 + (0.88 - 0.31) * on;
    cairo_set_source_rgb(cr, r, g, b);
    cairo_arc(cr, lx, ly, 6.5, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
  }
}

}  // namespace

Floodlights LightsAt(double level) {
  Floodlights f;
  for (auto& tower : f.lamps) {
    for (double& l : tower) l = level;
  }
  return f;
}

double LightLevel(const Floodlights& lights) {
  double sum = 0;
  for (const auto& tower : lights.lamps) {
    for (double l : tower) sum += l;
  }
  return sum / (2 * kLampsPerTower);
}

double Smooth(double a, double b, double x) {
  double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

void SetColour(cairo_t* cr, uint32_t rgb, double alpha) {
  cairo_set_source_rgba(cr, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0), alpha);
}

cairo_font_face_t* ClipFont() {
  static cairo_font_face_t* face = [] {
    FT_Library library;
    FT_Face ft;
    if (FT_Init_FreeType(&library) != 0) return static_cast<cairo_font_face_t*>(nullptr);
    if (FT_New_Face(library, kClipFontFile, 0, &ft) != 0)
      return static_cast<cairo_font_face_t*>(nullptr);
    return cairo_ft_font_face_create_for_ft_face(ft, 0);
  }();
  return face;
}

void CentredTextPath(cairo_t* cr, const char* text, double size, double cx, double cy) {
  if (ClipFont()) {
    cairo_set_font_face(cr, ClipFont());
  } else {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  }
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text, &e);
  cairo_move_to(cr, cx - (e.x_bearing + e.width / 2), cy - (e.y_bearing + e.height / 2));
  cairo_text_path(cr, text);
}

void DrawStadium(cairo_t* cr, const Floodlights& lights) {
  DrawSky(cr);
  DrawStands(cr);
  DrawBoards(cr);
  DrawPitch(cr);
  DrawGoal(cr);
  double level = LightLevel(lights);
  if (level < 1.0) {
    SetColour(cr, kNightNavy, 0.62 * (1.0 - level));
    cairo_paint(cr);
  }
  DrawBeams(cr, lights);
  for (int side = 0; side < 2; ++side) DrawTower(cr, side, lights.lamps[side]);
}

}  // namespace clips
