#include "clip_palette.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace clips {
namespace {

int Channel(uint32_t bin, int c) {
  return static_cast<int>((bin >> (10 - 5 * c)) & 31);
}

struct Box {
  size_t begin, end;  // range of the bin list
  int axis = 0;       // channel with the widest spread
  int spread = 0;
  uint64_t pixels = 0;
  double score = 0;
};

void Measure(Box& box, const std::vector<uint32_t>& bins, const ColourHistogram& h) {
  int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
  box.pixels = 0;
  for (size_t i = box.begin; i < box.end; ++i) {
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::min(lo[c], Channel(bins[i], c));
      hi[c] = std::max(hi[c], Channel(bins[i], c));
    }
    box.pixels += h.counts[bins[i]];
  }
  box.spread = -1;
  for (int c = 0; c < 3; ++c) {
    if (hi[c] - lo[c] > box.spread) box.spread = hi[c] - lo[c], box.axis = c;
  }
  box.score = box.end - box.begin > 1 ? box.spread * std::sqrt(static_cast<double>(box.pixels)) : 0;
}

}  // namespace

void ColourHistogram::Add(const uint8_t* pixels, int width, int height, int stride) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint32_t px;
      std::memcpy(&px, row + 4 * x, 4);
      ++counts[Bin15(px & 0xFFFFFF)];
    }
  }
}

Palette FitPalette(const ColourHistogram& h) {
  std::vector<uint32_t> bins;
  for (uint32_t b = 0; b < h.counts.size(); ++b) {
    if (h.counts[b]) bins.push_back(b);
  }
  std::vector<Box> boxes;
  if (!bins.empty()) {
    boxes.push_back({0, bins.size()});
    Measure(boxes[0], bins, h);
  }
  while (boxes.size() < 256) {
    auto widest = std::max_element(boxes.begin(), boxes.end(),
                                   [](const Box& a, const Box& b) { return a.score < b.score; });
    if (widest == boxes.end() || widest->score <= 0) break;
    Box box = *widest;
    int axis = box.axis;
    std::stable_sort(bins.begin() + box.begin, bins.begin() + box.end,
                     [&](uint32_t a, uint32_t b) { return Channel(a, axis) < Channel(b, axis); });
    // Split at the pixel median, keeping at least one bin on each side.
    uint64_t half = box.pixels / 2, seen = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
      seen += h.counts[bins[i]];
      cut = i + 1;
      if (seen >= half) break;
    }
    Box low{box.begin, cut}, high{cut, box.end};
    Measure(low, bins, h);
    Measure(high, bins, h);
    *widest = low;
    boxes.push_back(high);
  }
  Palette p{};
  for (size_t k = 0; k < boxes.size(); ++k) {
    double sum[3] = {0, 0, 0};
    for (size_t i = boxes[k].begin; i < boxes[k].end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += (Channel(bins[i], c) * 8 + 4.0) * h.counts[bins[i]];
    }
    uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c) {
      double v = sum[c] / static_cast<double>(boxes[k].pixels);
      rgb = rgb << 8 | static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    }
    p[k] = rgb;
  }
  return p;
}

Quantiser::Quantiser(const Palette& palette) : lut_(32768) {
  for (uint32_t key = 0; key < 32768; ++key) {
    int r = Channel(key, 0) * 8 + 4, g = Channel(key, 1) * 8 + 4, b = Channel(key, 2) * 8 + 4;
    long best = std::numeric_limits<long>::max();
    for (int i = 0; i < 256; ++i) {
      int dr = r - static_cast<int>(palette[i] >> 16);
      int dg = g - static_cast<int>((palette[i] >> 8) & 0xFF);
      int db = b - static_cast<int>(palette[i] & 0xFF);
      long d = 2L * dr * dr + 4L * dg * dg + 3L * db * db;
      if (d < best) {
        best = d;
        lut_[key] = static_cast<uint8_t>(i);
      }
    }
  }
}

void Quantiser::Map(const uint8_t* pixels, int width, int height, int stride,
                    std::vector<uint8_t>& out) const {
  out.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint32_t px;
      std::memcpy(&px, row + 4 * x, 4);
      out[static_cast<size_t>(y) * width + x] = Index(px & 0xFFFFFF);
    }
  }
}

}  // namespace clips
