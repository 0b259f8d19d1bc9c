// A game connected to a scripted money server, with its event log open.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_server.h"
#include "platform/headless/headless_platform.h"
#include "shell/entry.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "temp_dir.h"

class LinkedGame : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
    ServerSocket = system_.SocketCreate();
    ASSERT_TRUE(system_.SocketConnect(ServerSocket, "127.0.0.1", server_.Port()));
    ASSERT_EQ(CreateSystemFolders(), 0);
    ASSERT_EQ(OpenLog(), 0);
  }
  void TearDown() override {
    EndOfProcess();
    SetSystem(nullptr);
  }
  // Everything the game sent, once it has hung up.
  std::string Sent() {
    EndOfProcess();
    return server_.WaitForClose();
  }
  std::string Log() const { return testing_support::ReadFile(dir_ / "~system/logs/SKV.txt"); }

  testing_support::TempDir dir_;
  testing_support::FakeServer server_;
  platform::HeadlessPlatform system_;
};
