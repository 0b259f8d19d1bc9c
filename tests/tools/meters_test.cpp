// The operator's view of a record file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "accounting/game_steps.h"
#include "accounting/record_file.h"
#include "journal_builder.h"
#include "run_command.h"
#include "temp_dir.h"

namespace {

using nlohmann::json;
using testing_support::RunCommand;

// The tool's JSON, parsed: a test that its output is JSON at all, then of what it holds.
json ParsedJson(const testing_support::Outcome& run) {
  json value = json::parse(run.output, nullptr, false);
  EXPECT_FALSE(value.is_discarded()) << run.output;
  return value;
}

TEST(MetersTool, ShowsBalancesLevelsMetersCashpotAndDate) {
  testing_support::TempDir dir;
  RecordImage r;
  r.balances[0] = -300.0f;
  r.balances[1] = -12.5f;
  r.meters[0] = 42;
  r.meters[36] = 3600;
  r.cashpot = 135;
  r.dateWord = "01/29/07";
  testing_support::WriteFile(dir / "rec", EncodeRecord(r));

  auto table = RunCommand(std::string(METERS_BINARY) + " " + dir / "rec");
  EXPECT_EQ(table.status, 0) << table.output;
  // Money in pounds with the pence beside, balances as the cashpot; levels numbered 1..7
  // as the payout sheet numbers them; dates day first, as every other date.
  EXPECT_NE(table.output.find("Main balance   -3.00 (-300 pence), level 5 of 1..7"),
            std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find("Cashpot fund   -0.12 (-12.50 pence)\n"), std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find("Cashpot        1.35 (135 pence)"), std::string::npos);
  EXPECT_NE(table.output.find("First written  29/01/2007 (the record holds 01/29/07, month first)"),
            std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find(" 1  games started at balance level 1 "), std::string::npos);
  EXPECT_NE(table.output.find(" 0  games charged"), std::string::npos);
  EXPECT_NE(table.output.find("seconds of play"), std::string::npos);

  auto run = RunCommand(std::string(METERS_BINARY) + " --json " + dir / "rec");
  EXPECT_EQ(run.status, 0);
  const json doc = ParsedJson(run);
  EXPECT_EQ(doc["meters"][36],
            json({{"index", 36}, {"meaning", "seconds of play"}, {"value", 3600}}));
  // The record's raw text is kept beside the day-first date.
  EXPECT_EQ(doc["firstWritten"], "01/29/07");
  EXPECT_EQ(doc["firstWrittenDayFirst"], "29/01/2007");
  EXPECT_EQ(doc["balances"][0], json({{"value", -300.0}, {"level", 5}}));
  EXPECT_EQ(doc["balances"][1], json({{"value", -12.5}}));
}

// What a file does not hold, or holds as no number, is said in the table and is null in
// the JSON, which stays valid JSON.
TEST(MetersTool, WhatTheFileDoesNotHoldIsSaidPlainly) {
  testing_support::TempDir dir;
  RecordImage r;
  r.balances[0] = std::nanf("");
  r.balances[1] = INFINITY;
  r.meters[0] = 7;
  std::string whole = EncodeRecord(r);
  struct Row {
    std::string bytes;
    const char* table[3];
    const char* json;  // what the JSON holds, as a JSON patch of the whole document
  };
  const Row rows[] = {
      {whole,
       {"Main balance   (not a number)", "Cashpot fund   (not a number)", " 0  games charged"},
       R"({"balances": [{"value": null, "level": null}, {"value": null}],
           "replacedByDefaults": false, "items": 42})"},
      {whole.substr(0, 4 * 3),  // the balances and meter 0 only
       {"SHORT", "Cashpot        (not in the file)",
        "games charged                                         7"},
       R"({"cashpot": null, "items": 3})"},
      {whole.substr(0, 10),
       {"NOT A RECORD", "Main balance   (not in the file)", "not in the file"},
       R"({"replacedByDefaults": true, "items": 0, "cashpot": null})"},
  };
  for (const Row& row : rows) {
    testing_support::WriteFile(dir / "rec", row.bytes);
    auto table = RunCommand(std::string(METERS_BINARY) + " " + dir / "rec");
    auto run = RunCommand(std::string(METERS_BINARY) + " --json " + dir / "rec");
    for (const char* want : row.table)
      EXPECT_NE(table.output.find(want), std::string::npos) << want << "\n" << table.output;
    const json doc = ParsedJson(run);
    const json want = json::parse(row.json);
    for (const auto& [key, value] : want.items())
      EXPECT_EQ(doc[key], value) << key << "\n" << run.output;
    const json& meters = doc["meters"];
    EXPECT_EQ(meters[0]["value"], row.bytes.size() >= 12 ? json(7) : json()) << run.output;
    EXPECT_EQ(meters[1], json({{"index", 1},
                               {"meaning", "games started at balance level 1"},
                               {"value", row.bytes.size() >= 16 ? json(0) : json()}}));
    EXPECT_EQ(run.output.find("nan"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("inf"), std::string::npos) << run.output;
  }
}

// The open games of the game journal beside the record, and the list an older version kept.
TEST(MetersTool, ShowsTheOpenGamesOfTheJournal) {
  using journal::StepKind;
  using journal::StepResult;
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "Zemblar.rec", EncodeRecord(RecordImage{}));
  testing_support::WriteFile(dir / "Interrupted.txt",
                             "game 3 stake 50 pence started 01/12/2026 09:00:00 - found "
                             "01/12/2026 09:05:00\n");
  testing_support::AddRun(dir / "Zemblar.journal", 40000, 1765270800000,
                          {{{{StepKind::kStake, 50, StepResult::kDone}}, journal::kOutcomeLost},
                           {{{StepKind::kStake, 50, StepResult::kDone},
                             {StepKind::kPrizeToBank, 100, StepResult::kNoReply}},
                            journal::kOutcomeWon,
                            100}});
  auto table = RunCommand(std::string(METERS_BINARY) + " " + dir / "Zemblar.rec");
  EXPECT_NE(table.output.find("Open games     1 (money to settle: moneyctl reconcile"),
            std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find("game 2, started 2025-12-09 09:00:00 UTC: stake 50 pence taken - "
                              "prize 100 pence to bank not confirmed"),
            std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find("Interrupted    1 game an older version listed"), std::string::npos);
  const json doc =
      ParsedJson(RunCommand(std::string(METERS_BINARY) + " --json " + dir / "Zemblar.rec"));
  EXPECT_EQ(doc["openGames"],
            json::parse(R"([{"game": 2, "started": "2025-12-09 09:00:00", "outcome": "won",
                "steps": "stake 50 pence taken - prize 100 pence to bank not confirmed"}])"));
  EXPECT_EQ(doc["interruptedGames"], 1);
  EXPECT_EQ(doc["interrupted"][0].get<std::string>().rfind("game 3 stake 50", 0), 0u) << doc;
}

// The node exporter's textfile: written whole, and valid to promtool.
TEST(MetersTool, WritesPrometheusTextThatPromtoolAccepts) {
  testing_support::TempDir dir;
  RecordImage r;
  r.balances[0] = 400.0f;
  r.meters[0] = 1000;
  r.meters[22] = 17760;
  r.cashpot = 340;
  testing_support::WriteFile(dir / "Zemblar.rec", EncodeRecord(r));
  testing_support::WriteFile(dir / "Interrupted.txt", "game 3 stake 50 pence - found x\n");
  auto o = RunCommand(std::string(METERS_BINARY) + " " + dir / "Zemblar.rec --prometheus " +
                      dir / "strikora.prom");
  ASSERT_EQ(o.status, 0) << o.output;
  std::string text = testing_support::ReadFile(dir / "strikora.prom");
  for (const char* want :
       {"strikora_meter{index=\"0\",meaning=\"games charged\"} 1000\n",
        "strikora_meter{index=\"22\",meaning=\"total paid out (pence)\"} 17760\n",
        "strikora_balance{balance=\"main\"} 400\n", "strikora_cashpot_pence 340\n",
        "strikora_interrupted_games 1\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  EXPECT_FALSE(std::filesystem::exists(dir / "strikora.prom.tmp"));
  auto check = RunCommand("promtool check metrics < " + dir / "strikora.prom");
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(MetersTool, ShortAndMissingFilesAreReportedPlainly) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "short", std::string(100, '\0'));
  auto shortFile = RunCommand(std::string(METERS_BINARY) + " " + dir / "short");
  EXPECT_EQ(shortFile.status, 0);
  EXPECT_NE(shortFile.output.find("SHORT"), std::string::npos);
  EXPECT_NE(shortFile.output.find("(no date)"), std::string::npos);

  auto missing = RunCommand(std::string(METERS_BINARY) + " " + dir / "nothing");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("cannot read"), std::string::npos);
  EXPECT_EQ(RunCommand(std::string(METERS_BINARY) + " --bogus").status, 64);
}

// The last games, newest first, with money and every step in words; JSON with the fields an
// operator's tools read; an open game marked; the count bounded.
TEST(MetersTool, RecallsTheLastGamesWithEveryStep) {
  using journal::StepKind;
  using journal::StepResult;
  testing_support::TempDir dir;
  RecordImage r;
  testing_support::WriteFile(dir / "Zemblar.rec", EncodeRecord(r));
  auto row = [](int64_t seq, const char* kind, const steps::Fields& f) {
    return journal::StepRow{seq, kind, seq * 1000, steps::Encode(f)};
  };
  const steps::Fields start = {
      {"stake", "50"}, {"credits", "150"}, {"bank", "0"}, {"cashpot", "120"}};
  const steps::Fields turn = {
      {"turn", "1"},           {"hex", "12"},      {"by", "touch"},
      {"feature", "question"}, {"truth", "1"},     {"answer", "true"},
      {"right", "1"},          {"left", "14200"},  {"text", "Goal \"kicks\" exist."},
      {"points0", "0"},        {"points", "5000"}, {"lives", "2"},
      {"reveals", "0"},        {"boots", "0"},     {"cashpot", "125"},
      {"prize", "0"}};
  testing_support::BuiltGame won{
      {{StepKind::kStake, 50, StepResult::kDone}, {StepKind::kPrizeToBank, 100, StepResult::kDone}},
      journal::kOutcomeWon,
      100,
      {row(1, "start", start), row(2, "turn", turn), row(3, "collect", {{"prize", "100"}}),
       row(4, "end", {{"outcome", "won"}, {"win", "100"}, {"credits", "100"}, {"bank", "100"}})},
      3};
  testing_support::BuiltGame cut{{{StepKind::kStake, 50, StepResult::kDone}},
                                 nullptr,
                                 0,
                                 {row(1, "start", start), row(2, "turn", turn)}};
  testing_support::AddRun(dir / "Zemblar.journal", 40000, 1765270800000, {won, won, won, cut});

  auto text = RunCommand(std::string(METERS_BINARY) + " " + dir / "Zemblar.rec" + " --games 2");
  EXPECT_EQ(text.status, 0) << text.output;
  const size_t newest = text.output.find("Game 4 - OPEN"), older = text.output.find("Game 3 -");
  EXPECT_NE(newest, std::string::npos) << text.output;
  EXPECT_NE(older, std::string::npos) << text.output;
  EXPECT_LT(newest, older);
  EXPECT_EQ(text.output.find("Game 2 -"), std::string::npos) << "two games only";
  EXPECT_NE(text.output.find("turn 1: hexagon 12, question: 'Goal \"kicks\" exist.' answered "
                             "TRUE, right, 14.2 s left; points 0 -> 5,000"),
            std::string::npos)
      << text.output;
  EXPECT_NE(text.output.find("money: prize 100 pence to bank paid"), std::string::npos);
  EXPECT_NE(text.output.find("credits \xC2\xA3"
                             "1.50, bank \xC2\xA3"
                             "0.00 before; credits "
                             "\xC2\xA3"
                             "1.00, bank \xC2\xA3"
                             "1.00 after"),
            std::string::npos)
      << text.output;

  auto run = RunCommand(std::string(METERS_BINARY) + " " + dir / "Zemblar.rec" + " --games --json");
  EXPECT_EQ(run.status, 0) << run.output;
  const json games = ParsedJson(run)["games"];
  ASSERT_EQ(games.size(), 4u) << run.output;
  EXPECT_EQ(games[0]["game"], 4);
  EXPECT_EQ(games[0]["ended"], json());
  EXPECT_EQ(games[0]["outcome"], "");
  EXPECT_EQ(games[0]["open"], true);
  EXPECT_EQ(games[1]["win"], 100);
  EXPECT_EQ(games[1]["open"], false);
  EXPECT_EQ(games[1]["cashpot"], 0);
  EXPECT_EQ(games[1]["stake"], 50);
  EXPECT_TRUE(games[1]["started"].is_string());
  EXPECT_EQ(games[1]["steps"][1]["fields"]["text"], "Goal \"kicks\" exist.");
  EXPECT_EQ(
      RunCommand(std::string(METERS_BINARY) + " " + dir / "Zemblar.rec" + " --games 0").status, 64);
}

}  // namespace
