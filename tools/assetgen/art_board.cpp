// The board: the pitch with its 20 hexagon sockets, the hexagon faces, the turning question-mark
// hexagon and the reveal of every kind of hexagon.
//
// The game draws animation frames over each other without putting the board back in between, so
// every hexagon frame covers the same outline: the socket is always painted whole, and the tile
// turns inside it.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "graphics/screen_layout.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kW = layout::kHexW, kH = layout::kHexH;

double EaseOut(double t) {
  return 1 - (1 - t) * (1 - t);
}

std::string PointsText(int type) {
  const int thousands = type <= 16 ? type - 6 : (type == 21 ? 100 : (type - 15) * 10);
  return std::to_string(thousands) + ",000";
}

void Socket(cairo_t* cr) {
  HexPath(cr, 0, 0, kW, kH);
  FillVertical(cr, 0, kH, {2, 6, 16}, {16, 30, 40});
  HexPath(cr, 3, 3, kW - 6, kH - 6);
  SetColour(cr, {8, 40, 20}, 0.8);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

Rgb FaceColour(int type) {
  switch (type) {
    case 1:
      return pal::kNavyLight;
    case 2:
      return {232, 236, 240};
    case 3:
      return pal::kRed;
    case 4:
      return pal::kOrange;
    case 5:
      return {40, 168, 70};
    case 6:
      return pal::kTeal;
    default:
      return type >= 17 ? pal::kGold : pal::kPitch;
  }
}

// What a face shows, drawn around the tile centre at the given size factor.
void FaceContent(cairo_t* cr, int type, double pop, double phase) {
  const double cx = kW / 2, cy = kH / 2;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, pop, pop);
  cairo_translate(cr, -cx, -cy);
  const TextStyle small{Face::kSansBold, 11, pal::kChalk, 1.5, pal::kNight, 0};
  switch (type) {
    case 1: {
      Football(cr, cx, cy, 22, phase);
      TextCentred(cr, {Face::kSansBold, 40, pal::kGold, 3, pal::kNight, 2}, "?", cx, cy);
      break;
    }
    case 2:
      TextCentred(cr, {Face::kSansBold, 19, {28, 150, 50}, 1.5, pal::kNight, 0}, "TRUE", cx,
                  cy - 12);
      TextCentred(cr, {Face::kSansBold, 10, pal::kNavy, 0, pal::kNight, 0}, "OR", cx, cy + 2);
      TextCentred(cr, {Face::kSansBold, 19, pal::kRed, 1.5, pal::kNight, 0}, "FALSE", cx, cy + 16);
      break;
    case 3:
      TextCentred(cr, {Face::kSansBold, 30, pal::kGold, 2.5, pal::kNight, 2}, "x2", cx, cy - 6);
      TextCentred(cr, small, "OR QUITS", cx, cy + 19);
      break;
    case 4:
      Boot(cr, cx, cy - 5, 44, pal::kGold, -0.15 + 0.3 * std::sin(phase));
      TextCentred(cr, small, "BOOT", cx, cy + 20);
      break;
    case 5:
      Player(cr, cx - 15, cy - 1, 44, pal::kGold);
      TextCentred(cr, {Face::kSansBold, 17, pal::kChalk, 2, pal::kNight, 0}, "+1", cx + 16, cy - 8);
      TextCentred(cr, small, "LIFE", cx + 16, cy + 12);
      break;
    case 6:
      Eye(cr, cx, cy - 6, 40, 0.35 + 0.65 * std::fabs(std::cos(phase)), pal::kTealDark);
      TextCentred(cr, small, "REVEAL", cx, cy + 19);
      break;
    default: {
      const bool big = type >= 17;
      TextCentred(cr,
                  {Face::kSansCondensedBold, 24, big ? pal::kNight : pal::kChalk, 2,
                   big ? pal::kGoldPale : pal::kNight, 0},
                  PointsText(type), cx, cy - 5, 80);
      TextCentred(cr, {Face::kSansBold, 10, big ? pal::kNavy : pal::kGoldPale, 0, pal::kNight, 0},
                  "POINTS", cx, cy + 17);
      break;
    }
  }
  cairo_restore(cr);
}

// The tile of a type seen at the horizontal scale sx (1 = flat on, 0 = edge on).
void Tile(cairo_t* cr, int type, double sx, double pop, double phase, double shine) {
  const double cx = kW / 2;
  if (sx < 0.06) {
    cairo_rectangle(cr, cx - 2, 2, 4, kH - 4);
    SetColour(cr, pal::kGold);
    cairo_fill(cr);
    return;
  }
  cairo_save(cr);
  cairo_translate(cr, cx, 0);
  cairo_scale(cr, sx, 1);
  cairo_translate(cr, -cx, 0);
  const Rgb face = FaceColour(type);
  HexPath(cr, 0, 0, kW, kH);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
  HexPath(cr, 1.5, 1.5, kW - 3, kH - 3);
  FillVertical(cr, 0, kH, type == 1 ? pal::kGoldPale : Lighter(face, 0.5),
               type == 1 ? pal::kGoldDark : Darker(face, 0.5));
  HexPath(cr, 5, 4, kW - 10, kH - 8);
  FillVertical(cr, 4, kH - 4, Lighter(face, 0.12), Darker(face, 0.2));
  if (type >= 7 && type <= 16) {
    // Mown stripes on the points tiles.
    cairo_save(cr);
    HexPath(cr, 5, 4, kW - 10, kH - 8);
    cairo_clip(cr);
    for (int i = 0; i < 6; i += 2) {
      cairo_rectangle(cr, 5 + i * 15, 0, 15, kH);
    }
    SetColour(cr, pal::kChalk, 0.07);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  // Gloss across the upper half.
  cairo_save(cr);
  HexPath(cr, 5, 4, kW - 10, kH - 8);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 4, kW, kH * 0.36);
  SetColour(cr, {255, 255, 255}, 0.13);
  cairo_fill(cr);
  if (shine > 0) {
    // A light sweep moving across the face.
    const double x = -30 + shine * (kW + 60);
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x + 14, 0);
    cairo_line_to(cr, x - 6, kH);
    cairo_line_to(cr, x - 20, kH);
    cairo_close_path(cr);
    SetColour(cr, {255, 255, 255}, 0.45);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  FaceContent(cr, type, pop, phase);
  cairo_restore(cr);
}

// The socket is painted first; everything after it only recolours what the socket covers, so
// every frame has exactly the socket's outline, soft edge included.
void SocketThenKeepOutline(cairo_t* cr) {
  Socket(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);
}

}  // namespace

void PaintBoxes(const Frame& f) {
  SocketThenKeepOutline(f.cr);
  if (f.index == 0) return;
  Tile(f.cr, f.index, 1, 1, 0.3, 0);
}

// The back of the hexagon spins one and a quarter turns and ends edge on, ready for the face.
void PaintQuestionMarkTurn(const Frame& f) {
  cairo_t* cr = f.cr;
  SocketThenKeepOutline(cr);
  const double t = f.T();
  const double angle = 2.5 * kPi * (t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t));
  const double sx = std::fabs(std::cos(angle));
  // The glow of the socket rises as the tile speeds up.
  cairo_save(cr);
  HexPath(cr, 0, 0, kW, kH);
  cairo_clip(cr);
  Glow(cr, kW / 2, kH / 2, 50, pal::kGold, 0.5 * std::sin(t * kPi));
  cairo_restore(cr);
  Tile(cr, 1, f.index == f.count - 1 ? 0 : std::max(sx, 0.0), 1, 0.3 + angle, 0);
}

// The face opens from edge on, bounces, and catches the floodlights.
void PaintRevealAnim(const Frame& f) {
  cairo_t* cr = f.cr;
  SocketThenKeepOutline(cr);
  const int k = f.index;
  cairo_save(cr);
  HexPath(cr, 0, 0, kW, kH);
  cairo_clip(cr);
  const double burst = k < 6 ? 1.0 - k / 6.0 : 0;
  Glow(cr, kW / 2, kH / 2, 30 + 30 * (1 - burst), pal::kGoldPale, 0.9 * burst);
  cairo_restore(cr);
  const double sx = k >= 5 ? 1 : 0.12 + 0.88 * EaseOut(k / 5.0);
  const double pops[9] = {0.5, 0.6, 0.72, 0.85, 0.98, 1.22, 1.1, 0.95, 1.0};
  const double shine = k >= 5 ? (k - 4) / 4.0 : 0;
  Tile(cr, f.variant, sx, pops[k], 0.3 + k * 0.4, k == 8 ? 0 : shine);
  if (k >= 5) {
    const double a = k == 8 ? 0.5 : 1.0;
    Star(cr, 12 + (k - 5) * 2, 33, 6 - (k - 5), pal::kChalk, a);
    Star(cr, 84 - (k - 5) * 2, 33, 5 - (k - 5) * 0.8, pal::kGoldPale, a);
  }
}

// The pitch with the 20 sockets, framed by the top rail that holds the countdown bar and the
// caption strip. Both windows and the edge strip over the win plan stay transparent.
void PaintGrid(const Frame& f) {
  cairo_t* cr = f.cr;
  const double ox = layout::kGridX, oy = layout::kGridY;
  const double right = layout::kBoardRight - ox, bottom = layout::kBoardBottom - oy;
  const double pitchTop = layout::kPitchTop - oy;
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, right, bottom);
  cairo_rectangle(cr, layout::kBarLeft - ox, layout::kBarTop - oy,
                  layout::kBarRight - layout::kBarLeft, layout::kBarBottom - layout::kBarTop);
  cairo_rectangle(cr, layout::kCaptionX - ox, layout::kCaptionY - oy, layout::kCaptionW,
                  layout::kCaptionH);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  // Rail.
  cairo_rectangle(cr, 0, 0, right, pitchTop);
  FillVertical(cr, 0, pitchTop, pal::kNavyLight, pal::kNight);
  for (const double x : {layout::kBarLeft - ox, layout::kCaptionX - ox}) {
    const double w = x < 100 ? layout::kBarRight - layout::kBarLeft : layout::kCaptionW;
    const double y = x < 100 ? layout::kBarTop - oy : layout::kCaptionY - oy;
    RoundedRect(cr, x - 3, y - 3, w + 6, 36, 4);
    SetColour(cr, pal::kGoldDark);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  // Pitch.
  StripedPitch(cr, 0, pitchTop, right, bottom - pitchTop, 47);
  cairo_rectangle(cr, 0, pitchTop - 2, right, 3);
  SetColour(cr, pal::kGold);
  cairo_fill(cr);
  SetColour(cr, pal::kChalk, 0.5);
  cairo_set_line_width(cr, 2.5);
  cairo_rectangle(cr, 6, pitchTop + 6, right - 12, bottom - pitchTop - 12);
  cairo_move_to(cr, right / 2, pitchTop + 6);
  cairo_line_to(cr, right / 2, bottom - 6);
  cairo_stroke(cr);
  cairo_arc(cr, right / 2, (pitchTop + bottom) / 2, 62, 0, 2 * kPi);
  cairo_stroke(cr);
  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? 6 : right - 6 - 60;
    cairo_rectangle(cr, x, (pitchTop + bottom) / 2 - 80, 60, 160);
    cairo_stroke(cr);
  }
  // Sockets, each with a soft shadow ring so the hexagons sit in the turf.
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 5; ++col) {
      const double x = layout::kHexX[col] - ox, y = layout::kHexY[row] - oy;
      HexPath(cr, x - 4, y - 3, kW + 8, kH + 7);
      SetColour(cr, pal::kNight, 0.35);
      cairo_fill(cr);
      HexPath(cr, x - 1.5, y - 1, kW + 3, kH + 2);
      SetColour(cr, pal::kPitchDark);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

}  // namespace assetgen
