// Every choice the player makes is a touch on one of four fixed lists of rectangles. A
// wait for a button is blocking: it pumps messages, hit-tests, redraws what its screen
// needs on every pass, and ends only with a choice; refused choices count as no touch.
#pragma once

#include <cstdint>

struct Button {
  const char* label;  // a list ends at the first null label
  int32_t x, y, width, height;
};

extern const Button MenuButtons[];
extern const Button LivesPickButtons[];
extern const Button TrueFalseButtons[];
extern const Button BoardButtons[];

inline constexpr int kCollectButton = 20;

int ChooseButton(const Button* list);
int ChooseMenuButton();
int ChooseLivesBox();
int ChooseTrueFalse();
int ChooseBoardButton();

// The list being waited on (null outside a wait) and a count of the waits started, so that a
// test or a bot player can see which screen is asking for a touch.
const Button* ActiveButtonWait();
uint32_t ButtonWaitSerial();
// Back to a program that has just started: no wait in progress.
void ResetButtonWaits();

// The parts of a wait, for tests.
void StartButtonWait(const Button* list);
int PollButtons(const Button* list);
void RefreshMenuStrip();
