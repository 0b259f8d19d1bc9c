#include "platform/audio/sound_device.h"

#include <cstring>

namespace platform {

namespace {

// The tail of the PCM sub-format identifier of an extensible format, after its first
// two bytes (which hold the plain format tag 1).
constexpr uint8_t kPcmSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool Refuse(std::string* why, const char* reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

SoundDevice::~SoundDevice() = default;

bool PlayableFormat(const WaveFormat& f, std::string* why) {
  if (f.formatTag == kWaveFormatExtensible) {
    if (f.extra.size() < 22) return Refuse(why, "extensible format without its sub-format");
    const uint8_t* sub = f.extra.data() + 6;
    if (sub[0] != 1 || sub[1] != 0 || std::memcmp(sub + 2, kPcmSubFormatTail, 14) != 0)
      return Refuse(why, "extensible format that is not PCM");
  } else if (f.formatTag != kWaveFormatPcm) {
    return Refuse(why, "not PCM");
  }
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return Refuse(why, "not 8 or 16 bits");
  if (f.channels < 1 || f.channels > 8) return Refuse(why, "channel count out of range");
  if (f.samplesPerSec < 1000 || f.samplesPerSec > 384000) return Refuse(why, "rate out of range");
  if (f.blockAlign != f.channels * (f.bitsPerSample / 8))
    return Refuse(why, "block alignment is not one frame");
  return true;
}

}  // namespace platform
