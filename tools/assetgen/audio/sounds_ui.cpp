// Short interface sounds: typing, buttons, the countdown, spins, points counting.
#include <cmath>
#include <numbers>

#include "instruments.h"
#include "sound_recipes.h"

namespace audio {

// A dry key strike, short enough to restart on every typed letter (about 25 ms apart).
Sound MakeTeletype() {
  Track t = MakeTrack(kEffectRate, 0.032);
  AddNoise(t, 0, 0.003, 1.0, {0.0004, 0.004, 0.0, 0.002}, 11);
  Filter(t, FilterMode::HighPass, 2200, 0.7);
  AddThump(t, 0.0005, 1100, 420, 0.0035, 0.5);
  Bell ping{3150, 2.71, 1.4, 0.18, 0.005, 0.0005};
  AddBell(t, 0.001, ping);
  return FinishMono(t, 0.5, 0.004);
}

// A rounded blip for menu choices and the prize count-down.
Sound MakeButton() {
  Track t = MakeTrack(kEffectRate, 0.14);
  Voice v;
  v.wave = Wave::Triangle;
  v.hz = 1320;
  v.hzEnd = 990;
  v.amp = 0.6;
  v.env = {0.002, 0.07, 0.0, 0.03};
  AddNote(t, 0, 0.09, v);
  AddBell(t, 0, Bell{1980, 1.0, 0.6, 0.2, 0.03, 0.001});
  AddThump(t, 0, 700, 300, 0.008, 0.3);
  return FinishMono(t, 0.7, 0.02);
}

// A wood-block tick for each segment of the countdown bar.
Sound MakeTimerTick() {
  Track t = MakeTrack(kEffectRate, 0.06);
  AddBell(t, 0, Bell{1760, 1.48, 1.1, 0.6, 0.011, 0.0008});
  AddThump(t, 0, 950, 620, 0.008, 0.4);
  AddNoise(t, 0, 0.001, 0.15, {0.0003, 0.002, 0.0, 0.001}, 5);
  return FinishMono(t, 0.55, 0.01);
}

// The bar filling up: 27 quick rising steps, one per segment drawn.
Sound MakeTimerBuildUp() {
  Track t = MakeTrack(kEffectRate, 0.45);
  const double step = 0.0145;
  for (int i = 0; i < 27; ++i) {
    Voice v;
    v.wave = Wave::Square;
    v.hz = NoteHz(57 + i);
    v.amp = 0.25 + 0.012 * i;
    v.env = {0.001, 0.006, 0.5, 0.004};
    AddNote(t, i * step, step * 0.8, v);
  }
  Filter(t, FilterMode::LowPass, 4500, 0.7);
  Echo(t, 0.045, 0.25, 0.3);
  return FinishMono(t, 0.6, 0.03);
}

// Time has run out: a wobbling sweep falling away, ending on a soft thud.
Sound MakeTimeUp() {
  Track t = MakeTrack(kEffectRate, 0.55);
  Voice v;
  v.wave = Wave::Saw;
  v.hz = 1050;
  v.hzEnd = 170;
  v.amp = 0.5;
  v.env = {0.005, 0.1, 0.8, 0.08};
  v.vibratoHz = 13;
  v.vibratoSemis = 0.7;
  AddNote(t, 0, 0.4, v);
  SweepFilter(
      t, FilterMode::LowPass, [](double s) { return 4000 * std::exp(-s * 3.5); }, 1.4);
  AddThump(t, 0.36, 110, 55, 0.05, 0.5);
  return FinishMono(t, 0.7, 0.04);
}

// The time-out sign flashing: an alarm in step with its ten 200 ms flashes.
Sound MakeQuestionTimeout() {
  Track t = MakeTrack(kEffectRate, 2.0);
  for (int k = 0; k < 10; ++k) {
    Voice v;
    v.wave = Wave::Square;
    v.hz = k % 2 == 0 ? 988 : 740;
    v.amp = k % 2 == 0 ? 0.45 : 0.3;
    v.env = {0.004, 0.03, 0.7, 0.02};
    AddNote(t, k * 0.2, 0.13, v);
  }
  Filter(t, FilterMode::LowPass, 3500, 0.7);
  return FinishMono(t, 0.6, 0.03);
}

// A hexagon turning over: a fluttering whoosh that rises and falls.
Sound MakeAnimationSpin() {
  const double len = 0.62;
  Track t = MakeTrack(kEffectRate, len + 0.05);
  AddNoise(t, 0, len * 0.55, 1.0, {len * 0.25, len * 0.2, 0.8, len * 0.4}, 21);
  SweepFilter(
      t, FilterMode::BandPass,
      [len](double s) { return 450 + 2600 * std::sin(std::numbers::pi * std::min(s / len, 1.0)); },
      2.2);
  double phase = 0;
  for (size_t i = 0; i < t.s.size(); ++i) {
    double s = static_cast<double>(i) / t.rate;
    phase += (14 + 22 * s / len) / t.rate;
    t.s[i] *= static_cast<float>(0.55 + 0.45 * std::sin(2 * std::numbers::pi * phase));
  }
  Voice v;
  v.wave = Wave::Sine;
  v.hz = 300;
  v.hzEnd = 820;
  v.amp = 0.12;
  v.env = {0.08, 0.2, 0.7, 0.15};
  AddNote(t, 0.02, len - 0.2, v);
  return FinishMono(t, 0.7, 0.04);
}

// A life appearing or going: a quick four-note arpeggio with a little echo.
Sound MakeExtraLife() {
  Track t = MakeTrack(kEffectRate, 0.5);
  const int notes[] = {72, 76, 79, 84};
  for (int i = 0; i < 4; ++i) {
    Voice v;
    v.wave = Wave::Pulse;
    v.pulseWidth = 0.3;
    v.hz = NoteHz(notes[i]);
    v.amp = 0.4;
    v.env = {0.002, 0.03, 0.5, 0.02};
    AddNote(t, i * 0.055, i == 3 ? 0.16 : 0.045, v);
  }
  Chime(t, 0.165, 88, 0.15, 0.08);
  Filter(t, FilterMode::LowPass, 6000, 0.7);
  Echo(t, 0.085, 0.3, 0.35);
  return FinishMono(t, 0.7, 0.05);
}

// A reveal token: a glittering run of high chimes.
Sound MakeExtraReveal() {
  Track t = MakeTrack(kEffectRate, 0.8);
  const int scale[] = {84, 86, 88, 91, 93, 96, 98, 100, 103, 105};
  Rng rng(77);
  for (int i = 0; i < 10; ++i) {
    Bell b{NoteHz(scale[i]), 2.0, 0.7, 0.22 + 0.02 * rng.Uniform(), 0.07, 0.001};
    AddBell(t, i * 0.042 + 0.01 * rng.Uniform(), b);
  }
  Echo(t, 0.07, 0.35, 0.4);
  return FinishMono(t, 0.65, 0.08);
}

// Points counting: twenty rising blips, one per step of the counter (about 55 ms each).
Sound MakeAddPoints() {
  Track t = MakeTrack(kEffectRate, 1.15);
  for (int i = 0; i < 20; ++i) {
    Voice v;
    v.wave = Wave::Pulse;
    v.pulseWidth = 0.25;
    v.hz = NoteHz(72 + i);
    v.amp = 0.35;
    v.env = {0.001, 0.02, 0.3, 0.015};
    AddNote(t, i * 0.055, 0.03, v);
    AddBell(t, i * 0.055, Bell{NoteHz(84 + i), 2.0, 0.4, 0.08, 0.02, 0.001});
  }
  Filter(t, FilterMode::LowPass, 7000, 0.7);
  return FinishMono(t, 0.6, 0.03);
}

// Points draining away: the same counter falling, darker.
Sound MakeLosePoints() {
  Track t = MakeTrack(kEffectRate, 1.15);
  for (int i = 0; i < 20; ++i) {
    Voice v;
    v.wave = Wave::Square;
    v.hz = NoteHz(79 - i);
    v.amp = 0.35;
    v.env = {0.001, 0.025, 0.3, 0.015};
    AddNote(t, i * 0.055, 0.03, v);
  }
  Filter(t, FilterMode::LowPass, 2600, 0.8);
  return FinishMono(t, 0.6, 0.03);
}

// A small points hexagon: two bright coin pings.
Sound MakeSmallPoints() {
  Track t = MakeTrack(kEffectRate, 0.45);
  Chime(t, 0, 79, 0.4, 0.05);
  Chime(t, 0.07, 86, 0.45, 0.09);
  AddThump(t, 0, 500, 250, 0.01, 0.15);
  return FinishMono(t, 0.65, 0.05);
}

}  // namespace audio
