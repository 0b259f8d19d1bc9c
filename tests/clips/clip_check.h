// Looking at decoded clip frames: one pixel of a frame block, and the same clip decoded
// by ffmpeg (when it is installed) to hold our frames against, byte for byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "avi_builder.h"
#include "platform/clip/frame_reader.h"
#include "run_command.h"
#include "temp_dir.h"

namespace testing_support {

// The pixel at (x, y from the top) of a frame block of the reader (24-bit, bottom-up).
inline Bgr DibPixel(const uint8_t* dib, int x, int y) {
  platform::BitmapHeader h;
  platform::ReadBitmapHeader(dib, platform::kBitmapHeaderSize, h);
  size_t stride = (static_cast<size_t>(h.width) * 3 + 3) & ~size_t{3};
  const uint8_t* p = dib + h.size + stride * (h.height - 1 - y) + 3 * x;
  return {p[0], p[1], p[2]};
}

inline bool operator==(const Bgr& a, const Bgr& b) {
  return a.b == b.b && a.g == b.g && a.r == b.r;
}

inline std::ostream& operator<<(std::ostream& o, const Bgr& c) {
  return o << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

inline bool HaveFfmpeg() {
  return RunCommand("ffmpeg -version").status == 0;
}

// Every frame of the clip as ffmpeg decodes it: rows top first, blue-green-red, no
// padding. False when ffmpeg fails.
inline bool FfmpegFrames(const std::string& path, int width, int height,
                         std::vector<std::string>& frames) {
  TempDir out;
  std::string raw = out / "frames.bgr";
  Outcome o = RunCommand("ffmpeg -v error -nostdin -y -i '" + path +
                         "' -f rawvideo -pix_fmt bgr24 '" + raw + "'");
  if (o.status != 0) return false;
  std::string all = ReadFile(raw);
  size_t size = static_cast<size_t>(width) * height * 3;
  frames.clear();
  for (size_t at = 0; at + size <= all.size(); at += size) frames.push_back(all.substr(at, size));
  return all.size() % size == 0;
}

// The frame block's pixels in ffmpeg's layout.
inline std::string TopDownBgr(const uint8_t* dib) {
  platform::BitmapHeader h;
  platform::ReadBitmapHeader(dib, platform::kBitmapHeaderSize, h);
  size_t stride = (static_cast<size_t>(h.width) * 3 + 3) & ~size_t{3};
  std::string out;
  for (int y = 0; y < h.height; ++y)
    out.append(reinterpret_cast<const char*>(dib + h.size + stride * (h.height - 1 - y)),
               static_cast<size_t>(h.width) * 3);
  return out;
}

}  // namespace testing_support
