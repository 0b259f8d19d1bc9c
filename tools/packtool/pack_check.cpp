#include "pack_check.h"

#include <cctype>

#include "graphics/font_layout.h"
#include "graphics/image_decode.h"
#include "pack_text.h"
#include "questions/pack_format.h"

namespace packtool {

namespace {

constexpr uint16_t kTransparent = 0xF81F;  // magenta, the colour key of every picture

bool EndsWithPcx(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".pcx";
}

}  // namespace

bool LoadFontMetrics(const std::string& path, FontMetrics& font, std::string* error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  Picture565 picture;
  std::string why;
  GraphicFormat format = EndsWithPcx(path) ? GraphicFormat::Pcx : GraphicFormat::Bmp;
  if (!DecodePicture(format, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), picture,
                     &why)) {
    if (error) *error = path + ": " + why;
    return false;
  }
  font.cellHeight = picture.height / kQuestionFontFrames;
  if (font.cellHeight == 0) {
    if (error) *error = path + ": too short for " + std::to_string(kQuestionFontFrames) + " glyphs";
    return false;
  }
  FontStrip strip;
  strip.pixels = picture.pixels.data();
  strip.pitch = static_cast<long>(picture.width) * 2;
  strip.height = picture.height;
  strip.cellWidth = picture.width;
  strip.cellHeight = font.cellHeight;
  MeasureGlyphWidths(strip, kQuestionFontSpacing, kTransparent, font.widths);
  return true;
}

std::string FitProblem(const std::string& statement, const FontMetrics& font) {
  std::string shown = ExpandText(statement);  // "#" becomes the font's pound character
  TextLayout layout;
  LayoutTextLines(reinterpret_cast<const unsigned char*>(shown.data()),
                  static_cast<int>(shown.size()), kQuestionBoxWidth, font.widths, layout);
  for (int line = 0; line <= layout.breaks; ++line)
    if (layout.width[line] > kQuestionBoxWidth)
      return "a word of the statement is " + std::to_string(layout.width[line]) +
             " pixels wide; the question box is " + std::to_string(kQuestionBoxWidth);
  int lines = layout.breaks + 1;
  if (lines * font.cellHeight > kQuestionBoxHeight)
    return "the statement takes " + std::to_string(lines) + " lines of " +
           std::to_string(font.cellHeight) + " pixels; the " + std::to_string(kQuestionBoxWidth) +
           " x " + std::to_string(kQuestionBoxHeight) + " question box holds " +
           std::to_string(kQuestionBoxHeight / font.cellHeight);
  return "";
}

std::vector<std::string> LineProblems(const std::string& sourceLine, bool intro,
                                      const FontMetrics* font) {
  std::vector<std::string> problems;
  std::string text = ToPackText(sourceLine, &problems);
  size_t star = text.rfind('*');
  if (star == std::string::npos) {
    problems.push_back("no \"*\" between the statement and its remark");
    return problems;
  }
  std::string statement = text.substr(0, star);
  if (statement.find_first_not_of(' ') == std::string::npos)
    problems.push_back("the statement before \"*\" is empty");
  size_t expanded = text.size() + (intro ? 1 : 0);
  if (expanded > static_cast<size_t>(kQuestionTextSize - 1))
    problems.push_back("the line is " + std::to_string(expanded) +
                       " characters long; the game holds " + std::to_string(kQuestionTextSize - 1));
  std::string withFiller = text;
  if (intro) withFiller.insert(star, 1, kIntroFiller);
  size_t packed = CompressText(withFiller).size();
  if (packed > static_cast<size_t>(kLineBufferSize - 1))
    problems.push_back("the line packs into " + std::to_string(packed) + " bytes; the game reads " +
                       std::to_string(kLineBufferSize - 1));
  if (font) {
    std::string fit = FitProblem(statement, *font);
    if (!fit.empty()) problems.push_back(fit);
  }
  return problems;
}

CheckResult CheckSources(const std::string& sourceDir, const FontMetrics* font) {
  CheckResult result;
  for (const PackSource& source : PackSources()) {
    std::string file = source.name + ".txt";
    std::string bytes;
    if (!ReadWholeFile(sourceDir + "/" + file, bytes)) {
      result.problems.push_back(file + ": missing");
      continue;
    }
    std::vector<std::string> lines = SplitSourceLines(bytes);
    if (lines.empty()) result.problems.push_back(file + ": holds no statements");
    for (size_t i = 0; i < lines.size(); ++i) {
      ++result.statements;
      std::string text = ToPackText(lines[i], nullptr);
      result.shown.push_back(Statement{source.category, source.answer,
                                       text.substr(0, text.rfind('*')),
                                       file + ":" + std::to_string(i + 1)});
      for (const std::string& problem : LineProblems(lines[i], IsIntro(source), font))
        result.problems.push_back(file + ":" + std::to_string(i + 1) + ": " + problem);
    }
  }
  return result;
}

}  // namespace packtool
