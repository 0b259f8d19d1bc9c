// Small sound-synthesis kit: a mono track of float samples and the oscillators, envelopes,
// noise, filters and effects the game's sounds are built from. Everything is deterministic:
// noise comes from a seeded generator, never from the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace audio {

// One channel of float samples in -1..1 at a fixed rate.
struct Track {
  int rate = 22050;
  std::vector<float> s;
};

Track MakeTrack(int rate, double seconds);
double Seconds(const Track& t);
int SampleAt(const Track& t, double seconds);

// Seeded xorshift generator.
struct Rng {
  uint32_t state;
  explicit Rng(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next();
  double Uniform();  // 0..1
  double Bipolar();  // -1..1
  double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
};

double NoteHz(double midi);

enum class Wave { Sine, Triangle, Square, Saw, Pulse };

// Attack / decay / sustain / release in seconds; the note holds for its length, then releases.
struct Envelope {
  double attack = 0.005;
  double decay = 0.05;
  double sustain = 0.7;
  double release = 0.05;
};
double EnvelopeAt(const Envelope& e, double t, double length);

// One pitched note: frequency glides exponentially from hz to hzEnd over the note's length.
struct Voice {
  Wave wave = Wave::Sine;
  double hz = 440;
  double hzEnd = 0;  // 0: no glide
  double amp = 0.5;
  Envelope env;
  double vibratoHz = 0;
  double vibratoSemis = 0;
  double pulseWidth = 0.25;  // for Wave::Pulse
  double detuneCents = 0;    // a second oscillator this far above, mixed equally
};

// Adds a note starting at `start` seconds, held for `length`, then its release.
void AddNote(Track& t, double start, double length, const Voice& v);

// Two-operator FM note (bells, chimes, metallic pings); the index decays with `decay`.
struct Bell {
  double hz = 880;
  double ratio = 1.4;
  double index = 2.0;
  double amp = 0.4;
  double decay = 0.4;  // seconds for the amplitude to fall by e
  double attack = 0.002;
};
void AddBell(Track& t, double start, const Bell& b);

// White noise shaped by an envelope.
void AddNoise(Track& t, double start, double length, double amp, const Envelope& env,
              uint32_t seed);

// Sine drum: pitch falls from hz to hzEnd, amplitude decays exponentially.
void AddThump(Track& t, double start, double hz, double hzEnd, double decay, double amp);

// Filters, applied in place over the whole track.
enum class FilterMode { LowPass, HighPass, BandPass };
void Filter(Track& t, FilterMode mode, double hz, double q);
// A state-variable filter whose cutoff follows `hzAt(seconds)`.
void SweepFilter(Track& t, FilterMode mode, const std::function<double(double)>& hzAt, double q);

// Effects and levels.
void Echo(Track& t, double delay, double feedback, double mix);
void Reverb(Track& t, double room, double mix);
// Adds `from` into `into` from `offset` seconds on; whatever runs past the end is dropped.
void Mix(Track& into, const Track& from, double gain, double offset = 0);
void Gain(Track& t, double gain);
void SoftClip(Track& t, double drive);
void Normalise(Track& t, double peak);
void FadeEnds(Track& t, double fadeIn, double fadeOut);
float Peak(const Track& t);

}  // namespace audio
