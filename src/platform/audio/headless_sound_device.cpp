#include "platform/audio/headless_sound_device.h"

#include "platform/audio/mixer.h"
#include "platform/headless/headless_platform.h"

namespace platform {

HeadlessSoundDevice::Buffer* HeadlessSoundDevice::Get(SoundBuffer b) {
  if (b <= 0 || static_cast<size_t>(b) > buffers_.size()) return nullptr;
  return &buffers_[b - 1];
}

const HeadlessSoundDevice::Buffer* HeadlessSoundDevice::Get(SoundBuffer b) const {
  if (b <= 0 || static_cast<size_t>(b) > buffers_.size()) return nullptr;
  return &buffers_[b - 1];
}

bool HeadlessSoundDevice::Create() {
  created_ = !faults_.create;
  return created_;
}

bool HeadlessSoundDevice::SetNormalCooperation() {
  return !faults_.cooperation;
}

SoundBuffer HeadlessSoundDevice::CreateBuffer(const WaveFormat& format, const uint8_t* data,
                                              size_t size, std::string_view name) {
  if (!created_ || !PlayableFormat(format, nullptr) || size / format.blockAlign == 0) return 0;
  if (size / format.blockAlign / format.samplesPerSec >= kMaxSoundSeconds) return 0;
  Buffer b;
  b.name = name;
  b.format = format;
  b.data.assign(data, data + size);
  b.frames = size / format.blockAlign;
  buffers_.push_back(std::move(b));
  return static_cast<SoundBuffer>(buffers_.size());
}

void HeadlessSoundDevice::Record(SoundEvent::Kind kind, SoundBuffer b) {
  events_.push_back({kind, b, Get(b)->name, platform_.Now()});
}

void HeadlessSoundDevice::Play(SoundBuffer buffer, bool looping) {
  Buffer* b = Get(buffer);
  if (!b) return;
  b->playing = true;
  b->looping = looping;
  b->startMs = platform_.Now();
  Record(looping ? SoundEvent::Kind::Loop : SoundEvent::Kind::Start, buffer);
}

void HeadlessSoundDevice::Stop(SoundBuffer buffer) {
  Buffer* b = Get(buffer);
  if (!b) return;
  b->playing = b->looping = false;
  Record(SoundEvent::Kind::Stop, buffer);
}

SoundStatus HeadlessSoundDevice::Status(SoundBuffer buffer) {
  Buffer* b = Get(buffer);
  if (!b) return {};
  uint32_t now = platform_.TimeGetTime();
  if (b->playing && !b->looping) {
    // Over once the elapsed time covers every frame: elapsed * rate >= frames * 1000.
    uint64_t elapsed = static_cast<uint32_t>(now - b->startMs);
    if (elapsed * b->format.samplesPerSec >= b->frames * 1000) b->playing = false;
  }
  return {b->playing, b->playing && b->looping};
}

SoundBuffer HeadlessSoundDevice::Find(std::string_view name) const {
  for (size_t i = 0; i < buffers_.size(); ++i)
    if (buffers_[i].name == name) return static_cast<SoundBuffer>(i + 1);
  return 0;
}

const WaveFormat* HeadlessSoundDevice::FormatOf(SoundBuffer b) const {
  const Buffer* p = Get(b);
  return p ? &p->format : nullptr;
}

const std::vector<uint8_t>* HeadlessSoundDevice::DataOf(SoundBuffer b) const {
  const Buffer* p = Get(b);
  return p ? &p->data : nullptr;
}

double HeadlessSoundDevice::LengthMs(SoundBuffer b) const {
  const Buffer* p = Get(b);
  return p ? static_cast<double>(p->frames) * 1000.0 / p->format.samplesPerSec : 0.0;
}

}  // namespace platform
