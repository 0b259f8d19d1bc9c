// The game-over clip: "GAME OVER" settles in chalk white, the ball rolls slowly away towards
// the far goal and the floodlights go out one lamp at a time.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "clip_stadium.h"
#include "clips.h"

namespace clips {
namespace {

constexpr double kPi = std::numbers::pi;

struct Vec {
  double x, y, z;
};

Vec Scale(Vec v, double s) {
  return {v.x * s, v.y * s, v.z * s};
}
Vec Add(Vec a, Vec b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec Cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec Unit(Vec v) {
  return Scale(v, 1.0 / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
}

// The twelve black patches of a football sit on the corners of an icosahedron.
std::array<Vec, 12> PatchCentres() {
  const double phi = (1 + std::sqrt(5.0)) / 2;
  std::array<Vec, 12> v;
  int n = 0;
  for (int a : {-1, 1}) {
    for (int b : {-1, 1}) {
      v[n++] = Unit({0, double(a), b * phi});
      v[n++] = Unit({double(a), b * phi, 0});
      v[n++] = Unit({a * phi, 0, double(b)});
    }
  }
  return v;
}

Floodlights LightsGoingOut(double seconds) {
  Floodlights f = LightsAt(1.0);
  for (int k = 0; k < 2 * kLampsPerTower; ++k) {
    int tower = k % 2, lamp = (k / 2 * 5) % kLampsPerTower;
    double off = 0.8 + 1.4 * k / (2 * kLampsPerTower);
    double floor = k % 4 == 3 ? 0.35 : 0.0;  // a few lamps keep a dull glow
    f.lamps[tower][lamp] = floor + (1.0 - floor) * (1.0 - Smooth(off, off + 0.12, seconds));
  }
  return f;
}

// Ball colour dims with the lights.
void Shade(cairo_t* cr, uint32_t rgb, double light) {
  double keep = 0.45 + 0.55 * light;
  auto c = [&](int shift, double night) {
    return ((rgb >> shift) & 0xFF) / 255.0 * keep + night * (1 - keep);
  };
  cairo_set_source_rgb(cr, c(16, 0.03), c(8, 0.05), c(0, 0.16));
}

void DrawBall(cairo_t* cr, double cx, double cy, double r, double roll, double light) {
  SetColour(cr, 0x0C3414, 0.55);
  cairo_save(cr);
  cairo_translate(cr, cx + 0.15 * r, cy + 0.9 * r);
  cairo_scale(cr, 1.0, 0.28);
  cairo_arc(cr, 0, 0, r * 1.05, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_fill(cr);

  cairo_save(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  Shade(cr, kChalk, light);
  cairo_fill_preserve(cr);
  cairo_clip(cr);
  double c = std::cos(roll), s = std::sin(roll);
  for (Vec p : PatchCentres()) {
    p = {p.x, p.y * c - p.z * s, p.y * s + p.z * c};  // rolling away from the viewer
    if (p.z < -0.25) continue;
    Vec e1 = Unit(Cross(p, std::fabs(p.x) < 0.9 ? Vec{1, 0, 0} : Vec{0, 1, 0}));
    Vec e2 = Cross(p, e1);
    for (int j = 0; j < 5; ++j) {
      double a = 2 * kPi * j / 5;
      Vec v = Unit(Add(p, Add(Scale(e1, 0.4 * std::cos(a)), Scale(e2, 0.4 * std::sin(a)))));
      if (j == 0) {
        cairo_move_to(cr, cx + r * v.x, cy + r * v.y);
      } else {
        cairo_line_to(cr, cx + r * v.x, cy + r * v.y);
      }
    }
    cairo_close_path(cr);
  }
  Shade(cr, 0x141418, light);
  cairo_fill(cr);
  // Shade the side away from the floodlights.
  cairo_arc(cr, cx + 0.35 * r, cy + 0.35 * r, r, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 0.03, 0.05, 0.16, 0.3);
  cairo_fill(cr);
  cairo_restore(cr);
}

void DrawWords(cairo_t* cr, double seconds) {
  double fade = Smooth(0.3, 0.9, seconds);
  if (fade > 0) {
    double drop = -28 * (1 - fade);
    CentredTextPath(cr, "GAME OVER", 112, 400, 196 + drop);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, kNightNavy, fade);
    cairo_set_line_width(cr, 14);
    cairo_stroke_preserve(cr);
    SetColour(cr, kChalk, fade);
    cairo_fill(cr);
  }
  double later = Smooth(0.9, 1.4, seconds);
  if (later > 0) {
    CentredTextPath(cr, "Better luck next time", 38, 400, 266);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, kNightNavy, later);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    SetColour(cr, kGold, later);
    cairo_fill(cr);
  }
}

}  // namespace

void DrawGameOverFrame(cairo_t* cr, int frame) {
  double seconds = static_cast<double>(frame) / kClipFramesPerSecond;
  Floodlights lights = LightsGoingOut(seconds);
  DrawStadium(cr, lights);
  double u = 1.0 - std::pow(1.0 - std::min(seconds / 2.3, 1.0), 2.2);
  double x = 400 + 58 * u + 6 * std::sin(3 * u);
  double y = 560 - 222 * u;
  double r = 34 - 26 * u;
  DrawBall(cr, x, y, r, 11 * u, LightLevel(lights));
  DrawWords(cr, seconds);
}

}  // namespace clips
