// The crowd under the floodlights, looped for the whole game. The loop is rendered longer than
// it plays and its tail is cross-faded into its head, so the last sample runs straight on into
// the first and the join cannot be heard.
#include <cmath>
#include <numbers>

#include "instruments.h"
#include "sound_recipes.h"

namespace audio {
namespace {

constexpr double kLoopSeconds = 6.0;
constexpr double kJoin = 0.5;  // seconds of cross-fade at the join

// Slow, smooth swells of the crowd's level.
double Swell(double s, double offset) {
  return 0.75 + 0.12 * std::sin(2 * std::numbers::pi * 0.13 * s + offset) +
         0.08 * std::sin(2 * std::numbers::pi * 0.31 * s + 2 * offset) +
         0.05 * std::sin(2 * std::numbers::pi * 0.71 * s + 3 * offset);
}

Track CrowdChannel(uint32_t seed, double seconds) {
  Track t = MakeTrack(kEffectRate, seconds);
  // The murmur: broad noise in the band of voices.
  Track low = MakeTrack(kEffectRate, seconds);
  AddNoise(low, 0, seconds, 1.0, {0.001, 0.001, 1.0, 0.001}, seed);
  Track mid = low;
  Filter(low, FilterMode::BandPass, 420, 0.8);
  Filter(mid, FilterMode::BandPass, 1250, 1.2);
  Mix(low, mid, 0.45);
  for (size_t i = 0; i < low.s.size(); ++i) {
    low.s[i] *= static_cast<float>(Swell(static_cast<double>(i) / low.rate, seed * 0.37));
  }
  Mix(t, low, 1.0);
  // Babble: many people talking at once.
  Rng rng(seed * 13 + 5);
  for (int i = 0; i < 70; ++i) {
    double at = rng.Range(0, seconds - 0.5);
    double len = rng.Range(0.12, 0.45);
    double hz = rng.Range(105, 290);
    CrowdVoice(t, at, len, hz, hz * rng.Range(0.85, 1.2), rng.Range(400, 850),
               rng.Range(1000, 2300), 0.05, seed + 101 * i);
  }
  // A few shouts and a patch of clapping.
  for (int i = 0; i < 3; ++i) {
    double at = rng.Range(0.3, seconds - 1.0);
    double hz = rng.Range(170, 320);
    CrowdVoice(t, at, rng.Range(0.3, 0.6), hz, hz * 1.25, 750, 1200, 0.1, seed + 977 * i);
  }
  double claps = rng.Range(1.0, seconds - 2.0);
  for (int i = 0; i < 10; ++i) {
    Clap(t, claps + i * 0.19 + 0.02 * rng.Uniform(), 0.12 + 0.02 * (i % 3), seed + 500 + i);
  }
  Filter(t, FilterMode::HighPass, 110, 0.7);
  Filter(t, FilterMode::LowPass, 3800, 0.7);
  return t;
}

// Loops `t` (rendered kJoin seconds longer than the loop): drops the head and blends the
// dropped head into the end with an equal-power cross-fade.
Track Loop(const Track& t) {
  size_t join = static_cast<size_t>(kJoin * t.rate);
  size_t length = t.s.size() - join;
  Track out;
  out.rate = t.rate;
  out.s.resize(length);
  for (size_t i = 0; i < length; ++i) out.s[i] = t.s[i + join];
  for (size_t k = 0; k < join; ++k) {
    double w = (k + 0.5) / join;
    size_t i = length - join + k;
    out.s[i] = static_cast<float>(std::sqrt(1 - w) * t.s[i + join] + std::sqrt(w) * t.s[k]);
  }
  return out;
}

}  // namespace

Sound MakeCrowdLoop() {
  double seconds = kLoopSeconds + kJoin;
  Track shared = CrowdChannel(5001, seconds);
  Track left = CrowdChannel(5002, seconds);
  Track right = CrowdChannel(5003, seconds);
  Mix(left, shared, 0.7);
  Mix(right, shared, 0.7);
  left = Loop(left);
  right = Loop(right);
  float peak = std::max(Peak(left), Peak(right));
  Gain(left, 0.4 / peak);
  Gain(right, 0.4 / peak);
  return StereoSound(left, right);
}

}  // namespace audio
