// The mixer behind the SDL sound device: plain code with no device of its own, so it
// runs the same in tests. Each buffer is converted once, when it is made, into the
// device's format (signed 16-bit, the device's rate and channel count); mixing then only
// adds the playing buffers together and clips the sum.
//
// Threads: buffers are added, played and stopped by the program while the device's
// thread mixes; the owner keeps those calls and Mix apart with the device's lock. A
// buffer's state is also readable without the lock (IsPlaying, IsLooping), so that a
// program spinning on a sound's status never holds the device up.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/audio/sound_device.h"

namespace platform {

struct MixFormat {
  int rate = 48000;
  int channels = 2;  // 1 or 2
};

// The samples of a playable format converted to the device format: 8-bit samples
// widened, channels mapped (mono to both sides, stereo averaged for a mono device, the
// first two of more), and the rate changed by linear interpolation. Trailing bytes
// short of a whole frame are dropped. Empty when the format is not playable or the
// sound lasts kMaxSoundSeconds or more.
inline constexpr int kMaxSoundSeconds = 600;
std::vector<int16_t> ConvertSamples(const WaveFormat& format, const uint8_t* data, size_t size,
                                    const MixFormat& to);

class Mixer {
 public:
  explicit Mixer(MixFormat format);

  const MixFormat& Format() const { return format_; }
  // Takes samples already in the device format; returns the buffer's number from 1, or
  // 0 when they hold no whole frame.
  SoundBuffer Add(std::vector<int16_t> samples);
  size_t Frames(SoundBuffer buffer) const;  // 0 for no such buffer

  void Play(SoundBuffer buffer, bool looping);  // from the beginning
  void Stop(SoundBuffer buffer);                // keeps its position
  bool IsPlaying(SoundBuffer buffer) const;
  bool IsLooping(SoundBuffer buffer) const;

  // Fills `frames` frames of device samples with the sum of the playing buffers; a
  // looped buffer wraps to its beginning within the same call, without a gap.
  void Mix(int16_t* out, size_t frames);
  // Moves the playing buffers on by `frames` frames without producing sound.
  void Skip(size_t frames);

 private:
  enum : uint8_t { kStopped, kPlaying, kLooping };
  struct Voice {
    explicit Voice(std::vector<int16_t> s, size_t f) : samples(std::move(s)), frames(f) {}
    std::vector<int16_t> samples;  // interleaved, the device's channels
    size_t frames;
    size_t position = 0;  // in frames
    std::atomic<uint8_t> state{kStopped};
  };

  Voice* Get(SoundBuffer buffer);
  const Voice* Get(SoundBuffer buffer) const;
  // Moves one voice on by up to `frames` frames, adding into `sum` when it is not null;
  // stops a voice played once at its end.
  void Run(Voice& v, int32_t* sum, size_t frames);

  MixFormat format_;
  std::deque<Voice> voices_;  // a deque: voices never move once made
};

}  // namespace platform
