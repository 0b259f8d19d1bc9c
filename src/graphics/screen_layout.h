// Where the game puts things on its 800 x 600 screen: the places its code draws at, clips to
// and takes touches in. assetgen draws the pictures to fit the same places, and its previews
// compose screens from them. Rectangles are left, right, top, bottom unless they say width
// and height; the screen's size itself is the platform's (kScreenWidth, kScreenHeight).
#pragma once

namespace layout {

// Board: 20 hexagons in five columns and four rows, by their top left corners.
inline constexpr int kHexLeft = 27, kHexTop = 163;
inline constexpr int kHexStepX = 107, kHexStepY = 77;  // from one column, row to the next
inline constexpr int kHexX[5] = {kHexLeft, kHexLeft + kHexStepX, kHexLeft + 2 * kHexStepX,
                                 kHexLeft + 3 * kHexStepX, kHexLeft + 4 * kHexStepX};
inline constexpr int kHexY[4] = {kHexTop, kHexTop + kHexStepY, kHexTop + 2 * kHexStepY,
                                 kHexTop + 3 * kHexStepY};
inline constexpr int kHexW = 96, kHexH = 66;  // a hexagon's picture and its touch area

// The board picture sits at (10, 124). It is opaque over the board (x 10..574, y 124..491)
// except two windows in its top rail: the countdown bar and the caption strip.
inline constexpr int kGridX = 10, kGridY = 124;
inline constexpr int kBoardRight = 575, kBoardBottom = 492, kPitchTop = 162;
// The board picture is drawn clipped to this, a little more than the picture.
inline constexpr int kBoardClipL = 0, kBoardClipR = 587, kBoardClipT = 103, kBoardClipB = 548;
// The middle of the board, cleared to the background before every turn.
inline constexpr int kBoardMiddleL = 208, kBoardMiddleR = 593, kBoardMiddleT = 172,
                     kBoardMiddleB = 429;
// The countdown bar: 25 segments of kSegmentW from its left end, on row kSegmentY.
inline constexpr int kBarLeft = 33, kBarRight = 333, kBarTop = 130, kBarBottom = 160;
inline constexpr int kSegmentY = 131, kSegmentW = 12;
// The caption strip, where the words picture tells the player what to do next.
inline constexpr int kCaptionX = 354, kCaptionY = 131, kCaptionW = 220, kCaptionH = 30;

// Top strip of the game screen. The collect button, its flash and its area (the area is both
// where it is redrawn and where it takes a touch).
inline constexpr int kCollectX = 143, kCollectY = 13;
inline constexpr int kCollectAnimX = 155, kCollectAnimY = 26;
inline constexpr int kCollectL = 151, kCollectR = 339, kCollectT = 12, kCollectB = 84;
// The cashpot panel, the window of its amount, and the amount's digits: the row starts further
// left for an amount of ten pounds or more, which has one more digit.
inline constexpr int kCashpotX = 359, kCashpotR = 567, kCashpotB = 102;
inline constexpr int kAmountL = 463, kAmountR = 562, kAmountT = 15, kAmountB = 45;
inline constexpr int kCashDigitX = 473, kCashDigitXFrom1000 = 468, kCashDigitY = 24;
// The three boots won towards the cashpot, each in a slot kBootW wide down to kBootB.
inline constexpr int kBootX[3] = {382, 437, 491};
inline constexpr int kBootY = 49, kBootW = 51, kBootB = 93;
// The points box and the window its points are written in.
inline constexpr int kPointsX = 575;
inline constexpr int kPointsTextX = 584, kPointsTextY = 50, kPointsTextW = 194, kPointsTextH = 43;

// Win plan panel (to the screen's bottom right corner) and its 20 rungs, rung 0 at the bottom,
// kRungStep apart. Each rung has a team name and its threshold, kRungTextH high, and may have a
// prize label a pixel higher; the pointer stands kPointerRise above the top rung reached.
inline constexpr int kPlanX = 575, kPlanY = 123;
inline constexpr int kLowestRungY = 563, kRungStep = 20;
inline constexpr int RungY(int rung) {
  return kLowestRungY - kRungStep * rung;
}
inline constexpr int kRungTextX = 680, kRungTextW = 74, kRungTextH = 17;
inline constexpr int kPrizeX = 754, kPrizeRise = 1;
inline constexpr int kNamesL = 605, kNamesR = 678;
inline constexpr int kPointerRise = 5;

// Bottom strip: the lives picture and its five slots, the reveal tokens and the area redrawn
// under them (to the screen's bottom).
inline constexpr int kLivesX = 12, kLivesY = 495;
inline constexpr int kSlotL[5] = {22, 59, 96, 133, 170};
inline constexpr int kSlotW = 37, kSlotT = 508, kSlotB = 588;
inline constexpr int kRevealX = 361, kRevealY = 505;
inline constexpr int kRevealClipL = 344, kRevealClipR = 572, kRevealClipT = 500;

// Question screen: the question's box, the answer buttons, the result picture, "time up".
inline constexpr int kQuestionX = 115, kQuestionY = 173, kQuestionW = 440, kQuestionH = 100;
inline constexpr int kTrueX = 61, kFalseX = 344, kAnswerY = 307;
inline constexpr int kResultX = 22, kResultY = 180;
inline constexpr int kTimerX = 33, kTimerY = 131;
// Where the answers take a touch: True, False (squares of kAnswerTouchSize) and Reveal.
inline constexpr int kTrueTouchX = 75, kFalseTouchX = 351, kAnswerTouchY = 316,
                     kAnswerTouchSize = 152;
inline constexpr int kRevealTouchX = 360, kRevealTouchY = 504, kRevealTouchW = 206,
                     kRevealTouchH = 90;

// Start pick boxes: their pictures, areas and touch areas.
inline constexpr int kPickX[3] = {139, 337, 536};
inline constexpr int kPickY = 182, kPickW = 126, kPickH = 170;

// Menu: the bottom strip and its three buttons (the Insert sign in place of Start when there
// is not enough money), the credit and bank panels at the top corners with their amounts'
// glyphs (the first glyph further left from ten pounds), and the line between the part
// above the buttons and the button row, redrawn separately.
inline constexpr int kStripTop = 500;
inline constexpr int kMenuButtonY = 508;
inline constexpr int kMainMenuX = 0, kRulesX = 276, kStartX = 584, kInsertX = 635, kInsertY = 522;
inline constexpr int kCreditX = 584, kBankX = 0, kPanelGlyphY = 53;
inline constexpr int kCreditGlyphX = 661, kCreditGlyphXFrom1000 = 651;
inline constexpr int kBankGlyphX = 42, kBankGlyphXFrom1000 = 32;
inline constexpr int kButtonRowTop = 430;
// Where the menu's buttons take a touch: Main Menu, Rules, Start.
inline constexpr int kMenuTouchX[3] = {29, 304, 579};
inline constexpr int kMenuTouchY = 487, kMenuTouchW = 192, kMenuTouchH = 113;

// Rules screen: a touch strictly inside this area ends it (the middle of the screen above and
// into the button row, not the Back button's picture).
inline constexpr int kRulesTouchL = 325, kRulesTouchR = 535, kRulesTouchT = 350, kRulesTouchB = 570;

// Prize screen: the amount won.
inline constexpr int kPrizeValueX = 326, kPrizeValueY = 317;

}  // namespace layout
