#include "platform/audio/sdl_sound_device.h"

#include <SDL.h>

#include <cstdio>

namespace platform {

SdlSoundDevice::~SdlSoundDevice() {
  Close();
}

bool SdlSoundDevice::Create() {
  if (mixer_) return true;
  MixFormat format{48000, 2};
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    audioStarted_ = true;
    SDL_AudioSpec want{}, have{};
    want.freq = format.rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlSoundDevice::Callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ != 0) format.rate = have.freq;
  }
  if (device_ == 0)
    std::fprintf(stderr, "strikora: no audio device, playing in silence: %s\n", SDL_GetError());
  mixer_ = std::make_unique<Mixer>(format);
  silentStartMs_ = SDL_GetTicks64();
  silentFrames_ = 0;
  if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlSoundDevice::Close() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audioStarted_ = false;
  mixer_.reset();
}

void SdlSoundDevice::Callback(void* self, uint8_t* stream, int bytes) {
  auto* device = static_cast<SdlSoundDevice*>(self);
  size_t frames = static_cast<size_t>(bytes) / (2 * sizeof(int16_t));
  device->mixer_->Mix(reinterpret_cast<int16_t*>(stream), frames);
}

void SdlSoundDevice::Lock() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void SdlSoundDevice::Unlock() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlSoundDevice::CatchUp() {
  if (device_ != 0 || !mixer_) return;
  uint64_t due =
      (SDL_GetTicks64() - silentStartMs_) * static_cast<uint64_t>(mixer_->Format().rate) / 1000;
  if (due > silentFrames_) mixer_->Skip(static_cast<size_t>(due - silentFrames_));
  silentFrames_ = due;
}

SoundBuffer SdlSoundDevice::CreateBuffer(const WaveFormat& format, const uint8_t* data, size_t size,
                                         std::string_view) {
  if (!mixer_ || !PlayableFormat(format, nullptr)) return 0;
  // The conversion runs before the lock, so the device is not held up by it.
  std::vector<int16_t> samples = ConvertSamples(format, data, size, mixer_->Format());
  Lock();
  SoundBuffer b = mixer_->Add(std::move(samples));
  Unlock();
  return b;
}

void SdlSoundDevice::Play(SoundBuffer buffer, bool looping) {
  if (!mixer_) return;
  CatchUp();
  Lock();
  mixer_->Play(buffer, looping);
  Unlock();
}

void SdlSoundDevice::Stop(SoundBuffer buffer) {
  if (!mixer_) return;
  CatchUp();
  Lock();
  mixer_->Stop(buffer);
  Unlock();
}

SoundStatus SdlSoundDevice::Status(SoundBuffer buffer) {
  if (!mixer_) return {};
  CatchUp();
  // Read without the lock: the state is atomic, and a program spinning here must not
  // keep the device's thread from mixing.
  return {mixer_->IsPlaying(buffer), mixer_->IsLooping(buffer)};
}

}  // namespace platform
