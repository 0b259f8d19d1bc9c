#include "frontend/panels.h"

#include "accounting/money_link.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"

namespace {

constexpr int kSymbol = 11, kSeparator = 10;

struct Panel {
  int backgroundKey, backgroundX;
  int firstXBelow1000, firstXFrom1000;
};

void DrawPanel(const Panel& panel, int v) {
  Sprite& glyphs = GraphicSprite(kGraphicCreditNos);
  int x = v < 1000 ? panel.firstXBelow1000 : panel.firstXFrom1000;
  DrawSprite(GraphicSprite(panel.backgroundKey), 0, panel.backgroundX, 0, nullptr, 2);
  DrawSprite(glyphs, kSymbol, x, layout::kPanelGlyphY, nullptr, 2);
  auto glyph = [&](int advance, int frame) {
    x += advance;
    DrawSprite(glyphs, frame, x, layout::kPanelGlyphY, nullptr, 2);
  };
  if (v >= 1000) glyph(22, (v / 1000) % 10);
  glyph(22, (v / 100) % 10);
  glyph(15, kSeparator);
  glyph(15, (v / 10) % 10);
  glyph(22, v % 10);
}

}  // namespace

void DrawCreditPanel() {
  DrawPanel(
      {kGraphicCreditBlank, layout::kCreditX, layout::kCreditGlyphX, layout::kCreditGlyphXFrom1000},
      GetCredits());
}

void DrawBankPanel() {
  DrawPanel({kGraphicBankBlank, layout::kBankX, layout::kBankGlyphX, layout::kBankGlyphXFrom1000},
            GetBank());
}
