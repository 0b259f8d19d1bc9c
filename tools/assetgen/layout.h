// Where the game puts things on its 800 x 600 screen. The pictures are sized and arranged to
// fit these places; the previews compose screens from them.
#pragma once

namespace assetgen::layout {

// Board: hexagon corners, five columns and four rows.
inline constexpr int kHexX[5] = {27, 134, 241, 348, 455};
inline constexpr int kHexY[4] = {163, 240, 317, 394};
inline constexpr int kHexW = 96, kHexH = 66;

// The board picture sits at (10, 124). It is opaque over the board (x 10..574, y 124..491)
// except two windows in its top rail: the countdown bar and the caption strip.
inline constexpr int kGridX = 10, kGridY = 124;
inline constexpr int kBoardRight = 575, kBoardBottom = 492, kPitchTop = 162;
inline constexpr int kBarLeft = 33, kBarRight = 333, kBarTop = 130, kBarBottom = 160;
inline constexpr int kCaptionX = 354, kCaptionY = 131, kCaptionW = 220, kCaptionH = 30;

// Top strip of the game screen.
inline constexpr int kCollectX = 143, kCollectY = 13;
inline constexpr int kCollectClipL = 151, kCollectClipR = 339, kCollectClipT = 12,
                     kCollectClipB = 84;
inline constexpr int kCollectAnimX = 155, kCollectAnimY = 26;
inline constexpr int kCashpotX = 359;
inline constexpr int kAmountL = 463, kAmountR = 562, kAmountT = 15, kAmountB = 45;
inline constexpr int kBootX[3] = {382, 437, 491};
inline constexpr int kBootY = 49;
inline constexpr int kCashDigitY = 24;
inline constexpr int kPointsX = 575;
inline constexpr int kPointsTextX = 584, kPointsTextY = 50, kPointsTextW = 194, kPointsTextH = 43;

// Win plan panel and its 20 rungs (rung 0 at the bottom).
inline constexpr int kPlanX = 575, kPlanY = 123;
inline constexpr int RungY(int rung) {
  return 563 - 20 * rung;
}
inline constexpr int kRungTextX = 680, kRungTextW = 74, kRungTextH = 17;
inline constexpr int kPrizeX = 754;
inline constexpr int kNamesL = 605, kNamesR = 678;

// Bottom strip: lives and reveal tokens.
inline constexpr int kLivesX = 12, kLivesY = 495;
inline constexpr int kSlotL[5] = {22, 59, 96, 133, 170};
inline constexpr int kSlotW = 37, kSlotT = 508, kSlotB = 588;
inline constexpr int kRevealX = 361, kRevealY = 505;
inline constexpr int kRevealClipL = 344, kRevealClipR = 572, kRevealClipT = 500;

// Question screen.
inline constexpr int kQuestionX = 115, kQuestionY = 173, kQuestionW = 440, kQuestionH = 100;
inline constexpr int kTrueX = 61, kFalseX = 344, kAnswerY = 307;
inline constexpr int kResultX = 22, kResultY = 180;
inline constexpr int kTimerX = 33, kTimerY = 131;

// Start pick boxes.
inline constexpr int kPickX[3] = {139, 337, 536};
inline constexpr int kPickY = 182;

// Menu.
inline constexpr int kMenuButtonY = 508;
inline constexpr int kRulesX = 276, kStartX = 584, kInsertX = 635, kInsertY = 522;
inline constexpr int kCreditX = 584, kPanelGlyphY = 53;
inline constexpr int kStripTop = 500;

// Prize screen.
inline constexpr int kPrizeValueX = 326, kPrizeValueY = 317;

}  // namespace assetgen::layout
