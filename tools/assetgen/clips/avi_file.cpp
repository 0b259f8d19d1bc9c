#include "avi_file.h"

#include <algorithm>

#include "platform/little_endian.h"

namespace clips {

namespace {

std::string Chunk(const char* id, const std::string& data) {
  std::string out(id, 4);
  AppendLe32(out, static_cast<uint32_t>(data.size()));
  out += data;
  if (data.size() & 1) out.push_back('\0');
  return out;
}

std::string List(const char* type, const std::string& body) {
  return Chunk("LIST", std::string(type, 4) + body);
}

void PutByte(std::string& out, int v) {
  out.push_back(static_cast<char>(v));
}

// Pixels from `at` that repeat the one at `at`, at most `limit`.
int RunLength(const uint8_t* row, int at, int width, int limit) {
  int n = 1;
  while (at + n < width && n < limit && row[at + n] == row[at]) ++n;
  return n;
}

void EncodeRow(const uint8_t* row, int width, std::string& out) {
  int x = 0;
  while (x < width) {
    int run = RunLength(row, x, width, 255);
    if (run >= 3) {
      PutByte(out, run);
      PutByte(out, row[x]);
      x += run;
      continue;
    }
    // Mixed pixels up to the next run of three or more.
    int start = x;
    while (x < width && x - start < 255 && RunLength(row, x, width, 3) < 3) ++x;
    int n = x - start;
    if (n >= 3) {
      PutByte(out, 0);
      PutByte(out, n);
      out.append(reinterpret_cast<const char*>(row + start), static_cast<size_t>(n));
      if (n & 1) PutByte(out, 0);
    } else {
      for (int i = start; i < x;) {
        int r = RunLength(row, i, x, 2);
        PutByte(out, r);
        PutByte(out, row[i]);
        i += r;
      }
    }
  }
}

}  // namespace

std::string EncodeRle8(const std::vector<uint8_t>& pixels, int width, int height) {
  std::string out;
  for (int y = height - 1; y >= 0; --y) {
    EncodeRow(pixels.data() + static_cast<size_t>(y) * width, width, out);
    PutByte(out, 0);
    PutByte(out, y > 0 ? 0 : 1);
  }
  return out;
}

std::string EncodeAvi(const AviClip& clip) {
  const uint32_t frames = static_cast<uint32_t>(clip.frames.size());
  uint32_t largest = 0;
  for (const std::string& f : clip.frames) {
    largest = std::max(largest, static_cast<uint32_t>(f.size()));
  }
  const uint32_t fps = static_cast<uint32_t>(clip.framesPerSecond);
  const uint32_t width = static_cast<uint32_t>(clip.width);
  const uint32_t height = static_cast<uint32_t>(clip.height);

  std::string avih;
  AppendLe32(avih, 1000000 / fps);  // microseconds per frame
  AppendLe32(avih, largest * fps);  // max bytes per second
  AppendLe32(avih, 0);              // padding granularity
  AppendLe32(avih, 0x10);           // AVIF_HASINDEX
  AppendLe32(avih, frames);
  AppendLe32(avih, 0);  // initial frames
  AppendLe32(avih, 1);  // streams
  AppendLe32(avih, largest);
  AppendLe32(avih, width);
  AppendLe32(avih, height);
  for (int i = 0; i < 4; ++i) AppendLe32(avih, 0);

  std::string strh = "vidsmrle";
  AppendLe32(strh, 0);  // flags
  AppendLe16(strh, 0);  // priority
  AppendLe16(strh, 0);  // language
  AppendLe32(strh, 0);  // initial frames
  AppendLe32(strh, 1);  // scale
  AppendLe32(strh, fps);
  AppendLe32(strh, 0);  // start
  AppendLe32(strh, frames);
  AppendLe32(strh, largest);
  AppendLe32(strh, 0xFFFFFFFF);  // quality: the default
  AppendLe32(strh, 0);           // sample size: varies
  AppendLe16(strh, 0);
  AppendLe16(strh, 0);
  AppendLe16(strh, width);
  AppendLe16(strh, height);

  std::string strf;
  AppendLe32(strf, 40);
  AppendLe32(strf, width);
  AppendLe32(strf, height);  // positive: bottom-up
  AppendLe16(strf, 1);       // planes
  AppendLe16(strf, 8);       // bits per pixel
  AppendLe32(strf, 1);       // BI_RLE8
  AppendLe32(strf, largest);
  AppendLe32(strf, 0);
  AppendLe32(strf, 0);
  AppendLe32(strf, 256);  // colours used
  AppendLe32(strf, 0);
  for (uint32_t c : clip.palette) {
    PutByte(strf, c & 0xFF);
    PutByte(strf, (c >> 8) & 0xFF);
    PutByte(strf, (c >> 16) & 0xFF);
    PutByte(strf, 0);
  }

  std::string hdrl = Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf));

  std::string movi;
  std::string idx1;
  for (const std::string& f : clip.frames) {
    AppendLe32(idx1, 0x63643030);  // "00dc"
    AppendLe32(idx1, 0x10);        // AVIIF_KEYFRAME
    AppendLe32(idx1, static_cast<uint32_t>(4 + movi.size()));
    AppendLe32(idx1, static_cast<uint32_t>(f.size()));
    movi += Chunk("00dc", f);
  }

  std::string body = "AVI " + List("hdrl", hdrl) + List("movi", movi) + Chunk("idx1", idx1);
  return Chunk("RIFF", body);
}

}  // namespace clips
