// Stand-ins for the operations of the game, which is not built yet. Each announces itself on the
// debug output so a developer can see what ran (those called on every frame stay quiet); each is
// replaced by the real operation as its subsystem lands.
#pragma once

#include <cstdint>

void PlayGame();

// What the button waits ask of the game: the collect button's flash, the prize reached,
// the reveal tokens, the countdown (never running out here) and the question screen.
extern int32_t revealCount;
void AnimateCollectButton();
int32_t HighestPrizeReached();
uint32_t CountdownRemaining();
void TrueFalseRefresh();
