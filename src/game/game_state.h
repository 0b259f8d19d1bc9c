// State of the game in play that other subsystems read.
#pragma once

#include <cstdint>

// Turns played in this game: 0 at its start, one more after each turn while it goes on.
extern int32_t turnCount;
