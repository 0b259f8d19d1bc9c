#include "kit.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct FontFile {
  Face face;
  const char* path;
};

constexpr std::array<FontFile, 7> kFontFiles = {{
    {Face::kSansBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    {Face::kSansCondensedBold, "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"},
    {Face::kSansBoldOblique, "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf"},
    {Face::kSans, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {Face::kLiberationBold, "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"},
    {Face::kMonoBold, "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf"},
    {Face::kSerifBold, "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"},
}};

FT_Library gLibrary = nullptr;
std::array<cairo_font_face_t*, kFontFiles.size()> gFaces{};

double C(uint8_t v) {
  return v / 255.0;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  auto m = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0, 1.0)));
  };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}
Rgb Lighter(Rgb c, double t) {
  return Mix(c, {255, 255, 255}, t);
}
Rgb Darker(Rgb c, double t) {
  return Mix(c, {0, 0, 0}, t);
}

bool LoadFonts(std::string* error) {
  if (gLibrary != nullptr) return true;
  if (FT_Init_FreeType(&gLibrary) != 0) {
    *error = "cannot start FreeType";
    return false;
  }
  for (size_t i = 0; i < kFontFiles.size(); ++i) {
    FT_Face face = nullptr;
    if (FT_New_Face(gLibrary, kFontFiles[i].path, 0, &face) != 0) {
      *error = std::string("cannot open font ") + kFontFiles[i].path +
               " (install fonts-dejavu-core and fonts-liberation2)";
      return false;
    }
    gFaces[i] = cairo_ft_font_face_create_for_ft_face(face, 0);
  }
  return true;
}

void UseFont(cairo_t* cr, Face face, double size) {
  for (size_t i = 0; i < kFontFiles.size(); ++i) {
    if (kFontFiles[i].face == face) cairo_set_font_face(cr, gFaces[i]);
  }
  cairo_set_font_size(cr, size);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

void SetColour(cairo_t* cr, Rgb c, double alpha) {
  cairo_set_source_rgba(cr, C(c.r), C(c.g), C(c.b), alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void HexPath(cairo_t* cr, double x, double y, double w, double h) {
  const double q = w * 0.25;
  cairo_new_sub_path(cr);
  cairo_move_to(cr, x, y + h / 2);
  cairo_line_to(cr, x + q, y);
  cairo_line_to(cr, x + w - q, y);
  cairo_line_to(cr, x + w, y + h / 2);
  cairo_line_to(cr, x + w - q, y + h);
  cairo_line_to(cr, x + q, y + h);
  cairo_close_path(cr);
}

void Stop(cairo_pattern_t* p, double at, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, at, C(c.r), C(c.g), C(c.b), alpha);
}

void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, C(top.r), C(top.g), C(top.b));
  cairo_pattern_add_color_stop_rgb(p, 1, C(bottom.r), C(bottom.g), C(bottom.b));
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void BevelPlate(cairo_t* cr, double x, double y, double w, double h, double r, Rgb face,
                double rim) {
  // Dark outline, then the lower (shadow) rim, the upper (light) rim and the face.
  RoundedRect(cr, x, y, w, h, r);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  RoundedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, r - 1);
  FillVertical(cr, y, y + h, Lighter(face, 0.55), Darker(face, 0.55));
  RoundedRect(cr, x + 1.5 + rim, y + 1.5 + rim, w - 3 - 2 * rim, h - 3 - 2 * rim,
              std::max(1.0, r - rim));
  FillVertical(cr, y + rim, y + h - rim, Lighter(face, 0.18), Darker(face, 0.22));
  // Gloss on the upper half of the face.
  RoundedRect(cr, x + 2 + rim, y + 2 + rim, w - 4 - 2 * rim, (h - 2 * rim) * 0.42,
              std::max(1.0, r - rim));
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y + rim, 0, y + rim + (h - 2 * rim) * 0.45);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.35);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.04);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Well(cairo_t* cr, double x, double y, double w, double h, double r, Rgb inside) {
  RoundedRect(cr, x - 2, y - 2, w + 4, h + 4, r + 2);
  FillVertical(cr, y - 2, y + h + 2, Darker(pal::kNavy, 0.5), Lighter(pal::kSteel, 0.25));
  RoundedRect(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, Darker(inside, 0.3), inside);
}

double TextWidth(cairo_t* cr, const TextStyle& s, const std::string& text) {
  UseFont(cr, s.face, s.size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.width + 2 * s.outline;
}

namespace {
void PaintText(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y) {
  UseFont(cr, s.face, s.size);
  if (s.shadow > 0) {
    cairo_move_to(cr, x + s.shadow, y + s.shadow);
    cairo_text_path(cr, text.c_str());
    SetColour(cr, pal::kNight, 0.75);
    if (s.outline > 0) {
      cairo_set_line_width(cr, 2 * s.outline);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke_preserve(cr);
    }
    cairo_fill(cr);
  }
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, text.c_str());
  if (s.outline > 0) {
    SetColour(cr, s.outlineColour);
    cairo_set_line_width(cr, 2 * s.outline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
  }
  SetColour(cr, s.fill);
  cairo_fill(cr);
}
}  // namespace

void TextCentred(cairo_t* cr, TextStyle s, const std::string& text, double cx, double cy,
                 double maxWidth) {
  const double w = TextWidth(cr, s, text);
  if (w > maxWidth) s.size *= maxWidth / w;
  UseFont(cr, s.face, s.size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  PaintText(cr, s, text, cx - (e.x_bearing + e.width / 2), cy - (e.y_bearing + e.height / 2));
}

void TextAt(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y) {
  PaintText(cr, s, text, x, y);
}

void Football(cairo_t* cr, double cx, double cy, double r, double turn) {
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.4, r * 0.1, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.72, 0.74, 0.78);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  cairo_clip(cr);
  auto pentagon = [&](double px, double py, double pr, double rot) {
    for (int k = 0; k < 5; ++k) {
      const double a = rot + k * 2 * kPi / 5 - kPi / 2;
      if (k == 0)
        cairo_move_to(cr, px + pr * std::cos(a), py + pr * std::sin(a));
      else
        cairo_line_to(cr, px + pr * std::cos(a), py + pr * std::sin(a));
    }
    cairo_close_path(cr);
  };
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, std::max(1.0, r * 0.07));
  for (int k = 0; k < 5; ++k) {
    const double a = turn + k * 2 * kPi / 5 - kPi / 2;
    cairo_move_to(cr, cx + r * 0.36 * std::cos(a), cy + r * 0.36 * std::sin(a));
    cairo_line_to(cr, cx + r * 0.78 * std::cos(a), cy + r * 0.78 * std::sin(a));
  }
  cairo_stroke(cr);
  pentagon(cx, cy, r * 0.38, turn);
  cairo_fill(cr);
  for (int k = 0; k < 5; ++k) {
    const double a = turn + k * 2 * kPi / 5 - kPi / 2;
    pentagon(cx + r * 0.98 * std::cos(a), cy + r * 0.98 * std::sin(a), r * 0.3, turn + kPi / 5);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, std::max(1.0, r * 0.08));
  cairo_stroke(cr);
}

void Boot(cairo_t* cr, double cx, double cy, double size, Rgb body, double angle) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  cairo_scale(cr, size, size);
  // Upper: collar at the top left, instep falling to a rounded toe on the right.
  cairo_move_to(cr, -0.40, -0.42);
  cairo_line_to(cr, -0.12, -0.44);
  cairo_curve_to(cr, -0.08, -0.25, -0.02, -0.12, 0.18, -0.06);
  cairo_curve_to(cr, 0.36, -0.02, 0.48, 0.02, 0.49, 0.12);
  cairo_line_to(cr, 0.48, 0.18);
  cairo_line_to(cr, -0.44, 0.18);
  cairo_curve_to(cr, -0.48, 0.05, -0.46, -0.2, -0.40, -0.42);
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, -0.45, 0, 0.2);
  Stop(p, 0, Lighter(body, 0.35));
  Stop(p, 1, Darker(body, 0.3));
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, 0.05);
  cairo_stroke(cr);
  // Sole and studs.
  cairo_rectangle(cr, -0.45, 0.16, 0.94, 0.07);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  for (double sx : {-0.36, -0.2, 0.12, 0.3}) {
    cairo_rectangle(cr, sx, 0.22, 0.07, 0.08);
    cairo_fill(cr);
  }
  // Laces across the instep and a chalk flash along the side.
  SetColour(cr, pal::kChalk);
  cairo_set_line_width(cr, 0.04);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int k = 0; k < 3; ++k) {
    const double x = -0.06 + k * 0.09, y = -0.22 + k * 0.05;
    cairo_move_to(cr, x - 0.05, y - 0.04);
    cairo_line_to(cr, x + 0.05, y + 0.04);
  }
  cairo_stroke(cr);
  cairo_move_to(cr, -0.36, 0.06);
  cairo_curve_to(cr, -0.1, 0.02, 0.15, 0.02, 0.4, 0.09);
  cairo_set_line_width(cr, 0.06);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Player(cairo_t* cr, double cx, double cy, double h, Rgb shirt) {
  const double top = cy - h / 2;
  auto y = [&](double f) { return top + f * h; };
  const double u = h / 10;
  // Legs and socks.
  SetColour(cr, Darker(shirt, 0.2));
  cairo_rectangle(cr, cx - 1.1 * u, y(0.66), 0.8 * u, 0.30 * h);
  cairo_rectangle(cr, cx + 0.3 * u, y(0.66), 0.8 * u, 0.30 * h);
  cairo_fill(cr);
  SetColour(cr, pal::kNight);
  cairo_rectangle(cr, cx - 1.3 * u, y(0.94), 1.1 * u, 0.06 * h);
  cairo_rectangle(cr, cx + 0.3 * u, y(0.94), 1.1 * u, 0.06 * h);
  cairo_fill(cr);
  // Shorts.
  SetColour(cr, pal::kChalk);
  cairo_move_to(cr, cx - 1.4 * u, y(0.54));
  cairo_line_to(cr, cx + 1.4 * u, y(0.54));
  cairo_line_to(cr, cx + 1.3 * u, y(0.7));
  cairo_line_to(cr, cx - 1.3 * u, y(0.7));
  cairo_close_path(cr);
  cairo_fill(cr);
  // Shirt with arms.
  cairo_move_to(cr, cx - 1.5 * u, y(0.2));
  cairo_line_to(cr, cx + 1.5 * u, y(0.2));
  cairo_line_to(cr, cx + 2.3 * u, y(0.42));
  cairo_line_to(cr, cx + 1.7 * u, y(0.46));
  cairo_line_to(cr, cx + 1.4 * u, y(0.36));
  cairo_line_to(cr, cx + 1.4 * u, y(0.56));
  cairo_line_to(cr, cx - 1.4 * u, y(0.56));
  cairo_line_to(cr, cx - 1.4 * u, y(0.36));
  cairo_line_to(cr, cx - 1.7 * u, y(0.46));
  cairo_line_to(cr, cx - 2.3 * u, y(0.42));
  cairo_close_path(cr);
  FillVertical(cr, y(0.2), y(0.56), Lighter(shirt, 0.25), Darker(shirt, 0.15));
  // Head.
  cairo_arc(cr, cx, y(0.1), 1.0 * u, 0, 2 * kPi);
  SetColour(cr, {232, 186, 150});
  cairo_fill(cr);
  cairo_arc(cr, cx, y(0.08), 1.02 * u, kPi * 1.05, kPi * 1.95);
  SetColour(cr, {70, 44, 26});
  cairo_fill(cr);
}

void Eye(cairo_t* cr, double cx, double cy, double w, double open, Rgb iris) {
  const double h = w * 0.55 * std::clamp(open, 0.05, 1.0);
  cairo_save(cr);
  cairo_move_to(cr, cx - w / 2, cy);
  cairo_curve_to(cr, cx - w / 4, cy - h, cx + w / 4, cy - h, cx + w / 2, cy);
  cairo_curve_to(cr, cx + w / 4, cy + h, cx - w / 4, cy + h, cx - w / 2, cy);
  cairo_close_path(cr);
  SetColour(cr, pal::kChalk);
  cairo_fill_preserve(cr);
  cairo_clip_preserve(cr);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, w * 0.22, 0, 2 * kPi);
  SetColour(cr, iris);
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, w * 0.1, 0, 2 * kPi);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  cairo_arc(cr, cx - w * 0.06, cy - w * 0.06, w * 0.04, 0, 2 * kPi);
  SetColour(cr, pal::kChalk);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_move_to(cr, cx - w / 2, cy);
  cairo_curve_to(cr, cx - w / 4, cy - h, cx + w / 4, cy - h, cx + w / 2, cy);
  cairo_curve_to(cr, cx + w / 4, cy + h, cx - w / 4, cy + h, cx - w / 2, cy);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, std::max(1.5, w * 0.06));
  cairo_stroke(cr);
}

void Tick(cairo_t* cr, double cx, double cy, double s, Rgb c) {
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, cx - 0.42 * s, cy + 0.02 * s);
  cairo_line_to(cr, cx - 0.12 * s, cy + 0.32 * s);
  cairo_line_to(cr, cx + 0.45 * s, cy - 0.35 * s);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, s * 0.26);
  cairo_stroke_preserve(cr);
  SetColour(cr, c);
  cairo_set_line_width(cr, s * 0.16);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Cross(cairo_t* cr, double cx, double cy, double s, Rgb c) {
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double d = 0.36 * s;
  for (int pass = 0; pass < 2; ++pass) {
    cairo_move_to(cr, cx - d, cy - d);
    cairo_line_to(cr, cx + d, cy + d);
    cairo_move_to(cr, cx + d, cy - d);
    cairo_line_to(cr, cx - d, cy + d);
    SetColour(cr, pass == 0 ? pal::kNight : c);
    cairo_set_line_width(cr, s * (pass == 0 ? 0.28 : 0.18));
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void Donkey(cairo_t* cr, double cx, double cy, double s) {
  const Rgb fur{150, 146, 140}, dark{70, 66, 64};
  cairo_save(cr);
  cairo_set_line_width(cr, s * 0.03);
  // Ears.
  for (int side = -1; side <= 1; side += 2) {
    cairo_save(cr);
    cairo_translate(cr, cx + side * s * 0.16, cy - s * 0.2);
    cairo_rotate(cr, side * 0.35);
    cairo_scale(cr, s * 0.09, s * 0.3);
    cairo_arc(cr, 0, -0.6, 1, 0, 2 * kPi);
    cairo_restore(cr);
    SetColour(cr, fur);
    cairo_fill_preserve(cr);
    SetColour(cr, pal::kNight);
    cairo_stroke(cr);
  }
  // Long face and the pale muzzle.
  cairo_save(cr);
  cairo_translate(cr, cx, cy + s * 0.05);
  cairo_scale(cr, s * 0.23, s * 0.33);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  SetColour(cr, fur);
  cairo_fill_preserve(cr);
  SetColour(cr, pal::kNight);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, cx, cy + s * 0.26);
  cairo_scale(cr, s * 0.19, s * 0.13);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  SetColour(cr, {214, 206, 196});
  cairo_fill(cr);
  for (int side = -1; side <= 1; side += 2) {
    cairo_arc(cr, cx + side * s * 0.07, cy + s * 0.28, s * 0.028, 0, 2 * kPi);
    SetColour(cr, dark);
    cairo_fill(cr);
    cairo_arc(cr, cx + side * s * 0.1, cy - s * 0.04, s * 0.035, 0, 2 * kPi);
    SetColour(cr, pal::kNight);
    cairo_fill(cr);
  }
  // Forelock.
  cairo_move_to(cr, cx - s * 0.08, cy - s * 0.24);
  cairo_line_to(cr, cx, cy - s * 0.12);
  cairo_line_to(cr, cx + s * 0.08, cy - s * 0.24);
  SetColour(cr, dark);
  cairo_fill(cr);
  cairo_restore(cr);
}

void Glow(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgba(p, 0, C(c.r), C(c.g), C(c.b), alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, C(c.r), C(c.g), C(c.b), 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Star(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha) {
  cairo_move_to(cr, cx, cy - r);
  cairo_curve_to(cr, cx + r * 0.12, cy - r * 0.12, cx + r * 0.12, cy - r * 0.12, cx + r, cy);
  cairo_curve_to(cr, cx + r * 0.12, cy + r * 0.12, cx + r * 0.12, cy + r * 0.12, cx, cy + r);
  cairo_curve_to(cr, cx - r * 0.12, cy + r * 0.12, cx - r * 0.12, cy + r * 0.12, cx - r, cy);
  cairo_curve_to(cr, cx - r * 0.12, cy - r * 0.12, cx - r * 0.12, cy - r * 0.12, cx, cy - r);
  cairo_close_path(cr);
  SetColour(cr, c, alpha);
  cairo_fill(cr);
}

void Floodlight(cairo_t* cr, double x, double y, double s) {
  Glow(cr, x, y, 90 * s, pal::kGoldPale, 0.45);
  // Pylon.
  SetColour(cr, {26, 34, 56});
  cairo_move_to(cr, x - 4 * s, y + 14 * s);
  cairo_line_to(cr, x + 4 * s, y + 14 * s);
  cairo_line_to(cr, x + 9 * s, y + 260 * s);
  cairo_line_to(cr, x - 9 * s, y + 260 * s);
  cairo_close_path(cr);
  cairo_fill(cr);
  // Lamp head: a frame with rows of lamps.
  RoundedRect(cr, x - 26 * s, y - 14 * s, 52 * s, 28 * s, 3 * s);
  SetColour(cr, {40, 48, 70});
  cairo_fill(cr);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 6; ++c) {
      cairo_arc(cr, x - 20 * s + c * 8 * s, y - 8 * s + r * 8 * s, 3 * s, 0, 2 * kPi);
      SetColour(cr, Mix(pal::kGoldPale, {255, 255, 255}, 0.6));
      cairo_fill(cr);
    }
  }
}

void Logo(cairo_t* cr, double cx, double cy, double size, double maxWidth) {
  const char* name = "STRIKORA";
  UseFont(cr, Face::kSansBoldOblique, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, name, &e);
  if (e.width + size * 0.2 > maxWidth) {
    size *= maxWidth / (e.width + size * 0.2);
    UseFont(cr, Face::kSansBoldOblique, size);
    cairo_text_extents(cr, name, &e);
  }
  const double x = cx - (e.x_bearing + e.width / 2), y = cy - (e.y_bearing + e.height / 2);
  Glow(cr, cx, cy, e.width * 0.6, pal::kGold, 0.18);
  cairo_move_to(cr, x + size * 0.05, y + size * 0.06);
  cairo_text_path(cr, name);
  SetColour(cr, pal::kNight, 0.8);
  cairo_set_line_width(cr, size * 0.16);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_fill(cr);
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, name);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, size * 0.14);
  cairo_stroke_preserve(cr);
  SetColour(cr, pal::kChalk);
  cairo_set_line_width(cr, size * 0.05);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, cy - e.height / 2, 0, cy + e.height / 2);
  Stop(p, 0, pal::kGoldPale);
  Stop(p, 0.5, pal::kGold);
  Stop(p, 1, pal::kGoldDark);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void StripedPitch(cairo_t* cr, double x, double y, double w, double h, double stripe) {
  int i = 0;
  for (double sx = x; sx < x + w; sx += stripe, ++i) {
    cairo_rectangle(cr, sx, y, std::min(stripe, x + w - sx), h);
    FillVertical(cr, y, y + h, i % 2 ? pal::kPitch : pal::kPitchLight,
                 i % 2 ? pal::kPitchDark : Darker(pal::kPitch, 0.1));
  }
}

void Stadium(cairo_t* cr, double w, double h, double pitchTop) {
  cairo_rectangle(cr, 0, 0, w, pitchTop);
  FillVertical(cr, 0, pitchTop, pal::kNight, pal::kNavy);
  // Beams from four floodlights.
  const double lights[4][2] = {
      {w * 0.08, h * 0.07}, {w * 0.3, h * 0.04}, {w * 0.7, h * 0.04}, {w * 0.92, h * 0.07}};
  for (const auto& l : lights) {
    cairo_move_to(cr, l[0] - 20, l[1]);
    cairo_line_to(cr, l[0] + 20, l[1]);
    cairo_line_to(cr, w * 0.5 + (l[0] - w * 0.5) * 0.2 + 160, pitchTop + h * 0.3);
    cairo_line_to(cr, w * 0.5 + (l[0] - w * 0.5) * 0.2 - 160, pitchTop + h * 0.3);
    cairo_close_path(cr);
    SetColour(cr, pal::kGoldPale, 0.05);
    cairo_fill(cr);
  }
  // Stands: tiers of crowd as dim dots.
  const double standTop = pitchTop - h * 0.16;
  cairo_rectangle(cr, 0, standTop, w, pitchTop - standTop);
  FillVertical(cr, standTop, pitchTop, {18, 24, 44}, {10, 14, 30});
  Lcg rng(1966);
  for (double yy = standTop + 4; yy < pitchTop - 4; yy += 5) {
    for (double xx = 2; xx < w; xx += 4) {
      const double v = rng.Next();
      if (v < 0.55) continue;
      cairo_rectangle(cr, xx + rng.Next() * 2, yy, 2, 2);
      const Rgb c = v > 0.93 ? pal::kGold : (v > 0.8 ? pal::kChalk : pal::kSteel);
      SetColour(cr, c, 0.22 + 0.25 * rng.Next());
      cairo_fill(cr);
    }
  }
  cairo_rectangle(cr, 0, pitchTop - 6, w, 6);
  SetColour(cr, {40, 16, 20});
  cairo_fill(cr);
  StripedPitch(cr, 0, pitchTop, w, h - pitchTop, w / 12);
  for (const auto& l : lights) Floodlight(cr, l[0], l[1], 0.8);
}

}  // namespace assetgen
