#include "instruments.h"

#include <algorithm>
#include <cmath>

namespace audio {

void Brass(Track& t, double start, double length, double midi, double amp) {
  Voice v;
  v.wave = Wave::Saw;
  v.hz = NoteHz(midi);
  v.amp = amp;
  v.env = {0.025, 0.12, 0.75, 0.09};
  v.detuneCents = 7;
  v.vibratoHz = 5.5;
  v.vibratoSemis = 0.06;
  Track note = MakeTrack(t.rate, length + 0.12);
  AddNote(note, 0, length, v);
  SweepFilter(
      note, FilterMode::LowPass,
      [length](double s) {
        double open = std::min(1.0, s / 0.04);
        double settle = std::exp(-std::max(0.0, s - 0.04) / 0.15);
        double close = s > length ? std::exp(-(s - length) / 0.04) : 1.0;
        return (500 + 1500 * open + 1800 * settle) * close;
      },
      0.9);
  Mix(t, note, 1.0, start);
}

void Chime(Track& t, double start, double midi, double amp, double decay) {
  Bell b;
  b.hz = NoteHz(midi);
  b.ratio = 3.5;
  b.index = 1.2;
  b.amp = amp;
  b.decay = decay;
  AddBell(t, start, b);
  Bell shimmer = b;
  shimmer.hz *= 2.0;
  shimmer.ratio = 1.0;
  shimmer.index = 0.4;
  shimmer.amp = amp * 0.3;
  shimmer.decay = decay * 0.5;
  AddBell(t, start, shimmer);
}

void Kick(Track& t, double start, double amp) {
  AddThump(t, start, 140, 48, 0.11, amp);
  AddThump(t, start, 1200, 200, 0.004, amp * 0.25);
}

void Snare(Track& t, double start, double amp, uint32_t seed) {
  Track n = MakeTrack(t.rate, 0.25);
  AddNoise(n, 0, 0.01, 1.0, {0.001, 0.12, 0.0, 0.05}, seed);
  Filter(n, FilterMode::HighPass, 900, 0.7);
  Filter(n, FilterMode::LowPass, 7000, 0.7);
  AddThump(n, 0, 240, 180, 0.04, 0.5);
  Mix(t, n, amp, start);
}

void HiHat(Track& t, double start, double amp, uint32_t seed) {
  Track n = MakeTrack(t.rate, 0.08);
  AddNoise(n, 0, 0.002, 1.0, {0.001, 0.035, 0.0, 0.01}, seed);
  Filter(n, FilterMode::HighPass, 6500, 0.8);
  Mix(t, n, amp, start);
}

void Crash(Track& t, double start, double amp, uint32_t seed) {
  Track n = MakeTrack(t.rate, 1.6);
  AddNoise(n, 0, 0.02, 1.0, {0.002, 1.3, 0.0, 0.2}, seed);
  Filter(n, FilterMode::HighPass, 3500, 0.6);
  Mix(t, n, amp, start);
}

void CrowdVoice(Track& t, double start, double length, double hz, double hzEnd, double formant1,
                double formant2, double amp, uint32_t seed) {
  Voice v;
  v.wave = Wave::Saw;
  v.hz = hz;
  v.hzEnd = hzEnd;
  v.amp = 1.0;
  v.env = {length * 0.3, length * 0.4, 0.6, length * 0.3};
  v.vibratoHz = 4.0 + (seed % 5);
  v.vibratoSemis = 0.3;
  Track src = MakeTrack(t.rate, length * 1.3 + 0.02);
  AddNote(src, 0, length, v);
  AddNoise(src, 0, length, 0.25, v.env, seed);
  Track f1 = src;
  Track f2 = src;
  Filter(f1, FilterMode::BandPass, formant1, 5.0);
  Filter(f2, FilterMode::BandPass, formant2, 6.0);
  Mix(f1, f2, 0.6);
  Mix(t, f1, amp, start);
}

void Cheer(Track& t, double start, double length, double amp, uint32_t seed) {
  Track roar = MakeTrack(t.rate, length);
  AddNoise(roar, 0, length * 0.6, 1.0, {length * 0.25, length * 0.2, 0.8, length * 0.4}, seed);
  Track high = roar;
  Filter(roar, FilterMode::BandPass, 650, 0.9);
  Filter(high, FilterMode::BandPass, 1900, 1.3);
  Mix(roar, high, 0.5);
  Rng rng(seed * 7 + 1);
  for (int i = 0; i < 10; ++i) {
    double at = rng.Range(0.0, length * 0.45);
    double len = rng.Range(0.25, length * 0.5);
    double hz = rng.Range(220, 420);
    CrowdVoice(roar, at, len, hz, hz * rng.Range(1.05, 1.3), rng.Range(600, 900),
               rng.Range(1100, 1700), 0.35, seed + 31 * i);
  }
  Mix(t, roar, amp, start);
}

void Clap(Track& t, double start, double amp, uint32_t seed) {
  Track n = MakeTrack(t.rate, 0.09);
  for (int k = 0; k < 3; ++k) {
    AddNoise(n, k * 0.009, 0.002, 1.0, {0.0005, 0.012, 0.0, 0.005}, seed + k);
  }
  AddNoise(n, 0.027, 0.004, 0.7, {0.001, 0.05, 0.0, 0.01}, seed + 9);
  Filter(n, FilterMode::BandPass, 1400, 1.2);
  Mix(t, n, amp, start);
}

}  // namespace audio
