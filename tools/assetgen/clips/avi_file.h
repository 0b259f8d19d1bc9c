// Writing AVI clips: one video stream of 8-bit palette frames packed with Microsoft RLE8, every
// frame a key frame, with an idx1 index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clip_palette.h"

namespace clips {

// Packs one frame of palette indices (top row first, width x height) as a bottom-up RLE8
// bitmap: encoded runs, absolute runs for mixed pixels, an end-of-line after every row but
// the last and an end-of-bitmap after the last.
std::string EncodeRle8(const std::vector<uint8_t>& pixels, int width, int height);

struct AviClip {
  int width = 800;
  int height = 600;
  int framesPerSecond = 25;
  Palette palette{};
  std::vector<std::string> frames;  // RLE8 data of each frame
};

// RIFF "AVI " with hdrl (avih, strl with strh and strf), movi (one "00dc" chunk per frame)
// and idx1, whose offsets count from the "movi" list type.
std::string EncodeAvi(const AviClip& clip);

}  // namespace clips
