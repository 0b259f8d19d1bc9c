// What a game records as it is played, step by step (the game journal keeps it): the
// state it starts from, each wait's result with the moment it came, each turn with its
// question and the counts after it, and the end. A replay feeds the same results back at
// the same moments through the touch source.
#pragma once

#include <cstdint>
#include <functional>

// The waits a game records.
enum class WaitOn : uint8_t { kPick, kBoard, kAnswer, kTouch };

// Run first thing in every game, as its stake is about to be asked for and before anything
// is drawn at random (a simulation sets its clock's pace here; a replay sets the state the
// record starts from).
void SetGameStartHook(std::function<void()> hook);
// Asked on every pass of a wait in a game, before the wait looks at the touch: a replay
// sets TouchX and TouchY when the record has a touch at this moment. Null in the game.
void SetTouchSource(std::function<void(WaitOn on, uint32_t msIntoWait)> source);

// Whether games record their steps (on unless a benchmark turns it off to measure its cost).
void RecordSteps(bool on);
// Whether a game is being recorded (from its start to its end).
bool RecordingGame();

// The game's start, before its stake is asked for: the generator, the balances, the
// cashpot, the games played, and credits and bank as the menu last saw them.
void RecordGameStart();
void RecordModes();
// The wait's start, and each of its passes: the moment, and a replay's touch.
uint32_t WaitStarted();
void WaitPass(WaitOn on, uint32_t waitStart);
// The result of a wait: the button (or the time-out code), where the touch was, how long
// into the wait, and the countdown's time left then.
void RecordWait(WaitOn on, int result, int x, int y);
void RecordPick(int box, bool atTimeOut, int lives);
void NoteHexagonAtTimeOut(bool atTimeOut);
// The question just answered: "true", "false", "reveal" or "time", and whether right.
void NoteQuestion(const char* answer, bool right);
void RecordTurn(int32_t pointsBefore);
void RecordCollect();
void RecordGameEnd(const char* outcome);
// Back to a program that has just started: no game recorded.
void StopRecording();
