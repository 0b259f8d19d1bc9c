#include "sound/sound.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "shell/eventlog.h"
#include "shell/system.h"
#include "sound/wave_file.h"

namespace {

// No sound file is read beyond this many bytes.
constexpr size_t kMaxSoundFileBytes = 64u * 1024 * 1024;

struct SoundSystem {
  platform::Platform* owner = nullptr;      // the platform the device belongs to
  platform::SoundDevice* device = nullptr;  // null when there is none
  platform::SoundBuffer buffers[kSoundCount] = {};
  uint8_t loaded[kSoundCount] = {};
};

std::unique_ptr<SoundSystem> gSound;
int gSystemsCreated = 0;

// The device, when there is one and it still belongs to the running platform.
platform::SoundDevice* Device() {
  if (!gSound || !gSound->device || gSound->owner != &Sys()) return nullptr;
  return gSound->device;
}

// The buffer of an id that has one.
platform::SoundBuffer BufferOf(int id) {
  if (id < 1 || id > kSoundCount || !gSound) return 0;
  return gSound->buffers[id - 1];
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  FILE* f = Sys().OpenFile(path, "rb");
  if (!f) return false;
  uint8_t block[16384];
  size_t n;
  while (bytes.size() < kMaxSoundFileBytes && (n = std::fread(block, 1, sizeof block, f)) > 0)
    bytes.insert(bytes.end(), block, block + std::min(n, kMaxSoundFileBytes - bytes.size()));
  std::fclose(f);
  return true;
}

void Play(int id, bool looping) {
  EnsureSoundLoaded(id);
  platform::SoundDevice* device = Device();
  platform::SoundBuffer b = BufferOf(id);
  if (device && b) device->Play(b, looping);
}

}  // namespace

bool InitSound() {
  SoundSystem* state = new (std::nothrow) SoundSystem;
  if (!state) return false;
  gSound.reset(state);
  state->owner = &Sys();
  if (gSystemsCreated++ == 0) {
    platform::SoundDevice& device = Sys().Sound();
    if (!device.Create()) {
      ReportSoundError(1);
    } else {
      state->device = &device;
      if (!device.SetNormalCooperation()) ReportSoundError(2);
    }
  }
  return true;
}

void EnsureSoundLoaded(int id) {
  int slot = id - 1;
  if (slot < 0 || slot >= kSoundCount || !gSound || gSound->loaded[slot]) return;
  LoadWave(soundFiles[id], slot);
  gSound->loaded[slot] = 1;
}

void LoadWave(const char* path, int slot) {
  // Without a device there is nothing to fill: the file is not read.
  platform::SoundDevice* device = Device();
  if (!device || slot < 0 || slot >= kSoundCount) return;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) {
    LogMessage("sound %d (%s): cannot open the file, left silent\n", slot + 1, path);
    ReportSoundError(slot + 4);
    return;
  }
  WaveFile wave;
  std::string why;
  platform::SoundBuffer b = 0;
  if (ParseWave(bytes.data(), bytes.size(), wave, &why)) {
    std::string format;
    if (!platform::PlayableFormat(wave.format, &format)) {
      why = "format cannot be played (" + format + ")";
    } else if (wave.dataSize < wave.format.blockAlign) {
      why = "no whole sample frame";
    } else {
      b = device->CreateBuffer(wave.format, bytes.data() + wave.dataOffset, wave.dataSize, path);
      if (!b) why = "the device made no buffer";
    }
  }
  // A sound that cannot be played is left silent, and the event log (or, before it is
  // open, the debug output) says why, as for a picture.
  if (!b) {
    char line[512];
    std::snprintf(line, sizeof line, "sound %d (%s): %s, left silent\n", slot + 1, path,
                  why.c_str());
    if (LogIsOpen())
      LogMessage("%s", line);
    else
      Sys().OutputDebugString(line);
  }
  gSound->buffers[slot] = b;
}

void StartSound(int id) {
  Play(id & 0xFF, false);
}

void StartSoundLooped(int id) {
  Play(id & 0xFF, true);
}

void PlaySoundToEnd(int id) {
  id &= 0xFF;
  StartSound(id);
  platform::SoundDevice* device = Device();
  platform::SoundBuffer b = BufferOf(id);
  if (!device || !b) return;
  while (device->Status(b).playing) {
  }
}

bool IsSoundActive(int id) {
  platform::SoundDevice* device = Device();
  platform::SoundBuffer b = BufferOf(id);
  if (!device || !b) return false;
  platform::SoundStatus s = device->Status(b);
  return s.playing || s.looping;
}

void StopAllSounds() {
  platform::SoundDevice* device = Device();
  if (!device) return;
  for (int slot = 0; slot < kSoundCount; ++slot)
    if (gSound->loaded[slot] && gSound->buffers[slot]) device->Stop(gSound->buffers[slot]);
}

bool ReportSoundError(int code) {
  char title[160];
  if (code == 1) {
    std::snprintf(title, sizeof title, "Couldn't init DirectSound");
  } else if (code == 2) {
    std::snprintf(title, sizeof title, "Couldn't init DirectSound Cooperative level!");
  } else {
    int row = code - 3;
    const char* path = row >= 1 && row <= kSoundCount ? soundFiles[row] : "";
    std::snprintf(title, sizeof title, "Couldn't open WAV file %s!", path);
  }
  Sys().MessageBox("Game Failed.", title);
  return false;
}

void ResetSound() {
  gSound.reset();
  gSystemsCreated = 0;
}
