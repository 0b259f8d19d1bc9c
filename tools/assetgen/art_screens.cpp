// Whole screens of a game: the game background, the start pick with its three boxes, and the
// prize screen with its amounts.
#include <cmath>
#include <string>

#include "art.h"
#include "graphics/screen_layout.h"
#include "render.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

void Confetti(cairo_t* cr, uint32_t seed, int count) {
  Lcg rng(seed);
  const Rgb colours[4] = {pal::kGold, pal::kChalk, pal::kGreenBright, pal::kGoldPale};
  for (int i = 0; i < count; ++i) {
    const double x = rng.Next() * 800, y = rng.Next() * 600, a = rng.Next() * kPi;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, a);
    cairo_rectangle(cr, -4, -2, 8, 4);
    SetColour(cr, colours[i % 4], 0.85);
    cairo_fill(cr);
    cairo_restore(cr);
  }
}

}  // namespace

void PaintGameBackdrop(cairo_t* cr) {
  cairo_rectangle(cr, 0, 0, 800, 600);
  FillVertical(cr, 0, 600, {12, 22, 50}, pal::kNight);
  Glow(cr, 60, 0, 220, pal::kGoldPale, 0.12);
  Glow(cr, 470, 0, 200, pal::kGoldPale, 0.08);
  Glow(cr, 280, 600, 180, pal::kPitchLight, 0.18);
  Logo(cr, 71, 46, 26, 128);
  TextCentred(cr, {Face::kSansBold, 9, pal::kChalk, 0, pal::kNight, 0}, "THE FOOTBALL QUIZ", 71,
              76);
  Football(cr, 276, 548, 26, 0.4);
  // The countdown bar's channel is black, as the game clears it.
  cairo_rectangle(cr, layout::kBarLeft, layout::kBarTop, layout::kBarRight - layout::kBarLeft,
                  layout::kBarBottom - layout::kBarTop);
  SetColour(cr, pal::kBlack);
  cairo_fill(cr);
}

// The game background: every panel the game draws over in place, so the screen is whole before
// the first redraw.
void PaintMain(const Frame& f) {
  cairo_t* cr = f.cr;
  PaintGameBackdrop(cr);
  PlacePicture(cr, 34, 0, layout::kGridX, layout::kGridY);
  PlacePicture(cr, 32, 2, layout::kCollectX, layout::kCollectY);
  PlacePicture(cr, 33, 0, layout::kCashpotX, 0);
  PlacePicture(cr, 31, 0, layout::kPointsX, 0);
  PlacePicture(cr, 28, 0, layout::kPlanX, layout::kPlanY);
  PlacePicture(cr, 73, 0, layout::kLivesX, layout::kLivesY);
}

// The start pick: three boxes under spotlights, lives strip empty.
void PaintLifeScreen(const Frame& f) {
  cairo_t* cr = f.cr;
  Stadium(cr, 800, 600, 250);
  cairo_rectangle(cr, 0, 0, 800, 600);
  SetColour(cr, pal::kNight, 0.35);
  cairo_fill(cr);
  Logo(cr, 400, 48, 44, 320);
  TextCentred(cr, {Face::kSansBold, 36, pal::kGold, 2.5, pal::kNight, 2}, "PICK A BOX", 400, 110);
  TextCentred(cr, {Face::kSansBold, 18, pal::kChalk, 1.5, pal::kNight, 0},
              "Your lives for this game are inside", 400, 148);
  for (int i = 0; i < 3; ++i) {
    const double cx = layout::kPickX[i] + 62;
    cairo_move_to(cr, cx - 14, 0);
    cairo_line_to(cr, cx + 14, 0);
    cairo_line_to(cr, cx + 80, 372);
    cairo_line_to(cr, cx - 80, 372);
    cairo_close_path(cr);
    SetColour(cr, pal::kGoldPale, 0.10);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, 362);
    cairo_scale(cr, 84, 16);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    SetColour(cr, pal::kGoldPale, 0.3);
    cairo_fill(cr);
  }
  TextCentred(cr, {Face::kSansBold, 20, pal::kGoldPale, 2, pal::kNight, 0},
              "Touch a box within 10 seconds", 400, 420);
  PlacePicture(cr, 73, 0, layout::kLivesX, layout::kLivesY);
}

// A box of the start pick holding `variant` lives: it shakes, the lid flies off in a beam of
// light and the players climb out; the last frame names the lives won.
void PaintLifeBox(const Frame& f) {
  cairo_t* cr = f.cr;
  const int k = f.index, lives = f.variant;
  const double shake = (k >= 1 && k <= 3) ? (k % 2 ? -2.5 : 2.5) : 0;
  const double boxTop = 84;
  // Light from inside once the lid lifts.
  if (k >= 4) {
    const double a = std::min(1.0, (k - 3) / 5.0);
    cairo_move_to(cr, 14, boxTop + 4);
    cairo_line_to(cr, 110, boxTop + 4);
    cairo_line_to(cr, 124, 0);
    cairo_line_to(cr, 0, 0);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, boxTop, 0, 0);
    Stop(p, 0, pal::kGoldPale, 0.95 * a);
    Stop(p, 1, pal::kGoldPale, 0.55 * a);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
  }
  // Players rising out of the box.
  if (k >= 9) {
    const double rise = std::min(1.0, (k - 9) / 8.0);
    const double xs[3][3] = {{62, 0, 0}, {42, 82, 0}, {28, 62, 96}};
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, f.width, boxTop + 2);
    cairo_clip(cr);
    for (int i = 0; i < lives; ++i) {
      const double cy = boxTop + 30 - rise * 72 + (i % 2) * 4;
      Player(cr, xs[lives - 1][i], cy, 58, pal::kGold);
    }
    cairo_restore(cr);
  }
  cairo_save(cr);
  cairo_translate(cr, shake, 0);
  // Body of the box.
  RoundedRect(cr, 10, boxTop, 104, 80, 8);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  RoundedRect(cr, 12, boxTop + 2, 100, 76, 7);
  FillVertical(cr, boxTop, boxTop + 80, pal::kNavyLight, pal::kNavy);
  for (double x : {24.0, 100.0}) {
    cairo_rectangle(cr, x - 3, boxTop + 2, 6, 76);
    SetColour(cr, pal::kGoldDark);
    cairo_fill(cr);
  }
  if (k < 9) {
    cairo_arc(cr, 62, boxTop + 40, 24, 0, 2 * kPi);
    FillVertical(cr, boxTop + 16, boxTop + 64, pal::kGoldPale, pal::kGoldDark);
    TextCentred(cr, {Face::kSansBold, 36, pal::kNight, 0, pal::kNight, 0}, "?", 62, boxTop + 40);
  } else {
    TextCentred(cr, {Face::kSansBold, 38, pal::kGold, 2, pal::kNight, 0}, std::to_string(lives), 62,
                boxTop + 30);
    TextCentred(cr, {Face::kSansBold, 17, pal::kChalk, 1.5, pal::kNight, 0},
                lives == 1 ? "LIFE" : "LIVES", 62, boxTop + 62);
  }
  // Lid: closed, then hinged open and thrown clear.
  if (k < 9) {
    cairo_save(cr);
    const double open = k >= 4 ? (k - 3) / 5.0 : 0;
    cairo_translate(cr, 8 - open * 10, boxTop - (k == 2 ? 4 : 0) - open * 60);
    cairo_rotate(cr, -open * 1.1);
    RoundedRect(cr, 0, -18, 108, 20, 6);
    SetColour(cr, pal::kNight);
    cairo_fill(cr);
    RoundedRect(cr, 2, -16, 104, 16, 5);
    FillVertical(cr, -16, 0, pal::kGoldPale, pal::kGoldDark);
    cairo_restore(cr);
  }
  cairo_restore(cr);
  if (k >= 17) {
    Star(cr, 14, 20, 7, pal::kChalk);
    Star(cr, 110, 36, 6, pal::kGoldPale);
    Star(cr, 100, 8, 4, pal::kChalk);
  }
}

// The prize screen: its well at (326, 317) holds the amount that counts down as it goes into
// the bank, down to nothing; the words are true of every amount it shows.
void PaintWinBackground(const Frame& f) {
  cairo_t* cr = f.cr;
  Stadium(cr, 800, 600, 280);
  Confetti(cr, 2024, 160);
  Logo(cr, 400, 70, 50, 340);
  TextCentred(cr, {Face::kSansBold, 62, pal::kGold, 3, pal::kNight, 3}, "WELL PLAYED!", 400, 170,
              700);
  TextCentred(cr, {Face::kSansBold, 26, pal::kChalk, 2, pal::kNight, 2},
              "YOUR PRIZE GOES INTO YOUR BANK", 400, 268, 700);
  const double x = layout::kPrizeValueX, y = layout::kPrizeValueY;
  BevelPlate(cr, x - 18, y - 12, 148 + 36, 76 + 24, 20, pal::kGold, 5);
  Well(cr, x, y, 148, 76, 6, pal::kNavy);
  TextCentred(cr, {Face::kSansBold, 22, pal::kChalk, 2, pal::kNight, 2}, "STILL TO GO IN", 400,
              450);
}

// Prize amounts, frame n showing n pounds (0 to 10), frame 11 twenty pounds. Each frame is opaque
// so that it can be drawn straight over the one before.
void PaintPrizeValues(const Frame& f) {
  cairo_t* cr = f.cr;
  cairo_rectangle(cr, 0, 0, f.width, f.height);
  FillVertical(cr, 0, f.height, Darker(pal::kNavy, 0.3), pal::kNavy);
  const int pounds = f.index == 11 ? 20 : f.index;
  TextCentred(cr,
              {Face::kSansBold, 56, pounds == 0 ? pal::kSteel : pal::kGold, 2.5, pal::kNight, 2},
              "\xC2\xA3" + std::to_string(pounds), f.width / 2.0, f.height / 2.0, f.width - 12);
}

}  // namespace assetgen
