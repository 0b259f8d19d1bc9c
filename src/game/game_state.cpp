#include "game/game_state.h"

int32_t turnCount = 0;
