#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace audio {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Band-limited step correction for the saw and square edges.
double PolyBlep(double p, double dt) {
  if (p < dt) {
    double x = p / dt;
    return x + x - x * x - 1.0;
  }
  if (p > 1.0 - dt) {
    double x = (p - 1.0) / dt;
    return x * x + x + x + 1.0;
  }
  return 0.0;
}

double Oscillator(Wave w, double p, double dt, double width) {
  switch (w) {
    case Wave::Sine:
      return std::sin(kTwoPi * p);
    case Wave::Triangle:
      return 4.0 * std::fabs(p - 0.5) - 1.0;
    case Wave::Saw:
      return 2.0 * p - 1.0 - PolyBlep(p, dt);
    case Wave::Square: {
      double v = p < 0.5 ? 1.0 : -1.0;
      return v + PolyBlep(p, dt) - PolyBlep(std::fmod(p + 0.5, 1.0), dt);
    }
    case Wave::Pulse: {
      double v = p < width ? 1.0 : -1.0;
      v += PolyBlep(p, dt) - PolyBlep(std::fmod(p + 1.0 - width, 1.0), dt);
      return v - (2.0 * width - 1.0);
    }
  }
  return 0.0;
}

double HeldLevel(const Envelope& e, double t) {
  if (t < e.attack) return t / e.attack;
  double x = (t - e.attack) / std::max(e.decay, 1e-6);
  if (x >= 1.0) return e.sustain;
  return e.sustain + (1.0 - e.sustain) * (1.0 - x) * (1.0 - x);
}

struct Biquad {
  double b0, b1, b2, a1, a2;
};

Biquad Design(FilterMode mode, double hz, double q, int rate) {
  double w0 = kTwoPi * std::min(hz, rate * 0.45) / rate;
  double alpha = std::sin(w0) / (2.0 * q);
  double c = std::cos(w0);
  double b0, b1, b2;
  switch (mode) {
    case FilterMode::LowPass:
      b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
      break;
    case FilterMode::HighPass:
      b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
      break;
    default:
      b0 = alpha, b1 = 0, b2 = -alpha;
      break;
  }
  double a0 = 1 + alpha;
  return {b0 / a0, b1 / a0, b2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

}  // namespace

Track MakeTrack(int rate, double seconds) {
  Track t;
  t.rate = rate;
  t.s.assign(static_cast<size_t>(std::max(0.0, seconds) * rate + 0.5), 0.0f);
  return t;
}

double Seconds(const Track& t) {
  return static_cast<double>(t.s.size()) / t.rate;
}

int SampleAt(const Track& t, double seconds) {
  return static_cast<int>(seconds * t.rate + 0.5);
}

uint32_t Rng::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

double Rng::Uniform() {
  return (Next() >> 8) * (1.0 / 16777216.0);
}

double Rng::Bipolar() {
  return Uniform() * 2.0 - 1.0;
}

double NoteHz(double midi) {
  return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

double EnvelopeAt(const Envelope& e, double t, double length) {
  if (t < 0) return 0;
  if (t < length) return HeldLevel(e, t);
  double y = (t - length) / std::max(e.release, 1e-6);
  if (y >= 1.0) return 0;
  return HeldLevel(e, length) * (1.0 - y) * (1.0 - y);
}

void AddNote(Track& t, double start, double length, const Voice& v) {
  int first = SampleAt(t, start);
  int count = static_cast<int>((length + v.env.release) * t.rate);
  double glide = v.hzEnd > 0 ? std::log(v.hzEnd / v.hz) : 0.0;
  double detune = std::pow(2.0, v.detuneCents / 1200.0);
  double p1 = 0, p2 = 0.37;
  for (int i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(first + i);
    if (at >= t.s.size()) break;
    double tau = static_cast<double>(i) / t.rate;
    double hz = v.hz * std::exp(glide * std::min(tau / length, 1.0));
    if (v.vibratoHz > 0) {
      hz *= std::pow(2.0, v.vibratoSemis * std::sin(kTwoPi * v.vibratoHz * tau) / 12.0);
    }
    double dt = hz / t.rate;
    double x = Oscillator(v.wave, p1, dt, v.pulseWidth);
    if (v.detuneCents != 0) {
      x = 0.5 * (x + Oscillator(v.wave, p2, dt * detune, v.pulseWidth));
      p2 = std::fmod(p2 + dt * detune, 1.0);
    }
    p1 = std::fmod(p1 + dt, 1.0);
    t.s[at] += static_cast<float>(x * v.amp * EnvelopeAt(v.env, tau, length));
  }
}

void AddBell(Track& t, double start, const Bell& b) {
  int first = SampleAt(t, start);
  int count = static_cast<int>(b.decay * 7.0 * t.rate);
  for (int i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(first + i);
    if (at >= t.s.size()) break;
    double tau = static_cast<double>(i) / t.rate;
    double index = b.index * std::exp(-tau / (b.decay * 0.6));
    double x = std::sin(kTwoPi * b.hz * tau + index * std::sin(kTwoPi * b.hz * b.ratio * tau));
    double level = std::min(1.0, tau / b.attack) * std::exp(-tau / b.decay);
    t.s[at] += static_cast<float>(x * level * b.amp);
  }
}

void AddNoise(Track& t, double start, double length, double amp, const Envelope& env,
              uint32_t seed) {
  Rng rng(seed);
  int first = SampleAt(t, start);
  int count = static_cast<int>((length + env.release) * t.rate);
  for (int i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(first + i);
    if (at >= t.s.size()) break;
    double tau = static_cast<double>(i) / t.rate;
    t.s[at] += static_cast<float>(rng.Bipolar() * amp * EnvelopeAt(env, tau, length));
  }
}

void AddThump(Track& t, double start, double hz, double hzEnd, double decay, double amp) {
  int first = SampleAt(t, start);
  int count = static_cast<int>(decay * 7.0 * t.rate);
  double phase = 0;
  for (int i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(first + i);
    if (at >= t.s.size()) break;
    double tau = static_cast<double>(i) / t.rate;
    double f = hzEnd + (hz - hzEnd) * std::exp(-tau * 35.0);
    phase = std::fmod(phase + f / t.rate, 1.0);
    double level = std::min(1.0, tau / 0.0015) * std::exp(-tau / decay);
    t.s[at] += static_cast<float>(std::sin(kTwoPi * phase) * level * amp);
  }
}

void Filter(Track& t, FilterMode mode, double hz, double q) {
  Biquad f = Design(mode, hz, q, t.rate);
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  for (float& v : t.s) {
    double x = v;
    double y = f.b0 * x + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
    x2 = x1, x1 = x, y2 = y1, y1 = y;
    v = static_cast<float>(y);
  }
}

void SweepFilter(Track& t, FilterMode mode, const std::function<double(double)>& hzAt, double q) {
  double ic1 = 0, ic2 = 0;
  double k = 1.0 / q;
  for (size_t i = 0; i < t.s.size(); ++i) {
    double hz = std::clamp(hzAt(static_cast<double>(i) / t.rate), 20.0, t.rate * 0.45);
    double g = std::tan(std::numbers::pi * hz / t.rate);
    double a1 = 1.0 / (1.0 + g * (g + k));
    double a2 = g * a1;
    double a3 = g * a2;
    double v0 = t.s[i];
    double v3 = v0 - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    double y = mode == FilterMode::LowPass    ? v2
               : mode == FilterMode::BandPass ? k * v1
                                              : v0 - k * v1 - v2;
    t.s[i] = static_cast<float>(y);
  }
}

void Echo(Track& t, double delay, double feedback, double mix) {
  size_t d = static_cast<size_t>(delay * t.rate);
  if (d == 0 || d >= t.s.size()) return;
  std::vector<float> wet(t.s.size(), 0.0f);
  for (size_t i = d; i < t.s.size(); ++i) {
    wet[i] = static_cast<float>(t.s[i - d] + feedback * wet[i - d]);
  }
  for (size_t i = 0; i < t.s.size(); ++i) t.s[i] += static_cast<float>(mix * wet[i]);
}

void Reverb(Track& t, double room, double mix) {
  static const double kCombMs[] = {29.7, 37.1, 41.1, 43.7};
  static const double kAllpassMs[] = {5.0, 1.7};
  std::vector<float> wet(t.s.size(), 0.0f);
  for (double ms : kCombMs) {
    size_t d = static_cast<size_t>(ms * 0.001 * t.rate);
    std::vector<float> line(d, 0.0f);
    double damp = 0;
    size_t pos = 0;
    for (size_t i = 0; i < t.s.size(); ++i) {
      double out = line[pos];
      damp = out * 0.6 + damp * 0.4;
      line[pos] = static_cast<float>(t.s[i] + damp * room);
      pos = (pos + 1) % d;
      wet[i] += static_cast<float>(out * 0.25);
    }
  }
  for (double ms : kAllpassMs) {
    size_t d = static_cast<size_t>(ms * 0.001 * t.rate);
    std::vector<float> line(d, 0.0f);
    size_t pos = 0;
    for (float& v : wet) {
      double buffered = line[pos];
      double in = v;
      line[pos] = static_cast<float>(in + buffered * 0.5);
      v = static_cast<float>(buffered - in * 0.5);
      pos = (pos + 1) % d;
    }
  }
  for (size_t i = 0; i < t.s.size(); ++i) t.s[i] += static_cast<float>(mix * wet[i]);
}

void Mix(Track& into, const Track& from, double gain, double offset) {
  size_t first = static_cast<size_t>(std::max(0, SampleAt(into, offset)));
  for (size_t i = 0; i < from.s.size() && first + i < into.s.size(); ++i) {
    into.s[first + i] += static_cast<float>(gain * from.s[i]);
  }
}

void Gain(Track& t, double gain) {
  for (float& v : t.s) v = static_cast<float>(v * gain);
}

void SoftClip(Track& t, double drive) {
  double norm = 1.0 / std::tanh(drive);
  for (float& v : t.s) v = static_cast<float>(std::tanh(drive * v) * norm);
}

float Peak(const Track& t) {
  float peak = 0;
  for (float v : t.s) peak = std::max(peak, std::fabs(v));
  return peak;
}

void Normalise(Track& t, double peak) {
  float p = Peak(t);
  if (p > 0) Gain(t, peak / p);
}

void FadeEnds(Track& t, double fadeIn, double fadeOut) {
  size_t in = std::min(t.s.size(), static_cast<size_t>(fadeIn * t.rate));
  size_t out = std::min(t.s.size(), static_cast<size_t>(fadeOut * t.rate));
  for (size_t i = 0; i < in; ++i) {
    t.s[i] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * i / in));
  }
  for (size_t i = 0; i < out; ++i) {
    size_t at = t.s.size() - 1 - i;
    t.s[at] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * i / out));
  }
}

}  // namespace audio
