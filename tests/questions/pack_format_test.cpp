// The pack format on its own: the key, the scramble, the line reader and the expansion.
#include "questions/pack_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Plain bytes as a pack stores them, from key position 0.
std::string Scrambled(const std::string& plain) {
  std::string s = plain;
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<char>(ScrambleByte(static_cast<uint8_t>(s[i]), kPackKey[i % 67]));
  return s;
}

// Reads every line of the bytes the way the game does.
struct Reads {
  std::vector<std::string> lines;
  std::vector<PackLineRead> results;
  int32_t keyPosition = 0;
};
Reads ReadAll(const std::string& bytes, int capacity = kLineBufferSize,
              const uint8_t* key = kPackKey) {
  Reads r;
  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  std::vector<char> buffer(static_cast<size_t>(capacity));
  for (;;) {
    PackLineRead read =
        ReadScrambledLine(f, key, KeyLength(key), r.keyPosition, buffer.data(), capacity);
    r.lines.emplace_back(buffer.data(), static_cast<size_t>(read.length));
    r.results.push_back(read);
    if (read.endOfFile) break;
  }
  std::fclose(f);
  return r;
}

std::string Expand(const std::string& line, int capacity = kQuestionTextSize, bool* cut = nullptr) {
  std::vector<char> text(static_cast<size_t>(capacity));
  int n = ExpandPackText(line.c_str(), text.data(), capacity, cut);
  EXPECT_EQ(n, static_cast<int>(std::strlen(text.data())));
  return text.data();
}

TEST(PackKey, HoldsSixtySevenBytesBetweenOneAnd240) {
  EXPECT_EQ(KeyLength(kPackKey), 67);
  for (int i = 0; i < 67; ++i) {
    EXPECT_GE(kPackKey[i], 1) << i;
    EXPECT_LE(kPackKey[i], 240) << i;
  }
  EXPECT_EQ(kPackKey[67], 0);
  EXPECT_EQ(KeyLength(nullptr), 0);
}

TEST(PackScramble, ShiftsWithinTheMiddle240ValuesAndLeavesTheEnds) {
  EXPECT_EQ(UnscrambleByte(13, 3), 10);  // 13 - 8 - 3 = 2, so 8 + 2
  EXPECT_EQ(UnscrambleByte(8, 1), 247);  // wraps round within 8..247
  EXPECT_EQ(UnscrambleByte(100, 240), 100);
  EXPECT_EQ(ScrambleByte(247, 1), 8);
  for (int key = 1; key <= 240; ++key) {
    for (int plain = 0; plain < 256; ++plain) {
      auto p = static_cast<uint8_t>(plain), k = static_cast<uint8_t>(key);
      uint8_t stored = ScrambleByte(p, k);
      ASSERT_EQ(UnscrambleByte(stored, k), p) << plain << " " << key;
      if (plain < 8 || plain > 247)
        ASSERT_EQ(stored, p);
      else
        ASSERT_TRUE(stored >= 8 && stored <= 247);
    }
  }
}

TEST(PackReader, SplitsOnTheUnscrambledNewlineAndCountsEveryByte) {
  Reads r = ReadAll(Scrambled("ab\ncd\r\n"));
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], "ab");
  EXPECT_EQ(r.lines[1], "cd\r");  // the carriage return stays; the expansion drops it
  EXPECT_EQ(r.lines[2], "");
  EXPECT_TRUE(r.results[2].endOfFile);
  EXPECT_EQ(r.keyPosition, 7);
  EXPECT_EQ(Expand(r.lines[1]), "cd");

  Reads open = ReadAll(Scrambled("ab\ncd"));  // no final newline
  ASSERT_EQ(open.lines.size(), 2u);
  EXPECT_EQ(open.lines[1], "cd");
  EXPECT_TRUE(open.results[1].endOfFile);
}

TEST(PackReader, AnOverlongLineIsCutAtTheBufferAndItsRestSkipped) {
  std::string plain = std::string(600, 'x') + "\nShort*\n";
  Reads r = ReadAll(Scrambled(plain));
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], std::string(499, 'x'));
  EXPECT_TRUE(r.results[0].cut);
  EXPECT_FALSE(r.results[0].endOfFile);
  EXPECT_EQ(r.lines[1], "Short*");  // the next line is read whole, with its own key bytes
  EXPECT_FALSE(r.results[1].cut);
  EXPECT_EQ(r.keyPosition, static_cast<int32_t>(plain.size()));

  Reads exact = ReadAll(Scrambled(std::string(499, 'y') + "\n"));
  EXPECT_FALSE(exact.results[0].cut);
  EXPECT_EQ(exact.lines[0].size(), 499u);

  Reads tiny = ReadAll(Scrambled("abcdef\n"), 3);
  EXPECT_EQ(tiny.lines[0], "ab");
}

TEST(PackReader, AnEmptyKeyReadsTheBytesAsTheyAre) {
  const uint8_t noKey[] = {0};
  Reads r = ReadAll("plain\n", kLineBufferSize, noKey);
  EXPECT_EQ(r.lines[0], "plain");
  Reads empty = ReadAll("");
  ASSERT_EQ(empty.lines.size(), 1u);
  EXPECT_TRUE(empty.results[0].endOfFile);
  EXPECT_EQ(empty.keyPosition, 0);
}

TEST(PackExpansion, CodesBecomeTheirWords) {
  EXPECT_EQ(Expand("\x80" + std::string("abc")), "Which abc");
  EXPECT_EQ(Expand("\x89\x8A"), "thee ");
  EXPECT_EQ(Expand("\xC4\xFF\xBF"), "19, am");
  EXPECT_EQ(Expand("a\tb\x01\x1F" + std::string("c")), "a bc");  // tab: space; others: nothing
  EXPECT_EQ(Expand("#5"), "\x7F" + std::string("5"));
  EXPECT_EQ(std::string(wordTable[0x7F]), ", ");
  EXPECT_EQ(std::string(wordTable[0x00]), "Which ");
}

TEST(PackExpansion, StopsAtTheQuestionTextWithoutOverrunning) {
  bool cut = false;
  std::string many(40, '\x80');  // 240 characters
  std::string text = Expand(many + "*remark", kQuestionTextSize, &cut);
  EXPECT_TRUE(cut);
  EXPECT_EQ(text.size(), 199u);
  EXPECT_EQ(text.substr(0, 12), "Which Which ");

  std::string exact(199, 'z');
  EXPECT_EQ(Expand(exact, kQuestionTextSize, &cut), exact);
  EXPECT_FALSE(cut);
  EXPECT_EQ(Expand(exact + "z", kQuestionTextSize, &cut), exact);
  EXPECT_TRUE(cut);
}

}  // namespace
