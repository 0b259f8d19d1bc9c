// Review pictures: a contact sheet of every picture and frame, and whole screens composed the way
// the game puts them together (text laid out with the game's own glyph-width rules).
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

// Widths of the 96 glyphs of a font picture as the game measures them: the rightmost column
// (from the last down to column 1) that is not magenta in any row of the cell, plus one (plus
// two for the question and points fonts, keys 11 and 13); the space is half the cell width.
std::vector<int> MeasureGlyphWidths(int fontKey);

// The points text with a backslash and a comma before each group of three digits.
std::string FormatPoints(int value);

// Draws text into an 800 x 600 screen as the game's centred text would appear in the box.
void DrawCentredText(Image& screen, int fontKey, const std::string& text, int x, int y,
                     int boxWidth, int boxHeight);

bool WriteContactSheet(const std::string& path, std::string* error);
bool WritePreviews(const std::string& dir, std::string* error);

}  // namespace assetgen
