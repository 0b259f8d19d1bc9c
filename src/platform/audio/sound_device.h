// The sound device the game's sounds play on: one static buffer per sound, each holding a
// whole sound, started from its beginning (once or looped), asked whether it still plays,
// and stopped. The SDL backend mixes the buffers into one audio device; the headless
// backend keeps time with the virtual clock and records what was played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A sound's format as a WAV file's "fmt " chunk gives it: the 16 fixed bytes, then the
// extra bytes (their count is the size of `extra`).
struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  std::vector<uint8_t> extra;
};

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// Whether buffers of this format can be played: linear PCM (plain, or extensible with
// the PCM sub-format) of 8 or 16 bits, 1 to 8 channels, 1000 to 384000 frames a second,
// with a block alignment of one whole frame. False with the reason otherwise.
bool PlayableFormat(const WaveFormat& format, std::string* why);

using SoundBuffer = int32_t;  // 0: none

struct SoundStatus {
  bool playing = false;  // sounding, once or looped
  bool looping = false;
};

class SoundDevice {
 public:
  virtual ~SoundDevice();

  // Opens the default device; false when there is none to be had at all.
  virtual bool Create() = 0;
  // Lets the program share the device with others; false when that is refused.
  virtual bool SetNormalCooperation() = 0;
  // A static buffer holding a copy of `size` bytes of samples in `format`; 0 when the
  // format cannot be played or the data holds no whole frame. `name` names the sound in
  // diagnostics.
  virtual SoundBuffer CreateBuffer(const WaveFormat& format, const uint8_t* data, size_t size,
                                   std::string_view name) = 0;
  // Plays the buffer from its beginning: a buffer that is playing starts again.
  virtual void Play(SoundBuffer buffer, bool looping) = 0;
  virtual void Stop(SoundBuffer buffer) = 0;
  virtual SoundStatus Status(SoundBuffer buffer) = 0;
};

}  // namespace platform
