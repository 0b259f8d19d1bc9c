// Readers for the game's two picture formats, from bytes in memory into RGB565: Windows
// BMP of 24 bits a pixel, uncompressed, bottom-up or top-down, rows padded to whole 4-byte
// words (what the art tools write, and any ordinary writer); PCX version 5, run-length,
// 8 bits, three planes. Anything else is refused with an error that names what it is,
// and so is anything that would make them read or write outside the bytes or the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/graphic_files.h"

inline constexpr int kMaxPictureWidth = 8192;
inline constexpr int kMaxPictureHeight = 32767;
inline constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

struct PictureHeader {
  int width = 0, height = 0;
};

struct Picture565 {
  int width = 0, height = 0;
  std::vector<uint16_t> pixels;  // rows top to bottom, width pixels each
};

// The dimensions from a file's header; false with the reason when the header is bad.
bool ReadPictureHeader(GraphicFormat format, const uint8_t* data, size_t size,
                       PictureHeader& header, std::string* error);
// The whole picture; false with the reason when the file is bad or too large.
bool DecodePicture(GraphicFormat format, const uint8_t* data, size_t size, Picture565& picture,
                   std::string* error);

// 8-bit channels to RGB565, keeping the top bits of each.
inline uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}
