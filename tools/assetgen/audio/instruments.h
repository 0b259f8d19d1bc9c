// Instruments built from the synthesis kit, shared by the effects, fanfares and the menu tune.
#pragma once

#include <cstdint>

#include "synth.h"

namespace audio {

// Brassy saw note whose brightness opens with the attack, as in a fanfare.
void Brass(Track& t, double start, double length, double midi, double amp);
// Clear metallic ping: a coin, a till bell, a sparkle.
void Chime(Track& t, double start, double midi, double amp, double decay);
// Drums.
void Kick(Track& t, double start, double amp);
void Snare(Track& t, double start, double amp, uint32_t seed);
void HiHat(Track& t, double start, double amp, uint32_t seed);
void Crash(Track& t, double start, double amp, uint32_t seed);
// One pitched crowd voice: a buzzing tone through two vowel formants.
void CrowdVoice(Track& t, double start, double length, double hz, double hzEnd, double formant1,
                double formant2, double amp, uint32_t seed);
// A stadium cheer swelling up over `length`, then dying away.
void Cheer(Track& t, double start, double length, double amp, uint32_t seed);
// One hand clap.
void Clap(Track& t, double start, double amp, uint32_t seed);

}  // namespace audio
