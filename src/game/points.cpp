#include "game/points.h"

#include <cstdio>

#include "game/board.h"
#include "graphics/fonts.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "shell/timing.h"
#include "sound/sound.h"

int32_t points = 0;
WinPlanRung winPlan[kRungs];

// The thresholds are the same in every plan; the prizes of the rungs that can carry one
// are the arguments, top rung first.
#define STRIKORA_PLAN(p19, p17, p16, p15, p13, p12, p11, p9, p7, p6)                              \
  {                                                                                               \
    1000000, p19, 750000, 0, 500000, p17, 450000, p16, 400000, p15, 350000, 0, 300000, p13,       \
        250000, p12, 200000, p11, 175000, 0, 150000, p9, 125000, 0, 100000, p7, 75000, p6, 50000, \
        0, 40000, 0, 30000, 0, 20000, 0, 10000, 0, 7500, 0                                        \
  }
const int32_t winPlanRows[kWinPlans][kRungs * 2] = {
    STRIKORA_PLAN(500, 400, 300, 0, 200, 0, 100, 0, 0, 0),
    STRIKORA_PLAN(500, 400, 300, 0, 200, 0, 100, 0, 0, 0),
    STRIKORA_PLAN(500, 400, 0, 300, 0, 0, 200, 0, 100, 0),
    STRIKORA_PLAN(500, 0, 0, 0, 400, 0, 300, 200, 0, 100),
    STRIKORA_PLAN(1000, 0, 600, 0, 0, 500, 400, 300, 200, 100),
};
#undef STRIKORA_PLAN

namespace {

constexpr int kPanelLeft = layout::kPlanX, kPanelTop = layout::kPlanY,
              kPanelRight = kFullScreen.right, kPanelBottom = kFullScreen.bottom;
constexpr int kBelowLadder = kFullScreen.bottom;  // the pointer's place while no rung is reached

int RungsReached(int32_t value) {
  int n = 0;
  for (const WinPlanRung& r : winPlan)
    if (r.threshold <= value) ++n;
  return n;
}

// Where the pointer stands for a points value: beside the top rung reached, or below
// the ladder.
int PointerY(int32_t value) {
  if (value < winPlan[0].threshold) return kBelowLadder;
  return winPlan[TopRungReached(value)].y - layout::kPointerRise;
}

void DrawPointerAt(int y) {
  DrawSprite(GraphicSprite(kGraphicPointer), 0, kPanelLeft, y, nullptr, 2);
}

}  // namespace

int32_t GetPoints() {
  return points;
}

void SetPoints(int32_t value) {
  points = value > kMaxPoints ? kMaxPoints : value;
}

int32_t HighestPrizeReached() {
  int32_t best = 0;
  for (const WinPlanRung& r : winPlan)
    if (r.threshold <= points && r.prize > best) best = r.prize;
  return best;
}

int32_t TopRungReached(int32_t value) {
  return RungsReached(value) - 1;
}

void DrawPointer() {
  int n = RungsReached(points);
  if (points >= winPlan[0].threshold) DrawPointerAt(winPlan[n - 1].y - layout::kPointerRise);
}

std::string FormatPoints(int32_t v) {
  char text[20];
  auto d = [v](int32_t power) { return static_cast<int>(v / power % 10); };
  if (v < 1000)
    std::snprintf(text, sizeof text, "%d", v);
  else if (v < 10000)
    std::snprintf(text, sizeof text, "%d\\,%d%d%d", d(1000), d(100), d(10), d(1));
  else if (v < 100000)
    std::snprintf(text, sizeof text, "%d%d\\,%d%d%d", d(10000), d(1000), d(100), d(10), d(1));
  else if (v < 1000000)
    std::snprintf(text, sizeof text, "%d%d%d\\,%d%d%d", d(100000), d(10000), d(1000), d(100), d(10),
                  d(1));
  else
    std::snprintf(text, sizeof text, "%d\\,%d%d%d\\,%d%d%d", d(1000000), d(100000), d(10000),
                  d(1000), d(100), d(10), d(1));
  return text;
}

void DrawPointsValue(int32_t value) {
  DrawSprite(GraphicSprite(kGraphicPointsBox), 0, layout::kPointsX, 0, nullptr, 0);
  textOptions.centre = true;
  DrawText(FormatPoints(value).c_str(), layout::kPointsTextX, layout::kPointsTextY,
           layout::kPointsTextW, layout::kPointsTextH, kGraphicPointsBoxFont);
}

void DrawPoints() {
  DrawPointsValue(points);
}

void DrawRungPoints(int32_t value, int x, int y) {
  textOptions.centre = true;
  DrawText(FormatPoints(value).c_str(), x, y, layout::kRungTextW, layout::kRungTextH,
           kGraphicWinPlanFont);
}

int PrizeLabelFrame(int32_t prize) {
  static const int32_t kLabelled[] = {100, 200, 300, 400, 500, 600, 1000, 2000};
  for (int i = 0; i < 8; ++i)
    if (kLabelled[i] == prize) return i;
  return -1;
}

void ClearWinPlan() {
  for (WinPlanRung& r : winPlan) r = WinPlanRung{};
}

void BuildWinPlan(int plan) {
  if (plan < 0 || plan >= kWinPlans) plan = 0;
  ClearWinPlan();
  for (int i = 0; i < kRungs; ++i) {
    WinPlanRung& r = winPlan[i];
    r.x = layout::kPlanX;
    r.y = layout::RungY(i);
    r.threshold = winPlanRows[plan][2 * (19 - i)];
    r.prize = winPlanRows[plan][2 * (19 - i) + 1];
    r.prizeX = layout::kPrizeX;
    r.prizeY = r.y - layout::kPrizeRise;
  }
}

void DrawWinPlanPanel() {
  DrawSprite(GraphicSprite(kGraphicWinPlanBack), 0, kPanelLeft, kPanelTop, nullptr, 2);
  for (const WinPlanRung& r : winPlan) {
    int label = PrizeLabelFrame(r.prize);
    if (label >= 0)
      DrawSprite(GraphicSprite(kGraphicWinValues), label, r.prizeX, r.prizeY, nullptr, 2);
    DrawTeamNames();
    DrawRungPoints(r.threshold, r.x + (layout::kRungTextX - layout::kPlanX), r.y);
  }
}

void RestoreWinPlanPanel() {
  RestoreRect(2, 0, 0, 1, kPanelLeft, kPanelTop, kPanelRight, kPanelBottom);
}

void ChangePoints(int32_t iAmount, bool add) {
  DebugPrint("iAmount = %d\n", iAmount);
  if (iAmount < 0) iAmount = 0;
  if (add && points + iAmount > kMaxPoints) iAmount = kMaxPoints - points;
  // Points never go below 0: a loss takes at most what there is.
  if (!add && iAmount > points) iAmount = points;
  int32_t factor = iAmount / 20;
  if (!add) factor = -factor;
  DebugPrint("Factor = %d\n", factor);
  int32_t localPoints = points;
  int32_t endTarget;
  int start, step;
  if (add) {
    endTarget = localPoints + iAmount;
    DebugPrint("LocalPoints = %d\n", localPoints);
    DebugPrint("iAmount = %d\n", iAmount);
    DebugPrint("EndTarget = %d\n", endTarget);
    start = PointerY(localPoints);
    step = (start - PointerY(endTarget)) / 20;
  } else {
    endTarget = localPoints - iAmount;
    start = PointerY(localPoints);
    step = (kBelowLadder - start) / 20;
  }
  StartSound(add ? kSoundAddPoints : kSoundLosePoints);

  // Twenty steps: the counter runs through the values between while the pointer slides.
  // An amount that is not a multiple of 20 ends on its target at the twentieth step.
  int y = start;
  for (int steps = 1;; ++steps) {
    localPoints += factor;
    if (steps == 20) localPoints = endTarget;
    DrawPointsValue(localPoints);
    RestoreWinPlanPanel();
    if (add) {
      y -= step;
      DrawPointerAt(y);
    } else if (points >= winPlan[0].threshold) {
      y += step;
      DrawPointerAt(y);
    }
    Present();
    PumpWait(50);
    if (localPoints == endTarget) break;
  }
  DrawPointsValue(localPoints);
  Present();
  SetPoints(add ? points + iAmount : points - iAmount);
  RestoreWinPlanPanel();
  DrawPointer();
  DrawPoints();
}
