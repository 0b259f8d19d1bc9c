#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace platform {

void WidenRgb565(uint16_t p, uint8_t rgb[3]) {
  // Widen 5/6/5 bits to 8 by repeating the top bits, so white stays 255.
  uint8_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  rgb[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
  rgb[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
  rgb[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
}

namespace {

// libpng's part of the write. It reports errors by longjmp, so this function holds no C++
// object whose state a jump could leave behind: only plain values and the caller's buffer.
bool WriteImage(png_structp png, png_infop info, FILE* f, const uint16_t* pixels, int width,
                int height, png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, f);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      WidenRgb565(pixels[static_cast<size_t>(y) * width + x], &row[x * 3]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng565(const std::string& path, const uint16_t* pixels, int width, int height,
                 std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(f);
    if (error) *error = "out of memory";
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  const bool written = WriteImage(png, info, f, pixels, width, height, row.data());
  png_destroy_write_struct(&png, &info);
  if (!written) {
    std::fclose(f);
    if (error) *error = path + ": PNG write failed";
    return false;
  }
  if (std::fclose(f) != 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace platform
