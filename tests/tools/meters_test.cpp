// The operator's view of a record file.
#include <gtest/gtest.h>

#include "accounting/record_file.h"
#include "run_command.h"
#include "temp_dir.h"

namespace {

using testing_support::RunCommand;

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
  EXPECT_NE(table.output.find("Main balance   -300.00 (level 4"), std::string::npos)
      << table.output;
  EXPECT_NE(table.output.find("Cashpot        1.35 (135 pence)"), std::string::npos);
  EXPECT_NE(table.output.find("First written  01/29/07"), std::string::npos);
  EXPECT_NE(table.output.find(" 0  games charged"), std::string::npos);
  EXPECT_NE(table.output.find("seconds of play"), std::string::npos);

  auto json = RunCommand(std::string(METERS_BINARY) + " --json " + dir / "rec");
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.output.find("{\"index\": 36, \"meaning\": \"seconds of play\", \"value\": 3600}"),
            std::string::npos)
      << json.output;
  EXPECT_NE(json.output.find("\"firstWritten\": \"01/29/07\""), std::string::npos);
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

}  // namespace
