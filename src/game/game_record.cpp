#include "game/game_record.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "accounting/accounting.h"
#include "accounting/game_journal.h"
#include "accounting/game_steps.h"
#include "accounting/money_link.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_flow.h"
#include "game/lives.h"
#include "game/points.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "questions/question_packs.h"
#include "shell/entry.h"
#include "shell/timing.h"

namespace {

std::function<void()> gStartHook;
std::function<void(WaitOn, uint32_t)> gTouchSource;
bool gRecording = false;
bool gRecordSteps = true;
uint32_t gGameStart = 0;  // the game's clock at its start
uint32_t gWaitMs = 0;     // into the current wait, at its last pass
int32_t gWaitLeft = 0;    // the countdown's time left as the last wait ended
bool gHexAtTimeOut = false;
steps::Fields gQuestion;  // the question of the turn in play, empty for none

const char* const kWaitNames[] = {"pick", "board", "answer", "touch"};

std::string N(int64_t n) {
  return std::to_string(n);
}

std::string FloatBits(float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  return N(bits);
}

uint32_t GameMs() {
  return LastClockReading() - gGameStart;
}

void Step(const char* kind, const steps::Fields& fields) {
  JournalStep(kind, GameMs(), steps::Encode(fields));
}

// The countdown's time left at the last reading of the clock, without reading it again.
int32_t CountdownLeft() {
  const CountdownState& c = Countdown();
  int32_t r = c.remaining;
  if (c.running) r -= static_cast<int32_t>(LastClockReading() - c.resumeTime);
  return r < 0 ? 0 : r;
}

const char* FeatureName(int32_t type) {
  if (PointsOfType(type) > 0) return "points";
  switch (type) {
    case kHexQuestion:
      return "question";
    case kHexDoubleOrQuits:
      return "double or quits";
    case kHexBoot:
      return "boot";
    case kHexExtraLife:
      return "extra life";
    case kHexReveal:
      return "reveal";
    default:
      return "none";
  }
}

steps::Fields Counts() {
  return {{"lives", N(lives)},
          {"reveals", N(revealCount)},
          {"boots", N(bootCount)},
          {"cashpot", N(GetCashpot())},
          {"prize", N(HighestPrizeReached())}};
}

}  // namespace

void SetGameStartHook(std::function<void()> hook) {
  gStartHook = std::move(hook);
}

void SetTouchSource(std::function<void(WaitOn, uint32_t)> source) {
  gTouchSource = std::move(source);
}

void RecordSteps(bool on) {
  gRecordSteps = on;
}

bool RecordingGame() {
  return gRecording;
}

void RecordGameStart() {
  if (gStartHook) gStartHook();
  // The game's frames are paced from its start, whatever the menu's last frame was.
  ResetPresentPacing();
  gGameStart = timeGetTime();
  gRecording = gRecordSteps;
  if (!gRecording) return;
  gQuestion.clear();
  JournalStepsBegin();
  const MoneySeen& m = LastMoneySeen();
  Step("start", {{"stake", N(StakePerGame)},
                 {"credits", N(m.credits)},
                 {"bank", N(m.bank)},
                 {"cashpot", N(GetCashpot())},
                 {"played", N(GetGamesPlayed())},
                 {"rng", N(RandomState())},
                 // The previous game's start pick leaves the bonus hexagons this game's
                 // board is made with.
                 {"bonus", N(bonusBudget)},
                 {"b0", FloatBits(Balances[0])},
                 {"b1", FloatBits(Balances[1])}});
}

void RecordModes() {
  const ControlTable& c = controlTable;
  Step("modes", {{"level", N(c.controlLevel)},
                 {"preview", N(c.controlModePreview)},
                 {"question", N(c.controlModeQuestion)},
                 {"lives", N(c.controlModeLives)},
                 {"grid", N(c.controlModeGrid)},
                 {"plan", N(c.controlModeWinPlan)}});
}

uint32_t WaitStarted() {
  gWaitMs = 0;
  return LastClockReading();
}

void WaitPass(WaitOn on, uint32_t waitStart) {
  if (!gRecording) return;
  gWaitMs = LastClockReading() - waitStart;
  if (gTouchSource) gTouchSource(on, gWaitMs);
}

void RecordWait(WaitOn on, int result, int x, int y) {
  if (!gRecording) return;
  steps::Fields f = {{"on", kWaitNames[static_cast<int>(on)]},
                     {"result", N(result)},
                     {"x", N(x)},
                     {"y", N(y)},
                     {"ms", N(gWaitMs)}};
  gWaitLeft = CountdownLeft();
  if (on != WaitOn::kTouch) f.push_back({"left", N(gWaitLeft)});
  if (on == WaitOn::kBoard || on == WaitOn::kAnswer) f.push_back({"turn", N(turnCount + 1)});
  Step("wait", f);
}

void RecordPick(int box, bool atTimeOut, int livesDrawn) {
  if (!gRecording) return;
  Step("pick", {{"box", N(box)}, {"by", atTimeOut ? "time" : "touch"}, {"lives", N(livesDrawn)}});
}

void NoteHexagonAtTimeOut(bool atTimeOut) {
  gHexAtTimeOut = atTimeOut;
}

void NoteQuestion(const char* answer, bool right) {
  gQuestion = {{"pack", N(GetQuestionPack())},   {"line", N(GetQuestionLine())},
               {"truth", N(GetCorrectAnswer())}, {"answer", answer},
               {"right", right ? "1" : "0"},     {"left", N(gWaitLeft)},
               {"text", GetQuestionText()}};
}

void RecordTurn(int32_t pointsBefore) {
  if (!gRecording) return;
  const int32_t type = axHexagons[selectedHexagon].type;
  steps::Fields f = {{"turn", N(turnCount + 1)},
                     {"hex", N(selectedHexagon)},
                     {"by", gHexAtTimeOut ? "time" : "touch"},
                     {"feature", FeatureName(type)}};
  if (PointsOfType(type) > 0) f.push_back({"value", N(PointsOfType(type))});
  f.insert(f.end(), gQuestion.begin(), gQuestion.end());
  f.push_back({"points0", N(pointsBefore)});
  f.push_back({"points", N(points)});
  const steps::Fields counts = Counts();
  f.insert(f.end(), counts.begin(), counts.end());
  Step("turn", f);
  gQuestion.clear();
  gHexAtTimeOut = false;
}

void RecordCollect() {
  if (!gRecording) return;
  Step("collect", {{"turn", N(turnCount + 1)}, {"prize", N(winAmount)}});
}

void RecordGameEnd(const char* outcome) {
  if (!gRecording) return;
  const MoneySeen& m = LastMoneySeen();
  steps::Fields f = {{"outcome", outcome}, {"win", N(winAmount)}, {"points", N(points)}};
  const steps::Fields counts = Counts();
  f.insert(f.end(), counts.begin(), counts.end());
  f.push_back({"credits", N(m.credits)});
  f.push_back({"bank", N(m.bank)});
  gRecording = false;
  Step("end", f);
}

void StopRecording() {
  gRecording = false;
}
