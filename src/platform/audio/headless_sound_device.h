// The sound device of the headless backend: nothing is heard. Each buffer keeps its
// format and bytes for tests to look at; every start, looped start and stop is recorded
// with the virtual time it happened at; and a sound played once is reported as playing
// for exactly its length in virtual time.
//
// A status read is a poll of the device and, like every read of the virtual clock, takes
// one clock step, so a program waiting on a sound comes to the end of it.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/sound_device.h"

namespace platform {

class HeadlessPlatform;

struct SoundEvent {
  enum class Kind : uint8_t { Start, Loop, Stop };
  Kind kind;
  SoundBuffer buffer;
  std::string name;
  uint32_t atMs;
};

struct HeadlessSoundFaults {
  bool create = false;       // there is no device
  bool cooperation = false;  // the device refuses to be shared
};

class HeadlessSoundDevice : public SoundDevice {
 public:
  explicit HeadlessSoundDevice(HeadlessPlatform& platform) : platform_(platform) {}

  bool Create() override;
  bool SetNormalCooperation() override;
  SoundBuffer CreateBuffer(const WaveFormat& format, const uint8_t* data, size_t size,
                           std::string_view name) override;
  void Play(SoundBuffer buffer, bool looping) override;
  void Stop(SoundBuffer buffer) override;
  SoundStatus Status(SoundBuffer buffer) override;

  // Test controls and what happened.
  HeadlessSoundFaults& Faults() { return faults_; }
  bool Created() const { return created_; }
  const std::vector<SoundEvent>& Events() const { return events_; }
  void ForgetEvents() { events_.clear(); }
  size_t BufferCount() const { return buffers_.size(); }
  // The buffer made for the sound of this name, 0 if none.
  SoundBuffer Find(std::string_view name) const;
  const WaveFormat* FormatOf(SoundBuffer buffer) const;
  const std::vector<uint8_t>* DataOf(SoundBuffer buffer) const;
  // How long the buffer sounds when played once, in milliseconds (fractions kept).
  double LengthMs(SoundBuffer buffer) const;

 private:
  struct Buffer {
    std::string name;
    WaveFormat format;
    std::vector<uint8_t> data;
    uint64_t frames = 0;
    bool playing = false, looping = false;
    uint32_t startMs = 0;
  };
  Buffer* Get(SoundBuffer b);
  const Buffer* Get(SoundBuffer b) const;
  void Record(SoundEvent::Kind kind, SoundBuffer b);

  HeadlessPlatform& platform_;
  HeadlessSoundFaults faults_;
  bool created_ = false;
  std::vector<Buffer> buffers_;
  std::vector<SoundEvent> events_;
};

}  // namespace platform
