// The sound device of the SDL backend: one audio device (signed 16-bit stereo at the
// device's own rate) whose callback asks the mixer for each block of samples.
//
// A machine without audio, or with SDL_AUDIODRIVER=dummy, is not an error: when no
// device can be opened the buffers are still made, and the mixer is moved on by the
// clock instead of by a device, so sounds start, run for their length and end in silence.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/audio/mixer.h"
#include "platform/audio/sound_device.h"

namespace platform {

class SdlSoundDevice : public SoundDevice {
 public:
  SdlSoundDevice() = default;
  ~SdlSoundDevice() override;

  bool Create() override;
  bool SetNormalCooperation() override { return true; }
  SoundBuffer CreateBuffer(const WaveFormat& format, const uint8_t* data, size_t size,
                           std::string_view name) override;
  void Play(SoundBuffer buffer, bool looping) override;
  void Stop(SoundBuffer buffer) override;
  SoundStatus Status(SoundBuffer buffer) override;

  // Closes the device (before SDL itself is shut down).
  void Close();
  bool Silent() const { return device_ == 0; }

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Lock();
  void Unlock();
  // Without a device: moves the mixer on to the present time.
  void CatchUp();

  uint32_t device_ = 0;  // SDL_AudioDeviceID, 0 when silent
  bool audioStarted_ = false;
  std::unique_ptr<Mixer> mixer_;
  uint64_t silentStartMs_ = 0;
  uint64_t silentFrames_ = 0;  // frames skipped since silentStartMs_
};

}  // namespace platform
