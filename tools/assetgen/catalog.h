// The game's 84 pictures: file path (backslashes are folders), file format, frame count, the size
// of one frame as the screens place it, the colour soft edges are blended onto, and the painter.
#pragma once

#include <cairo.h>

#include <vector>

#include "kit.h"

namespace assetgen {

enum class Format { kBmp = 1, kPcx = 2 };

// One frame being painted: the Cairo context covers exactly the frame, origin at its top left.
struct Frame {
  cairo_t* cr;
  int index;  // 0 .. count - 1
  int count;
  int width;
  int height;
  int variant;  // which of the pictures that share a painter
  // Progress through the strip, 0 at the first frame and 1 at the last.
  double T() const { return count > 1 ? static_cast<double>(index) / (count - 1) : 0.0; }
};

using PaintFn = void (*)(const Frame& f);

struct Entry {
  int key;
  const char* path;
  Format format;
  int frames;
  int width;
  int frameHeight;
  Rgb matte;
  PaintFn paint;
  int variant;
};

const std::vector<Entry>& Catalog();
const Entry* FindEntry(int key);

}  // namespace assetgen
