// Text in the system's sans-serif face (the metrics of Arial: Liberation Sans), drawn
// onto a 16-bit RGB565 picture with the layout rules of the Windows text call the game
// was designed around: word breaks, centring, single lines, clipping to the rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct SystemFont;

struct SystemFontDeleter {
  void operator()(SystemFont* font) const;
};
using SystemFontHandle = std::unique_ptr<SystemFont, SystemFontDeleter>;

// height < 0: the characters are -height pixels high (the em); height > 0: a line is
// height pixels high; 0: 16 pixels. weight 700 and above picks the bold face.
SystemFontHandle CreateSystemFont(int height, int weight, std::string* error);

// Format flags, with the values the game's tables use.
enum TextFormat : uint32_t {
  kTextLeft = 0x0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextVCenter = 0x4,  // with kTextSingleLine only
  kTextBottom = 0x8,   // with kTextSingleLine only
  kTextWordBreak = 0x10,
  kTextSingleLine = 0x20,
  kTextNoClip = 0x100,
  kTextNoPrefix = 0x800,
};

struct TextRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct Canvas565 {
  uint16_t* pixels = nullptr;
  int width = 0, height = 0, pitch = 0;  // pitch in pixels
};

// Colours are 0x00BBGGRR. count -1 means up to the terminating zero. Returns the height
// of the laid-out text in pixels (0 when nothing was drawn).
int DrawSystemText(const Canvas565& target, SystemFont& font, const char* text, int count,
                   const TextRect& rect, uint32_t format, uint32_t textColour, uint32_t backColour,
                   bool opaque);

// The width a line of text takes in the font, in pixels.
int MeasureSystemText(SystemFont& font, const std::string& text);

}  // namespace platform
