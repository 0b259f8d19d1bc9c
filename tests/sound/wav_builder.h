// Small WAV files written byte by byte, including the unusual layouts a reader must
// cope with: "data" before "fmt ", non-PCM formats with extra bytes, odd chunks with
// their pad bytes, chunks between and missing chunks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/sound_device.h"

namespace testing_support {

inline void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// The format of plain PCM samples, its block size and byte rate worked out.
inline platform::WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  platform::WaveFormat f;
  f.formatTag = platform::kWaveFormatPcm;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// A chunk with its pad byte; `declared` overrides the size written in its header.
inline std::string RiffChunk(const std::string& id, const std::string& data,
                             int64_t declared = -1) {
  std::string s = id.substr(0, 4);
  Put32(s, declared >= 0 ? static_cast<uint32_t>(declared) : static_cast<uint32_t>(data.size()));
  s += data;
  if (data.size() & 1) s.push_back('\0');
  return s;
}

struct WavSpec {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  int blockAlign = -1;          // -1: channels * bits / 8
  std::vector<uint8_t> extra;   // written with its count when the tag is not 1
  bool writeExtraCount = true;  // for a non-PCM tag
  std::string data;             // the sample bytes
  bool dataFirst = false;       // "data" before "fmt "
  std::string between;          // chunks placed before the first of the two
  bool withFormat = true, withData = true;
  int64_t riffSize = -1;  // -1: the true size
};

inline std::string FormatChunkBody(const WavSpec& w) {
  std::string f;
  uint16_t align =
      static_cast<uint16_t>(w.blockAlign >= 0 ? w.blockAlign : w.channels * (w.bits / 8));
  Put16(f, w.tag);
  Put16(f, w.channels);
  Put32(f, w.rate);
  Put32(f, w.rate * align);
  Put16(f, align);
  Put16(f, w.bits);
  if (w.tag != 1 && w.writeExtraCount) {
    Put16(f, static_cast<uint32_t>(w.extra.size()));
    f.append(w.extra.begin(), w.extra.end());
  }
  return f;
}

inline std::string WavBytes(const WavSpec& w) {
  std::string fmt = w.withFormat ? RiffChunk("fmt ", FormatChunkBody(w)) : "";
  std::string data = w.withData ? RiffChunk("data", w.data) : "";
  std::string body = "WAVE" + w.between + (w.dataFirst ? data + fmt : fmt + data);
  std::string s = "RIFF";
  Put32(s,
        w.riffSize >= 0 ? static_cast<uint32_t>(w.riffSize) : static_cast<uint32_t>(body.size()));
  return s + body;
}

// `frames` frames of 16-bit samples, each channel of frame i holding value(i, channel).
template <typename F>
std::string Pcm16(size_t frames, int channels, F value) {
  std::string s;
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) Put16(s, static_cast<uint16_t>(value(i, c)));
  return s;
}

// A plain 16-bit mono sound of `ms` milliseconds at 22050 Hz (ms * 22050 / 1000 frames).
inline std::string ToneWav(int ms, int16_t level = 1000) {
  WavSpec w;
  w.data = Pcm16(static_cast<size_t>(ms) * 22050 / 1000, 1, [&](size_t, int) { return level; });
  return WavBytes(w);
}

}  // namespace testing_support
