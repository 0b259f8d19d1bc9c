#include "image.h"

#include <algorithm>

namespace assetgen {

Image MakeImage(int width, int height, Rgb fill) {
  Image im;
  im.width = width;
  im.height = height;
  im.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < im.rgb.size(); i += 3) {
    im.rgb[i] = fill.r;
    im.rgb[i + 1] = fill.g;
    im.rgb[i + 2] = fill.b;
  }
  return im;
}

Image FromSurface(cairo_surface_t* surface, Rgb matte) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  Image im = MakeImage(w, h, pal::kMagenta);
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      const uint32_t px = row[x];
      const int a = px >> 24;
      if (a < 128) continue;
      // Premultiplied colour plus the matte showing through what is left.
      auto blend = [a](int premul, int m) { return std::min(255, premul + (255 - a) * m / 255); };
      Rgb c{static_cast<uint8_t>(blend((px >> 16) & 255, matte.r)),
            static_cast<uint8_t>(blend((px >> 8) & 255, matte.g)),
            static_cast<uint8_t>(blend(px & 255, matte.b))};
      // Art never means the key colour or anything the display would round onto it.
      if (c.r >= 200 && c.b >= 200 && c.g <= 80) c.g = 96;
      im.Set(x, y, c);
    }
  }
  return im;
}

void Paste(Image& dst, const Image& src, int sx, int sy, int w, int h, int dx, int dy, bool keyed) {
  for (int y = 0; y < h; ++y) {
    const int ty = dy + y, fy = sy + y;
    if (ty < 0 || ty >= dst.height || fy < 0 || fy >= src.height) continue;
    for (int x = 0; x < w; ++x) {
      const int tx = dx + x, fx = sx + x;
      if (tx < 0 || tx >= dst.width || fx < 0 || fx >= src.width) continue;
      const Rgb c = src.At(fx, fy);
      if (keyed && IsKey(c)) continue;
      dst.Set(tx, ty, c);
    }
  }
}

Image Crop(const Image& src, int x, int y, int w, int h) {
  Image out = MakeImage(w, h, pal::kMagenta);
  Paste(out, src, x, y, w, h, 0, 0, false);
  return out;
}

cairo_surface_t* ToSurface(const Image& image, bool keyed) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.At(x, y);
      row[x] = (keyed && IsKey(c))
                   ? 0u
                   : (0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

bool WritePng(const Image& image, const std::string& path) {
  cairo_surface_t* s = ToSurface(image, false);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

}  // namespace assetgen
