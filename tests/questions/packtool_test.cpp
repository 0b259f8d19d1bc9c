// packtool: compression, the pack bytes and back, the source checks (with a question font
// the test draws itself), and build then dump over the real question sources.
#include <cstring>
#include <set>

#include "../graphics/graphics_fixture.h"
#include "duplicates.h"
#include "graphics/font_layout.h"
#include "pack_build.h"
#include "pack_check.h"
#include "pack_fixture.h"
#include "pack_text.h"
#include "run_command.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteFile;

const std::string kPacktool = PACKTOOL_BINARY;
const std::string kSources = QUESTION_SOURCES;

// A question font strip: cells 20 x 24, glyph g inked in columns 1..inkTo(g).
std::string FontPicture(int (*inkTo)(int glyph)) {
  return testing_support::BmpBytes(20, 24 * 96, [inkTo](int x, int y) {
    int g = y / 24, row = y % 24;
    bool ink = x >= 1 && x <= inkTo(g) && row >= 3 && row < 20;
    return ink ? testing_support::Rgb{250, 250, 250} : testing_support::Rgb{255, 0, 255};
  });
}
int VariedInk(int g) {
  return 1 + (g * 7) % 18;
}
int EightColumns(int) {
  return 8;  // every glyph 8 + 2 = 10 pixels wide; the space is half the cell, 10 too
}

// All 50 sources with one good statement each.
void WriteGoodSources(const TempDir& dir) {
  for (const packtool::PackSource& s : packtool::PackSources())
    WriteFile(dir / (s.name + ".txt"), "A good statement from " + s.name + ". *Its remark.\n");
}

std::string Expanded(const std::string& plain) {
  return packtool::ExpandText(packtool::CompressText(plain));
}

TEST(PacktoolText, TheSourceListIsTheGamesPackTable) {
  const auto& sources = packtool::PackSources();
  ASSERT_EQ(sources.size(), 50u);
  for (size_t i = 0; i < sources.size(); ++i) {
    std::string path = packTable[i].path;
    EXPECT_EQ(path, "Questions\\trueorfalse\\" + sources[i].name + ".pck");
    EXPECT_EQ(sources[i].category, packTable[i].category);
    EXPECT_EQ(sources[i].answer, packTable[i].answer);
  }
  EXPECT_EQ(packtool::FindPackSource("out/Questions/trueorfalse/Data07.pck")->category, 4);
  EXPECT_TRUE(packtool::IsIntro(*packtool::FindPackSource("VexalIntroTrue.txt")));
  EXPECT_EQ(packtool::FindPackSource("Data49.pck"), nullptr);
}

TEST(PacktoolText, CompressionUsesTheWordsAndExpandsBackExactly) {
  EXPECT_EQ(packtool::CompressText("Which "), "\x80");
  EXPECT_EQ(packtool::CompressText("thee "), "\x89\x8A");
  EXPECT_EQ(packtool::CompressText("xyz"), "xyz");
  EXPECT_EQ(packtool::CompressText(""), "");
  // The shortest spelling, not the greedy one: taking " W" at the space would cost two
  // bytes more than " " and "Which ".
  EXPECT_EQ(packtool::CompressText("hich Which ").size(), 4u);
  for (const std::string& s : {std::string("Where was the 1966 final? *Wembley."),
                               std::string("#5, or #10! 'quoted' ~ {braces} *"),
                               std::string(" ! \" $ % & ( ) + - / : ; < = > ? @ [ \\ ] ^ _ ` |")}) {
    std::string shown = s;
    for (char& c : shown)
      if (c == '#') c = '\x7F';
    EXPECT_EQ(Expanded(s), shown) << s;
    EXPECT_LE(packtool::CompressText(s).size(), s.size());
  }
}

TEST(PacktoolText, PoundSignsBecomeHashAndBack) {
  std::vector<std::string> problems;
  EXPECT_EQ(packtool::ToPackText("It cost \xC2\xA3"
                                 "5 *r",
                                 &problems),
            "It cost #5 *r");
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(packtool::ToSourceText("#5 \x7F"),
            "\xC2\xA3"
            "5 \xC2\xA3");
  packtool::ToPackText("caf\xC3\xA9 #1\t\xA3\x7F", &problems);
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_NE(problems[0].find("U+E9"), std::string::npos);
  EXPECT_NE(problems[1].find("\"#\" is not allowed"), std::string::npos);
  EXPECT_NE(problems[2].find("0x09"), std::string::npos);
  EXPECT_NE(problems[3].find("not UTF-8"), std::string::npos);
  EXPECT_NE(problems[4].find("0x7F"), std::string::npos);
}

TEST(PacktoolText, PacksDecodeToTheirSourceLinesAndTheGameReadsThemAlike) {
  std::vector<std::string> lines = {"It cost #5. *About #5 million.", "Say *a *b", "Plain *"};
  for (bool intro : {false, true}) {
    std::string bytes = packtool::EncodePack(lines, intro);
    packtool::DecodedPack pack = packtool::DecodePack(bytes, intro);
    EXPECT_TRUE(pack.warnings.empty());
    ASSERT_EQ(pack.lines.size(), 3u);
    EXPECT_EQ(pack.lines[0],
              "It cost \xC2\xA3"
              "5. *About \xC2\xA3"
              "5 million.");
    EXPECT_EQ(pack.lines[1], "Say *a *b");
    EXPECT_EQ(pack.lines[2], "Plain *");
  }
  // The intro filler sits just before the last star, where the game drops it.
  std::string intro = packtool::DecodePack(packtool::EncodePack({"Go. *r"}, false), false).lines[0];
  EXPECT_EQ(intro, "Go. *r");
  EXPECT_EQ(packtool::DecodePack(packtool::EncodePack({"Go. *r"}, true), false).lines[0],
            "Go.  *r");
}

TEST(PacktoolText, DecodingWarnsWhereTheGameWouldReadDifferently) {
  std::string noNewline = questions_test::Scrambled("a *r\nlast *r");
  packtool::DecodedPack pack = packtool::DecodePack(noNewline, false);
  EXPECT_EQ(pack.lines.size(), 1u);
  ASSERT_EQ(pack.warnings.size(), 1u);
  EXPECT_NE(pack.warnings[0].find("line 2: no newline"), std::string::npos);

  pack = packtool::DecodePack(questions_test::Scrambled(std::string(40, '\x80') + "*\nx\n"), false);
  ASSERT_EQ(pack.warnings.size(), 2u);
  EXPECT_NE(pack.warnings[0].find("line 1: expands to 241 characters"), std::string::npos);
  EXPECT_NE(pack.warnings[1].find("line 2: no \"*\""), std::string::npos);
  EXPECT_TRUE(packtool::DecodePack("", false).lines.empty());
}

TEST(PacktoolCheck, EachProblemIsOneLineWithItsFileAndLine) {
  TempDir dir;
  WriteGoodSources(dir);
  WriteFile(dir / "Data03.txt",
            "Fine. *ok\n"
            "No star here\n"
            "Costs 5\xE2\x82\xAC *euro\n"
            "A # sign *hash\n" +
                std::string(190, 'a') + " *" + std::string(10, 'b') + "\n" +
                "\tTabbed *x\n"
                " *empty statement\n");
  WriteFile(dir / "VexalIntroTrue.txt", std::string(197, 'i') + "*\n");   // 199 with the filler
  WriteFile(dir / "VexalIntroFalse.txt", std::string(198, 'i') + "*\n");  // 200 with it
  WriteFile(dir / "Data01.txt", std::string(198, 'o') + "*\n");           // 199: fits
  std::filesystem::remove(dir / "Data10.txt");
  WriteFile(dir / "Data11.txt", "");

  testing_support::Outcome o = RunCommand(kPacktool + " check " + dir.Path());
  EXPECT_EQ(o.status, 1);
  for (const char* expected :
       {"Data03.txt:2: no \"*\"", "Data03.txt:3: character U+20AC", "Data03.txt:4: \"#\"",
        "Data03.txt:5: the line is 202 characters long; the game holds 199",
        "Data03.txt:6: control byte 0x09", "Data03.txt:7: the statement before \"*\" is empty",
        "VexalIntroFalse.txt:1: the line is 200 characters", "Data10.txt: missing",
        "Data11.txt: holds no statements", "packtool: 9 problems"})
    EXPECT_NE(o.output.find(expected), std::string::npos) << expected << "\n" << o.output;
  EXPECT_EQ(o.output.find("Data03.txt:1:"), std::string::npos);
  EXPECT_EQ(o.output.find("VexalIntroTrue"), std::string::npos);
  EXPECT_EQ(o.output.find("Data01"), std::string::npos);

  // Build refuses the same sources and writes nothing.
  TempDir out;
  EXPECT_EQ(RunCommand(kPacktool + " build " + dir.Path() + " " + out.Path()).status, 1);
  EXPECT_FALSE(std::filesystem::exists(out / "Questions"));
}

TEST(PacktoolCheck, StatementsMustFitTheQuestionBoxInTheQuestionFont) {
  TempDir dir;
  WriteFile(dir / "TFFont.BMP", FontPicture(EightColumns));
  packtool::FontMetrics font;
  std::string error;
  ASSERT_TRUE(packtool::LoadFontMetrics(dir / "TFFont.BMP", font, &error)) << error;
  EXPECT_EQ(font.cellHeight, 24);
  EXPECT_EQ(font.widths['a' - 32], 10);
  EXPECT_EQ(font.widths[0], 10);

  // Words of nine letters: four to a line of 440 pixels, four lines to the 100-pixel box.
  auto words = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i ? " " : "") + std::string("abcdefghi");
    return s + " ";  // the space before the star is shown too
  };
  EXPECT_EQ(packtool::FitProblem(words(16), font), "");
  EXPECT_EQ(packtool::FitProblem(words(17), font),
            "the statement takes 5 lines of 24 pixels; the 440 x 100 question box holds 4");
  EXPECT_EQ(packtool::FitProblem(std::string(44, 'w'), font), "");
  EXPECT_EQ(packtool::FitProblem(std::string(45, 'w'), font),
            "a word of the statement is 450 pixels wide; the question box is 440");

  WriteGoodSources(dir);
  WriteFile(dir / "Data05.txt", "Fine. *r\n" + words(17) + "*r\n");
  testing_support::Outcome o =
      RunCommand(kPacktool + " check --font " + (dir / "TFFont.BMP") + " " + dir.Path());
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.output.find("Data05.txt:2: the statement takes 5 lines"), std::string::npos)
      << o.output;
  EXPECT_EQ(o.output.find("Data05.txt:1:"), std::string::npos);

  o = RunCommand(kPacktool + " check " + dir.Path());  // without the font it passes
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.output.find("no --font given"), std::string::npos);

  o = RunCommand(kPacktool + " check --font " + (dir / "nothing.BMP") + " " + dir.Path());
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.output.find("cannot open"), std::string::npos);
}

class PacktoolFontTest : public GraphicsTest {};

TEST_F(PacktoolFontTest, MeasuresTheFontExactlyAsTheGameDoes) {
  std::string picture = FontPicture(VariedInk);
  WritePicture(11, picture);
  DrawText("A", 0, 0, 440, 100, 11);
  WriteFile(dir_ / "font.BMP", picture);
  packtool::FontMetrics font;
  ASSERT_TRUE(packtool::LoadFontMetrics(dir_ / "font.BMP", font, nullptr));
  for (int g = 0; g < 96; ++g) EXPECT_EQ(font.widths[g], GlyphWidthTable[3][g]) << g;
  EXPECT_EQ(font.widths[1], VariedInk(1) + 2);

  // And lays a statement out into the same lines.
  const char* text =
      "Which club won the first FA Cup final in 1872? It was \x7F"
      "1 entry. ";
  DrawText(text, 115, 173, 440, 100, 11);
  TextLayout mine;
  LayoutTextLines(reinterpret_cast<const unsigned char*>(text), static_cast<int>(strlen(text)), 440,
                  font.widths, mine);
  const TextLayout& game = LastTextLayout();
  EXPECT_EQ(mine.breaks, game.breaks);
  EXPECT_GT(mine.breaks, 0);
  for (int i = 0; i <= game.breaks; ++i) {
    EXPECT_EQ(mine.width[i], game.width[i]);
    EXPECT_EQ(mine.end[i], game.end[i]);
  }
}

// The real sources and their accepted pairs, copied where a test may change them.
void CopyRealSources(const TempDir& dir) {
  for (const packtool::PackSource& s : packtool::PackSources())
    WriteFile(dir / (s.name + ".txt"), ReadFile(kSources + "/" + s.name + ".txt"));
  WriteFile(dir / packtool::kAcceptedPairsFile,
            ReadFile(kSources + "/" + packtool::kAcceptedPairsFile));
}

TEST(PacktoolDuplicates, TheSameFactTwiceFailsTheCheckUnlessAcceptedAsTwoFacts) {
  const std::string wilkins = "Ray Wilkins was sent off against Morocco at the 1990 World Cup.";
  const std::string accepted =
      "\n# The test's reason.\nData43.txt: Ray Wilkins was sent off against "
      "Morocco at the 1986 World Cup.\nData30.txt: " +
      wilkins + "\n";
  struct Case {
    const char* name;
    const char* file;         // the source a line is added to, or null
    std::string line;         // the statement added, without its remark
    std::string acceptedAdd;  // added to the accepted pairs
    int status;
    std::string expected;  // in the output
  } cases[] = {
      {"exact duplicate", "Data17", "Roy Hodgson managed England at Euro 2016.", "", 1,
       "Data09.txt:42 (true) and Data17.txt:46 (true): exact duplicate: \"Roy Hodgson"},
      {"near duplicate", "Data37", "Paolo Maldini spent his whole playing career at AC Milan.", "",
       1, "Data05.txt:13 (true) and Data37.txt:46 (true): near duplicate"},
      {"near duplicate in other words", "Data03", "Everton moved into a new stadium in 2025.", "",
       1, "Data03.txt:44 (true) and Data21.txt:44 (true): near duplicate (100%): \"Everton moved"},
      {"paired fact", "Data30", wilkins, "", 1,
       "Data30.txt:44 (false) and Data43.txt:30 (true): paired facts (100%), meeting one "
       "answers the other"},
      {"pair with another club", "Data32",
       "Manchester United won the 2025 Europa League final against Tottenham.", "", 1,
       "Data31.txt:47 (true) and Data32.txt:46 (false): paired facts"},
      {"pair through a clause naming the other side", "Data32",
       "Fiorentina won the Europa Conference League final in 2023.", "", 1,
       "Data32.txt:46 (false) and Data47.txt:40 (true): paired facts"},
      {"accepted pair", "Data30", wilkins, accepted, 0, "0 paired facts (2 accepted"},
      {"accepted pair no longer flagged", nullptr, "",
       "\n# Never flagged.\nData43.txt: Ray Wilkins was sent off against Morocco at the 1986 "
       "World Cup.\nData05.txt: Pele won the World Cup three times with Brazil.\n",
       1, "accepted-pairs.txt:10: the check does not flag this pair"},
      {"accepted pair without its reason", "Data30", wilkins,
       "\nData43.txt: a\nData30.txt: " + wilkins + "\n", 1,
       "accepted-pairs.txt:10: an accepted pair needs a \"#\" line"},
      {"accepted statement that is not there", "Data30", wilkins,
       "\n# Why.\nData43.txt: Nothing like it.\nData30.txt: " + wilkins + "\n", 1,
       "Data43.txt holds no statement \"Nothing like it.\""},
      {"the real sources", nullptr, "", "", 0, "0 exact, 0 near duplicates, 0 paired facts"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    CopyRealSources(dir);
    if (c.file) {
      std::string path = dir / (std::string(c.file) + ".txt");
      WriteFile(path, ReadFile(path) + c.line + " *Added by the test.\n");
    }
    std::string pairs = dir / packtool::kAcceptedPairsFile;
    WriteFile(pairs, ReadFile(pairs) + c.acceptedAdd);
    testing_support::Outcome o = RunCommand(kPacktool + " check " + dir.Path());
    EXPECT_EQ(o.status, c.status) << c.name << "\n" << o.output;
    EXPECT_NE(o.output.find(c.expected), std::string::npos) << c.name << "\n" << o.output;
  }
}

std::vector<std::string> SourceLines(const std::string& name) {
  return packtool::SplitSourceLines(ReadFile(kSources + "/" + name + ".txt"));
}

class RealPacks : public questions_test::PackTest {
 protected:
  void SetUp() override {
    PackTest::SetUp();
    testing_support::Outcome o = RunCommand(kPacktool + " build " + kSources + " " + dir_.Path());
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("50 packs"), std::string::npos);
  }
};

TEST_F(RealPacks, DumpGivesBackEverySourceLineExactly) {
  for (const packtool::PackSource& s : packtool::PackSources()) {
    std::string pack = dir_ / ("Questions/trueorfalse/" + s.name + ".pck");
    testing_support::Outcome o = RunCommand(kPacktool + " dump " + pack);
    EXPECT_EQ(o.status, 0) << s.name;
    EXPECT_EQ(o.output, ReadFile(kSources + "/" + s.name + ".txt")) << s.name;
  }
}

TEST_F(RealPacks, StartUpCountsEveryStatementAndDrawsThemAsWritten) {
  ASSERT_TRUE(LoadQuestionPacks());
  long long packBytes = 0, textBytes = 0;
  for (const PackEntry* e = packTable; e->path; ++e) {
    std::string name = std::filesystem::path(FileOf(e)).stem().string();
    std::vector<std::string> lines = SourceLines(name);
    EXPECT_GE(e->lineCount, 40) << name;
    EXPECT_EQ(e->lineCount, static_cast<int32_t>(lines.size())) << name;
    packBytes += static_cast<long long>(std::filesystem::file_size(FileOf(e)));
    for (const std::string& l : lines) textBytes += static_cast<long long>(l.size()) + 1;

    std::set<std::string> statements;
    for (const std::string& l : lines) {
      std::string shown = packtool::ExpandText(packtool::ToPackText(l, nullptr));
      statements.insert(shown.substr(0, shown.rfind('*')));
    }
    for (int i = 0; i < 5; ++i) {
      LoadQuestion(e->category, e->answer);
      EXPECT_EQ(statements.count(GetQuestionText()), 1u) << name << ": " << GetQuestionText();
    }
  }
  EXPECT_LT(packBytes * 100, textBytes * 70);  // the word table saves over 30 %
}

}  // namespace
