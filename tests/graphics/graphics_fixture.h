// A running display on the headless backend, with the game's pictures written small into
// a temporary game folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "graphics/display.h"
#include "graphics/fonts.h"
#include "graphics/graphic_table.h"
#include "graphics/sprites.h"
#include "platform/headless/headless_platform.h"
#include "shell/entry.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "temp_dir.h"
#include "test_pictures.h"

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
    ResetDisplayState();
    ResetPresentPacing();
    ResetFonts();
    TouchX = TouchY = -1;
    testing_support::WriteTestGraphics(dir_.Path());
    ASSERT_TRUE(InitDisplay());
  }
  void TearDown() override {
    ShutdownDisplay(255);
    CloseLog();
    SetSystem(nullptr);
  }

  // Replaces a key's picture file.
  void WritePicture(int key, const std::string& bytes) {
    std::string path = dir_.Path() + "/";
    for (const char* c = GraphicTable[FindGraphic(key)].path; *c; ++c)
      path += *c == '\\' ? '/' : *c;
    testing_support::WriteFile(path, bytes);
  }
  // The back buffer's pixel at (x, y).
  uint16_t Back(int x, int y) {
    platform::LockedSurface l;
    if (Device().Lock(BackBuffer, l) != platform::DisplayResult::Ok) return 0xDEAD;
    uint16_t p = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(l.pixels) + y * l.pitch)[x];
    Device().Unlock(BackBuffer);
    return p;
  }
  // The box of back-buffer pixels that differ from `ground`; false when none do.
  bool Changed(uint16_t ground, int& left, int& top, int& right, int& bottom) {
    left = top = 1 << 20;
    right = bottom = -1;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        if (Back(x, y) != ground) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    return right >= 0;
  }
  int FilesOpened() const {
    return static_cast<int>(std::count_if(
        system_.Calls().begin(), system_.Calls().end(),
        [](const std::string& c) { return c.rfind("OpenFile Graphic_resource", 0) == 0; }));
  }

  testing_support::TempDir dir_;
  platform::HeadlessPlatform system_;
};
