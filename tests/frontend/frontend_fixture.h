// The whole program on the headless backend with the real pictures, sounds and packs of
// the game folder, against a real moneyd on an ephemeral port.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "golden.h"
#include "platform/headless/headless_platform.h"
#include "server/tests/support.h"
#include "shell/entry.h"
#include "sim_run.h"
#include "temp_dir.h"

class FrontendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"Graphic_resource", "sounds", "Questions"})
      std::filesystem::create_directory_symlink(std::string(GAME_DIR) + "/" + d, dir_ / d);
    system_.SetGameDir(dir_.Path());
    ASSERT_TRUE(daemon_.Start({"--db", dir_ / "money.db"}, dir_ / "moneyd.log"));
  }
  void TearDown() override { daemon_.Stop(15); }

  void Touch(uint32_t atMs, int x, int y) {
    steps_.push_back({sim::ScriptStep::Kind::Touch, atMs, x, y, ""});
  }
  // Keeps the screen at a virtual time for a later look.
  void Keep(uint32_t atMs, std::vector<uint16_t>& into) {
    system_.ScheduleAt(atMs, [&into](platform::HeadlessPlatform& p) { into = p.Screen(); });
  }
  sim::RunResult Run() {
    return sim::RunProgram(
        system_, ServerAddress{"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, steps_, "");
  }
  std::string Money(const std::vector<std::string>& args) {
    return money_test::RunMoneyctl(dir_ / "money.db", args).out;
  }
  // The journal once it shows `entry`: the server takes the game's last words in its own
  // time after the game has gone.
  std::string JournalWith(const std::string& entry) {
    std::string journal;
    for (int i = 0; i < 500; ++i) {
      journal = Money({"journal"});
      if (journal.find(entry) != std::string::npos) break;
      usleep(10000);
    }
    return journal;
  }
  std::string Exchange(const std::string& request) {
    money_test::Conn conn(daemon_.port());
    return conn.Exchange(request);
  }

  testing_support::TempDir dir_;
  money_test::Daemon daemon_;
  platform::HeadlessPlatform system_;
  std::vector<sim::ScriptStep> steps_;
};

// The points the menu's touches aim at.
inline constexpr int kStartX = 650, kStartY = 540;
inline constexpr int kRulesX = 400, kRulesY = 540;
