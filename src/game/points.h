// The player's points, the win plan of 20 rungs beside the board with its pointer and
// prizes, the animated change of points, and numbers written with their separators.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kMaxPoints = 1000000;
inline constexpr int kRungs = 20;
inline constexpr int kWinPlans = 5;

struct WinPlanRung {
  int32_t x, y;
  int32_t threshold;
  int32_t prize;  // pence, 0 for none
  int32_t prizeX, prizeY;
};

extern int32_t points;
extern WinPlanRung winPlan[kRungs];  // rung 0 at the bottom
// Each plan top rung first: 20 pairs of threshold and prize.
extern const int32_t winPlanRows[kWinPlans][kRungs * 2];

int32_t GetPoints();
void SetPoints(int32_t value);
void ChangePoints(int32_t iAmount, bool add);
int32_t HighestPrizeReached();
int32_t TopRungReached(int32_t value);
void DrawPointer();
void DrawPoints();
void DrawPointsValue(int32_t value);
void DrawRungPoints(int32_t value, int x, int y);
std::string FormatPoints(int32_t value);

void ClearWinPlan();
void BuildWinPlan(int plan);
// The panel with its prize labels, team names and thresholds, and its copy back from
// save surface 2 (where the game's set-up keeps it) before every redraw on top of it.
void DrawWinPlanPanel();
void RestoreWinPlanPanel();
// The frame of winvalues.BMP that labels a prize, -1 for none.
int PrizeLabelFrame(int32_t prize);
