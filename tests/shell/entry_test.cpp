// The whole program on the headless backend against a scripted money server: the
// start-up order, the exit codes, the goodbye to the server and the shut-down.
#include "shell/entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "accounting/record_file.h"
#include "fake_server.h"
#include "graphics/image_decode.h"
#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "sim_run.h"
#include "temp_dir.h"
#include "test_packs.h"
#include "test_pictures.h"

namespace {

using testing_support::FakeServer;
using testing_support::TempDir;

class EntryTest : public ::testing::Test {
 protected:
  EntryTest() {
    system_.SetGameDir(dir_.Path());
    testing_support::WriteTestGraphics(dir_.Path());
    testing_support::WriteTestPacks(dir_.Path());
  }

  sim::RunResult Run(uint16_t port) {
    return sim::RunProgram(system_, ServerAddress{"127.0.0.1", port}, steps_, "");
  }
  size_t IndexOf(const std::string& call) const {
    const auto& calls = system_.Calls();
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
  }

  TempDir dir_;
  platform::HeadlessPlatform system_;
  std::vector<sim::ScriptStep> steps_;
};

TEST_F(EntryTest, NoServerExitsWith2RightAfterTheWindowAndSendsNothing) {
  sim::RunResult r = Run(testing_support::UnusedPort());
  ASSERT_TRUE(r.exitCode);
  EXPECT_EQ(*r.exitCode, kExitNoServer);
  // The socket is left to the end of the process.
  EXPECT_EQ(system_.Calls(), (std::vector<std::string>{"CreateMainWindow", "SocketCreate",
                                                       "SocketConnect failed", "SocketClose"}));
  EXPECT_EQ(system_.FramesShown(), 0u);
}

TEST_F(EntryTest, NoWindowAndNoSocketEndBeforeAnyConnection) {
  FakeServer server;
  system_.Faults().window = true;
  EXPECT_EQ(Run(server.Port()).exitCode, kExitNoWindow);
  EXPECT_EQ(system_.Calls().size(), 1u);

  platform::HeadlessPlatform second;
  second.SetGameDir(dir_.Path());
  second.Faults().socket = true;
  EXPECT_EQ(sim::RunProgram(second, {"127.0.0.1", server.Port()}, {}, "").exitCode, kExitNoSocket);
  EXPECT_EQ(second.Calls().back(), "SocketCreate failed");
  EXPECT_FALSE(server.Connected());
}

TEST_F(EntryTest, UnmakeableSystemFoldersEndAtOnceWithoutAWord) {
  FakeServer server;
  testing_support::WriteFile(dir_ / "~system", "a file, not a folder");
  sim::RunResult r = Run(server.Port());
  EXPECT_EQ(r.exitCode, 0);
  const auto& calls = system_.Calls();
  EXPECT_EQ(calls[calls.size() - 2], "ExitProcess 0");
  EXPECT_EQ(calls.back(), "SocketClose");                     // by the end of the process
  EXPECT_EQ(IndexOf("OpenDisplay"), system_.Calls().size());  // never reached
  EXPECT_EQ(server.WaitForClose(), "");                       // the connection is simply dropped
}

TEST_F(EntryTest, DisplayFailureSaysGoodbyeAndExitsWithMinus6) {
  FakeServer server;
  system_.Faults().display = true;
  EXPECT_EQ(Run(server.Port()).exitCode, kExitNoDisplay);
  EXPECT_EQ(server.WaitForClose(), "TERM\r\n");
  const auto& calls = system_.Calls();
  EXPECT_EQ(calls[calls.size() - 2], "Send TERM\r\n");
  EXPECT_EQ(calls.back(), "SocketClose");
}

// A lost flip whose restore fails, on the menu or in a game: the waits give up at once,
// a game ends with its turn and is settled and saved, and the run closes with -6.
TEST_F(EntryTest, ADisplayFailureClosesTheRunAtOnceWithItsCode) {
  struct Row {
    uint32_t startAt, failAt, closedBy;
    bool charged;
  };
  const Row rows[] = {{6000, 5000, 6000, false}, {3000, 20000, 35000, true}};
  for (const Row& row : rows) {
    TempDir dir;
    testing_support::WriteTestGraphics(dir.Path());
    testing_support::WriteTestPacks(dir.Path());
    platform::HeadlessPlatform system;
    system.SetGameDir(dir.Path());
    system.ScheduleAt(row.failAt, [](platform::HeadlessPlatform& p) {
      p.ScreenFaults().InjectResult(platform::DisplayOp::Flip,
                                    platform::DisplayResult::SurfaceLost);
      p.ScreenFaults().InjectResult(platform::DisplayOp::Restore, platform::DisplayResult::Failed);
    });
    FakeServer server;
    server.SetResponder(FakeServer::Wallet(400, 0));
    sim::RunResult r =
        sim::RunProgram(system, {"127.0.0.1", server.Port()},
                        {{sim::ScriptStep::Kind::Touch, row.startAt, 650, 540, ""}}, "");
    EXPECT_EQ(r.exitCode, kExitNoDisplay);
    EXPECT_LT(r.elapsedMs, row.closedBy);
    std::string log = testing_support::ReadFile(dir / "~system/logs/SKV.txt");
    EXPECT_NE(log.find(" - DISPLAY FAILED - code 22 - closing down\n"), std::string::npos) << log;
    std::string sent = server.WaitForClose();
    EXPECT_EQ(sent.find("CUSE") != std::string::npos, row.charged) << sent;
    EXPECT_EQ(sent.substr(sent.size() - 6), "TERM\r\n");
    EXPECT_EQ(std::filesystem::exists(dir / "data/Zemblar.rec"), row.charged);
    // The game the screen failed in reached no prize: it is cut short, its stake to give back.
    EXPECT_EQ(log.find(" - DISPLAY FAILED - game 1 - no prize reached - stake to give back - "
                       "settle with moneyctl reconcile\n") != std::string::npos,
              row.charged)
        << log;
  }
}

// The operator's stop: on the menu the run closes as Main Menu does; in a game it closes
// after that game is settled and saved, and no other stake is taken although the player
// keeps touching Start.
TEST_F(EntryTest, AStopRequestWaitsForTheGameInPlayAndTakesNoOtherStake) {
  struct Row {
    uint32_t stopAt;
    bool charged;
    uint32_t closedBy;
  };
  for (const Row& row : {Row{2500, false, 5000}, Row{8000, true, 400000}}) {
    TempDir dir;
    testing_support::WriteTestGraphics(dir.Path());
    testing_support::WriteTestPacks(dir.Path());
    platform::HeadlessPlatform system;
    system.SetGameDir(dir.Path());
    system.ScheduleAt(row.stopAt, [](platform::HeadlessPlatform& p) { p.RequestStop(); });
    std::vector<sim::ScriptStep> starts;
    for (uint32_t t = 3000; t < 300000; t += 5000)
      starts.push_back({sim::ScriptStep::Kind::Touch, t, 650, 540, ""});
    FakeServer server;
    server.SetResponder(FakeServer::Wallet(400, 0));
    sim::RunResult r = sim::RunProgram(system, {"127.0.0.1", server.Port()}, starts, "");
    EXPECT_EQ(r.exitCode, kExitNormal);
    EXPECT_LT(r.elapsedMs, row.closedBy);
    std::string sent = server.WaitForClose();
    size_t first = sent.find("CUSE");
    EXPECT_EQ(first != std::string::npos, row.charged) << sent;
    if (first != std::string::npos) {
      EXPECT_EQ(sent.find("CUSE", first + 1), std::string::npos);
    }
    EXPECT_EQ(sent.substr(sent.size() - 6), "TERM\r\n");
    std::string log = testing_support::ReadFile(dir / "~system/logs/SKV.txt");
    EXPECT_NE(log.find(" - STOP REQUESTED - closing down\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("LOSE GAME") != std::string::npos, row.charged);
    EXPECT_EQ(std::filesystem::exists(dir / "data/Zemblar.rec"), row.charged);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/Zemblar.game"));
  }
}

// A game charged but never settled (the run stopped dead in the middle of it, as a power
// cut would stop it) is found open in the game journal by the next start-up and logged with
// what is known; so is the game-in-play marker an older version left.
TEST_F(EntryTest, AGameThatWasNeverSettledIsReportedAtTheNextStart) {
  FakeServer server;
  server.SetResponder(FakeServer::Wallet(400, 0));
  platform::HeadlessPlatform::Options stopsDead;
  stopsDead.limitMs = 20000;
  platform::HeadlessPlatform first(stopsDead);
  first.SetGameDir(dir_.Path());
  sim::RunResult cut = sim::RunProgram(first, {"127.0.0.1", server.Port()},
                                       {{sim::ScriptStep::Kind::Touch, 3000, 650, 540, ""}}, "");
  ASSERT_FALSE(cut.exitCode);
  // An older version's marker of a game in play, found beside the record.
  testing_support::WriteFile(dir_ / "data/Zemblar.game", "game 7 stake 50 started x\n");

  for (int start = 0; start < 2; ++start) {
    FakeServer again;
    again.SetResponder(FakeServer::Wallet(0, 0));
    EXPECT_EQ(Run(again.Port()).exitCode, kExitNormal);
    std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
    // Reported at every start until the operator settles them.
    EXPECT_NE(log.find(" - GAME INTERRUPTED - game 1 - stake 50 pence taken - settle with "
                       "moneyctl reconcile\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" - GAME INTERRUPTED - game 8 - stake 50 pence taken - settle with "
                       "moneyctl reconcile\n"),
              std::string::npos)
        << log;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data/Zemblar.game"));
  }
}

TEST_F(EntryTest, StartUpRunsInOrderAndAnIdleMenuEndsNormally) {
  FakeServer server;
  server.SetResponder(FakeServer::Wallet(0, 0));
  // The screen halfway through the opening fade, and once the menu waits.
  uint16_t midFade = 0, menu = 0;
  system_.ScheduleAt(400, [&](platform::HeadlessPlatform& p) { midFade = p.Screen().at(0); });
  system_.ScheduleAt(5000, [&](platform::HeadlessPlatform& p) { menu = p.Screen().at(400 * 800); });
  sim::RunResult r = Run(server.Port());
  EXPECT_EQ(r.exitCode, kExitNormal);
  std::string sent = server.WaitForClose();
  EXPECT_EQ(sent.substr(sent.size() - 6), "TERM\r\n");
  EXPECT_EQ(sent.find("CUSE"), std::string::npos);

  const std::vector<std::string>& calls = system_.Calls();
  std::vector<std::string> head(calls.begin(), calls.begin() + 10);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "CreateMainWindow", "SocketCreate", "SocketConnect ok",
                      "CreateFolder ~system", "CreateFolder ~system/logs",
                      "CreateFolder ~system/upload", "OpenFile ~system/logs/SKV.txt w",
                      "Debug <6>Strikora Vexal Version 1.0.0.1 - Start of Log\n\n", "OpenDisplay",
                      "OpenFile Graphic_resource\\Loading\\LoadingScreen.BMP rb"}));
  // The loading screen is up before the record, the packs and the sound.
  EXPECT_LT(IndexOf("ShowFrame"), IndexOf("OpenFile data\\Zemblar.rec rb failed"));
  EXPECT_LT(IndexOf("OpenFile data\\Zemblar.rec rb failed"),
            IndexOf("OpenFile Questions\\trueorfalse\\Data01.pck rb"));
  // The fade ran from the loading screen (red 3) to the menu background (red 111).
  int midRed = (midFade >> 11) << 3;
  EXPECT_GT(midRed, 3 + 8);
  EXPECT_LT(midRed, 111 - 8);
  EXPECT_EQ(menu, Rgb565(111, 60, 90));
  // The shut-down: log closed, screen left black, display released, then goodbye.
  std::vector<std::string> tail(calls.end() - 5, calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Debug <6>Closing log\n", "ShowFrame", "CloseDisplay",
                                            "Send TERM\r\n", "SocketClose"}));
  ASSERT_FALSE(system_.Screen().empty());
  EXPECT_TRUE(std::all_of(system_.Screen().begin(), system_.Screen().end(),
                          [](uint16_t p) { return p == 0; }));
  // The menu gave up after 30 s without a touch.
  EXPECT_GE(r.elapsedMs, 30000u);
  EXPECT_LT(r.elapsedMs, 33000u);

  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find(" - Strikora Vexal Version 1.0.0.1 - Start of Log\n\n"), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 15), " - Closing log\n");
}

TEST_F(EntryTest, MissingPicturesCloseTheRunBeforeAnyStakeIsTaken) {
  std::filesystem::remove_all(dir_ / "Graphic_resource/Menu");
  FakeServer server;
  server.SetResponder(FakeServer::Wallet(400, 0));
  steps_.push_back({sim::ScriptStep::Kind::Touch, 3000, 400, 300, ""});
  sim::RunResult r = Run(server.Port());
  EXPECT_EQ(r.exitCode, kExitNoDisplay);
  EXPECT_EQ(server.WaitForClose(), "TERM\r\n");  // no CUSE
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find("graphic 2 (Graphic_resource\\Menu\\Insert.BMP): cannot open the file"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("DISPLAY FAILED - code 7 - closing down"), std::string::npos);
  EXPECT_NE(log.find("Closing log"), std::string::npos);
}

TEST_F(EntryTest, APaidGameIsChargedCountedAndRecorded) {
  FakeServer server;
  server.SetResponder(FakeServer::Wallet(400, 0, {"FAIL"}));  // the first start is refused
  steps_.push_back({sim::ScriptStep::Kind::Touch, 3000, 650, 540, ""});
  steps_.push_back({sim::ScriptStep::Kind::Touch, 5000, 650, 540, ""});
  sim::RunResult r = Run(server.Port());
  EXPECT_EQ(r.exitCode, kExitNormal);
  std::string sent = server.WaitForClose();
  size_t first = sent.find("CUSE,50\r\n"), second = sent.find("CUSE,50\r\n", first + 1);
  EXPECT_NE(second, std::string::npos);
  EXPECT_EQ(sent.find("CUSE", second + 1), std::string::npos);
  // Nobody touches the game: every wait runs out and the last life goes.
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  size_t lost = log.find("LOSE GAME");
  EXPECT_NE(lost, std::string::npos) << log;
  EXPECT_EQ(log.find("LOSE GAME", lost + 1), std::string::npos);

  std::string bytes = testing_support::ReadFile(dir_ / "data/Zemblar.rec");
  RecordImage record;
  ASSERT_EQ(DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record),
            kRecordItems);
  EXPECT_FLOAT_EQ(record.balances[0], -10.0f);
  EXPECT_FLOAT_EQ(record.balances[1], -5.0f);
  EXPECT_EQ(record.meters[0], 1);   // charged once
  EXPECT_EQ(record.meters[4], 1);   // started at level 3
  EXPECT_EQ(record.meters[33], 1);  // bank below 500
  EXPECT_EQ(record.cashpot, 105);   // 100 to start with, 5 from the game
}

TEST_F(EntryTest, TheRecordCarriesOverToTheNextRun) {
  std::filesystem::create_directory(dir_ / "data");
  RecordImage old;
  old.meters[36] = 1234;
  old.cashpot = 250;
  old.dateWord = "01/29/07";
  testing_support::WriteFile(dir_ / "data/Zemblar.rec", EncodeRecord(old));
  FakeServer server;
  server.SetResponder(FakeServer::Wallet(400, 0));
  steps_.push_back({sim::ScriptStep::Kind::Touch, 3000, 650, 540, ""});
  EXPECT_EQ(Run(server.Port()).exitCode, kExitNormal);
  std::string bytes = testing_support::ReadFile(dir_ / "data/Zemblar.rec");
  RecordImage now;
  DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), now);
  EXPECT_EQ(now.meters[0], 1);
  EXPECT_GT(now.meters[36], 1234);  // the game's seconds are added
  EXPECT_EQ(now.cashpot, 255);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "01/29/07");
}

TEST_F(EntryTest, ThePressesThatReachTheWindowProcedure) {
  SetSystem(&system_);
  TouchX = TouchY = -1;
  system_.Touch(10, 20);
  system_.Touch(700, 590);  // the later press wins
  system_.PostMessage({platform::MessageKind::Destroy, 0});
  PumpMessages();
  EXPECT_EQ(TouchX, 700);
  EXPECT_EQ(TouchY, 590);
  EXPECT_EQ(system_.QueuedMessages(), 0u);

  // Coordinates are signed 16-bit halves of the message.
  MainWindowProc({platform::MessageKind::LeftButtonDown, 0xFFFF0005u});
  EXPECT_EQ(TouchX, 5);
  EXPECT_EQ(TouchY, -1);
  SetSystem(nullptr);
}

}  // namespace
