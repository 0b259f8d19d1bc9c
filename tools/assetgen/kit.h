// Drawing kit shared by every picture: the palette, fonts loaded from fixed files, text, shapes
// and the small football icons (ball, boot, player, eye, tick, cross) the pictures are built from.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

namespace assetgen {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

// Football under floodlights: night navy, pitch greens, chalk white, floodlight gold.
namespace pal {
inline constexpr Rgb kNight{7, 13, 32};
inline constexpr Rgb kNavy{14, 26, 58};
inline constexpr Rgb kNavyLight{30, 52, 104};
inline constexpr Rgb kSteel{62, 84, 128};
inline constexpr Rgb kPitchDark{20, 78, 36};
inline constexpr Rgb kPitch{32, 112, 50};
inline constexpr Rgb kPitchLight{44, 138, 62};
inline constexpr Rgb kChalk{244, 244, 234};
inline constexpr Rgb kGold{255, 200, 56};
inline constexpr Rgb kGoldDark{196, 132, 20};
inline constexpr Rgb kGoldPale{255, 232, 150};
inline constexpr Rgb kRed{214, 48, 40};
inline constexpr Rgb kRedDark{120, 20, 18};
inline constexpr Rgb kGreenBright{60, 200, 80};
inline constexpr Rgb kTeal{24, 170, 168};
inline constexpr Rgb kTealDark{10, 84, 92};
inline constexpr Rgb kOrange{240, 132, 30};
inline constexpr Rgb kGrey{112, 118, 128};
inline constexpr Rgb kGreyDark{48, 52, 60};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLcd{4, 10, 22};
inline constexpr Rgb kMagenta{255, 0, 255};
}  // namespace pal

Rgb Mix(Rgb a, Rgb b, double t);
Rgb Lighter(Rgb c, double t);  // towards white
Rgb Darker(Rgb c, double t);   // towards black

enum class Face {
  kSansBold,
  kSansCondensedBold,
  kSansBoldOblique,
  kSans,
  kLiberationBold,
  kMonoBold,
  kSerifBold,
};

// Loads the font files once; false (with a message) when one is missing.
bool LoadFonts(std::string* error);
void UseFont(cairo_t* cr, Face face, double size);

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A flat-topped hexagon with pointed left and right ends inside the box (x, y, w, h).
void HexPath(cairo_t* cr, double x, double y, double w, double h);
void Stop(cairo_pattern_t* p, double at, Rgb c, double alpha = 1.0);
void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);
// Raised bevelled plate: face gradient, light upper rim, dark lower rim, outline.
void BevelPlate(cairo_t* cr, double x, double y, double w, double h, double r, Rgb face,
                double rim = 4);
// Sunken well (a window for digits or text).
void Well(cairo_t* cr, double x, double y, double w, double h, double r, Rgb inside);

struct TextStyle {
  Face face = Face::kSansBold;
  double size = 20;
  Rgb fill = pal::kChalk;
  double outline = 0;  // stroke width around the letters, 0 for none
  Rgb outlineColour = pal::kNight;
  double shadow = 0;  // drop shadow offset, 0 for none
};

double TextWidth(cairo_t* cr, const TextStyle& s, const std::string& text);
// Draws text centred on cx with its ink centred on cy; shrinks the size to fit maxWidth.
void TextCentred(cairo_t* cr, TextStyle s, const std::string& text, double cx, double cy,
                 double maxWidth = 1e9);
// Draws text with its baseline at y, starting at x.
void TextAt(cairo_t* cr, const TextStyle& s, const std::string& text, double x, double y);

// Icons, each centred on (cx, cy).
void Football(cairo_t* cr, double cx, double cy, double r, double turn = 0);
void Boot(cairo_t* cr, double cx, double cy, double size, Rgb body, double angle = 0);
void Player(cairo_t* cr, double cx, double cy, double height, Rgb shirt);
void Eye(cairo_t* cr, double cx, double cy, double w, double open, Rgb iris);
void Tick(cairo_t* cr, double cx, double cy, double size, Rgb c);
void Cross(cairo_t* cr, double cx, double cy, double size, Rgb c);
void Donkey(cairo_t* cr, double cx, double cy, double size);
void Floodlight(cairo_t* cr, double x, double y, double scale);
void Star(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha = 1);
void Glow(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha);

// The game's name as a floodlit gold badge, centred on (cx, cy), at most maxWidth wide.
void Logo(cairo_t* cr, double cx, double cy, double size, double maxWidth = 1e9);

// Night stadium backdrop over (0, 0, w, h): sky, stands, floodlights and a striped pitch from
// pitchTop down.
void Stadium(cairo_t* cr, double w, double h, double pitchTop);
void StripedPitch(cairo_t* cr, double x, double y, double w, double h, double stripe);

// Small deterministic random numbers for sparkles and crowds.
struct Lcg {
  uint32_t state;
  explicit Lcg(uint32_t seed) : state(seed) {}
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
};

}  // namespace assetgen
