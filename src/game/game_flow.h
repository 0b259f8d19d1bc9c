// One paid game from its set-up to its end: turns in which the player touches a hexagon
// and its feature runs, until the lives run out, the points reach 1,000,000 or the
// player collects a prize; then the prize screen and payment, or the game-over clip.
#pragma once

#include <cstdint>

enum GameStateValue : uint8_t {
  GameLost = 0,
  GamePlaying = 1,
  GameWon = 2,
  GameWrongAnswer = 5,
};

extern uint8_t GameState;
extern int32_t turnCount;  // turns taken in this game; the question packs read it
extern int32_t selectedHexagon;
extern int32_t lastPrizeReached;
extern bool prizeMeterDone;

int PlayGame();
// How the game just played ended, in the game journal's words: lost, won or cut short (the
// screen failed with no prize reached).
const char* GameOutcome();
uint8_t GetGameState();
void SetGameState(uint8_t value);
int PlayRounds();
bool PlayTurn();
uint8_t ChooseHexagon();
void ResolveHexagon();
void ShowPrizeWon(int32_t amount);
void ShowGameOver();

// The frame of prizevalues.BMP that shows a prize below 2000 pence, 0 for an amount
// the prize screen has no picture for (it then shows no count-down).
int PrizeScreenFrame(int32_t amount);

// Back to a program that has just started: no game played yet.
void ResetGame();
