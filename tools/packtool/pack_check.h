// The checks a question source must pass before it becomes a pack: only characters the
// font can draw, a "*" before the remark, lines that fit the game's buffers, and a
// statement that fits the question box in the question font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "giveaway.h"
#include "graphics/screen_layout.h"

namespace packtool {

// Where the round shows the question: the question screen's box, in the question font.
inline constexpr int kQuestionBoxWidth = layout::kQuestionW;
inline constexpr int kQuestionBoxHeight = layout::kQuestionH;
inline constexpr int kQuestionFontFrames = 96;
inline constexpr int kQuestionFontSpacing = 2;  // the question font's extra pixels per glyph

struct FontMetrics {
  int32_t widths[96] = {};
  int cellHeight = 0;
};

// Measures the question font from its picture file (BMP, or PCX by its name) the way the
// game measures it on screen. False with the reason when the picture cannot be read.
bool LoadFontMetrics(const std::string& path, FontMetrics& font, std::string* error);

// Why a statement, as the game shows it (pack text, "#" for the pound sign), does not fit
// the question box; empty when it fits.
std::string FitProblem(const std::string& statement, const FontMetrics& font);

// The problems of one source line; `font` null skips the fit test.
std::vector<std::string> LineProblems(const std::string& sourceLine, bool intro,
                                      const FontMetrics* font);

struct CheckResult {
  std::vector<std::string> problems;  // "File.txt:12: what is wrong"
  int statements = 0;
  std::vector<Statement> shown;  // every statement as the game shows it, with its side
};
// Checks all 50 sources in a folder.
CheckResult CheckSources(const std::string& sourceDir, const FontMetrics* font);

}  // namespace packtool
