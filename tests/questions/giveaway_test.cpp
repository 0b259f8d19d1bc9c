// packtool's give-away measure: the features, the cross-validated classifier on corpora
// fair and unfair by design, the lopsided terms and length gaps, and the real sources
// failing the check once a one-sided template is put back.
#include "giveaway.h"

#include <gtest/gtest.h>

#include <functional>

#include "pack_text.h"
#include "run_command.h"
#include "temp_dir.h"

namespace {

using packtool::Statement;
using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteFile;

const char* const kCities[] = {"Leeds",  "Derby",  "Bury", "Hull",    "York",
                               "Wigan",  "Luton",  "Bath", "Exeter",  "Stoke",
                               "Barnet", "Oxford", "Ely",  "Preston", "Crewe"};

// n statements a side of category 1, the i-th of side `answer` written by `make`.
std::vector<Statement> Corpus(int n, const std::function<std::string(int, int)>& make) {
  std::vector<Statement> list;
  for (int i = 0; i < n; ++i)
    for (int answer : {1, 0}) list.push_back(Statement{1, answer, make(i, answer), ""});
  return list;
}

TEST(Giveaway, FeaturesAreWordsWordPairsAndALengthBand) {
  struct Case {
    std::string text;
    std::vector<std::string> features;
  } cases[] = {
      {"Spurs won.", {"w:spurs", "p:spurs won", "w:won", "len:1"}},
      {"It's 2-1 ", {"w:it's", "p:it's 2", "w:2", "p:2 1", "w:1", "len:0"}},
      {"", {"len:0"}},
      {std::string(25, 'x') + " ", {"w:" + std::string(25, 'x'), "len:2"}},
  };
  for (const Case& c : cases) EXPECT_EQ(packtool::StatementFeatures(c.text), c.features) << c.text;
}

TEST(Giveaway, TheClassifierIsNearChanceOnFairWordingAndSeesOneSidedTemplates) {
  auto city = [](int i) { return std::string(kCities[i % 15]); };
  struct Case {
    const char* name;
    std::function<std::string(int, int)> make;
    double low, high;
  } cases[] = {
      // The same template on both sides, only the facts differ.
      {"shared template",
       [&](int i, int) { return "Club " + std::to_string(i) + " play in " + city(i * 7) + "."; },
       0.0, 0.6},
      // False statements in their own template.
      {"one-sided template",
       [&](int i, int a) {
         return a ? "Club " + std::to_string(i) + " won the cup in " + std::to_string(1900 + i)
                  : "Ground " + std::to_string(i) + " is in " + city(i) + ".";
       },
       0.95, 1.0},
      // Only the length differs: true statements carry a longer tail of varied words.
      {"length alone",
       [&](int i, int a) {
         std::string s = city(i) + " " + city(i + 3);
         return a ? s + " " + std::string(30 + i % 7, 'q') : s;
       },
       0.9, 1.0},
  };
  for (const Case& c : cases) {
    double accuracy = packtool::CrossValidatedAccuracy(Corpus(40, c.make), 10);
    EXPECT_GE(accuracy, c.low) << c.name;
    EXPECT_LE(accuracy, c.high) << c.name;
  }
  EXPECT_EQ(packtool::CrossValidatedAccuracy({}, 10), 0.5);
}

TEST(Giveaway, ProblemsNameEachLimitBroken) {
  packtool::GiveawayLimits limits;
  limits.overall = 0.6;
  limits.perCategory = 0.7;
  limits.lopsidedTerms = 0;
  limits.lengthGap = 5;
  // "is in" on 30 false statements and no true one; true ones 20 characters longer.
  std::vector<Statement> unfair = Corpus(30, [](int i, int a) {
    std::string where = kCities[i % 15];
    return a ? "Town " + where + " won the cup in the year " + std::to_string(1900 + i)
             : "Ground " + std::to_string(i) + " is in " + where;
  });
  packtool::GiveawayReport report = packtool::MeasureGiveaways(unfair, limits);
  ASSERT_TRUE(report.measured);
  ASSERT_EQ(report.categories.size(), 1u);
  EXPECT_TRUE(report.categories[0].measured);
  EXPECT_EQ(report.categories[0].trueCount, 30);
  bool sawIsIn = false;
  for (const packtool::LopsidedTerm& t : report.lopsided)
    if (t.term == "is in") {
      sawIsIn = true;
      EXPECT_EQ(t.trueUses, 0);
      EXPECT_EQ(t.falseUses, 30);
    }
  EXPECT_TRUE(sawIsIn);
  std::vector<std::string> problems = packtool::GiveawayProblems(report, limits);
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_NE(problems[0].find("over all statements; the limit is 60.0%"), std::string::npos);
  EXPECT_EQ(problems[1].rfind("Data01/Data02: give-away: category 1: the wording", 0), 0u);
  EXPECT_NE(problems[2].find("the limit is a gap of 5.0"), std::string::npos);
  EXPECT_NE(problems[3].find("used 10+ times"), std::string::npos);

  // Too few statements a side are reported but held to nothing.
  std::vector<Statement> few(unfair.begin(), unfair.begin() + 10);
  report = packtool::MeasureGiveaways(few, limits);
  EXPECT_FALSE(report.measured);
  EXPECT_FALSE(report.categories[0].measured);
  EXPECT_TRUE(packtool::GiveawayProblems(report, limits).empty());
  EXPECT_NE(packtool::FormatGiveawayReport(report, limits, 10).find("overall not measured"),
            std::string::npos);
}

TEST(Giveaway, AnAbsoluteWordLeansWhenMostOfItsUsesSitOnOneSide) {
  packtool::GiveawayLimits limits = packtool::SourceLimits();
  struct Case {
    int trueUses, falseUses;
    bool leans;
  } cases[] = {{3, 9, true},  {0, 2, true},   {23, 7, true},  {3, 5, false},
               {0, 1, false}, {12, 7, false}, {10, 10, false}};
  for (const Case& c : cases) {
    std::vector<Statement> list;
    for (int i = 0; i < c.trueUses; ++i)
      list.push_back({1, 1, "Every club " + std::to_string(i), ""});
    for (int i = 0; i < c.falseUses; ++i)
      list.push_back({1, 0, "every town " + std::to_string(i), ""});
    list.push_back({1, 1, "A club", ""});
    list.push_back({1, 0, "A town", ""});
    packtool::GiveawayReport report = packtool::MeasureGiveaways(list, limits);
    ASSERT_EQ(report.absolute.size(), c.trueUses + c.falseUses ? 1u : 0u);
    EXPECT_EQ(report.absolute[0].word, "every");
    EXPECT_EQ(report.absolute[0].trueUses, c.trueUses);
    EXPECT_EQ(report.absolute[0].falseUses, c.falseUses);
    EXPECT_EQ(report.absolute[0].leans, c.leans) << c.trueUses << "/" << c.falseUses;
    bool reported = false;
    for (const std::string& p : packtool::GiveawayProblems(report, limits))
      reported |= p.find("absolute word \"every\"") != std::string::npos;
    EXPECT_EQ(reported, c.leans) << c.trueUses << "/" << c.falseUses;
  }
}

TEST(Giveaway, TheRealSourcesPassUntilAOneSidedTemplateComesBack) {
  TempDir dir;
  for (const packtool::PackSource& s : packtool::PackSources())
    WriteFile(dir / (s.name + ".txt"),
              ReadFile(std::string(QUESTION_SOURCES) + "/" + s.name + ".txt"));
  WriteFile(dir / "accepted-pairs.txt",
            ReadFile(std::string(QUESTION_SOURCES) + "/accepted-pairs.txt"));
  const std::string check = std::string(PACKTOOL_BINARY) + " check " + dir.Path();
  testing_support::Outcome o = RunCommand(check);
  EXPECT_EQ(o.status, 0) << o.output;
  EXPECT_NE(o.output.find("overall"), std::string::npos);

  // Thirty short "Ground is in City." lines on the false side of the grounds category.
  std::string extra;
  for (int i = 0; i < 30; ++i)
    extra += std::string("Ground ") + kCities[i % 15] + " " + std::to_string(i) + " is in " +
             kCities[(i + 4) % 15] + ". *Made up for the test.\n";
  WriteFile(dir / "Data22.txt", ReadFile(dir / "Data22.txt") + extra);
  o = RunCommand(check);
  EXPECT_EQ(o.status, 1) << o.output;
  EXPECT_NE(o.output.find("Data21/Data22: give-away: category 11"), std::string::npos) << o.output;
}

}  // namespace
