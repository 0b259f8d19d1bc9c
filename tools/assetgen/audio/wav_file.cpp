#include "wav_file.h"

#include <algorithm>
#include <cmath>

#include "platform/little_endian.h"

namespace audio {
namespace {

int16_t ToSample(float v) {
  double x = std::clamp(static_cast<double>(v), -1.0, 1.0);
  return static_cast<int16_t>(std::lround(x * 32767.0));
}

}  // namespace

Sound MonoSound(const Track& t) {
  Sound s;
  s.rate = t.rate;
  s.channels = 1;
  s.pcm.reserve(t.s.size());
  for (float v : t.s) s.pcm.push_back(ToSample(v));
  return s;
}

Sound StereoSound(const Track& left, const Track& right) {
  Sound s;
  s.rate = left.rate;
  s.channels = 2;
  size_t n = std::max(left.s.size(), right.s.size());
  s.pcm.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    s.pcm.push_back(ToSample(i < left.s.size() ? left.s[i] : 0.0f));
    s.pcm.push_back(ToSample(i < right.s.size() ? right.s[i] : 0.0f));
  }
  return s;
}

std::string EncodeWav(const Sound& sound) {
  uint32_t dataBytes = static_cast<uint32_t>(sound.pcm.size() * 2);
  uint32_t blockAlign = static_cast<uint32_t>(sound.channels * 2);
  std::string out;
  out.reserve(44 + dataBytes + 1);
  out += "RIFF";
  AppendLe32(out, 36 + dataBytes + (dataBytes & 1));
  out += "WAVE";
  out += "fmt ";
  AppendLe32(out, 16);
  AppendLe16(out, 1);  // PCM
  AppendLe16(out, static_cast<uint32_t>(sound.channels));
  AppendLe32(out, static_cast<uint32_t>(sound.rate));
  AppendLe32(out, static_cast<uint32_t>(sound.rate) * blockAlign);
  AppendLe16(out, blockAlign);
  AppendLe16(out, 16);
  out += "data";
  AppendLe32(out, dataBytes);
  for (int16_t v : sound.pcm) AppendLe16(out, static_cast<uint16_t>(v));
  if (dataBytes & 1) out.push_back('\0');
  return out;
}

}  // namespace audio
