// The start of a game: the reset, the plan of three boards from the control modes, the
// start pick, the first screen and the preview; and the team names beside the win plan.
#include <cstring>
#include <string>

#include "accounting/accounting.h"
#include "accounting/record_file.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_flow.h"
#include "game/lives.h"
#include "game/points.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "shell/system_text.h"
#include "shell/timing.h"
#include "sound/sound.h"

int32_t hexTypes[kPlannedHexagons];
int32_t teamOrder[kHexagons];
const char* const teamNames[kHexagons] = {
    "The Gooners", "Villa",     "Blackburn", "Bolton",  "Charlton",   "Chelsea",   "Everton",
    "Fulham",      "Liverpool", "Man C",     "Man U",   "Middlesbro", "Newcastle", "Portsmouth",
    "Reading",     "Sheffield", "Tottenham", "Watford", "West Ham",   "Wigan",
};
platform::SystemFontHandle teamFont;
int32_t bonusBudget = 0;
bool cashpotBoost = false;

const int32_t gridTypeCounts[5][3] = {
    {34, 20, 6}, {29, 25, 6}, {29, 25, 6}, {25, 25, 10}, {20, 20, 20},
};
const int32_t gridPointsRanges[5][3] = {
    {1, 3, 1}, {1, 5, 1}, {2, 8, 2}, {2, 9, 2}, {2, 10, 2},
};

// Group sizes of the preview, each pattern summing to 20.
const int32_t kPreviewPatternsAsStored[10][kHexagons] = {
    {3, 3, 3, 3, 3, 3, 1, 1},
    {3, 3, 3, 3, 3, 3, 2},
    {3, 3, 3, 3, 3, 1, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 3, 1},
    {2, 2, 2, 2, 2, 3, 3, 3, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 0, 0, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0, 2, 0, 2, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};

int32_t previewPatterns[10][kHexagons];

void ResetBoard() {
  std::memcpy(previewPatterns, kPreviewPatternsAsStored, sizeof previewPatterns);
  teamFont.reset();
  bonusBudget = 0;
  cashpotBoost = false;
}

namespace {

constexpr int kScreenDpi = 96;  // the 800x600 screen's pixels per inch

int Grid() {
  int g = controlTable.controlModeGrid;
  return g >= 0 && g < 5 ? g : 0;
}

// The font of the team names: 9 points. Without it the game cannot be shown; the
// stake and the meters counted so far are saved before the program ends.
void CreateTeamFont() {
  int height = -(9 * kScreenDpi + 36) / 72;
  std::string error;
  teamFont = Sys().CreateFont(height, 400, &error);
  if (teamFont) return;
  LogMessage("error - cannot load team font...aborting\n");
  SaveRecord();
  Sys().ExitProcess(0);
}

}  // namespace

const char* TeamName(int index) {
  return index >= 0 && index < kHexagons ? teamNames[index] : "";
}

void DrawTeamNames() {
  for (int i = 0; i < kHexagons; ++i) {
    // The first name beside the top rung, the last beside the bottom one.
    const int y = layout::RungY(kHexagons - 1 - i);
    platform::TextRect r{layout::kNamesL, y, layout::kNamesR, y + layout::kRungTextH};
    DrawSystemText(teamFont.get(), TeamName(teamOrder[i]), -1, r,
                   platform::kTextCenter | platform::kTextVCenter | platform::kTextWordBreak |
                       platform::kTextNoPrefix,
                   0xFAFAFA, 0, kBackModeTransparent);
  }
}

int32_t CashpotBoostChance(int32_t pence) {
  if (pence < 300) return 0;
  if (pence < 500) return 33;
  if (pence < 700) return 50;
  if (pence < 1000) return 75;
  return 99;
}

void PlanHexTypes(int grid) {
  for (int32_t& t : hexTypes) t = -1;
  for (int32_t& t : teamOrder) t = -1;
  bool used[kHexagons] = {};
  for (int i = 0; i < kHexagons; ++i) {
    uint32_t r;
    do {
      r = RandomBelow(kHexagons);
    } while (used[r]);
    used[r] = true;
    teamOrder[i] = static_cast<int32_t>(r);
  }
  lives = 0;
  static const int32_t kKinds[3] = {kHexQuestion, kHexPointsToDraw, kHexDoubleOrQuits};
  for (int j = 0; j < 3; ++j) {
    for (int n = 0; n < gridTypeCounts[grid][j]; ++n) {
      uint32_t s;
      do {
        s = RandomBelow(kPlannedHexagons);
      } while (hexTypes[s] != -1);
      hexTypes[s] = kKinds[j];
    }
  }
}

int32_t PickPointsType() {
  const int32_t* range = gridPointsRanges[Grid()];
  int32_t count = (range[1] - range[0]) / range[2] + 1;
  int32_t v = range[0] + static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(count))) * range[2];
  return v + 6;
}

void PlaceBoots() {
  int placed = 0;
  for (int phase = 1; phase <= 3; ++phase) {
    for (int draw = 0; draw < 100 && placed < phase; ++draw) {
      int base = cashpotBoost ? 0 : 20 * (phase - 1);
      int s = base + static_cast<int>(RandomBelow(20));
      if (hexTypes[s] == kHexQuestion) {
        hexTypes[s] = kHexBoot;
        ++placed;
      }
    }
  }
}

void FinishHexTypes() {
  for (int32_t& t : hexTypes) {
    if (t == kHexPointsToDraw) t = PickPointsType();
    if (t == kHexQuestion && bonusBudget != 0 && RandomPercent(50)) {
      t = kHexExtraLife;
      if (RandomPercent(50)) t = kHexReveal;
      bonusBudget = bonusBudget > 0 ? bonusBudget - 1 : 0;
    }
  }
  PlaceBoots();
}

void SetUpGame() {
  turnCount = 0;
  SetPoints(0);
  cashpotBoost = false;
  collectAvailable = false;
  prizeMeterDone = false;
  lastPrizeReached = 0;
  bootCount = 0;
  revealCount = 0;

  CreateTeamFont();
  cashpotBoost = RandomPercent(CashpotBoostChance(GetCashpot()));
  ClearWinPlan();
  PlanHexTypes(Grid());
  BuildWinPlan(controlTable.controlModeWinPlan);
  FinishHexTypes();
  LogMessage("controlTable.controlModeGrid = %d\n", controlTable.controlModeGrid);
  for (int i = 0; i < kHexagons; ++i) PlaceHexagon(i, hexTypes[i]);
  SetGameState(GamePlaying);

  DrawSprite(GraphicSprite(kGraphicMain), 0, 0, 0, nullptr, 0);
  StartLivesPick();

  FlushInput();
  DrawSprite(GraphicSprite(kGraphicMain), 0, 0, 0, nullptr, 0);
  DrawWinPlanPanel();
  DrawBoard();
  DrawPoints();
  StartSoundLooped(kSoundCrowdLoop);
  StartSound(kSoundBankingNoise);
  AddToCashpot(5);
  DrawCashpot();
  DrawBoots();
  Present();
  // The finished win plan panel, copied back before every redraw on top of it.
  SaveRect(2, layout::kPlanX, layout::kPlanY, kFullScreen.right, kFullScreen.bottom);

  SetGameState(GamePlaying);
  PreviewBoard();
  CountdownResume();
}
