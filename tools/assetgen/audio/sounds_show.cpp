// Answers, prizes and fanfares: the sounds of the big moments of a game.
#include <cmath>
#include <numbers>

#include "instruments.h"
#include "sound_recipes.h"

namespace audio {
namespace {

void Chord(Track& t, double start, double length, std::initializer_list<int> notes, double amp) {
  for (int n : notes) Brass(t, start, length, n, amp);
}

}  // namespace

// Right answer: a bright rising bell arpeggio.
Sound MakeCorrect() {
  Track t = MakeTrack(kEffectRate, 1.05);
  const int notes[] = {72, 76, 79, 84};
  for (int i = 0; i < 4; ++i) Chime(t, i * 0.075, notes[i], 0.35, i == 3 ? 0.35 : 0.18);
  Chime(t, 0.3, 88, 0.15, 0.3);
  Reverb(t, 0.7, 0.25);
  return FinishMono(t, 0.8, 0.12);
}

// Wrong answer: a two-pulse buzzer.
Sound MakeIncorrect() {
  Track t = MakeTrack(kEffectRate, 0.8);
  for (int k = 0; k < 2; ++k) {
    Voice v;
    v.wave = Wave::Saw;
    v.hz = 116;
    v.amp = 0.5;
    v.detuneCents = 45;
    v.env = {0.005, 0.05, 0.85, 0.04};
    AddNote(t, k * 0.3, k == 0 ? 0.2 : 0.35, v);
    v.wave = Wave::Square;
    v.hz = 87;
    v.amp = 0.3;
    AddNote(t, k * 0.3, k == 0 ? 0.2 : 0.35, v);
  }
  Filter(t, FilterMode::LowPass, 1900, 0.8);
  SoftClip(t, 2.0);
  return FinishMono(t, 0.75, 0.04);
}

// Wrong answer with the donkey: "hee-haw, hee-haw".
Sound MakeDonkeyBray() {
  Track t = MakeTrack(kEffectRate, 1.5);
  struct Part {
    double at, len, hz, hzEnd, f1, f2;
    bool inhale;
  };
  const Part parts[] = {
      {0.00, 0.26, 560, 860, 1100, 2600, true},
      {0.29, 0.33, 300, 210, 700, 1150, false},
      {0.66, 0.24, 600, 880, 1100, 2600, true},
      {0.93, 0.45, 290, 190, 700, 1150, false},
  };
  Rng rng(221);
  for (const Part& p : parts) {
    Voice v;
    v.wave = Wave::Saw;
    v.hz = p.hz;
    v.hzEnd = p.hzEnd;
    v.amp = 1.0;
    v.env = {0.03, 0.08, 0.85, 0.05};
    v.vibratoHz = p.inhale ? 23 : 17;
    v.vibratoSemis = p.inhale ? 0.8 : 1.2;
    Track src = MakeTrack(t.rate, p.len + 0.08);
    AddNote(src, 0, p.len, v);
    // A rasp: the voice breaks up at a rough, irregular rate.
    double phase = 0;
    for (size_t i = 0; i < src.s.size(); ++i) {
      phase += (38 + 10 * rng.Bipolar()) / src.rate;
      src.s[i] *= static_cast<float>(0.6 + 0.4 * std::sin(2 * std::numbers::pi * phase));
    }
    AddNoise(src, 0, p.len, p.inhale ? 0.5 : 0.3, v.env, 300 + static_cast<uint32_t>(p.at * 100));
    Track a = src;
    Track b = src;
    Filter(a, FilterMode::BandPass, p.f1, 3.0);
    Filter(b, FilterMode::BandPass, p.f2, 4.0);
    Mix(a, b, 0.7);
    Mix(a, src, 0.08);
    Mix(t, a, p.inhale ? 0.8 : 1.0, p.at);
  }
  SoftClip(t, 1.5);
  return FinishMono(t, 0.8, 0.05);
}

// Question hexagon: a quiz sting that ends on an open, questioning chord.
Sound MakeTrueOrFalse() {
  Track t = MakeTrack(kEffectRate, 1.0);
  Chime(t, 0.0, 72, 0.3, 0.12);
  Chime(t, 0.12, 79, 0.3, 0.12);
  Chime(t, 0.24, 77, 0.3, 0.4);
  Chord(t, 0.24, 0.4, {65, 70, 72}, 0.12);
  Reverb(t, 0.6, 0.2);
  return FinishMono(t, 0.75, 0.15);
}

// Double or quits: a snare roll building to a stab.
Sound MakeDoubleOrQuits() {
  Track t = MakeTrack(kEffectRate, 1.4);
  const int hits = 18;
  for (int i = 0; i < hits; ++i) {
    double at = i * 0.045;
    Snare(t, at, 0.15 + 0.35 * i / hits, 400 + i);
  }
  Voice swell;
  swell.wave = Wave::Saw;
  swell.hz = NoteHz(43);
  swell.amp = 0.3;
  swell.detuneCents = 12;
  swell.env = {0.7, 0.1, 1.0, 0.05};
  AddNote(t, 0, 0.8, swell);
  Kick(t, 0.82, 0.8);
  Chord(t, 0.82, 0.3, {55, 62, 67}, 0.2);
  Crash(t, 0.82, 0.25, 499);
  Filter(t, FilterMode::LowPass, 6000, 0.7);
  return FinishMono(t, 0.8, 0.12);
}

// A big points hexagon: coins cascading up into a bright chord.
Sound MakeBigPoints() {
  Track t = MakeTrack(kEffectRate, 1.0);
  const int run[] = {72, 76, 79, 84, 88, 91};
  for (int i = 0; i < 6; ++i) Chime(t, i * 0.035, run[i], 0.25, 0.08);
  Chord(t, 0.21, 0.35, {72, 76, 79, 84}, 0.12);
  Chime(t, 0.21, 96, 0.2, 0.25);
  Track sparkle = MakeTrack(kEffectRate, 1.0);
  AddNoise(sparkle, 0.2, 0.05, 0.3, {0.005, 0.4, 0.0, 0.1}, 91);
  Filter(sparkle, FilterMode::HighPass, 7000, 0.7);
  Mix(t, sparkle, 1.0);
  Reverb(t, 0.65, 0.2);
  return FinishMono(t, 0.8, 0.12);
}

// A boot hexagon: a ball struck with a boot, then a coin dropping into the pot.
Sound MakeBootKick() {
  Track t = MakeTrack(kEffectRate, 0.65);
  AddThump(t, 0, 170, 55, 0.06, 0.9);
  Track slap = MakeTrack(kEffectRate, 0.05);
  AddNoise(slap, 0, 0.004, 1.0, {0.0005, 0.015, 0.0, 0.005}, 17);
  Filter(slap, FilterMode::BandPass, 1400, 1.0);
  Mix(t, slap, 0.8);
  Chime(t, 0.2, 91, 0.25, 0.06);
  Chime(t, 0.28, 94, 0.2, 0.12);
  return FinishMono(t, 0.8, 0.05);
}

// The cashpot won: a fanfare over a cheering crowd.
Sound MakeCashpotWin() {
  Track t = MakeTrack(kEffectRate, 1.6);
  Brass(t, 0.0, 0.1, 67, 0.45);
  Brass(t, 0.12, 0.1, 67, 0.45);
  Brass(t, 0.24, 0.1, 72, 0.45);
  Chord(t, 0.36, 0.7, {60, 64, 67, 72}, 0.18);
  Kick(t, 0.36, 0.6);
  Crash(t, 0.36, 0.3, 181);
  Cheer(t, 0.1, 1.4, 0.4, 182);
  Reverb(t, 0.6, 0.15);
  return FinishMono(t, 0.85, 0.15);
}

// A prize of the win plan reached: a short "ta-da".
Sound MakeWinPlanPrize() {
  Track t = MakeTrack(kEffectRate, 1.1);
  Chord(t, 0.0, 0.12, {62, 67, 71}, 0.18);
  Chord(t, 0.16, 0.55, {64, 67, 72, 76}, 0.18);
  Chime(t, 0.16, 88, 0.15, 0.3);
  Reverb(t, 0.6, 0.18);
  return FinishMono(t, 0.8, 0.12);
}

// Start of a game: a till drawer clunks open and its bell rings.
Sound MakeBanking() {
  Track t = MakeTrack(kEffectRate, 1.0);
  Track clunk = MakeTrack(kEffectRate, 0.3);
  AddNoise(clunk, 0, 0.05, 1.0, {0.001, 0.06, 0.2, 0.05}, 91);
  Filter(clunk, FilterMode::LowPass, 1800, 0.9);
  AddThump(clunk, 0, 220, 80, 0.03, 0.8);
  Mix(t, clunk, 0.6);
  AddBell(t, 0.12, Bell{2637, 1.41, 1.6, 0.35, 0.3, 0.001});
  AddBell(t, 0.12, Bell{3136, 1.41, 1.2, 0.25, 0.25, 0.001});
  Rng rng(93);
  for (int i = 0; i < 6; ++i)
    Chime(t, 0.2 + i * 0.05 + 0.02 * rng.Uniform(), 96 + i % 3, 0.08, 0.03);
  return FinishMono(t, 0.8, 0.1);
}

// A prize-show flourish: a rising brass run into a held chord with a cymbal.
Sound MakePrizeShow() {
  Track t = MakeTrack(kEffectRate, 1.9);
  const int run[] = {60, 62, 64, 65, 67, 69, 71};
  for (int i = 0; i < 7; ++i) Brass(t, i * 0.06, 0.05, run[i], 0.45);
  Chord(t, 0.45, 0.9, {60, 64, 67, 72}, 0.16);
  Kick(t, 0.45, 0.6);
  Crash(t, 0.45, 0.3, 81);
  for (int i = 0; i < 4; ++i) Chime(t, 0.5 + i * 0.1, 84 + 3 * i, 0.12, 0.2);
  Reverb(t, 0.7, 0.2);
  return FinishMono(t, 0.85, 0.2);
}

// Game over: a gentle "wah-wah-wah-waaah", about as long as the game-over clip.
Sound MakeGameOver() {
  Track t = MakeTrack(kEffectRate, 2.7);
  const double starts[] = {0.0, 0.45, 0.9, 1.35};
  const double lengths[] = {0.38, 0.38, 0.38, 1.05};
  const int notes[] = {55, 54, 53, 52};
  for (int i = 0; i < 4; ++i) {
    Voice v;
    v.wave = Wave::Saw;
    v.hz = NoteHz(notes[i]);
    v.amp = i == 3 ? 0.4 : 0.5;
    v.detuneCents = 6;
    v.env = {0.04, 0.1, 0.85, 0.12};
    if (i == 3) {
      v.vibratoHz = 5.5;
      v.vibratoSemis = 0.35;
      v.env.release = 0.25;
    }
    Track note = MakeTrack(kEffectRate, lengths[i] + 0.3);
    AddNote(note, 0, lengths[i], v);
    double len = lengths[i];
    SweepFilter(
        note, FilterMode::LowPass,
        [len](double s) {
          double wah = std::sin(std::numbers::pi * std::min(1.0, s / len));
          return 350 + 1300 * wah;
        },
        2.0);
    Mix(t, note, 1.0, starts[i]);
  }
  Reverb(t, 0.6, 0.2);
  return FinishMono(t, 0.7, 0.3);
}

}  // namespace audio
