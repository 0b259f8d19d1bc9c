// 16-bit PCM sounds and their RIFF WAVE encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "synth.h"

namespace audio {

struct Sound {
  int rate = 22050;
  int channels = 1;
  std::vector<int16_t> pcm;  // interleaved frames
};

Sound MonoSound(const Track& t);
// Both tracks must have the same rate; the shorter one is padded with silence.
Sound StereoSound(const Track& left, const Track& right);

// RIFF "WAVE" with a 16-byte PCM "fmt " chunk followed by the "data" chunk.
std::string EncodeWav(const Sound& sound);

}  // namespace audio
