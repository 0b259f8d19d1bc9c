// Reading a WAV file from its bytes: the "fmt " and "data" chunks are looked for by id
// among the sub-chunks of the first chunk, each wherever it stands. Every size is held
// to the bytes there really are: a chunk running past the end of the first chunk or of
// the file is cut there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/audio/sound_device.h"

struct WaveFile {
  platform::WaveFormat format;
  size_t dataOffset = 0;      // where the sample bytes start
  size_t dataSize = 0;        // how many of them the bytes hold
  uint32_t declaredSize = 0;  // the size the "data" chunk gives
};

// False with the reason when there is no usable "fmt " chunk (at least 16 bytes) or no
// "data" chunk. A format whose tag is not PCM (1) reads the 16-bit count of extra bytes
// after the 16 and then those bytes, as many as the chunk holds.
bool ParseWave(const uint8_t* bytes, size_t size, WaveFile& out, std::string* why);
