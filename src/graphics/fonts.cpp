#include "graphics/fonts.h"

#include <cstring>

#include "graphics/display.h"
#include "graphics/font_layout.h"
#include "graphics/graphic_table.h"
#include "graphics/sprites.h"
#include "shell/timing.h"
#include "sound/sound.h"

TextOptions textOptions;
int32_t GlyphWidthTable[9][96];

namespace {

TextLayout gLayout;

struct FontInfo {
  int key;
  int slot;
  int extra;
};
constexpr FontInfo kFonts[] = {{9, 0, 1},  {10, 2, 1}, {11, 3, 2},
                               {12, 4, 1}, {13, 7, 2}, {14, 8, 1}};

const FontInfo& FontOf(int key) {
  for (const FontInfo& f : kFonts)
    if (f.key == key) return f;
  return kFonts[0];  // any other key draws in font 9
}

int Width(int slot, int glyph) {
  return glyph < 0 ? 0 : GlyphWidthTable[slot][glyph];
}

// Measures the ink of each glyph of the font's picture, once per font.
void MeasureFont(Sprite& sprite, const FontInfo& font) {
  GraphicEntry& e = GraphicTable[sprite.tableIndex];
  if (!e.surface) LoadGraphic(sprite, font.key, 96);
  if (!DisplayUp() || !e.surface) return;
  platform::LockedSurface locked;
  for (;;) {
    platform::DisplayResult r = Device().Lock(e.surface, locked);
    if (r == platform::DisplayResult::Ok) break;
    if (r == platform::DisplayResult::StillDrawing) continue;
    if (r == platform::DisplayResult::SurfaceLost &&
        Device().Restore(e.surface) == platform::DisplayResult::Ok)
      continue;
    ShutdownDisplay(kShutdownLockFailed);
    return;
  }
  FontStrip strip;
  strip.pixels = locked.pixels;
  strip.pitch = locked.pitch;
  strip.height = locked.height;
  strip.cellWidth = sprite.width;
  strip.cellHeight = sprite.frameHeight;
  MeasureGlyphWidths(strip, font.extra, KeyColour, GlyphWidthTable[font.slot]);
  Device().Unlock(e.surface);
}

void LayoutText(const unsigned char* text, int length, int boxWidth, int slot) {
  LayoutTextLines(text, length, boxWidth, GlyphWidthTable[slot], gLayout);
}

void RenderText(const unsigned char* text, int x, int y, int boxWidth, int boxHeight,
                Sprite& sprite, int slot) {
  int v = 0;
  if (textOptions.centre || textOptions.centreVertically)
    v = (boxHeight - (gLayout.breaks + 1) * sprite.frameHeight) / 2;
  int penX = 0, penY = 0, line = 0;
  for (int j = 0; j < gLayout.length; ++j) {
    int g = GlyphOf(text[j]);
    int h = textOptions.centre ? (boxWidth - gLayout.width[line]) / 2 : 0;
    if (g >= 0) DrawSprite(sprite, g, x + penX + h, y + penY + v, nullptr, 2);
    if (textOptions.typewriter && g >= 0 && g != 32) {
      Present();
      StartSound(kSoundTeletype);
      PumpWait(10);
    }
    if (j >= gLayout.end[line] && line < gLayout.breaks) {
      ++line;
      penY += sprite.frameHeight;
      penX = 0;
    } else {
      penX += Width(slot, g);
    }
  }
  textOptions.centre = false;
  textOptions.typewriter = false;
}

}  // namespace

int FontSlot(int fontKey) {
  for (const FontInfo& f : kFonts)
    if (f.key == fontKey) return f.slot;
  return -1;
}

const TextLayout& LastTextLayout() {
  return gLayout;
}

void ResetFonts() {
  std::memset(GlyphWidthTable, 0, sizeof GlyphWidthTable);
  textOptions = TextOptions{};
  gLayout = TextLayout{};
}

void DrawText(const char* text, int x, int y, int boxWidth, int boxHeight, int fontKey) {
  if (!text) return;
  const FontInfo& font = FontOf(fontKey);
  Sprite& sprite = GraphicSprite(font.key);
  if (sprite.frameCount != 96) LoadGraphic(sprite, font.key, 96);
  if (GlyphWidthTable[font.slot][0] == 0) MeasureFont(sprite, font);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  LayoutText(bytes, static_cast<int>(std::strlen(text)), boxWidth, font.slot);
  RenderText(bytes, x, y, boxWidth, boxHeight, sprite, font.slot);
}
