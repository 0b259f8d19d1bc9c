// The player's spare lives and reveal tokens with their animated displays at the foot of
// the screen, the start pick that gives the lives, and the redraw of the side panel.
#pragma once

#include <cstdint>

inline constexpr int32_t kMaxLives = 5;
inline constexpr uint8_t kMaxReveals = 5;

extern int32_t lives;        // -1..5; -1: a wrong answer came with no life left
extern uint8_t revealCount;  // 0..5

// The lives at the pick and the bonus hexagons, by lives mode 1..5 (controlModeLives + 1).
struct LivesDraw {
  int32_t lives;
  int32_t bonusBudget;
};
LivesDraw DrawLivesForMode(int mode);

void StartLivesPick();
void ChangeLives(uint16_t n, bool gain);
void ChangeReveals(uint16_t n, bool gain);
void RefreshSidePanel();
