// The packs as the game uses them: counting at start-up, drawing a statement, the
// question mark-up, the choice of category by turn and control mode, and the ways a pack
// can be wrong or go missing.
#include <algorithm>
#include <map>
#include <set>

#include "pack_fixture.h"

namespace {

using questions_test::PackTest;

TEST(PackTable, FiftyPacksInTheirOrderAndAnEndMarker) {
  for (int nn = 1; nn <= 48; ++nn) {
    const PackEntry& e = packTable[nn - 1];
    char path[64];
    std::snprintf(path, sizeof path, "Questions\\trueorfalse\\Data%02d.pck", nn);
    EXPECT_STREQ(e.path, path);
    EXPECT_EQ(e.category, (nn + 1) / 2) << nn;
    EXPECT_EQ(e.answer, nn % 2) << nn;
    EXPECT_STREQ(e.answerLabel, nn % 2 ? " TRUE " : " FALSE");
    EXPECT_EQ(e.reserved, 0);
  }
  EXPECT_STREQ(packTable[48].path, "Questions\\trueorfalse\\VexalIntroFalse.pck");
  EXPECT_EQ(packTable[48].category, 25);
  EXPECT_EQ(packTable[48].answer, 0);
  EXPECT_STREQ(packTable[49].path, "Questions\\trueorfalse\\VexalIntroTrue.pck");
  EXPECT_EQ(packTable[49].answer, 1);
  EXPECT_STREQ(packTable[49].answerLabel, " TRUE");
  EXPECT_EQ(packTable[50].path, nullptr);
}

TEST(CategoryTable, WarmUpsFirstThenTheHarderCategoriesByMode) {
  for (int mode = 0; mode < 5; ++mode) {
    EXPECT_EQ(categoryTable[0][mode], 1);
    EXPECT_EQ(categoryTable[3][mode], 4);
  }
  const int8_t turn5[5] = {15, 6, 6, 2, 2};
  const int8_t turn59[5] = {19, 19, 20, 17, 24};
  const int8_t turn40[5] = {20, 20, 21, 18, 15};
  for (int mode = 0; mode < 5; ++mode) {
    EXPECT_EQ(categoryTable[5][mode], turn5[mode]);
    EXPECT_EQ(categoryTable[40][mode], turn40[mode]);
    EXPECT_EQ(categoryTable[59][mode], turn59[mode]);
  }
  for (int turn = 0; turn < 60; ++turn)
    for (int mode = 0; mode < 5; ++mode) {
      EXPECT_GE(categoryTable[turn][mode], 1);
      EXPECT_LE(categoryTable[turn][mode], 24);
    }
}

TEST_F(PackTest, LinesAreCountedOnlyWhenTheyEndWithANewline) {
  WritePlain(1, 1, "a*\nb*\nc*\n");
  WritePlain(1, 0, "a*\nb*\nc*");
  WritePlain(2, 1, "");
  WritePlain(2, 0, "\n\r\n");
  ASSERT_TRUE(LoadQuestionPacks());
  EXPECT_EQ(Entry(1, 1)->lineCount, 3);
  EXPECT_EQ(Entry(1, 0)->lineCount, 2);
  EXPECT_EQ(Entry(2, 1)->lineCount, 0);
  EXPECT_EQ(Entry(2, 0)->lineCount, 2);
  EXPECT_EQ(Entry(3, 1)->lineCount, 1);
}

TEST_F(PackTest, TheLastStatementWithoutANewlineIsNeverDrawn) {
  WritePlain(1, 0, "first *\nsecond *\nlast *");
  ASSERT_TRUE(LoadQuestionPacks());
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    LoadQuestion(1, 0);
    seen.insert(GetQuestionText());
  }
  EXPECT_EQ(seen, (std::set<std::string>{"first ", "second "}));
}

TEST_F(PackTest, AMissingPackReleasesTheDisplayAndStopsTheCount) {
  ASSERT_TRUE(InitDisplay());
  std::filesystem::remove(FileOf(Entry(4, 1)));  // Data07
  EXPECT_FALSE(LoadQuestionPacks());
  EXPECT_EQ(LastShutdownCode(), 18);
  EXPECT_FALSE(DisplayUp());
  EXPECT_EQ(Entry(3, 0)->lineCount, 1);  // Data06, before it
  EXPECT_EQ(Entry(4, 0)->lineCount, 0);  // Data08, after it: never opened
  const auto& calls = system_.Calls();
  EXPECT_EQ(
      std::count(calls.begin(), calls.end(), "OpenFile Questions\\trueorfalse\\Data08.pck rb"), 0);
  EXPECT_EQ(calls.back(), "CloseDisplay");
}

TEST_F(PackTest, TheStatementKeepsItsSpaceBeforeTheStarExceptInTheIntroPacks) {
  EXPECT_EQ(QuestionFrom(7, 1, "Seven is a number. *So it is.\n"), "Seven is a number. ");
  EXPECT_EQ(QuestionFrom(25, 1, "Kick-off starts a match. *Yes.\n"), "Kick-off starts a match.");
  EXPECT_EQ(QuestionFrom(25, 0, "Kick-off starts a match. x*Yes.\n"), "Kick-off starts a match. ");
  EXPECT_EQ(QuestionFrom(12, 0, "Two *stars *in one line\n"), "Two *stars ");
}

TEST_F(PackTest, WordCodesPoundSignsAndControlBytesExpand) {
  const std::string which = "\x80", theE = "\x89\x8A", low = "\x03", high = "\xF8";
  EXPECT_EQ(QuestionFrom(3, 1, which + "team won? *r\n"), "Which team won? ");
  EXPECT_EQ(QuestionFrom(3, 0, theE + "*r\n"), "thee ");
  EXPECT_EQ(QuestionFrom(4, 1, "It cost #5.\t*r\r\n"), "It cost \x7F" + std::string("5. "));
  // Stored unchanged, yet the 0x03 uses up a key position: the 'A' after it reads right.
  EXPECT_EQ(QuestionFrom(4, 0, low + "A" + high + "*r\n"), "Atr");
}

TEST_F(PackTest, ALineWithoutAStarIsAskedWhole) {
  EXPECT_EQ(QuestionFrom(5, 1, "No remark here\n"), "No remark here");
}

TEST_F(PackTest, AnOverlongLineIsCutAndTheLinesAfterItStayWhole) {
  WritePlain(6, 1, std::string(700, 'x') + "*r\nShort *r\n");
  ASSERT_TRUE(LoadQuestionPacks());
  EXPECT_EQ(Entry(6, 1)->lineCount, 2);
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    LoadQuestion(6, 1);
    seen.insert(GetQuestionText());
  }
  // The cut line keeps its first 499 bytes, of which the question text holds 199.
  EXPECT_EQ(seen, (std::set<std::string>{std::string(199, 'x'), "Short "}));
}

TEST_F(PackTest, ExpansionStopsAtTheEndOfTheQuestionText) {
  std::string text = QuestionFrom(8, 0, std::string(50, '\x81') + "*r\n");  // 250 characters
  EXPECT_EQ(text.size(), 199u);
  EXPECT_EQ(text.substr(0, 10), "What What ");
  // A star inside the 199 characters still ends the question.
  text = QuestionFrom(8, 1, std::string(30, '\x81') + "*" + std::string(30, '\x81') + "\n");
  EXPECT_EQ(text, [] {
    std::string s;
    for (int i = 0; i < 30; ++i) s += "What ";
    return s;
  }());
}

TEST_F(PackTest, APackGoneSinceStartUpGivesAStandbyQuestionAndALogLine) {
  CreateSystemFolders();
  OpenLog();
  ASSERT_TRUE(LoadQuestionPacks());
  std::filesystem::remove(FileOf(Entry(9, 1)));
  LoadQuestion(9, 1);
  std::string trueStandby = GetQuestionText();
  EXPECT_NE(trueStandby.find("eleven players"), std::string::npos);
  std::filesystem::remove(FileOf(Entry(9, 0)));
  LoadQuestion(9, 0);
  EXPECT_NE(std::string(GetQuestionText()).find("fifteen players"), std::string::npos);

  const auto& debug = system_.DebugOutput();
  EXPECT_NE(std::find(debug.begin(), debug.end(),
                      "<4>Question pack Questions\\trueorfalse\\Data17.pck cannot be opened - a "
                      "standby question was asked\n"),
            debug.end());
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find("Data18.pck cannot be opened"), std::string::npos);
}

TEST_F(PackTest, APackThatShrankOrHoldsNothingGivesAStandbyQuestion) {
  WritePlain(10, 1, "a *\nb *\nc *\n");
  WritePlain(10, 0, "");
  ASSERT_TRUE(LoadQuestionPacks());
  WritePlain(10, 1, "");  // emptied after the count
  LoadQuestion(10, 1);
  EXPECT_NE(std::string(GetQuestionText()).find("eleven players"), std::string::npos);
  LoadQuestion(10, 0);
  EXPECT_NE(std::string(GetQuestionText()).find("fifteen players"), std::string::npos);
  // A statement with nothing before its star would show an empty box.
  EXPECT_NE(QuestionFrom(11, 1, "*only a remark\n").find("eleven players"), std::string::npos);
}

TEST_F(PackTest, NoMatchingPackSaysNotFoundWithoutOpeningAFile) {
  ASSERT_TRUE(LoadQuestionPacks());
  size_t calls = system_.Calls().size();
  LoadQuestion(26, 1);
  EXPECT_STREQ(GetQuestionText(), "NOT FOUND! 26, 1");
  LoadQuestion(1, 2);
  EXPECT_STREQ(GetQuestionText(), "NOT FOUND! 1, 2");
  EXPECT_EQ(system_.Calls().size(), calls);
}

// Draws many questions and tallies the marker statements they came from.
std::map<std::string, int> Tally(int draws) {
  std::map<std::string, int> tally;
  for (int i = 0; i < draws; ++i) {
    ChooseQuestion();
    std::string text = GetQuestionText();
    // The answer tossed is the truth value of the pack drawn from.
    EXPECT_EQ(text.substr(text.find('T') + 1, 1), std::to_string(GetCorrectAnswer()));
    ++tally[text.substr(0, text.find(' '))];
  }
  return tally;
}

TEST_F(PackTest, TheFirstTurnAsksCategoryOneOrTheIntroThreeTimesInFour) {
  ASSERT_TRUE(LoadQuestionPacks());
  for (int mode = 0; mode < 5; ++mode) {
    controlTable.controlModeQuestion = static_cast<int16_t>(mode);
    std::map<std::string, int> tally = Tally(2000);
    EXPECT_EQ(tally.size(), 2u);
    EXPECT_EQ(tally["C1"] + tally["C25"], 2000);
    EXPECT_GT(tally["C25"], 1400) << mode;  // 1500 expected
    EXPECT_LT(tally["C25"], 1600) << mode;
  }
}

TEST_F(PackTest, LaterTurnsFollowTheTableAndTurnSixtyOnIsCategory24) {
  ASSERT_TRUE(LoadQuestionPacks());
  controlTable.controlModeQuestion = 0;
  turnCount = 5;
  EXPECT_EQ(Tally(50), (std::map<std::string, int>{{"C15", 50}}));
  controlTable.controlModeQuestion = 4;
  turnCount = 59;
  EXPECT_EQ(Tally(50), (std::map<std::string, int>{{"C24", 50}}));
  controlTable.controlModeQuestion = 3;
  turnCount = 4;  // category 1 in this column: the intro may take its place
  std::map<std::string, int> early = Tally(200);
  EXPECT_EQ(early["C1"] + early["C25"], 200);
  EXPECT_GT(early["C1"], 0);
  for (int turn : {60, 61, 1000})
    for (int mode = 0; mode < 5; ++mode) {
      turnCount = turn;
      controlTable.controlModeQuestion = static_cast<int16_t>(mode);
      EXPECT_EQ(Tally(20), (std::map<std::string, int>{{"C24", 20}})) << turn << " " << mode;
    }
}

TEST_F(PackTest, OutOfRangeTurnsAndModesStillAskAQuestion) {
  ASSERT_TRUE(LoadQuestionPacks());
  turnCount = -3;
  controlTable.controlModeQuestion = 9;
  std::map<std::string, int> tally = Tally(100);
  EXPECT_EQ(tally["C1"] + tally["C25"], 100);
  turnCount = 10;
  controlTable.controlModeQuestion = -1;
  EXPECT_EQ(Tally(10), (std::map<std::string, int>{{"C20", 10}}));
}

}  // namespace
