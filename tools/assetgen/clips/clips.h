// The two full-screen clips. Each is drawn frame by frame with Cairo, mapped onto a palette
// fitted to the clip and packed as an RLE8 AVI. The game steps a clip one frame per 30-45 ms
// whatever its header says, so a header rate of 25 frames a second matches how long the clip
// lasts on screen.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "clip_palette.h"

namespace clips {

constexpr int kClipFramesPerSecond = 25;
constexpr int kJackpotFrames = 68;
constexpr int kGameOverFrames = 70;

using FrameDrawer = void (*)(cairo_t* cr, int frame);

// Gold, floodlights, "JACKPOT" popping up in big letters and confetti cannons.
void DrawJackpotFrame(cairo_t* cr, int frame);
// "GAME OVER", the ball rolling away towards the goal and the floodlights going out.
void DrawGameOverFrame(cairo_t* cr, int frame);

// One frame drawn in full colour (an RGB24 image surface the caller destroys).
cairo_surface_t* DrawFrame(FrameDrawer draw, int frame);

struct RenderedClip {
  Palette palette{};
  std::vector<std::vector<uint8_t>> frames;  // palette indices, top row first
};
RenderedClip RenderClip(FrameDrawer draw, int frames);
// The clip as AVI file bytes.
std::string EncodeClip(const RenderedClip& clip);

}  // namespace clips
