// The parts around the board: points box, win plan panel with its pointer and prize tags, the
// collect button and its flashing label, the cashpot with digits and boots, the countdown
// segments, the caption strip, the lives strip and the reveal tokens.
#include <cmath>
#include <string>

#include "art.h"
#include "graphics/screen_layout.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A panel plate with a gold inner rim.
void Panel(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundedRect(cr, x, y, w, h, r);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  RoundedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, r - 1);
  FillVertical(cr, y, y + h, pal::kNavyLight, pal::kNavy);
  RoundedRect(cr, x + 4.5, y + 4.5, w - 9, h - 9, r - 3);
  SetColour(cr, pal::kGoldDark);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

const TextStyle kPanelTitle{Face::kSansBold, 20, pal::kGold, 2, pal::kNight, 0};

}  // namespace

// The points box at the top right: its window holds the points text (x 584..777, y 50..92).
void PaintPointsBox(const Frame& f) {
  cairo_t* cr = f.cr;
  Panel(cr, 0, -20, f.width, f.height + 20, 14);
  TextCentred(cr, kPanelTitle, "POINTS", f.width / 2.0, 25);
  Star(cr, 40, 25, 6, pal::kGoldPale);
  Star(cr, f.width - 40, 25, 6, pal::kGoldPale);
  Well(cr, 9, 49, 194, 45, 6, pal::kLcd);
}

// The win plan: a header, then 20 rungs 20 pixels apart (the top rung 60 pixels down), each with
// a lane for the pointer, the team name, the points threshold and the prize tag.
void PaintWinPlanBack(const Frame& f) {
  cairo_t* cr = f.cr;
  Panel(cr, 0, 0, f.width, f.height + 20, 14);
  TextCentred(cr, kPanelTitle, "WIN PLAN", f.width / 2.0, 20);
  const TextStyle head{Face::kSansBold, 9.5, pal::kGoldPale, 0, pal::kNight, 0};
  TextCentred(cr, head, "TEAM", 66, 46);
  TextCentred(cr, head, "POINTS", 142, 46);
  TextCentred(cr, head, "PRIZE", 201, 46);
  for (int rung = 0; rung < 20; ++rung) {
    const double y = layout::RungY(rung) - layout::kPlanY;
    cairo_rectangle(cr, 4, y, f.width - 8, 20);
    if (rung == 19)
      SetColour(cr, {84, 64, 20});
    else
      SetColour(cr, rung % 2 ? Rgb{20, 36, 78} : Rgb{13, 24, 56});
    cairo_fill(cr);
    // Pointer lane with a chalk tick per rung.
    cairo_rectangle(cr, 4, y, 25, 20);
    SetColour(cr, pal::kNight, 0.55);
    cairo_fill(cr);
    cairo_rectangle(cr, 12, y + 9, 9, 2);
    SetColour(cr, pal::kChalk, 0.35);
    cairo_fill(cr);
  }
  const double top = layout::RungY(19) - layout::kPlanY;
  cairo_rectangle(cr, 4, top - 2, f.width - 8, 2);
  SetColour(cr, pal::kGold);
  cairo_fill(cr);
}

// The marker at the highest rung reached: a ball with a gold arrow, in the lane left of the names.
void PaintPointer(const Frame& f) {
  cairo_t* cr = f.cr;
  Glow(cr, 12, 14, 14, pal::kGold, 0.6);
  cairo_move_to(cr, 19, 6);
  cairo_line_to(cr, 27, 14);
  cairo_line_to(cr, 19, 22);
  cairo_close_path(cr);
  SetColour(cr, pal::kGold);
  cairo_fill_preserve(cr);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  Football(cr, 11, 14, 9, 0.5);
}

// Prize tags of the rungs: 1, 2, 3, 4, 5, 6, 10 and 20 pounds.
void PaintWinValues(const Frame& f) {
  cairo_t* cr = f.cr;
  const char* labels[8] = {"1", "2", "3", "4", "5", "6", "10", "20"};
  RoundedRect(cr, 1, 1, 42, 18, 5);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  RoundedRect(cr, 2, 2, 40, 16, 4);
  FillVertical(cr, 2, 18, pal::kGoldPale, pal::kGoldDark);
  TextCentred(cr, {Face::kSansBold, 13, pal::kNight, 0, pal::kNight, 0},
              std::string("\xC2\xA3") + labels[f.index], 22, 10, 38);
}

// Collect button: frame 0 ready (a prize is reached), 1 pressed, 2 not available. All frames keep
// to the button's own rectangle (x 152..338, y 14..82) so the unavailable redraw covers them.
void PaintCollectButton(const Frame& f) {
  cairo_t* cr = f.cr;
  const double x = 9, y = 1, w = 186, h = 68;
  if (f.index == 2) {
    BevelPlate(cr, x, y, w, h, 18, pal::kGreyDark, 4);
    TextCentred(cr, {Face::kSansBold, 30, pal::kGrey, 1.5, pal::kNight, 0}, "COLLECT", x + w / 2,
                y + h / 2, w - 30);
    return;
  }
  const bool pressed = f.index == 1;
  BevelPlate(cr, x, y + (pressed ? 2 : 0), w, h - (pressed ? 2 : 0), 18,
             pressed ? pal::kGoldDark : pal::kGold, pressed ? 2 : 4);
  TextCentred(cr, {Face::kSansBold, 30, pal::kChalk, 2, pal::kRedDark, 0}, "COLLECT", x + w / 2,
              y + h / 2 + (pressed ? 2 : 0), w - 30);
}

// The flashing label inside the collect button: red and gold pulse with a light sweep.
void PaintCollectAnim(const Frame& f) {
  cairo_t* cr = f.cr;
  const double pulse = 0.5 + 0.5 * std::cos(2 * kPi * f.index / f.count);
  RoundedRect(cr, 0, 0, f.width, f.height, 10);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  RoundedRect(cr, 2, 2, f.width - 4, f.height - 4, 8);
  FillVertical(cr, 2, f.height - 2, Mix(pal::kRed, pal::kGold, pulse * 0.6),
               Mix(pal::kRedDark, pal::kRed, pulse));
  cairo_save(cr);
  RoundedRect(cr, 2, 2, f.width - 4, f.height - 4, 8);
  cairo_clip(cr);
  const double sx = -40 + (f.width + 80) * f.index / (f.count - 1.0);
  cairo_move_to(cr, sx, 0);
  cairo_line_to(cr, sx + 22, 0);
  cairo_line_to(cr, sx + 2, f.height);
  cairo_line_to(cr, sx - 20, f.height);
  cairo_close_path(cr);
  SetColour(cr, {255, 255, 255}, 0.4);
  cairo_fill(cr);
  cairo_restore(cr);
  TextCentred(cr,
              {Face::kSansBold, 30, Mix(pal::kChalk, pal::kGoldPale, pulse), 2, pal::kNight, 1.5},
              "COLLECT", f.width / 2.0, f.height / 2.0, f.width - 40);
  const double s = 4 + 4 * (1 - pulse);
  Star(cr, 12, 12, s, pal::kGoldPale);
  Star(cr, f.width - 12, f.height - 12, s, pal::kGoldPale);
  Star(cr, f.width - 14, 11, 8 - s * 0.7, pal::kChalk);
  Star(cr, 14, f.height - 11, 8 - s * 0.7, pal::kChalk);
}

// The cashpot panel: its amount window fills the amount area (x 463..561, y 15..44) and the
// three boot slots sit at x 382, 437, 491, y 49, 51 by 44 each.
void PaintCashpot(const Frame& f) {
  cairo_t* cr = f.cr;
  Panel(cr, 0, -20, f.width, f.height + 20, 16);
  const double ox = layout::kCashpotX;
  TextCentred(cr, {Face::kSansBold, 19, pal::kGold, 2, pal::kNight, 0}, "CASHPOT", 54, 22, 92);
  TextCentred(cr, {Face::kSansBold, 9, pal::kChalk, 0, pal::kNight, 0}, "3 BOOTS WIN IT", 54, 39);
  Well(cr, layout::kAmountL - ox + 3, layout::kAmountT + 4, 93, 24, 5, pal::kLcd);
  for (int k = 0; k < 3; ++k) {
    const double x = layout::kBootX[k] - ox, y = layout::kBootY;
    RoundedRect(cr, x + 1, y + 1, 49, 42, 7);
    FillVertical(cr, y, y + 44, pal::kNight, {20, 34, 66});
    cairo_push_group(cr);
    Boot(cr, x + 25, y + 21, 38, pal::kSteel, 0);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.3);
  }
}

// Cashpot digits 0-9, the decimal point (frame 10) and the pound sign (frame 11).
void PaintCashpotNos(const Frame& f) {
  GlyphStyle s{Face::kSansCondensedBold, 18, pal::kGoldPale, pal::kGold, 0, pal::kNight, 15};
  if (f.index < 10) {
    PaintGlyph(f.cr, s, std::string(1, static_cast<char>('0' + f.index)), f.width, f.height, 1);
  } else if (f.index == 10) {
    cairo_rectangle(f.cr, 1, 12, 3, 3);
    SetColour(f.cr, pal::kGold);
    cairo_fill(f.cr);
  } else {
    PaintGlyph(f.cr, s, "\xC2\xA3", f.width, f.height, 1);
  }
}

// A boot flying into its slot: small and tilted, growing, then landing gold (frame 4).
void PaintBoots(const Frame& f) {
  cairo_t* cr = f.cr;
  const double t = f.index / 4.0;
  const double size = 22 + 16 * t;
  Glow(cr, 25, 22, 26, pal::kGoldPale, 0.7 * (1 - std::fabs(t - 0.75) * 2));
  Boot(cr, 25, 21, size + (f.index == 3 ? 4 : 0), f.index == 4 ? pal::kGold : pal::kOrange,
       (1 - t) * -1.4);
  if (f.index >= 3) Star(cr, 42, 8, 5, pal::kChalk);
}

// Countdown segments on the black bar: 0 the bright head of the build-up, 1 the running end
// (and every segment once time is up), 2 a lit segment.
void PaintTimerBits(const Frame& f) {
  cairo_t* cr = f.cr;
  RoundedRect(cr, 1, 1, 10, 26, 3);
  switch (f.index) {
    case 0:
      FillVertical(cr, 1, 27, {255, 255, 255}, pal::kGoldPale);
      break;
    case 1:
      FillVertical(cr, 1, 27, {250, 90, 60}, pal::kRedDark);
      break;
    default:
      FillVertical(cr, 1, 27, pal::kGoldPale, pal::kGreenBright);
      break;
  }
  cairo_rectangle(cr, 2, 3, 3, 22);
  SetColour(cr, {255, 255, 255}, 0.35);
  cairo_fill(cr);
}

// Caption strip: 0 while a hexagon resolves, 1 and 4 the two prompts to choose, 2 double or
// quits, 3 during a question.
void PaintWords(const Frame& f) {
  cairo_t* cr = f.cr;
  const char* words[5] = {"GOOD LUCK!", "PICK A HEXAGON", "DOUBLE OR QUITS", "TRUE OR FALSE?",
                          "TOUCH A HEXAGON"};
  cairo_rectangle(cr, 0, 0, f.width, f.height);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  cairo_rectangle(cr, 1, 1, f.width - 2, f.height - 2);
  FillVertical(cr, 1, f.height - 1, f.index == 3 ? Rgb{40, 70, 130} : pal::kNavyLight, pal::kNavy);
  const Rgb ink = f.index == 0 ? pal::kChalk : pal::kGold;
  TextCentred(cr, {Face::kSansBold, 18, ink, 1.5, pal::kNight, 0}, words[f.index], f.width / 2.0,
              f.height / 2.0, f.width - 16);
}

void PaintLivesPanel(cairo_t* cr, int frame) {
  Panel(cr, 0, 0, 196, 96, 12);
  TextCentred(cr, {Face::kSansBold, 9, pal::kGold, 0, pal::kNight, 0}, "LIVES", 98, 8);
  for (int i = 0; i < 5; ++i) {
    const double x = layout::kSlotL[i] - layout::kLivesX;
    const double y = layout::kSlotT - layout::kLivesY;
    const double w = layout::kSlotW, h = layout::kSlotB - layout::kSlotT;
    RoundedRect(cr, x + 2, y + 1, w - 4, h - 2, 6);
    FillVertical(cr, y, y + h, pal::kNight, {18, 32, 62});
    const double cx = x + w / 2, cy = y + h / 2 + 2;
    if (frame == 0) {
      cairo_push_group(cr);
      Player(cr, cx, cy, 62, pal::kSteel);
      cairo_pop_group_to_source(cr);
      cairo_paint_with_alpha(cr, 0.22);
      continue;
    }
    // The figure rises into the floodlight, its glow brightest as it arrives.
    cairo_save(cr);
    RoundedRect(cr, x + 2, y + 1, w - 4, h - 2, 6);
    cairo_clip(cr);
    Glow(cr, cx, y + 6, 36, pal::kGoldPale, 0.15 + 0.1 * frame);
    const double rise = (5 - frame) * 12.0;
    Player(cr, cx, cy + rise, 62,
           frame == 5 ? pal::kGold : Mix(pal::kSteel, pal::kGold, frame / 5.0));
    cairo_restore(cr);
  }
}

void PaintLivesMen(const Frame& f) {
  PaintLivesPanel(f.cr, f.index);
}

// Reveal tokens held (variant 0..5): also the REVEAL button of the question screen. Frame 1 is
// the highlighted picture shown while the count changes.
void PaintRevealTokens(const Frame& f) {
  cairo_t* cr = f.cr;
  const bool lit = f.index == 1;
  BevelPlate(cr, 1, 1, f.width - 2, f.height - 2, 16, lit ? Lighter(pal::kTeal, 0.25) : pal::kTeal,
             4);
  if (lit) {
    RoundedRect(cr, 4, 4, f.width - 8, f.height - 8, 13);
    SetColour(cr, pal::kGoldPale);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
  TextCentred(cr, {Face::kSansBold, 24, pal::kChalk, 2, pal::kTealDark, 0}, "REVEAL", f.width / 2.0,
              25);
  for (int i = 0; i < 5; ++i) {
    const double cx = f.width / 2.0 + (i - 2) * 36, cy = 62;
    cairo_arc(cr, cx, cy, 14, 0, 2 * kPi);
    SetColour(cr, pal::kNight);
    cairo_fill(cr);
    if (i < f.variant) {
      cairo_arc(cr, cx, cy, 12.5, 0, 2 * kPi);
      FillVertical(cr, cy - 12, cy + 12, pal::kGoldPale, pal::kGoldDark);
      Eye(cr, cx, cy, 17, 0.8, pal::kTealDark);
    } else {
      cairo_arc(cr, cx, cy, 12.5, 0, 2 * kPi);
      SetColour(cr, pal::kTealDark);
      cairo_fill(cr);
    }
  }
}

}  // namespace assetgen
