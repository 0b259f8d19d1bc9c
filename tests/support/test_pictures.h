// Small pictures written the way the game's art is: 24-bit bottom-up BMP (rows padded to
// whole 4-byte words, as for the art's widths, which are multiples of 4, they need none),
// and version 5 run-length PCX with three 8-bit planes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace testing_support {

struct Rgb {
  uint8_t r, g, b;
};
using PixelAt = std::function<Rgb(int x, int y)>;  // y from the top

std::string BmpBytes(int width, int height, const PixelAt& pixel);
std::string PcxBytes(int width, int height, const PixelAt& pixel, int bytesPerLine = 0);

// Every picture of the game's table under dir, each a few pixels per frame with its
// table's frame count, in distinct colours (the loading screen and the menu background
// are full screen).
void WriteTestGraphics(const std::string& dir);
// The frame count each key is loaded with.
int TestFramesOf(int key);

}  // namespace testing_support
