// The game's pause that a touch cuts short, recorded like every other wait of a game.
#pragma once

#include <cstdint>

// Waits ms, or until a touch made after the call; the touch's x, or 1 when the time ran out.
int WaitOrTouch(uint32_t ms);
