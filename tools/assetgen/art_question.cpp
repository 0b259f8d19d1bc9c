// The true-or-false screen: the frame over the board with the question box, the two answer
// buttons and their press, the three result pictures, and the time-up flash.
//
// The frame covers exactly the board's opaque area (x 10..574, y 162..491): when the board is
// drawn again after the answer, nothing of the question screen is left behind.
#include <cmath>
#include <string>

#include "art.h"
#include "graphics/screen_layout.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The navy plate the answer buttons sit in; the border picture has the same under them.
void ButtonSocket(cairo_t* cr, double x, double y) {
  RoundedRect(cr, x, y, 180, 170, 18);
  FillVertical(cr, y, y + 170, pal::kNight, {22, 36, 72});
}

}  // namespace

void PaintQuestionBorder(const Frame& f) {
  cairo_t* cr = f.cr;
  const double l = 10, t = layout::kPitchTop, r = layout::kBoardRight, b = layout::kBoardBottom;
  cairo_rectangle(cr, l, t, r - l, b - t);
  FillVertical(cr, t, b, {20, 34, 74}, pal::kNight);
  // Faint pitch markings behind, like a replay screen.
  SetColour(cr, pal::kChalk, 0.07);
  cairo_set_line_width(cr, 3);
  cairo_arc(cr, (l + r) / 2, (t + b) / 2 + 40, 70, 0, 2 * kPi);
  cairo_stroke(cr);
  cairo_rectangle(cr, l + 3, t + 1, r - l - 6, b - t - 4);
  SetColour(cr, pal::kGold);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Question box.
  const double qx = layout::kQuestionX, qy = layout::kQuestionY;
  RoundedRect(cr, qx - 5, qy - 5, layout::kQuestionW + 10, layout::kQuestionH + 10, 10);
  FillVertical(cr, qy - 5, qy + layout::kQuestionH + 5, pal::kGoldPale, pal::kGoldDark);
  cairo_rectangle(cr, qx, qy, layout::kQuestionW, layout::kQuestionH);
  SetColour(cr, pal::kNavy);
  cairo_fill(cr);
  // The referee's question badge beside the box.
  Glow(cr, 64, 224, 46, pal::kGoldPale, 0.35);
  Football(cr, 64, 224, 32, 0.2);
  cairo_arc(cr, 64, 224, 19, 0, 2 * kPi);
  SetColour(cr, pal::kNight, 0.85);
  cairo_fill(cr);
  TextCentred(cr, {Face::kSansBold, 28, pal::kGold, 0, pal::kNight, 0}, "?", 64, 224);
  ButtonSocket(cr, layout::kTrueX, layout::kAnswerY);
  ButtonSocket(cr, layout::kFalseX, layout::kAnswerY);
  TextCentred(cr, {Face::kSansBold, 26, pal::kGold, 2, pal::kNight, 0}, "OR", 292,
              layout::kAnswerY + 85);
  TextCentred(cr, {Face::kSans, 12, pal::kChalk, 0, pal::kNight, 0},
              "Touch TRUE or FALSE \xE2\x80\x93 or REVEAL to spend a token", 292, 484);
}

// Answer buttons: frame 0 at rest, frames 1..9 the press: it sinks, flashes and glows.
void PaintAnswerButton(const Frame& f) {
  cairo_t* cr = f.cr;
  const bool isTrue = f.variant == 1;
  const int k = f.index;
  ButtonSocket(cr, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);  // every frame keeps the socket's outline
  const Rgb face = isTrue ? Rgb{34, 160, 60} : pal::kRed;
  if (k > 0) {
    cairo_save(cr);
    RoundedRect(cr, 0, 0, 180, 170, 18);
    cairo_clip(cr);
    Glow(cr, 90, 85, 110, pal::kGoldPale, 0.35 + 0.35 * std::fabs(std::sin(k * kPi / 3)));
    cairo_restore(cr);
  }
  const double depth = k == 0 ? 0 : std::min(k, 3) * 1.5;
  const double flash = k == 0 ? 0 : 0.45 * std::fabs(std::sin(k * kPi / 3));
  BevelPlate(cr, 14, 9 + depth, 152, 152 - depth, 22, Lighter(face, flash), k == 0 ? 5 : 3);
  if (isTrue)
    Tick(cr, 90, 66 + depth, 74, pal::kChalk);
  else
    Cross(cr, 90, 66 + depth, 70, pal::kChalk);
  TextCentred(cr, {Face::kSansBold, 30, pal::kChalk, 2, pal::kNight, 2}, isTrue ? "TRUE" : "FALSE",
              90, 130 + depth, 130);
  if (k == 9) {
    RoundedRect(cr, 16, 11 + depth, 148, 148 - depth, 20);
    SetColour(cr, pal::kGold);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
}

// Result pictures laid over the question: a stamp that lands with rays behind it.
void PaintResult(const Frame& f) {
  cairo_t* cr = f.cr;
  const int k = f.index;
  const Rgb face =
      f.variant == 0 ? Rgb{30, 150, 56} : (f.variant == 1 ? pal::kRed : Rgb{96, 84, 70});
  RoundedRect(cr, 0, 0, f.width, f.height, 18);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);  // every frame keeps this outline
  RoundedRect(cr, 3, 3, f.width - 6, f.height - 6, 16);
  FillVertical(cr, 3, f.height - 3, Lighter(face, 0.25), Darker(face, 0.35));
  cairo_save(cr);
  RoundedRect(cr, 3, 3, f.width - 6, f.height - 6, 16);
  cairo_clip(cr);
  // Rays turning behind the icon.
  const double cx = 70, cy = f.height / 2.0;
  for (int i = 0; i < 12; ++i) {
    const double a = i * kPi / 6 + k * 0.12;
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, 420, a, a + kPi / 14);
    cairo_close_path(cr);
  }
  SetColour(cr, {255, 255, 255}, 0.08 + 0.02 * k);
  cairo_fill(cr);
  cairo_restore(cr);
  RoundedRect(cr, 7, 7, f.width - 14, f.height - 14, 13);
  SetColour(cr, pal::kGold);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  const double scales[6] = {0.4, 0.7, 1.0, 1.22, 1.08, 1.0};
  const double s = scales[k];
  cairo_save(cr);
  RoundedRect(cr, 9, 9, f.width - 18, f.height - 18, 12);
  cairo_clip(cr);
  cairo_translate(cr, f.width / 2.0, cy);
  cairo_scale(cr, s, s);
  cairo_translate(cr, -f.width / 2.0, -cy);
  if (f.variant == 0)
    Tick(cr, cx, cy, 80, pal::kChalk);
  else if (f.variant == 1)
    Cross(cr, cx, cy, 74, pal::kChalk);
  else
    Donkey(cr, cx, cy + 6, 100);
  const char* titles[3] = {"CORRECT!", "WRONG!", "HEE-HAW!"};
  const char* subtitles[3] = {"WELL PLAYED", "BAD LUCK", "WRONG ANSWER"};
  TextCentred(cr, {Face::kSansBold, 58, pal::kChalk, 3, pal::kNight, 3}, titles[f.variant], 300,
              cy - 12, 360);
  TextCentred(cr, {Face::kSansBold, 20, pal::kGoldPale, 2, pal::kNight, 0}, subtitles[f.variant],
              300, cy + 34, 360);
  cairo_restore(cr);
}

// Time up over the countdown bar: frame 1 lit, frame 0 dimmed, shown in turn.
void PaintTimeUp(const Frame& f) {
  cairo_t* cr = f.cr;
  const bool lit = f.index == 1;
  cairo_rectangle(cr, 0, 0, f.width, f.height);
  FillVertical(cr, 0, f.height, lit ? Rgb{240, 70, 50} : Rgb{70, 14, 12},
               lit ? pal::kRedDark : Rgb{34, 6, 6});
  cairo_rectangle(cr, 1, 1, f.width - 2, f.height - 2);
  SetColour(cr, lit ? pal::kGold : Rgb{90, 60, 20});
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  TextCentred(cr, {Face::kSansBold, 20, lit ? pal::kChalk : Rgb{130, 60, 56}, 1.5, pal::kNight, 0},
              "TIME UP!", f.width / 2.0, f.height / 2.0);
}

void PaintQuestionBox(const Frame& f) {
  cairo_rectangle(f.cr, 0, 0, f.width, f.height);
  SetColour(f.cr, pal::kNavy);
  cairo_fill(f.cr);
}

void PaintQuestionBoxEdge(const Frame& f) {
  cairo_t* cr = f.cr;
  RoundedRect(cr, 0, 0, f.width, f.height, 10);
  cairo_rectangle(cr, 4, 4, f.width - 8, f.height - 8);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  FillVertical(cr, 0, f.height, pal::kGoldPale, pal::kGoldDark);
}

}  // namespace assetgen
