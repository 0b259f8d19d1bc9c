// The board of 20 hexagons in five columns and four rows, each hiding a feature; the plan
// of the game's three boards made at its start, the preview that shows every face once,
// the turning over of a played hexagon and the deal of the next board every 20 turns.
// Also the start of a game (SetUpGame) and the team names beside the win plan.
#pragma once

#include <cstdint>

#include "platform/text/system_text.h"

inline constexpr int kHexagons = 20;
inline constexpr int kPlannedHexagons = 60;  // three boards of 20

// Hexagon types: frame t of boxes.BMP is the face of type t, frame 1 the back.
enum HexType : int32_t {
  kHexBack = 1,
  kHexQuestion = 2,
  kHexDoubleOrQuits = 3,
  kHexBoot = 4,
  kHexExtraLife = 5,
  kHexReveal = 6,
  kHexPoints1000 = 7,  // 7..16: 1,000..10,000 points
  kHexPoints10000 = 16,
  kHexPoints20000 = 17,  // 17..21: known to the reveal, never planned
  kHexPoints100000 = 21,
  kHexPointsToDraw = 22,  // a points hexagon whose value is drawn later, only while planning
};

struct Hexagon {
  int32_t x, y;
  int32_t type;
  uint8_t selectable;  // 1 until played on this board
  uint8_t faceUp;      // 1 while the face shows
};

extern Hexagon axHexagons[kHexagons];
extern int32_t hexTypes[kPlannedHexagons];
extern int32_t teamOrder[kHexagons];
extern const char* const teamNames[kHexagons];
extern platform::SystemFontHandle teamFont;
extern int32_t bonusBudget;
extern bool cashpotBoost;
extern int32_t previewPatterns[10][kHexagons];  // a copy of one is shuffled before use

// Counts of questions, points hexagons and double-or-quits hexagons in the plan, and
// the points range (minimum, maximum, step in thousands), by controlModeGrid.
extern const int32_t gridTypeCounts[5][3];
extern const int32_t gridPointsRanges[5][3];

void SetUpGame();
void PrepareNextRound();
void RevealHexagon(int index);
uint8_t IsSelectable(int index);
void DrawBoard();
void DrawHexagons();
void DrawTeamNames();
const char* TeamName(int index);
void PreviewBoard();
void FinishHexTypes();
int32_t PickPointsType();
void PlaceBoots();

// The pieces of SetUpGame that plan the game, for tests: the cashpot boost's chance
// for a cashpot amount, and steps 4, 5 and 7 (the team order and the 60 types before
// FinishHexTypes).
int32_t CashpotBoostChance(int32_t cashpotPence);
void PlanHexTypes(int grid);
// The points of a hexagon type, 0 for the types without points.
int32_t PointsOfType(int32_t type);
// The picture key of a type's reveal animation, 0 for none.
int RevealAnimationKey(int32_t type);
// Back to a program that has just started: patterns as stored, no budget, no font.
void ResetBoard();
// Puts hexagon i at its place on the screen.
void PlaceHexagon(int index, int32_t type);
