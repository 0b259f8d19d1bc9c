// strikora-sim's script reader and the real binaries, run as separate processes.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "fake_server.h"
#include "run_command.h"
#include "sim_run.h"
#include "temp_dir.h"
#include "test_packs.h"
#include "test_pictures.h"

namespace {

using testing_support::TempDir;

using testing_support::Outcome;
using testing_support::RunCommand;

TEST(SimScript, ReadsTouchesAndShots) {
  std::vector<sim::ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(sim::ParseScript("# opening\n\n100 touch 400 300\r\n2500 shot menu\n", steps, error))
      << error;
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].kind, sim::ScriptStep::Kind::Touch);
  EXPECT_EQ(steps[0].atMs, 100u);
  EXPECT_EQ(steps[0].x, 400);
  EXPECT_EQ(steps[0].y, 300);
  EXPECT_EQ(steps[1].kind, sim::ScriptStep::Kind::Shot);
  EXPECT_EQ(steps[1].name, "menu");
}

TEST(SimScript, RejectsMalformedLinesWithTheirNumber) {
  const char* bad[] = {"abc touch 1 1", "-5 touch 1 1", "10 touch 800 10", "10 touch 5",
                       "10 poke 1 1",   "10 shot",      "10 shot ../x",    "10 touch 1 1 1"};
  for (const char* line : bad) {
    std::vector<sim::ScriptStep> steps;
    std::string error;
    EXPECT_FALSE(sim::ParseScript(std::string("1 shot ok\n") + line, steps, error)) << line;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

TEST(SimBinary, RunsTheProgramTakesShotsAndReportsTheExit) {
  TempDir dir;
  testing_support::WriteTestGraphics(dir.Path());
  testing_support::WriteTestPacks(dir.Path());
  testing_support::FakeServer server;
  server.SetResponder(testing_support::FakeServer::Wallet(0, 0));
  testing_support::WriteFile(dir / "script", "0 shot early\n5000 shot loading\n");
  Outcome o = RunCommand(std::string(SIM_BINARY) + " run --game-dir " + dir.Path() +
                         " --server 127.0.0.1:" + std::to_string(server.Port()) + " --script " +
                         dir / "script" + " --shots " + dir / "new/shots");
  EXPECT_EQ(o.status, 0) << o.output;
  EXPECT_NE(o.output.find("shot early at 0 ms: nothing on the screen yet"), std::string::npos)
      << o.output;
  // The shots folder did not exist: it is made.
  EXPECT_NE(o.output.find("shot loading at 5000 ms: " + dir / "new/shots/loading.png"),
            std::string::npos)
      << o.output;
  EXPECT_EQ(o.output.substr(o.output.size() - 7), "exit 0\n");
  std::string png = testing_support::ReadFile(dir / "new/shots/loading.png");
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  std::string sent = server.WaitForClose();
  EXPECT_EQ(sent.substr(sent.size() - 6), "TERM\r\n");
}

TEST(SimBinary, StopsAtTheVirtualTimeLimitAndRefusesBadArguments) {
  TempDir dir;
  testing_support::WriteTestGraphics(dir.Path());
  testing_support::WriteTestPacks(dir.Path());
  testing_support::FakeServer server;
  server.SetResponder(testing_support::FakeServer::Wallet(0, 0));
  testing_support::WriteFile(dir / "script", "");
  std::string base = std::string(SIM_BINARY) + " run --game-dir " + dir.Path() +
                     " --server 127.0.0.1:" + std::to_string(server.Port()) + " --script " +
                     dir / "script";
  Outcome o = RunCommand(base + " --limit-ms 2000");
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.output.find("still running after 2000 virtual ms"), std::string::npos) << o.output;

  EXPECT_EQ(RunCommand(std::string(SIM_BINARY) + " run --game-dir x").status, 64);
  EXPECT_EQ(RunCommand(base + " --server nowhere").status, 64);
  testing_support::WriteFile(dir / "bad", "10 jump\n");
  Outcome bad = RunCommand(std::string(SIM_BINARY) + " run --game-dir " + dir.Path() +
                           " --server 127.0.0.1:1 --script " + dir / "bad");
  EXPECT_EQ(bad.status, 65);
  EXPECT_NE(bad.output.find("line 1: unknown step"), std::string::npos) << bad.output;
}

bool SomethingListensOn(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool listening = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return listening;
}

TEST(GameBinary, WithoutAMoneyServerExitsWith2UnderSdlDummyVideo) {
  if (SomethingListensOn(6667)) GTEST_SKIP() << "a money server is running on port 6667";
  Outcome o = RunCommand(std::string("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ") + GAME_BINARY);
  EXPECT_EQ(o.status, 2) << o.output;
}

}  // namespace
