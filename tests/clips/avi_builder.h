// Small AVI clips written byte by byte: any number of streams of any type, each with its
// format block and its data chunks, laid out as a RIFF "AVI " file with a header list,
// a "movi" list (optionally with the chunks grouped in "rec " lists) and an index.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../sound/wav_builder.h"

namespace testing_support {

struct Bgr {
  uint8_t b, g, r;
};

struct AviStreamSpec {
  std::string type = "vids";
  std::string handler = "DIB ";
  uint32_t scale = 1, rate = 25, start = 0;
  int64_t length = -1;              // -1: the number of chunks
  std::string format;               // the "strf" block
  std::vector<std::string> chunks;  // data chunks in order
  std::string chunkSuffix = "dc";
};

struct AviSpec {
  std::vector<AviStreamSpec> streams;
  bool recLists = false;  // each round of chunks in a "rec " list
  bool withIndex = true;
  std::string extraChunks;  // e.g. palette changes, put at the start of "movi"
};

// A bitmap information header (40 bytes) and, after it, `tail` (a colour table or masks).
inline std::string BitmapFormat(int width, int height, int bits, uint32_t compression,
                                const std::string& tail = "", uint32_t clrUsed = 0) {
  std::string s;
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(width));
  Put32(s, static_cast<uint32_t>(height));
  Put16(s, 1);
  Put16(s, static_cast<uint32_t>(bits));
  Put32(s, compression);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, clrUsed);
  Put32(s, 0);
  return s + tail;
}

// A colour table of RGBQUADs.
inline std::string ColourTable(const std::vector<Bgr>& colours) {
  std::string s;
  for (const Bgr& c : colours) {
    s.push_back(static_cast<char>(c.b));
    s.push_back(static_cast<char>(c.g));
    s.push_back(static_cast<char>(c.r));
    s.push_back('\0');
  }
  return s;
}

// An uncompressed 24-bit frame, rows bottom first (unless topDown), padded to 4 bytes.
template <typename F>
std::string Frame24(int width, int height, F pixel, bool topDown = false) {
  std::string s;
  for (int r = 0; r < height; ++r) {
    int y = topDown ? r : height - 1 - r;  // y from the top
    for (int x = 0; x < width; ++x) {
      Bgr c = pixel(x, y);
      s.push_back(static_cast<char>(c.b));
      s.push_back(static_cast<char>(c.g));
      s.push_back(static_cast<char>(c.r));
    }
    while (s.size() % 4) s.push_back('\0');
  }
  return s;
}

// A solid-colour 24-bit video stream: one frame per colour.
inline AviStreamSpec SolidVideo(int width, int height, const std::vector<Bgr>& colours) {
  AviStreamSpec v;
  v.format = BitmapFormat(width, height, 24, 0);
  for (const Bgr& c : colours)
    v.chunks.push_back(Frame24(width, height, [&](int, int) { return c; }));
  return v;
}

inline AviStreamSpec AudioStream(int chunks = 2) {
  AviStreamSpec a;
  a.type = "auds";
  a.handler = std::string(4, '\0');
  a.scale = 1;
  a.rate = 22050;
  a.chunkSuffix = "wb";
  WavSpec w;
  a.format = FormatChunkBody(w);
  for (int i = 0; i < chunks; ++i) a.chunks.push_back(std::string(441 * 2, '\x10'));
  return a;
}

inline std::string AviBytes(const AviSpec& spec) {
  std::string hdrl;
  {
    std::string avih;
    for (int i = 0; i < 14; ++i) Put32(avih, 0);
    hdrl += RiffChunk("avih", avih);
  }
  for (const AviStreamSpec& s : spec.streams) {
    std::string strh = s.type.substr(0, 4) + s.handler.substr(0, 4);
    Put32(strh, 0);
    Put32(strh, 0);
    Put32(strh, 0);
    Put32(strh, s.scale);
    Put32(strh, s.rate);
    Put32(strh, s.start);
    Put32(strh, static_cast<uint32_t>(s.length >= 0 ? s.length : s.chunks.size()));
    Put32(strh, 0);
    Put32(strh, 0xFFFFFFFF);
    Put32(strh, 0);
    for (int i = 0; i < 4; ++i) Put16(strh, 0);
    std::string strl = "strl" + RiffChunk("strh", strh) + RiffChunk("strf", s.format);
    hdrl += RiffChunk("LIST", strl);
  }
  std::string movi = "movi" + spec.extraChunks, idx1;
  size_t rounds = 0;
  for (const AviStreamSpec& s : spec.streams) rounds = std::max(rounds, s.chunks.size());
  for (size_t i = 0; i < rounds; ++i) {
    std::string round;
    for (size_t n = 0; n < spec.streams.size(); ++n) {
      const AviStreamSpec& s = spec.streams[n];
      if (i >= s.chunks.size()) continue;
      std::string id = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10),
                        s.chunkSuffix[0], s.chunkSuffix[1]};
      idx1 += id;
      Put32(idx1, 0x10);
      Put32(idx1, static_cast<uint32_t>(movi.size() + round.size()));
      Put32(idx1, static_cast<uint32_t>(s.chunks[i].size()));
      round += RiffChunk(id, s.chunks[i]);
    }
    movi += spec.recLists ? RiffChunk("LIST", "rec " + round) : round;
  }
  std::string body = "AVI " + RiffChunk("LIST", "hdrl" + hdrl) + RiffChunk("LIST", movi);
  if (spec.withIndex) body += RiffChunk("idx1", idx1);
  std::string out = "RIFF";
  Put32(out, static_cast<uint32_t>(body.size()));
  return out + body;
}

}  // namespace testing_support
