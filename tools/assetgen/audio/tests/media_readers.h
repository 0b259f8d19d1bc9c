// Small readers written apart from the generator, to check its files the way the game and a
// plain AVI reader take them: WAV chunks found wherever they stand, the AVI header lists and
// index, and RLE8 frames decoded strictly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media_test {

struct Wav {
  std::string error;  // empty when the file reads
  uint32_t riffSize = 0;
  uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
  uint32_t sampleRate = 0, bytesPerSecond = 0;
  std::vector<int16_t> samples;  // interleaved
  double Seconds() const;
  std::vector<int16_t> Channel(int c) const;
};
Wav ReadWav(const std::string& bytes);

struct Avi {
  std::string error;  // empty when the file reads
  // avih
  uint32_t microsPerFrame = 0, flags = 0, totalFrames = 0, streams = 0, width = 0, height = 0;
  // strh
  std::string streamType, handler;
  uint32_t scale = 0, rate = 0, length = 0;
  // strf
  int32_t bitmapWidth = 0, bitmapHeight = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0, coloursUsed = 0;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  // movi and idx1
  size_t moviType = 0;  // file offset of the "movi" list type
  struct Chunk {
    size_t at;  // file offset of the chunk id
    uint32_t size;
  };
  std::vector<Chunk> frames;  // "00dc" chunks in order
  struct Entry {
    std::string id;
    uint32_t flags, offset, size;
  };
  std::vector<Entry> index;
  std::string FrameData(const std::string& bytes, size_t i) const;
};
Avi ReadAvi(const std::string& bytes);

// Decodes a bottom-up RLE8 bitmap into palette indices, top row first. Fails on anything that
// does not fill the frame exactly: rows too long or short, a missing end, delta jumps.
bool DecodeRle8(const std::string& data, int width, int height, std::vector<uint8_t>& pixels,
                std::string* error);

}  // namespace media_test
