// One timed true-or-false question: the question screen, the statement typed into its
// box, 20 seconds that start only once it is on screen, the answer scored and shown.
#pragma once

#include <cstdint>

// 1 (right, the game plays on) or 5 (wrong or too late: one life taken).
int32_t TrueFalseQuestion();
// The question screen's redraw on every pass of its button wait.
void TrueFalseRefresh();
