// The event log's format and lifecycle, and the system folders.
#include "shell/eventlog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "temp_dir.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;

class EventLogTest : public ::testing::Test {
 protected:
  EventLogTest() : system_(Options()) {}
  static platform::HeadlessPlatform::Options Options() {
    platform::HeadlessPlatform::Options o;
    o.localBase = {2007, 1, 29, 14, 3, 7};
    o.stepMs = 0;
    return o;
  }
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
  }
  void TearDown() override {
    CloseLog();
    SetSystem(nullptr);
  }
  std::string Log() const { return ReadFile(dir_ / "~system/logs/SKV.txt"); }

  TempDir dir_;
  platform::HeadlessPlatform system_;
};

TEST_F(EventLogTest, FoldersAreCreatedOnceAndExistingOnesAreFine) {
  EXPECT_EQ(CreateSystemFolders(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "~system/logs"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "~system/upload"));
  EXPECT_EQ(CreateSystemFolders(), 0);
}

TEST_F(EventLogTest, APlainFileInPlaceOfTheSystemFolderFails) {
  testing_support::WriteFile(dir_ / "~system", "not a folder");
  EXPECT_EQ(CreateSystemFolders(), -1);
  // All three were still tried.
  int tried = 0;
  for (const std::string& c : system_.Calls()) tried += c.rfind("CreateFolder", 0) == 0;
  EXPECT_EQ(tried, 3);
}

TEST_F(EventLogTest, HeaderPrefixAndDebugCopy) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  ASSERT_EQ(OpenLog(), 0);
  LogMessage("controlTable.controlModeGrid = %d\n", 3);
  EXPECT_EQ(Log(),
            "29/01/2007 14:03:07 - Strikora Vexal Version 1.0.0.1 - Start of Log\n\n"
            "29/01/2007 14:03:07 - controlTable.controlModeGrid = 3\n");
  ASSERT_EQ(system_.DebugOutput().size(), 2u);
  EXPECT_EQ(system_.DebugOutput()[1], "<6>controlTable.controlModeGrid = 3\n");
  EXPECT_EQ(CloseLog(), 0);
  EXPECT_EQ(CloseLog(), -1);
}

TEST_F(EventLogTest, NothingIsWrittenAnywhereWhileClosed) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  LogMessage("before\n");
  ASSERT_EQ(OpenLog(), 0);
  ASSERT_EQ(CloseLog(), 0);
  LogMessage("after\n");
  LogMessage(nullptr);
  EXPECT_EQ(Log().find("before"), std::string::npos);
  EXPECT_EQ(Log().find("after"), std::string::npos);
  EXPECT_EQ(system_.DebugOutput().size(), 1u);  // the header only
}

TEST_F(EventLogTest, LongMessagesAreCutTo999Characters) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  ASSERT_EQ(OpenLog(), 0);
  std::string longText(1500, 'x');
  LogMessage("%s", longText.c_str());
  std::string log = Log();
  size_t start = log.rfind(" - ") + 3;
  EXPECT_EQ(log.size() - start, 999u);
  EXPECT_EQ(system_.DebugOutput().back().size(), 3u + 999u);  // after its "<6>"
}

// Each start writes a new log and keeps the previous run's under its start time, so that a
// cabinet restarting every half minute keeps what an operator must read; the oldest go first.
TEST_F(EventLogTest, EachStartKeepsThePreviousLogUnderItsStartTime) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  const std::filesystem::path logs = dir_ / "~system/logs";
  // Older kept logs: one past the count kept (the oldest goes), and a plain file left alone.
  for (int i = 0; i < 100; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "SKV-20060101-%06d.txt", i);
    testing_support::WriteFile(logs / name, "x");
  }
  testing_support::WriteFile(logs / "notes.txt", "mine");
  ASSERT_EQ(OpenLog(), 0);
  LogMessage("PAYMENT NOT ACCEPTED - bank 200 pence - game 4 - settle with moneyctl reconcile\n");
  CloseLog();
  ASSERT_EQ(OpenLog(), 0);
  LogMessage("second run\n");
  CloseLog();
  std::string log = Log();
  EXPECT_EQ(log.find("PAYMENT"), std::string::npos);
  EXPECT_NE(log.find("second run"), std::string::npos);
  // Both runs started within the same second: the second keeps a numbered name.
  std::string kept = ReadFile(logs / "SKV-20070129-140307.txt");
  EXPECT_NE(kept.find(" - PAYMENT NOT ACCEPTED - bank 200 pence"), std::string::npos) << kept;
  EXPECT_TRUE(std::filesystem::exists(logs / "notes.txt"));
  EXPECT_FALSE(std::filesystem::exists(logs / "SKV-20060101-000000.txt"));
  EXPECT_TRUE(std::filesystem::exists(logs / "SKV-20060101-000001.txt"));
  int count = 0;
  for (const auto& e : std::filesystem::directory_iterator(logs))
    count += e.path().filename().string().rfind("SKV-", 0) == 0;
  EXPECT_EQ(count, 100);
  // What an operator must act on is an error for the system's log; the rest is information.
  const auto& debug = system_.DebugOutput();
  EXPECT_NE(std::find(debug.begin(), debug.end(),
                      "<3>PAYMENT NOT ACCEPTED - bank 200 pence - game 4 - settle with moneyctl "
                      "reconcile\n"),
            debug.end());
  EXPECT_EQ(debug.back(), "<6>second run\n");
}

TEST_F(EventLogTest, AnUnwritableLogLeavesTheProgramWithoutOne) {
  EXPECT_EQ(OpenLog(), -1);  // no folders
  EXPECT_FALSE(LogIsOpen());
  EXPECT_EQ(LogMessage("lost\n"), 0);
  EXPECT_TRUE(system_.DebugOutput().empty());
}

}  // namespace
