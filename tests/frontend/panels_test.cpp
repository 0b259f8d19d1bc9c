// The panels' glyphs land where the amounts put them.
#include "frontend/panels.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_server.h"
#include "graphics/display.h"
#include "graphics/graphic_table.h"
#include "graphics/image_decode.h"
#include "platform/headless/headless_platform.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "temp_dir.h"
#include "test_pictures.h"

namespace {

using testing_support::Rgb;

// Glyph f of the strip is a solid 12 x 20 block whose red value names it.
uint16_t GlyphColour(int f) {
  return Rgb565(static_cast<uint8_t>(8 + f * 16), 100, 100);
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
    ResetDisplayState();
    testing_support::WriteTestGraphics(dir_.Path());
    testing_support::WriteFile(dir_ / "Graphic_resource/Menu/CreditNos.BMP",
                               testing_support::BmpBytes(12, 20 * 12, [](int, int y) {
                                 int f = y / 20;
                                 return Rgb{static_cast<uint8_t>(8 + f * 16), 100, 100};
                               }));
    ASSERT_TRUE(InitDisplay());
    LoadAllGraphics();
    ServerSocket = system_.SocketCreate();
    ASSERT_TRUE(system_.SocketConnect(ServerSocket, "127.0.0.1", server_.Port()));
  }
  void TearDown() override {
    EndOfProcess();
    ShutdownDisplay(255);
    SetSystem(nullptr);
  }
  // The glyph frames found along the panel row, left to right, with their x.
  std::vector<std::pair<int, int>> GlyphsFrom(int fromX, int toX) {
    std::vector<std::pair<int, int>> found;
    platform::LockedSurface l;
    Device().Lock(BackBuffer, l);
    auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(l.pixels) + 60 * l.pitch);
    for (int x = fromX; x < toX; ++x)
      for (int f = 0; f < 12; ++f)
        if (row[x] == GlyphColour(f) && (x == 0 || row[x - 1] != GlyphColour(f)))
          found.push_back({x, f});
    Device().Unlock(BackBuffer);
    return found;
  }

  testing_support::TempDir dir_;
  testing_support::FakeServer server_;
  platform::HeadlessPlatform system_;
};

using Glyphs = std::vector<std::pair<int, int>>;

TEST_F(PanelTest, CreditAmountsBelowAndFrom1000) {
  server_.SetResponder(testing_support::FakeServer::Wallet(50, 0));
  DrawCreditPanel();
  EXPECT_EQ(GlyphsFrom(584, 800), (Glyphs{{661, 11}, {683, 0}, {698, 10}, {713, 5}, {735, 0}}));
}

TEST_F(PanelTest, TheLargestAmountsOfEachWidth) {
  for (auto [credits, expected] :
       {std::pair{999, Glyphs{{661, 11}, {683, 9}, {698, 10}, {713, 9}, {735, 9}}},
        std::pair{1000, Glyphs{{651, 11}, {673, 1}, {695, 0}, {710, 10}, {725, 0}, {747, 0}}}}) {
    server_.SetResponder(testing_support::FakeServer::Wallet(credits, 0));
    Device().Fill(BackBuffer, nullptr, 0);
    DrawCreditPanel();
    EXPECT_EQ(GlyphsFrom(584, 800), expected) << credits;
  }
}

TEST_F(PanelTest, BankAmountsAndAFailedQueryReadAsZero) {
  // 99.99 is the most the panel holds: a bank of 100.00 or more shows it, never 0.00.
  for (int bank : {9999, 10000, 250000}) {
    server_.SetResponder(testing_support::FakeServer::Wallet(0, bank));
    Device().Fill(BackBuffer, nullptr, 0);
    DrawBankPanel();
    EXPECT_EQ(GlyphsFrom(0, 216),
              (Glyphs{{32, 11}, {54, 9}, {76, 9}, {91, 10}, {106, 9}, {128, 9}}))
        << bank;
  }
  server_.SetResponder([](const std::string&) { return std::string("FAIL\r\n"); });
  Device().Fill(BackBuffer, nullptr, 0);
  DrawBankPanel();
  EXPECT_EQ(GlyphsFrom(0, 216), (Glyphs{{42, 11}, {64, 0}, {79, 10}, {94, 0}, {116, 0}}));
}

}  // namespace
