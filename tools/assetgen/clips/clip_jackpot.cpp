// The jackpot clip: floodlights sweeping, flash bulbs in the stands, "JACKPOT" bursting up in
// gold over a turning starburst, and confetti fired from both corners, then falling.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "clip_stadium.h"
#include "clips.h"
#include "synth.h"

namespace clips {

using audio::Rng;
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTextX = 400, kTextY = 232;

// Overshoots a little before settling at 1.
double EaseOutBack(double t) {
  t = std::clamp(t, 0.0, 1.0) - 1.0;
  return 1.0 + t * t * (2.7 * t + 1.7);
}

struct Confetti {
  double launch;
  double x, y, vx, vy;
  double spin, spinRate, flutter;
  uint32_t front, back;
};

const uint32_t kConfettiColours[][2] = {
    {0xF0BE32, 0xA05F05}, {0x00BEE6, 0x00728A}, {0xE628AA, 0x8A1866}, {0x8CE628, 0x548A18},
    {0x8C3CDC, 0x542484}, {0xD72323, 0x8C0C0E}, {0xF5F5EB, 0xB4BEC8}, {0xFF8C00, 0x995400},
};

std::vector<Confetti> Launch() {
  std::vector<Confetti> pieces;
  Rng rng(2024);
  for (int i = 0; i < 150; ++i) {  // two cannons in the bottom corners
    bool left = i % 2 == 0;
    Confetti c;
    c.launch = 0.22 + 0.08 * rng.Uniform();
    c.x = left ? 20 : 780;
    c.y = 590;
    c.vx = (left ? 1 : -1) * rng.Range(120, 520);
    c.vy = -rng.Range(650, 980);
    c.spin = rng.Range(0, 2 * kPi);
    c.spinRate = rng.Range(6, 16);
    c.flutter = rng.Range(0, 2 * kPi);
    const uint32_t* colour = kConfettiColours[rng.Next() % 8];
    c.front = colour[0];
    c.back = colour[1];
    pieces.push_back(c);
  }
  for (int i = 0; i < 70; ++i) {  // a shower from above once the cannons have fired
    Confetti c;
    c.launch = rng.Range(0.7, 2.0);
    c.x = rng.Range(0, kClipWidth);
    c.y = -10;
    c.vx = rng.Range(-30, 30);
    c.vy = rng.Range(60, 140);
    c.spin = rng.Range(0, 2 * kPi);
    c.spinRate = rng.Range(5, 12);
    c.flutter = rng.Range(0, 2 * kPi);
    const uint32_t* colour = kConfettiColours[rng.Next() % 8];
    c.front = colour[0];
    c.back = colour[1];
    pieces.push_back(c);
  }
  return pieces;
}

// Flies a piece from its launch to `seconds`: drag, gravity, then a fluttering fall.
bool Fly(Confetti& c, double seconds) {
  if (seconds < c.launch) return false;
  const double dt = 0.01;
  for (double t = c.launch; t + dt <= seconds; t += dt) {
    c.vx *= 1.0 - 1.6 * dt;
    c.vy += 900 * dt;
    if (c.vy > 150) c.vy = 150;
    c.x += c.vx * dt + 40 * std::sin(c.flutter + 5 * t) * dt;
    c.y += c.vy * dt;
    c.spin += c.spinRate * dt;
  }
  return true;
}

void DrawConfetti(cairo_t* cr, double seconds) {
  for (Confetti c : Launch()) {
    if (!Fly(c, seconds)) continue;
    double turn = std::cos(c.spin);
    cairo_save(cr);
    cairo_translate(cr, c.x, c.y);
    cairo_rotate(cr, c.spin * 0.4);
    cairo_scale(cr, std::max(0.15, std::fabs(turn)), 1.0);
    SetColour(cr, turn >= 0 ? c.front : c.back);
    cairo_rectangle(cr, -6, -3.5, 12, 7);
    cairo_fill(cr);
    cairo_restore(cr);
  }
}

void Star(cairo_t* cr, double x, double y, double r, uint32_t colour) {
  SetColour(cr, colour);
  cairo_move_to(cr, x, y - r);
  cairo_line_to(cr, x + r * 0.22, y - r * 0.22);
  cairo_line_to(cr, x + r, y);
  cairo_line_to(cr, x + r * 0.22, y + r * 0.22);
  cairo_line_to(cr, x, y + r);
  cairo_line_to(cr, x - r * 0.22, y + r * 0.22);
  cairo_line_to(cr, x - r, y);
  cairo_line_to(cr, x - r * 0.22, y - r * 0.22);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void DrawFlashBulbs(cairo_t* cr, int frame) {
  Rng rng(7919u * static_cast<uint32_t>(frame) + 1);
  for (int i = 0; i < 4; ++i) {
    double x = rng.Range(150, 650);
    double y = rng.Range(170, 282);
    Star(cr, x, y, rng.Range(5, 10), i % 2 ? kChalk : 0xFFFFC8);
  }
}

void DrawStarburst(cairo_t* cr, double seconds, double grow) {
  if (grow <= 0) return;
  const int rays = 18;
  double turn = 0.35 * seconds;
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, kClipWidth, 290);  // behind the title, above the boards
  cairo_clip(cr);
  for (int i = 0; i < rays; ++i) {
    double a0 = turn + 2 * kPi * i / rays;
    double a1 = a0 + kPi / rays;
    SetColour(cr, i % 2 ? kGold : kPaleGold, (i % 2 ? 0.4 : 0.25) * grow);
    cairo_move_to(cr, kTextX, kTextY);
    cairo_line_to(cr, kTextX + 700 * grow * std::cos(a0), kTextY + 700 * grow * std::sin(a0));
    cairo_line_to(cr, kTextX + 700 * grow * std::cos(a1), kTextY + 700 * grow * std::sin(a1));
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void DrawTitle(cairo_t* cr, double seconds) {
  double pop = EaseOutBack((seconds - 0.15) / 0.5);
  if (seconds < 0.15) return;
  double scale = 0.2 + 0.8 * pop;
  if (seconds > 0.65) scale *= 1.0 + 0.02 * std::sin(2 * kPi * 2 * (seconds - 0.65));
  cairo_save(cr);
  cairo_translate(cr, kTextX, kTextY);
  cairo_scale(cr, scale, scale);
  CentredTextPath(cr, "JACKPOT", 134, 0, 0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColour(cr, kNightNavy);
  cairo_set_line_width(cr, 16);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* gold = cairo_pattern_create_linear(0, -55, 0, 55);
  cairo_pattern_add_color_stop_rgb(gold, 0.0, 1.0, 0.96, 0.78);
  cairo_pattern_add_color_stop_rgb(gold, 0.45, 0.94, 0.75, 0.2);
  cairo_pattern_add_color_stop_rgb(gold, 1.0, 0.63, 0.37, 0.02);
  cairo_set_source(cr, gold);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(gold);
  // A glint sweeping across the letters.
  double sweep = (seconds - 1.0) / 0.6;
  if (sweep > 0 && sweep < 1) {
    cairo_clip(cr);
    double x = -500 + 1000 * sweep;
    SetColour(cr, 0xFFFFFF, 0.6);
    cairo_move_to(cr, x - 30, -90);
    cairo_line_to(cr, x + 20, -90);
    cairo_line_to(cr, x - 20, 90);
    cairo_line_to(cr, x - 70, 90);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

void DrawSparkles(cairo_t* cr, double seconds) {
  if (seconds < 0.6) return;
  const double spots[][2] = {{95, 150},  {700, 140}, {160, 320}, {655, 318},
                             {400, 120}, {250, 130}, {560, 335}, {60, 260}};
  for (int i = 0; i < 8; ++i) {
    double twinkle = std::sin(2 * kPi * (1.6 * seconds + i * 0.37));
    if (twinkle > 0)
      Star(cr, spots[i][0], spots[i][1], 4 + 12 * twinkle, i % 3 ? kPaleGold : kChalk);
  }
}

void DrawSubtitle(cairo_t* cr, double seconds) {
  double fade = Smooth(0.9, 1.3, seconds);
  if (fade <= 0) return;
  CentredTextPath(cr, "WHAT A RESULT!", 46, kTextX, 352);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColour(cr, kNightNavy, fade);
  cairo_set_line_width(cr, 8);
  cairo_stroke_preserve(cr);
  SetColour(cr, kChalk, fade);
  cairo_fill(cr);
}

}  // namespace

void DrawJackpotFrame(cairo_t* cr, int frame) {
  double seconds = static_cast<double>(frame) / kClipFramesPerSecond;
  Floodlights lights = LightsAt(1.0);
  lights.beamSway = 70 * std::sin(2 * kPi * 0.8 * seconds);
  DrawStadium(cr, lights);
  DrawFlashBulbs(cr, frame);
  DrawStarburst(cr, seconds, Smooth(0.1, 0.6, seconds));
  DrawTitle(cr, seconds);
  DrawSubtitle(cr, seconds);
  DrawSparkles(cr, seconds);
  DrawConfetti(cr, seconds);
}

}  // namespace clips
