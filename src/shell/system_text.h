// Text in a system font drawn straight onto the back buffer (the team names beside the
// board use it).
#pragma once

#include <cstdint>

#include "platform/text/system_text.h"

inline constexpr int kBackModeTransparent = 1;
inline constexpr int kBackModeOpaque = 2;

// Colours are 0x00BBGGRR; count -1 draws up to the terminating zero. Draws nothing when
// the back buffer cannot be had (no display).
void DrawSystemText(platform::SystemFont* font, const char* text, int count,
                    const platform::TextRect& rect, uint32_t format, uint32_t textColour,
                    uint32_t backColour, int backMode);
