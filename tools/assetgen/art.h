// Painters of the pictures, grouped by screen. Each paints one frame (see catalog.h).
#pragma once

#include <string>

#include "catalog.h"

namespace assetgen {

// Menu, loading and rules screens (art_front.cpp).
void PaintLoading(const Frame& f);
void PaintMenuBackground(const Frame& f);
void PaintOptionBackground(const Frame& f);
void PaintInfoScreen(const Frame& f);
void PaintMenuButton(const Frame& f);  // variant: ButtonKind * 2 + moving
void PaintMoneyPanel(const Frame& f);  // variant: 1 credit / 0 bank, + 2 when moving
void PaintCreditNos(const Frame& f);
void PaintInsert(const Frame& f);
void PaintTransparency(const Frame& f);

enum ButtonKind { kMainMenuButton = 0, kRulesButton = 1, kStartButton = 2, kBackButton = 3 };

// Board (art_board.cpp).
void PaintGrid(const Frame& f);
void PaintBoxes(const Frame& f);
void PaintQuestionMarkTurn(const Frame& f);
void PaintRevealAnim(const Frame& f);  // variant: hexagon type code

// Side panels and small parts of the game screen (art_side.cpp).
void PaintPointsBox(const Frame& f);
void PaintWinPlanBack(const Frame& f);
void PaintPointer(const Frame& f);
void PaintWinValues(const Frame& f);
void PaintCollectButton(const Frame& f);
void PaintCollectAnim(const Frame& f);
void PaintCashpot(const Frame& f);
void PaintCashpotNos(const Frame& f);
void PaintBoots(const Frame& f);
void PaintTimerBits(const Frame& f);
void PaintWords(const Frame& f);
void PaintLivesMen(const Frame& f);
void PaintRevealTokens(const Frame& f);  // variant: tokens 0..5

// Whole screens of the game (art_screens.cpp).
void PaintMain(const Frame& f);
void PaintLifeScreen(const Frame& f);
void PaintLifeBox(const Frame& f);  // variant: lives 1..3
void PaintWinBackground(const Frame& f);
void PaintPrizeValues(const Frame& f);

// Question screen (art_question.cpp).
void PaintQuestionBorder(const Frame& f);
void PaintAnswerButton(const Frame& f);  // variant: 1 true, 0 false
void PaintResult(const Frame& f);        // variant: 0 correct, 1 wrong, 2 donkey
void PaintTimeUp(const Frame& f);
void PaintQuestionBox(const Frame& f);
void PaintQuestionBoxEdge(const Frame& f);

// Bitmap fonts and digit strips (art_fonts.cpp).
void PaintFont(const Frame& f);        // variant: graphic key
void PaintDigitStrip(const Frame& f);  // variant: graphic key

// One character in a font or digit cell: its ink starts exactly at column `left` (centred in the
// cell when left is negative) and is squeezed sideways if it would not fit the cell.
struct GlyphStyle {
  Face face = Face::kSansBold;
  double size = 20;
  Rgb fill = pal::kChalk;
  Rgb fillBottom = pal::kChalk;  // vertical gradient to this colour at the baseline
  double outline = 0;
  Rgb outlineColour = pal::kNight;
  double baseline = 16;
};
void PaintGlyph(cairo_t* cr, const GlyphStyle& s, const std::string& utf8, int cellW, int cellH,
                int left);

// Parts shared between painters.
void PaintLivesPanel(cairo_t* cr, int frame);  // the lives strip at its own origin
void PaintGameBackdrop(cairo_t* cr);           // the game screen's background, 800 x 600

}  // namespace assetgen
