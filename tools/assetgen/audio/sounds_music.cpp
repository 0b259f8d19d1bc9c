// The menu tune: four bars of a terrace-chant melody over a driving beat, ending on a held
// chord and a cheer. Played once each time the menu settles.
#include <algorithm>

#include "instruments.h"
#include "sound_recipes.h"

namespace audio {
namespace {

constexpr double kBeat = 60.0 / 132.0;
constexpr double kTail = 0.9;
constexpr int kBeats = 16;

struct Note {
  double beat;
  double beats;
  int midi;
};

const Note kMelody[] = {
    {0, 0.5, 69},    {0.5, 0.5, 74}, {1, 1, 78},      {2, 0.5, 78},     {2.5, 0.5, 76},
    {3, 1, 74},      {4, 0.5, 71},   {4.5, 0.5, 74},  {5, 1, 79},       {6, 0.5, 79},
    {6.5, 0.5, 81},  {7, 1, 83},     {8, 0.75, 81},   {8.75, 0.25, 79}, {9, 0.5, 78},
    {9.5, 0.5, 76},  {10, 0.5, 73},  {10.5, 0.5, 76}, {11, 1, 81},      {12, 1.5, 86},
    {13.5, 0.5, 81}, {14, 2, 86},
};

// One chord and bass root per bar: D, G, A, D.
const int kChords[4][4] = {{62, 66, 69, 0}, {62, 67, 71, 0}, {61, 64, 69, 0}, {62, 66, 69, 74}};
const int kRoots[4] = {38, 43, 45, 38};

double At(double beat) {
  return beat * kBeat;
}

Track Lead(int rate, double seconds) {
  Track t = MakeTrack(rate, seconds);
  for (const Note& n : kMelody) {
    Voice v;
    v.wave = Wave::Pulse;
    v.pulseWidth = 0.3;
    v.hz = NoteHz(n.midi);
    v.amp = 0.22;
    v.env = {0.008, 0.12, 0.65, 0.08};
    v.detuneCents = 5;
    v.vibratoHz = 5.5;
    v.vibratoSemis = n.beats >= 1 ? 0.12 : 0.0;
    double len = n.beats * kBeat * (n.beat >= 14 ? 1.0 : 0.88);
    AddNote(t, At(n.beat), len, v);
  }
  Filter(t, FilterMode::LowPass, 5000, 0.7);
  return t;
}

Track Stabs(int rate, double seconds) {
  Track t = MakeTrack(rate, seconds);
  for (int bar = 0; bar < 4; ++bar) {
    for (int k = 0; k < 4; ++k) {
      double beat = bar * 4 + k + 0.5;
      if (bar == 3 && k >= 2) break;
      for (int n : kChords[bar]) {
        if (n) Brass(t, At(beat), kBeat * 0.3, n, 0.07);
      }
    }
  }
  for (int n : kChords[3]) Brass(t, At(14), kBeat * 2, n, 0.08);
  return t;
}

Track Bass(int rate, double seconds) {
  Track t = MakeTrack(rate, seconds);
  for (int eighth = 0; eighth < 28; ++eighth) {
    int root = kRoots[eighth / 8];
    Voice v;
    v.wave = Wave::Saw;
    v.hz = NoteHz(root + (eighth % 2 ? 12 : 0));
    v.amp = 0.3;
    v.env = {0.005, 0.08, 0.6, 0.04};
    AddNote(t, At(eighth * 0.5), kBeat * 0.42, v);
  }
  Voice last;
  last.wave = Wave::Saw;
  last.hz = NoteHz(38);
  last.amp = 0.3;
  last.env = {0.005, 0.3, 0.5, 0.5};
  AddNote(t, At(14), kBeat * 2, last);
  Filter(t, FilterMode::LowPass, 900, 0.9);
  return t;
}

void Drums(Track& centre, Track& side) {
  for (int beat = 0; beat < 15; ++beat) {
    if (beat == 13) continue;
    Kick(centre, At(beat), 0.36);
    if (beat % 2 == 1) {
      Snare(centre, At(beat), 0.22, 700 + beat);
      Clap(centre, At(beat), 0.15, 800 + beat);
    }
    if (beat < 14) HiHat(side, At(beat + 0.5), 0.18, 900 + beat);
  }
  Crash(side, At(12), 0.25, 990);
  Crash(side, At(14), 0.35, 991);
}

}  // namespace

Sound MakeMenuMusic() {
  const int rate = kEffectRate;
  double seconds = At(kBeats) + kTail;
  Track lead = Lead(rate, seconds);
  Track stabs = Stabs(rate, seconds);
  Track bass = Bass(rate, seconds);
  Track drums = MakeTrack(rate, seconds);
  Track hats = MakeTrack(rate, seconds);
  Drums(drums, hats);
  Track cheer = MakeTrack(rate, seconds);
  Cheer(cheer, At(14), seconds - At(14), 0.25, 1313);

  Track left = MakeTrack(rate, seconds);
  Track right = MakeTrack(rate, seconds);
  Mix(left, lead, 0.85);
  Mix(right, lead, 0.7);
  Mix(left, stabs, 0.4);
  Mix(right, stabs, 0.6);
  Mix(left, bass, 0.6);
  Mix(right, bass, 0.6);
  Mix(left, drums, 0.6);
  Mix(right, drums, 0.6);
  Mix(left, hats, 0.35);
  Mix(right, hats, 0.6);
  Mix(left, cheer, 0.55);
  Mix(right, cheer, 0.45);
  Reverb(left, 0.65, 0.18);
  Reverb(right, 0.68, 0.18);
  float peak = std::max(Peak(left), Peak(right));
  Gain(left, 0.8 / peak);
  Gain(right, 0.8 / peak);
  FadeEnds(left, 0.001, 0.4);
  FadeEnds(right, 0.001, 0.4);
  return StereoSound(left, right);
}

}  // namespace audio
