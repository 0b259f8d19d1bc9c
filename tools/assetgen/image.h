// Pictures as plain 24-bit pixel arrays, the conversion from painted Cairo frames (transparent
// parts become the magenta key colour, soft edges are blended onto the colour the picture sits
// on), keyed pasting and PNG output for previews.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kit.h"

namespace assetgen {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom, three bytes red, green, blue per pixel

  Rgb At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
  void Set(int x, int y, Rgb c) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
};

inline bool IsKey(Rgb c) {
  return c.r == 255 && c.g == 0 && c.b == 255;
}

Image MakeImage(int width, int height, Rgb fill);

// Alpha of at least half keeps the pixel, blended onto matte; anything fainter becomes the key.
Image FromSurface(cairo_surface_t* surface, Rgb matte);

// Copies the (sx, sy, w, h) part of src to (dx, dy) of dst, clipped to dst; keyed skips magenta.
void Paste(Image& dst, const Image& src, int sx, int sy, int w, int h, int dx, int dy, bool keyed);

// Band of rows [top, top + h) as an image of its own.
Image Crop(const Image& src, int x, int y, int w, int h);

// An ARGB surface of the picture; keyed pixels become fully transparent when keyed is set.
cairo_surface_t* ToSurface(const Image& image, bool keyed);

bool WritePng(const Image& image, const std::string& path);

}  // namespace assetgen
