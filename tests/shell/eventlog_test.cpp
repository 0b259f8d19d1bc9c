// The event log's format and lifecycle, and the system folders.
#include "shell/eventlog.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(system_.DebugOutput()[1], "controlTable.controlModeGrid = 3\n");
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
  EXPECT_EQ(system_.DebugOutput().back().size(), 999u);
}

TEST_F(EventLogTest, EachStartRewritesTheLog) {
  ASSERT_EQ(CreateSystemFolders(), 0);
  ASSERT_EQ(OpenLog(), 0);
  LogMessage("first run\n");
  CloseLog();
  ASSERT_EQ(OpenLog(), 0);
  LogMessage("second run\n");
  std::string log = Log();
  EXPECT_EQ(log.find("first run"), std::string::npos);
  EXPECT_NE(log.find("second run"), std::string::npos);
  EXPECT_EQ(log.rfind("Start of Log"), log.find("Start of Log"));
}

TEST_F(EventLogTest, AnUnwritableLogLeavesTheProgramWithoutOne) {
  EXPECT_EQ(OpenLog(), -1);  // no folders
  EXPECT_FALSE(LogIsOpen());
  EXPECT_EQ(LogMessage("lost\n"), 0);
  EXPECT_TRUE(system_.DebugOutput().empty());
}

}  // namespace
