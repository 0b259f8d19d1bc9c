// The WAV reader fed arbitrary bytes: a sound or a refusal with its reason, never a read
// outside the bytes; what it accepts goes on through the conversion and the mixer.
#include <cstdint>
#include <string>
#include <vector>

#include "../sound/wav_builder.h"
#include "platform/audio/mixer.h"
#include "sound/wave_file.h"

std::vector<std::string> FuzzSeeds() {
  using namespace testing_support;
  std::vector<std::string> seeds;
  WavSpec plain;
  plain.data = Pcm16(40, 1, [](size_t i, int) { return static_cast<int16_t>(i * 700); });
  seeds.push_back(WavBytes(plain));
  WavSpec stereo8 = plain;
  stereo8.channels = 2;
  stereo8.bits = 8;
  stereo8.rate = 11025;
  stereo8.dataFirst = true;
  stereo8.between = RiffChunk("JUNK", "abc");
  seeds.push_back(WavBytes(stereo8));
  WavSpec extensible = plain;
  extensible.tag = 0xFFFE;
  extensible.extra = {16, 0,    4, 0,    0, 0, 1,    0, 0,    0,    0,
                      0,  0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  seeds.push_back(WavBytes(extensible));
  WavSpec adpcm = plain;
  adpcm.tag = 2;
  adpcm.extra = {1, 2};
  seeds.push_back(WavBytes(adpcm));
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WaveFile wave;
  std::string why;
  if (!ParseWave(data, size, wave, &why)) {
    if (why.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  if (wave.dataOffset > size || wave.dataSize > size - wave.dataOffset) __builtin_trap();
  if (wave.dataSize > 1 << 16) return 0;  // converting long sounds only costs time
  for (platform::MixFormat to : {platform::MixFormat{48000, 2}, platform::MixFormat{8000, 1}}) {
    std::vector<int16_t> samples =
        platform::ConvertSamples(wave.format, data + wave.dataOffset, wave.dataSize, to);
    if (samples.size() % to.channels != 0) __builtin_trap();
    platform::Mixer mixer(to);
    platform::SoundBuffer b = mixer.Add(std::move(samples));
    mixer.Play(b, true);
    std::vector<int16_t> out(2 * 1000);
    mixer.Mix(out.data(), 1000);
  }
  return 0;
}
