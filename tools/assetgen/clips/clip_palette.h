// Each clip's 256-colour palette, fitted to the colours its frames actually use (median cut
// over a histogram of 15-bit colours), and the mapping of drawn 32-bit pixels onto it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace clips {

using Palette = std::array<uint32_t, 256>;  // 0xRRGGBB

// 15-bit colour (5 bits a channel) of a 0xRRGGBB pixel.
inline uint32_t Bin15(uint32_t rgb) {
  return ((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x3E0) | ((rgb >> 3) & 0x1F);
}

// How many pixels of each 15-bit colour the sampled frames hold.
struct ColourHistogram {
  std::vector<uint64_t> counts = std::vector<uint64_t>(32768, 0);
  // Counts a Cairo RGB24 image, `stride` bytes per row.
  void Add(const uint8_t* pixels, int width, int height, int stride);
};

// Up to 256 colours covering the histogram: the colour box with the widest spread (weighted by
// how much it is used) is split at its median until there are 256 boxes; each entry is the
// mean of its box. Unused entries are black.
Palette FitPalette(const ColourHistogram& histogram);

// Nearest palette entry for each 15-bit colour.
class Quantiser {
 public:
  explicit Quantiser(const Palette& palette);
  uint8_t Index(uint32_t rgb) const { return lut_[Bin15(rgb)]; }
  // Maps a Cairo RGB24 image to palette indices, top row first.
  void Map(const uint8_t* pixels, int width, int height, int stride,
           std::vector<uint8_t>& out) const;

 private:
  std::vector<uint8_t> lut_;
};

}  // namespace clips
