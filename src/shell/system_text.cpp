#include "shell/system_text.h"

#include "graphics/display.h"

void DrawSystemText(platform::SystemFont* font, const char* text, int count,
                    const platform::TextRect& rect, uint32_t format, uint32_t textColour,
                    uint32_t backColour, int backMode) {
  platform::Canvas565 canvas;
  if (!font || !GetBackBufferDC(canvas)) return;
  platform::DrawSystemText(canvas, *font, text, count, rect, format, textColour, backColour,
                           backMode == kBackModeOpaque);
  ReleaseBackBufferDC();
}
