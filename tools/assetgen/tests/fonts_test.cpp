// The bitmap fonts as the game measures and lays them out: ink where the width measure looks,
// empty separators in the number fonts, and texts that fit the boxes the screens give them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "catalog.h"
#include "kit.h"
#include "preview.h"
#include "render.h"

namespace assetgen {
namespace {

class AssetgenFonts : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(LoadFonts(&error)) << error;
  }
  // First and last ink columns of a glyph cell, -1 when the cell is empty; rows when asked.
  static std::pair<int, int> Ink(int key, int glyph, bool rows = false) {
    const Entry* e = FindEntry(key);
    const Image& pic = Picture(key);
    int first = -1, last = -1;
    for (int y = 0; y < e->frameHeight; ++y) {
      for (int x = 0; x < e->width; ++x) {
        if (IsKey(pic.At(x, glyph * e->frameHeight + y))) continue;
        const int at = rows ? y : x;
        if (first < 0 || at < first) first = at;
        last = std::max(last, at);
      }
    }
    return {first, last};
  }
  static int TextWidth(int key, const std::string& text) {
    const std::vector<int> w = MeasureGlyphWidths(key);
    int total = 0;
    for (unsigned char c : text) total += w[c - 32];
    return total;
  }
};

constexpr int kFonts[] = {9, 10, 11, 12, 13, 14};

TEST_F(AssetgenFonts, EveryCharacterHasInkAndTheSpaceNone) {
  for (int key : kFonts) {
    EXPECT_EQ(Ink(key, 0).first, -1) << "space of font " << key;
    for (int g = 1; g < 96; ++g) {
      const bool separator = g == '\\' - 32 && (key == 13 || key == 14);
      EXPECT_EQ(Ink(key, g).first < 0, separator) << "glyph " << g << " of font " << key;
    }
  }
}

TEST_F(AssetgenFonts, InkStartsJustAfterTheUnmeasuredColumn) {
  for (int key : kFonts) {
    const int start = key == 10 ? 2 : 1;
    for (int g = 1; g < 96; ++g) {
      const auto [first, last] = Ink(key, g);
      if (first < 0) continue;
      EXPECT_EQ(first, start) << "glyph " << g << " of font " << key;
      EXPECT_LT(last, FindEntry(key)->width) << "glyph " << g << " of font " << key;
    }
  }
}

TEST_F(AssetgenFonts, PoundSignSitsInTheLastCell) {
  for (int key : kFonts) {
    // A pound sign stands as tall as a capital; the tilde before it is short.
    const auto pound = Ink(key, 95, true);
    const auto capital = Ink(key, 'L' - 32, true);
    ASSERT_GE(pound.first, 0) << "font " << key;
    EXPECT_GE(pound.second - pound.first + 2, capital.second - capital.first) << "font " << key;
    EXPECT_LT(Ink(key, 94, true).second - Ink(key, 94, true).first, pound.second - pound.first)
        << "font " << key;
  }
}

TEST_F(AssetgenFonts, ThousandsSeparatorShowsAsACommaAlone) {
  // The number formats write a backslash before each comma; it must advance by the bare minimum.
  EXPECT_EQ(MeasureGlyphWidths(13)['\\' - 32], 2);
  EXPECT_EQ(MeasureGlyphWidths(14)['\\' - 32], 1);
  EXPECT_GT(MeasureGlyphWidths(13)[',' - 32], 2);
}

TEST_F(AssetgenFonts, NumbersFitTheirBoxes) {
  const std::string million = FormatPoints(1000000);
  EXPECT_EQ(million, "1\\,000\\,000");
  EXPECT_LE(TextWidth(13, million), 194);  // the points box
  EXPECT_LE(TextWidth(14, million), 74);   // a win plan rung
  EXPECT_LE(FindEntry(13)->frameHeight, 43);
  EXPECT_LE(FindEntry(14)->frameHeight, 17);
  // Digits wide enough to read: at least half their cell.
  EXPECT_GE(MeasureGlyphWidths(13)['8' - 32], 12);
  EXPECT_GE(MeasureGlyphWidths(14)['8' - 32], 6);
}

TEST_F(AssetgenFonts, LongestQuestionsFitTheQuestionBox) {
  // Word wrap as the game does it: a word (with the space before it) that does not fit starts a
  // new line, its leading space not counted.
  const std::vector<int> w = MeasureGlyphWidths(11);
  auto lines = [&](const std::string& text) {
    int count = 1, line = 0;
    size_t p = 0;
    while (p < text.size()) {
      size_t end = text.find(' ', p + 1);
      if (end == std::string::npos) end = text.size();
      int word = 0;
      for (size_t i = p; i < end; ++i) word += w[static_cast<unsigned char>(text[i]) - 32];
      if (line + word > 440 && line > 0) {
        ++count;
        line = text[p] == ' ' ? word - w[0] : word;
      } else {
        line += word;
      }
      p = end;
    }
    return count;
  };
  const char* longest[] = {
      "Wembley Stadium's arch is 133 metres tall and can be seen from across much of London.",
      "The Premier League's first ever goal was scored by Brian Deane for Sheffield United in "
      "1992.",
      "WWWWWWWW MMMMMMMM WWWWWWWW MMMMMMMM WWWWWWWW MMMMMMMM",
  };
  for (const char* q : longest) {
    EXPECT_LE(lines(q) * FindEntry(11)->frameHeight, 100) << q;
  }
}

}  // namespace
}  // namespace assetgen
