#include "catalog.h"

#include <iterator>

#include "art.h"
#include "graphics/graphic_files.h"

namespace assetgen {
namespace {

// How each picture is drawn: the size of one frame (from where the screens place it;
// tools/assetgen/README.md explains each), its matte, its painter and the painter's variant.
// Path, format and frame count come from the game's own table.
struct Drawing {
  int key;
  int width;
  int frameHeight;
  Rgb matte;
  PaintFn paint;
  int variant;
};

const Drawing kDrawings[] = {
    {1, 800, 600, pal::kNavy, PaintLoading, 0},
    {2, 164, 78, pal::kNight, PaintInsert, 0},
    {3, 32, 32, pal::kNight, PaintTransparency, 0},
    {4, 800, 600, pal::kNavy, PaintOptionBackground, 0},
    {5, 20, 32, pal::kLcd, PaintCreditNos, 0},
    {6, 800, 600, pal::kNavy, PaintInfoScreen, 0},
    {7, 216, 100, pal::kNavy, PaintMoneyPanel, 1},
    {8, 216, 100, pal::kNavy, PaintMoneyPanel, 0},
    {9, 20, 26, pal::kNavy, PaintFont, 9},
    {10, 28, 40, pal::kNavy, PaintFont, 10},
    {11, 20, 24, pal::kNavy, PaintFont, 11},
    {12, 16, 26, pal::kChalk, PaintFont, 12},
    {13, 24, 36, pal::kLcd, PaintFont, 13},
    {14, 12, 16, pal::kNavy, PaintFont, 14},
    {15, 800, 600, pal::kNavy, PaintMain, 0},
    {16, 800, 600, pal::kNavy, PaintWinBackground, 0},
    {17, 148, 76, pal::kNavy, PaintPrizeValues, 0},
    {18, 588, 492, pal::kNavy, PaintQuestionBorder, 0},
    {19, 180, 170, pal::kNavy, PaintAnswerButton, 1},
    {20, 180, 170, pal::kNavy, PaintAnswerButton, 0},
    {21, 532, 120, pal::kNavy, PaintResult, 1},
    {22, 532, 120, pal::kNavy, PaintResult, 2},
    {23, 532, 120, pal::kNavy, PaintResult, 0},
    {24, 300, 28, pal::kBlack, PaintTimeUp, 0},
    {25, 440, 100, pal::kNavy, PaintQuestionBox, 0},
    {26, 448, 108, pal::kNavy, PaintQuestionBoxEdge, 0},
    {27, 96, 66, pal::kPitchDark, PaintBoxes, 0},
    {28, 224, 477, pal::kNavy, PaintWinPlanBack, 0},
    {29, 28, 28, pal::kNavy, PaintPointer, 0},
    {30, 44, 20, pal::kNavy, PaintWinValues, 0},
    {31, 224, 123, pal::kNavy, PaintPointsBox, 0},
    {32, 204, 72, pal::kNavy, PaintCollectButton, 0},
    {33, 208, 102, pal::kNavy, PaintCashpot, 0},
    {34, 576, 368, pal::kNavy, PaintGrid, 0},
    {35, 24, 36, pal::kLcd, PaintDigitStrip, 35},
    {36, 12, 16, pal::kNavy, PaintDigitStrip, 36},
    {37, 800, 600, pal::kNavy, PaintMenuBackground, 0},
    {38, 216, 92, pal::kNight, PaintMenuButton, kMainMenuButton * 2},
    {39, 248, 92, pal::kNight, PaintMenuButton, kRulesButton * 2},
    {40, 216, 92, pal::kNight, PaintMenuButton, kStartButton * 2},
    {41, 216, 100, pal::kNavy, PaintMoneyPanel, 2},
    {42, 216, 100, pal::kNavy, PaintMoneyPanel, 3},
    {43, 216, 92, pal::kNight, PaintMenuButton, kStartButton * 2 + 1},
    {44, 216, 92, pal::kNight, PaintMenuButton, kMainMenuButton * 2 + 1},
    {45, 248, 92, pal::kNight, PaintMenuButton, kRulesButton * 2 + 1},
    {46, 248, 92, pal::kNight, PaintMenuButton, kBackButton * 2},
    {47, 248, 92, pal::kNight, PaintMenuButton, kBackButton * 2 + 1},
    {48, 96, 66, pal::kPitchDark, PaintQuestionMarkTurn, 0},
    {49, 96, 66, pal::kPitchDark, PaintRevealAnim, 7},
    {50, 96, 66, pal::kPitchDark, PaintRevealAnim, 8},
    {51, 96, 66, pal::kPitchDark, PaintRevealAnim, 9},
    {52, 96, 66, pal::kPitchDark, PaintRevealAnim, 10},
    {53, 96, 66, pal::kPitchDark, PaintRevealAnim, 11},
    {54, 96, 66, pal::kPitchDark, PaintRevealAnim, 12},
    {55, 96, 66, pal::kPitchDark, PaintRevealAnim, 13},
    {56, 96, 66, pal::kPitchDark, PaintRevealAnim, 14},
    {57, 96, 66, pal::kPitchDark, PaintRevealAnim, 15},
    {58, 96, 66, pal::kPitchDark, PaintRevealAnim, 16},
    {59, 96, 66, pal::kPitchDark, PaintRevealAnim, 17},
    {60, 96, 66, pal::kPitchDark, PaintRevealAnim, 18},
    {61, 96, 66, pal::kPitchDark, PaintRevealAnim, 19},
    {62, 96, 66, pal::kPitchDark, PaintRevealAnim, 20},
    {63, 96, 66, pal::kPitchDark, PaintRevealAnim, 21},
    {64, 96, 66, pal::kPitchDark, PaintRevealAnim, 3},
    {65, 96, 66, pal::kPitchDark, PaintRevealAnim, 5},
    {66, 96, 66, pal::kPitchDark, PaintRevealAnim, 6},
    {67, 96, 66, pal::kPitchDark, PaintRevealAnim, 4},
    {68, 96, 66, pal::kPitchDark, PaintRevealAnim, 2},
    {69, 800, 600, pal::kNavy, PaintLifeScreen, 0},
    {70, 124, 170, pal::kNavy, PaintLifeBox, 1},
    {71, 124, 170, pal::kNavy, PaintLifeBox, 2},
    {72, 124, 170, pal::kNavy, PaintLifeBox, 3},
    {73, 196, 96, pal::kNavy, PaintLivesMen, 0},
    {74, 208, 90, pal::kNavy, PaintRevealTokens, 0},
    {75, 208, 90, pal::kNavy, PaintRevealTokens, 1},
    {76, 208, 90, pal::kNavy, PaintRevealTokens, 2},
    {77, 208, 90, pal::kNavy, PaintRevealTokens, 3},
    {78, 208, 90, pal::kNavy, PaintRevealTokens, 4},
    {79, 208, 90, pal::kNavy, PaintRevealTokens, 5},
    {80, 16, 20, pal::kLcd, PaintCashpotNos, 0},
    {81, 52, 44, pal::kNavy, PaintBoots, 0},
    {82, 12, 28, pal::kBlack, PaintTimerBits, 0},
    {83, 220, 30, pal::kNavy, PaintWords, 0},
    {84, 180, 46, pal::kNavy, PaintCollectAnim, 0},
};

std::vector<Entry> JoinWithGameTable() {
  static_assert(std::size(kDrawings) == kGraphicKeys, "one drawing for every picture");
  std::vector<Entry> entries;
  for (const Drawing& d : kDrawings) {
    const GraphicFile& f = kGraphicFiles[d.key - 1];
    entries.push_back({d.key, f.path, static_cast<Format>(f.format), f.frames, d.width,
                       d.frameHeight, d.matte, d.paint, d.variant});
  }
  return entries;
}

}  // namespace

const std::vector<Entry>& Catalog() {
  static const std::vector<Entry> entries = JoinWithGameTable();
  return entries;
}

const Entry* FindEntry(int key) {
  for (const Entry& e : Catalog()) {
    if (e.key == key) return &e;
  }
  return nullptr;
}

}  // namespace assetgen
