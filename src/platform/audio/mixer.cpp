#include "platform/audio/mixer.h"

#include <algorithm>
#include <array>

#include "platform/little_endian.h"
namespace platform {

namespace {

int32_t SampleAt(const uint8_t* p, int bits) {
  if (bits == 8) return (static_cast<int32_t>(p[0]) - 128) * 256;
  return static_cast<int16_t>(ReadLe16(p));
}

}  // namespace

std::vector<int16_t> ConvertSamples(const WaveFormat& f, const uint8_t* data, size_t size,
                                    const MixFormat& to) {
  if (!PlayableFormat(f, nullptr) || (to.channels != 1 && to.channels != 2) || to.rate <= 0)
    return {};
  const size_t frameBytes = f.blockAlign;
  const size_t inFrames = size / frameBytes;
  if (inFrames == 0) return {};
  if (inFrames / f.samplesPerSec >= static_cast<size_t>(kMaxSoundSeconds)) return {};
  const int bytes = f.bitsPerSample / 8;
  const int outCh = to.channels;

  // Channels first, at the file's rate.
  std::vector<int16_t> mapped(inFrames * outCh);
  for (size_t i = 0; i < inFrames; ++i) {
    const uint8_t* frame = data + i * frameBytes;
    int32_t left = SampleAt(frame, f.bitsPerSample);
    int32_t right = f.channels > 1 ? SampleAt(frame + bytes, f.bitsPerSample) : left;
    if (outCh == 1) {
      mapped[i] = static_cast<int16_t>((left + right) / 2);
    } else {
      mapped[2 * i] = static_cast<int16_t>(left);
      mapped[2 * i + 1] = static_cast<int16_t>(right);
    }
  }
  const uint64_t inRate = f.samplesPerSec, outRate = static_cast<uint64_t>(to.rate);
  if (inRate == outRate) return mapped;

  // Then the rate: output frame j stands at j * inRate / outRate input frames, between
  // two input frames whose values it takes in proportion.
  const size_t outFrames =
      std::max<size_t>(1, static_cast<size_t>((inFrames * outRate + inRate / 2) / inRate));
  std::vector<int16_t> out(outFrames * outCh);
  for (size_t j = 0; j < outFrames; ++j) {
    uint64_t at = j * inRate;
    size_t k = static_cast<size_t>(at / outRate);
    int64_t frac = static_cast<int64_t>(at % outRate);
    if (k >= inFrames) {
      k = inFrames - 1;
      frac = 0;
    }
    size_t next = std::min(k + 1, inFrames - 1);
    for (int c = 0; c < outCh; ++c) {
      int64_t a = mapped[k * outCh + c], b = mapped[next * outCh + c];
      out[j * outCh + c] = static_cast<int16_t>(a + (b - a) * frac / static_cast<int64_t>(outRate));
    }
  }
  return out;
}

Mixer::Mixer(MixFormat format) : format_(format) {
  if (format_.channels != 1) format_.channels = 2;
  if (format_.rate <= 0) format_.rate = 48000;
}

Mixer::Voice* Mixer::Get(SoundBuffer b) {
  if (b <= 0 || static_cast<size_t>(b) > voices_.size()) return nullptr;
  return &voices_[b - 1];
}

const Mixer::Voice* Mixer::Get(SoundBuffer b) const {
  if (b <= 0 || static_cast<size_t>(b) > voices_.size()) return nullptr;
  return &voices_[b - 1];
}

SoundBuffer Mixer::Add(std::vector<int16_t> samples) {
  size_t frames = samples.size() / format_.channels;
  if (frames == 0) return 0;
  samples.resize(frames * format_.channels);
  voices_.emplace_back(std::move(samples), frames);
  return static_cast<SoundBuffer>(voices_.size());
}

size_t Mixer::Frames(SoundBuffer b) const {
  const Voice* v = Get(b);
  return v ? v->frames : 0;
}

void Mixer::Play(SoundBuffer b, bool looping) {
  Voice* v = Get(b);
  if (!v) return;
  v->position = 0;
  v->state.store(looping ? kLooping : kPlaying);
}

void Mixer::Stop(SoundBuffer b) {
  if (Voice* v = Get(b)) v->state.store(kStopped);
}

bool Mixer::IsPlaying(SoundBuffer b) const {
  const Voice* v = Get(b);
  return v && v->state.load() != kStopped;
}

bool Mixer::IsLooping(SoundBuffer b) const {
  const Voice* v = Get(b);
  return v && v->state.load() == kLooping;
}

void Mixer::Run(Voice& v, int32_t* sum, size_t frames) {
  const int ch = format_.channels;
  size_t done = 0;
  while (done < frames) {
    uint8_t state = v.state.load();
    if (state == kStopped) return;
    size_t n = std::min(frames - done, v.frames - v.position);
    if (sum) {
      const int16_t* from = v.samples.data() + v.position * ch;
      int32_t* into = sum + done * ch;
      for (size_t i = 0; i < n * ch; ++i) into[i] += from[i];
    }
    v.position += n;
    done += n;
    if (v.position >= v.frames) {
      if (state != kLooping) {
        v.state.store(kStopped);
        return;
      }
      v.position = 0;
    }
  }
}

void Mixer::Mix(int16_t* out, size_t frames) {
  constexpr size_t kChunk = 256;
  std::array<int32_t, kChunk * 2> sum;
  const int ch = format_.channels;
  while (frames > 0) {
    size_t n = std::min(frames, kChunk);
    std::fill(sum.begin(), sum.begin() + n * ch, 0);
    for (Voice& v : voices_) Run(v, sum.data(), n);
    for (size_t i = 0; i < n * ch; ++i)
      out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum[i], -32768, 32767));
    out += n * ch;
    frames -= n;
  }
}

void Mixer::Skip(size_t frames) {
  for (Voice& v : voices_) {
    if (v.state.load() == kLooping) {
      v.position = (v.position + frames) % v.frames;
    } else {
      Run(v, nullptr, frames);
    }
  }
}

}  // namespace platform
