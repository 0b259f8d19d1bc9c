#include "media_readers.h"

namespace media_test {
namespace {

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
         static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// Finds the sub-chunk `id` among the chunks from `from` to `end`; returns the offset of its
// data and its size, or false.
bool FindChunk(const std::string& b, size_t from, size_t end, const char* id, size_t* data,
               uint32_t* size) {
  size_t at = from;
  while (at + 8 <= end) {
    uint32_t n = U32(b, at + 4);
    if (b.compare(at, 4, id) == 0) {
      if (at + 8 + n > end) return false;
      *data = at + 8;
      *size = n;
      return true;
    }
    at += 8 + n + (n & 1);
  }
  return false;
}

}  // namespace

double Wav::Seconds() const {
  return channels && sampleRate ? static_cast<double>(samples.size()) / channels / sampleRate : 0;
}

std::vector<int16_t> Wav::Channel(int c) const {
  std::vector<int16_t> out;
  for (size_t i = static_cast<size_t>(c); i < samples.size(); i += channels)
    out.push_back(samples[i]);
  return out;
}

Wav ReadWav(const std::string& b) {
  Wav w;
  if (b.size() < 12) {
    w.error = "shorter than a RIFF header";
    return w;
  }
  w.riffSize = U32(b, 4);
  size_t end = std::min(b.size(), static_cast<size_t>(8) + w.riffSize);
  size_t fmt, data;
  uint32_t fmtSize, dataSize;
  if (!FindChunk(b, 12, end, "fmt ", &fmt, &fmtSize) || fmtSize < 16) {
    w.error = "no fmt chunk";
    return w;
  }
  w.formatTag = U16(b, fmt);
  w.channels = U16(b, fmt + 2);
  w.sampleRate = U32(b, fmt + 4);
  w.bytesPerSecond = U32(b, fmt + 8);
  w.blockAlign = U16(b, fmt + 12);
  w.bitsPerSample = U16(b, fmt + 14);
  if (!FindChunk(b, 12, end, "data", &data, &dataSize)) {
    w.error = "no data chunk";
    return w;
  }
  for (size_t i = 0; i + 1 < dataSize; i += 2)
    w.samples.push_back(static_cast<int16_t>(U16(b, data + i)));
  return w;
}

std::string Avi::FrameData(const std::string& bytes, size_t i) const {
  return bytes.substr(frames[i].at + 8, frames[i].size);
}

Avi ReadAvi(const std::string& b) {
  Avi a;
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "AVI ") != 0) {
    a.error = "not RIFF AVI";
    return a;
  }
  if (U32(b, 4) + 8 != b.size()) {
    a.error = "RIFF size does not match the file";
    return a;
  }
  size_t end = b.size();
  // Walk the top-level chunks: LIST hdrl, LIST movi, idx1.
  size_t at = 12;
  bool hdrl = false, movi = false, idx1 = false;
  while (at + 8 <= end) {
    uint32_t n = U32(b, at + 4);
    if (at + 8 + n > end) {
      a.error = "chunk runs past the end";
      return a;
    }
    if (b.compare(at, 4, "LIST") == 0 && b.compare(at + 8, 4, "hdrl") == 0) {
      size_t d;
      uint32_t s;
      if (!FindChunk(b, at + 12, at + 8 + n, "avih", &d, &s) || s < 40) {
        a.error = "no avih";
        return a;
      }
      a.microsPerFrame = U32(b, d);
      a.flags = U32(b, d + 12);
      a.totalFrames = U32(b, d + 16);
      a.streams = U32(b, d + 24);
      a.width = U32(b, d + 32);
      a.height = U32(b, d + 36);
      size_t strl;
      uint32_t strlSize;
      if (!FindChunk(b, at + 12, at + 8 + n, "LIST", &strl, &strlSize) ||
          b.compare(strl, 4, "strl") != 0) {
        a.error = "no strl";
        return a;
      }
      size_t h, f;
      uint32_t hs, fs;
      if (!FindChunk(b, strl + 4, strl + strlSize, "strh", &h, &hs) || hs < 48 ||
          !FindChunk(b, strl + 4, strl + strlSize, "strf", &f, &fs) || fs < 40) {
        a.error = "no strh or strf";
        return a;
      }
      a.streamType = b.substr(h, 4);
      a.handler = b.substr(h + 4, 4);
      a.scale = U32(b, h + 20);
      a.rate = U32(b, h + 24);
      a.length = U32(b, h + 32);
      a.bitmapWidth = static_cast<int32_t>(U32(b, f + 4));
      a.bitmapHeight = static_cast<int32_t>(U32(b, f + 8));
      a.bitCount = U16(b, f + 14);
      a.compression = U32(b, f + 16);
      a.coloursUsed = U32(b, f + 32);
      uint32_t headerSize = U32(b, f);
      for (size_t p = f + headerSize; p + 4 <= f + fs; p += 4) {
        a.palette.push_back(static_cast<uint8_t>(b[p + 2]) << 16 |
                            static_cast<uint8_t>(b[p + 1]) << 8 | static_cast<uint8_t>(b[p]));
      }
      hdrl = true;
    } else if (b.compare(at, 4, "LIST") == 0 && b.compare(at + 8, 4, "movi") == 0) {
      a.moviType = at + 8;
      size_t c = at + 12;
      while (c + 8 <= at + 8 + n) {
        uint32_t s = U32(b, c + 4);
        if (b.compare(c, 4, "00dc") == 0) a.frames.push_back({c, s});
        c += 8 + s + (s & 1);
      }
      movi = true;
    } else if (b.compare(at, 4, "idx1") == 0) {
      for (size_t e = at + 8; e + 16 <= at + 8 + n; e += 16) {
        a.index.push_back({b.substr(e, 4), U32(b, e + 4), U32(b, e + 8), U32(b, e + 12)});
      }
      idx1 = true;
    }
    at += 8 + n + (n & 1);
  }
  if (!hdrl || !movi || !idx1) a.error = "missing hdrl, movi or idx1";
  return a;
}

bool DecodeRle8(const std::string& data, int width, int height, std::vector<uint8_t>& pixels,
                std::string* error) {
  pixels.assign(static_cast<size_t>(width) * height, 0);
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  size_t at = 0;
  int row = 0, x = 0;  // row counts up from the bottom
  auto put = [&](uint8_t v) {
    if (row >= height || x >= width) return false;
    pixels[static_cast<size_t>(height - 1 - row) * width + x++] = v;
    return true;
  };
  while (at + 1 < data.size()) {
    uint8_t count = static_cast<uint8_t>(data[at]), value = static_cast<uint8_t>(data[at + 1]);
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        if (!put(value)) return fail("a run goes past the row or the frame");
      }
    } else if (value == 0) {
      if (x != width) return fail("row " + std::to_string(row) + " ends at " + std::to_string(x));
      ++row, x = 0;
    } else if (value == 1) {
      if (x != width || row != height - 1) return fail("the frame ends early");
      if (at != data.size()) return fail("bytes after the end of the frame");
      return true;
    } else if (value == 2) {
      return fail("a delta jump");
    } else {
      if (at + value > data.size()) return fail("absolute run past the data");
      for (int i = 0; i < value; ++i) {
        if (!put(static_cast<uint8_t>(data[at + i])))
          return fail("an absolute run goes past the row");
      }
      at += value + (value & 1);
    }
  }
  return fail("no end-of-bitmap mark");
}

}  // namespace media_test
