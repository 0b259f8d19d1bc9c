// A game's steps as the journal keeps them: their fields read back exactly, bad lines
// refused, their words, and the store: a first-format journal upgraded in place, steps kept
// in order with their game's money, and gone with it when the history is pruned.
#include "accounting/game_steps.h"

#include <gtest/gtest.h>

#include "journal_builder.h"
#include "temp_dir.h"

namespace {

using journal::StepKind;
using journal::StepResult;
using testing_support::BuiltGame;

TEST(GameSteps, FieldsReadBackExactlyAndBadLinesAreRefused) {
  const steps::Fields fields = {{"text", "Footix, a cockerel, was the mascot of 1998. "},
                                {"odd", "a=b %20 100% \t\n"},
                                {"empty", ""},
                                {"utf8",
                                 "\xC2\xA3"
                                 "1.25 Jos\xC3\xA9"},
                                {"n", "-12"}};
  const std::string line = steps::Encode(fields);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  steps::Fields back;
  std::string error;
  ASSERT_TRUE(steps::Decode(line, back, error)) << error;
  EXPECT_EQ(back, fields);
  EXPECT_EQ(steps::GetInt(back, "n"), -12);
  EXPECT_EQ(steps::GetInt(back, "text", 7), 7);
  EXPECT_EQ(steps::Get(back, "missing"), "");

  struct Bad {
    std::string line;
    const char* why;
  };
  const Bad bad[] = {{"novalue", "not a key=value"},
                     {"=x", "not a key=value"},
                     {"a=%4", "not a key=value"},
                     {"a=%ZZ", "not a key=value"},
                     {"a=" + std::string(steps::kMaxDataBytes, 'x'), "bytes (at most"}};
  for (const Bad& b : bad) {
    EXPECT_FALSE(steps::Decode(b.line, back, error)) << b.line.substr(0, 20);
    EXPECT_NE(error.find(b.why), std::string::npos) << error;
  }
}

TEST(GameSteps, AreToldInWordsAPlayerKnows) {
  struct Case {
    const char* kind;
    steps::Fields fields;
    const char* words;
  };
  const Case cases[] = {
      {"turn",
       {{"turn", "7"},
        {"hex", "12"},
        {"by", "touch"},
        {"feature", "question"},
        {"truth", "1"},
        {"answer", "true"},
        {"right", "1"},
        {"left", "14200"},
        {"text", "Footix, a cockerel, was the mascot of the 1998 World Cup. "},
        {"points0", "40000"},
        {"points", "45000"},
        {"lives", "2"},
        {"reveals", "1"},
        {"boots", "0"},
        {"cashpot", "135"},
        {"prize", "200"}},
       "turn 7: hexagon 12, question: 'Footix, a cockerel, was the mascot of the 1998 World "
       "Cup.' answered TRUE, right, 14.2 s left; points 40,000 -> 45,000; lives 2, reveals 1, "
       "boots 0, cashpot \xC2\xA3"
       "1.35, prize reached \xC2\xA3"
       "2.00"},
      {"turn",
       {{"turn", "3"},
        {"hex", "4"},
        {"by", "time"},
        {"feature", "points"},
        {"value", "5000"},
        {"points0", "0"},
        {"points", "5000"},
        {"lives", "1"},
        {"reveals", "0"},
        {"boots", "0"},
        {"cashpot", "100"},
        {"prize", "0"}},
       "turn 3: hexagon 4 (chosen at the time-out), 5,000 points; points 0 -> 5,000; lives 1, "
       "reveals 0, boots 0, cashpot \xC2\xA3"
       "1.00"},
      {"wait",
       {{"on", "answer"},
        {"result", "4"},
        {"x", "-1"},
        {"y", "-1"},
        {"ms", "20001"},
        {"left", "0"},
        {"turn", "9"}},
       "turn 9: time-out on the question"},
      {"wait",
       {{"on", "pick"},
        {"result", "1"},
        {"x", "400"},
        {"y", "267"},
        {"ms", "1250"},
        {"left", "8750"}},
       "start pick: box 2 touched after 1.2 s"},
      {"collect",
       {{"turn", "5"}, {"prize", "400"}},
       "collected \xC2\xA3"
       "4.00"},
      {"end",
       {{"outcome", "won"},
        {"win", "400"},
        {"points", "90000"},
        {"credits", "50"},
        {"bank", "400"}},
       "end: won, prize \xC2\xA3"
       "4.00, points 90,000; credits \xC2\xA3"
       "0.50, bank "
       "\xC2\xA3"
       "4.00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(steps::Describe({1, c.kind, 0, steps::Encode(c.fields)}), c.words);
}

journal::StepRow Row(int64_t seq, const char* kind) {
  return {seq, kind, seq * 100, steps::Encode({{"n", std::to_string(seq)}})};
}

// Steps go with the money step that follows them, the rest with the end; a game cut off
// keeps those written with its last intent; a first-format journal gains the table in place.
TEST(GameSteps, AreKeptInOrderWithTheGameAndGoWithIt) {
  testing_support::TempDir dir;
  const std::string path = dir / "journal";
  // A first-format journal: the game's tables without the steps.
  testing_support::AddRun(path, 40000, 1000,
                          {{{{StepKind::kStake, 50, StepResult::kDone}}, "lost"}});
  journal::Store store;
  std::string error;
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kSettling, store, error)) << error;
  ASSERT_TRUE(journal::Exec(store, "DROP TABLE steps; PRAGMA user_version = 1;", error)) << error;
  journal::CloseStore(store);
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kReading, store, error)) << error;
  std::vector<journal::StepRow> rows;
  EXPECT_TRUE(journal::ReadSteps(store, 1, rows, error)) << "read as it is: " << error;
  EXPECT_TRUE(rows.empty());
  journal::CloseStore(store);

  const BuiltGame won{
      {{StepKind::kStake, 50, StepResult::kDone}, {StepKind::kPrizeToBank, 200, StepResult::kDone}},
      "won",
      200,
      {Row(1, "start"), Row(2, "turn"), Row(3, "collect"), Row(4, "end")},
      3};
  const BuiltGame cut{{{StepKind::kStake, 50, StepResult::kDone},
                       {StepKind::kPrizeToBank, 100, StepResult::kIntent}},
                      nullptr,
                      0,
                      {Row(1, "start"), Row(2, "collect")}};
  testing_support::AddRun(path, 40001, 2000, {won});  // opens it for the game: upgraded
  testing_support::AddRun(path, 40002, 2500, {cut});
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kReading, store, error)) << error;
  EXPECT_EQ(store.version, journal::kSchemaVersion);
  ASSERT_TRUE(journal::ReadSteps(store, 2, rows, error)) << error;
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].data, won.played[i].data);
  EXPECT_EQ(rows[2].kind, "collect");
  EXPECT_EQ(rows[2].atMs, 300);
  ASSERT_TRUE(journal::ReadSteps(store, 3, rows, error)) << error;
  EXPECT_EQ(rows.size(), 2u) << "a game cut off keeps the steps written with its intents";
  std::vector<journal::Game> latest;
  ASSERT_TRUE(journal::ReadLatestGames(store, 2, latest, error)) << error;
  ASSERT_EQ(latest.size(), 2u);
  EXPECT_EQ(latest[0].game, 3);
  EXPECT_EQ(latest[1].game, 2);
  int64_t bytes = 0;
  ASSERT_TRUE(journal::StepBytes(store, 2, bytes, error));
  EXPECT_GT(bytes, 4 * 12);
  journal::CloseStore(store);

  // The history: the oldest closed games go with their steps.
  std::vector<BuiltGame> many(journal::kGamesKept, won);
  testing_support::AddRun(path, 40003, 3000, many);
  ASSERT_TRUE(journal::OpenStore(path, journal::OpenFor::kGame, store, error)) << error;
  ASSERT_TRUE(journal::Prune(store, error)) << error;
  ASSERT_TRUE(journal::StepBytes(store, 2, bytes, error));
  EXPECT_EQ(bytes, 0) << "gone with its game";
  ASSERT_TRUE(journal::StepBytes(store, 3, bytes, error));
  EXPECT_GT(bytes, 0) << "the open game's run is kept, with its steps";
  ASSERT_TRUE(journal::ReadSteps(store, 3 + journal::kGamesKept, rows, error));
  EXPECT_EQ(rows.size(), 4u);
  journal::CloseStore(store);
}

}  // namespace
