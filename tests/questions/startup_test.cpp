// The packs in the program's start-up: each counted once, in table order, after the record;
// and a missing pack ends the run with -7 after releasing the display and saying goodbye.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_server.h"
#include "platform/headless/headless_platform.h"
#include "questions/question_packs.h"
#include "sim_run.h"
#include "temp_dir.h"
#include "test_packs.h"
#include "test_pictures.h"

namespace {

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() {
    system_.SetGameDir(dir_.Path());
    testing_support::WriteTestGraphics(dir_.Path());
    testing_support::WriteTestPacks(dir_.Path());
    server_.SetResponder(testing_support::FakeServer::Wallet(0, 0));
  }
  sim::RunResult Run() {
    return sim::RunProgram(system_, ServerAddress{"127.0.0.1", server_.Port()}, {}, "");
  }
  size_t IndexOf(const std::string& call) const {
    const auto& calls = system_.Calls();
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
  }

  testing_support::TempDir dir_;
  testing_support::FakeServer server_;
  platform::HeadlessPlatform system_;
};

TEST_F(StartUpTest, EveryPackIsCountedOnceInTableOrderAfterTheRecord) {
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  size_t record = IndexOf("OpenFile data\\Zemblar.rec rb failed");
  size_t previous = record;
  for (const PackEntry* e = packTable; e->path; ++e) {
    size_t at = IndexOf("OpenFile " + std::string(e->path) + " rb");
    EXPECT_GT(at, previous) << e->path;  // in table order, each once
    previous = at;
    EXPECT_EQ(e->lineCount, 1) << e->path;
  }
  EXPECT_LT(previous, system_.Calls().size());
  EXPECT_LT(record, system_.Calls().size());
}

TEST_F(StartUpTest, AMissingPackEndsTheRunWithMinus7) {
  std::filesystem::remove(dir_ / "Questions/trueorfalse/Data30.pck");
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNoQuestionPacks);
  EXPECT_EQ(server_.WaitForClose(), "TERM\r\n");
  size_t failed = IndexOf("OpenFile Questions\\trueorfalse\\Data30.pck rb failed");
  ASSERT_LT(failed, system_.Calls().size());
  EXPECT_EQ(IndexOf("OpenFile Questions\\trueorfalse\\Data31.pck rb"), system_.Calls().size());
  EXPECT_GT(IndexOf("CloseDisplay"), failed);
  EXPECT_EQ(system_.Calls().back(), "SocketClose");
}

// A folder opens for reading on Linux and reads as empty: it must not pass for a pack.
TEST_F(StartUpTest, APackThatIsAFolderEndsTheRunAsAMissingOneDoes) {
  std::filesystem::remove(dir_ / "Questions/trueorfalse/Data12.pck");
  std::filesystem::create_directory(dir_ / "Questions/trueorfalse/Data12.pck");
  EXPECT_EQ(Run().exitCode, kExitNoQuestionPacks);
  EXPECT_LT(IndexOf("OpenFile Questions\\trueorfalse\\Data12.pck rb failed"),
            system_.Calls().size());
}

}  // namespace
