#include "picture_reader.h"

#include <fstream>
#include <iterator>

namespace assetgen_test {
namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

}  // namespace

bool Pixels::IsKey(int x, int y) const {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

void Pixels::Get(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) const {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  *r = p[0];
  *g = p[1];
  *b = p[2];
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

bool ReadBmp(const std::vector<uint8_t>& file, Pixels* out, std::string* error) {
  if (file.size() < 54) return *error = "shorter than the 54 header bytes", false;
  if (file[0] != 'B' || file[1] != 'M') return *error = "does not start with BM", false;
  const int32_t width = static_cast<int32_t>(U32(file, 18));
  const int32_t height = static_cast<int32_t>(U32(file, 22));
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
    return *error = "width or height outside 1..32767", false;
  // What ordinary readers rely on and the game's loader assumes without reading.
  if (U16(file, 28) != 24) return *error = "not 24 bits per pixel", false;
  if (U32(file, 30) != 0) return *error = "compressed", false;
  if (U32(file, 10) != 54) return *error = "pixels do not start at byte 54", false;
  if ((width * 3) % 4 != 0) return *error = "rows would need padding", false;
  const size_t need = 54 + static_cast<size_t>(width) * height * 3;
  if (file.size() != need) return *error = "file size is not 54 + width * height * 3", false;
  out->width = width;
  out->height = height;
  out->rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  size_t at = 54;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = height - 1 - fileRow;
    for (int x = 0; x < width; ++x, at += 3) {
      uint8_t* p = &out->rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = file[at + 2];
      p[1] = file[at + 1];
      p[2] = file[at];
    }
  }
  return true;
}

bool ReadPcx(const std::vector<uint8_t>& file, Pixels* out, std::string* error) {
  if (file.size() < 128) return *error = "shorter than the 128 header bytes", false;
  if (file[0] != 10 || file[1] != 5 || file[2] != 1 || file[3] != 8)
    return *error = "header bytes 0..3 are not 10, 5, 1, 8", false;
  const int width = static_cast<int>(U16(file, 66));
  const int height = static_cast<int>(U16(file, 10)) - static_cast<int>(U16(file, 6)) + 1;
  if (width <= 0 || height <= 0) return *error = "empty picture", false;
  if (file[65] != 3) return *error = "not three planes", false;
  if (static_cast<int>(U16(file, 8)) - static_cast<int>(U16(file, 4)) + 1 != width)
    return *error = "Xmax - Xmin + 1 differs from bytes per line", false;
  out->width = width;
  out->height = height;
  out->rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  size_t at = 128;
  for (int y = 0; y < height; ++y) {
    for (int plane = 0; plane < 3; ++plane) {
      int x = 0;
      while (x < width) {
        if (at >= file.size()) return *error = "pixel data ends early", false;
        const uint8_t b = file[at++];
        int count = 1;
        uint8_t value = b;
        if (b >= 0xC0) {
          count = b & 0x3F;
          if (count == 0) return *error = "run of length 0", false;
          if (at >= file.size()) return *error = "run without its value", false;
          value = file[at++];
        }
        if (x + count > width) return *error = "run goes past the end of a plane row", false;
        for (int i = 0; i < count; ++i, ++x) {
          out->rgb[(static_cast<size_t>(y) * width + x) * 3 + plane] = value;
        }
      }
    }
  }
  if (at != file.size()) return *error = "bytes left after the pixel data", false;
  return true;
}

}  // namespace assetgen_test
