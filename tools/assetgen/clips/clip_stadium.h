// The night stadium both clips are set in: sky, stands, advertising boards, a striped pitch
// with its chalk markings and goal, and two floodlight towers whose lamps, glow and beams
// follow their brightness.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace clips {

constexpr int kClipWidth = 800;
constexpr int kClipHeight = 600;

constexpr uint32_t kNightNavy = 0x080E28;
constexpr uint32_t kChalk = 0xF5F5EB;
constexpr uint32_t kGold = 0xF0BE32;
constexpr uint32_t kPaleGold = 0xFFE68C;
constexpr uint32_t kDeepGold = 0xA05F05;

constexpr int kLampsPerTower = 12;

struct Floodlights {
  double lamps[2][kLampsPerTower];  // each lamp's brightness, 0 (off) to 1, left tower first
  double beamSway = 0;              // how far the beams lean, in pixels at the pitch
};

Floodlights LightsAt(double level);
// Mean brightness of all lamps.
double LightLevel(const Floodlights& lights);

// 0 before a, 1 after b, easing in and out between.
double Smooth(double a, double b, double x);

void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1.0);
// The clips' lettering, DejaVu Sans Bold read straight from its file (no font lookup, so the
// frames are the same wherever they are made). Null when the file cannot be read.
constexpr const char* kClipFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
cairo_font_face_t* ClipFont();

// Leaves the outline of `text` in bold type `size` pixels high, centred on (cx, cy), as the
// current path.
void CentredTextPath(cairo_t* cr, const char* text, double size, double cx, double cy);

// Paints the whole 800x600 scene. The stands and pitch darken as the lamps go out.
void DrawStadium(cairo_t* cr, const Floodlights& lights);

}  // namespace clips
