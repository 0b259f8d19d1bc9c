#include "render.h"

#include <map>
#include <memory>

#include "catalog.h"
#include "encode.h"

namespace assetgen {
namespace {

std::map<int, std::unique_ptr<Image>>& Cache() {
  static std::map<int, std::unique_ptr<Image>> cache;
  return cache;
}

Image Render(const Entry& e) {
  Image out = MakeImage(e.width, e.frameHeight * e.frames, pal::kMagenta);
  for (int i = 0; i < e.frames; ++i) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, e.width, e.frameHeight);
    cairo_t* cr = cairo_create(s);
    const Frame f{cr, i, e.frames, e.width, e.frameHeight, e.variant};
    e.paint(f);
    cairo_destroy(cr);
    const Image frame = FromSurface(s, e.matte);
    cairo_surface_destroy(s);
    Paste(out, frame, 0, 0, e.width, e.frameHeight, 0, i * e.frameHeight, false);
  }
  return out;
}

}  // namespace

const Image& Picture(int key) {
  auto& cache = Cache();
  auto it = cache.find(key);
  if (it != cache.end()) return *it->second;
  const Entry* e = FindEntry(key);
  auto image = std::make_unique<Image>(e ? Render(*e) : MakeImage(4, 4, pal::kMagenta));
  return *cache.emplace(key, std::move(image)).first->second;
}

Image PictureFrame(int key, int frame) {
  const Entry* e = FindEntry(key);
  return Crop(Picture(key), 0, frame * e->frameHeight, e->width, e->frameHeight);
}

void PlacePicture(cairo_t* cr, int key, int frame, double x, double y) {
  cairo_surface_t* s = ToSurface(PictureFrame(key, frame), true);
  cairo_save(cr);
  cairo_set_source_surface(cr, s, x, y);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(s);
}

std::string PicturePath(const std::string& dir, int key) {
  std::string rel = FindEntry(key)->path;
  for (char& c : rel) {
    if (c == '\\') c = '/';
  }
  return dir + "/" + rel;
}

bool WritePictures(const std::string& dir, std::string* error) {
  for (const Entry& e : Catalog()) {
    const Image& image = Picture(e.key);
    const auto bytes = e.format == Format::kBmp ? EncodeBmp(image) : EncodePcx(image);
    if (!WriteFileBytes(PicturePath(dir, e.key), bytes, error)) return false;
  }
  return true;
}

}  // namespace assetgen
