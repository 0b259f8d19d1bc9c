// The game folder as assetgen writes it: every picture of the game's table at its path, in its
// format, at its size, readable by the game's loader rules and by ImageMagick, free of pink
// fringes, the same bytes on every run, and drawn so that the game's overdrawing works.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "picture_reader.h"

namespace {

namespace fs = std::filesystem;
using assetgen_test::Pixels;

struct Expected {
  int key;
  const char* path;
  int format;  // 1 BMP, 2 PCX
  int frames;
  int width;
  int frameHeight;
};

// The game's graphic table (paths, formats, frame counts) with the size each picture is drawn at.
const Expected kTable[] = {
    {1, "Graphic_resource\\Loading\\LoadingScreen.BMP", 1, 1, 800, 600},
    {2, "Graphic_resource\\Menu\\Insert.BMP", 1, 1, 164, 78},
    {3, "Graphic_resource\\transparency.PCX", 2, 1, 32, 32},
    {4, "Graphic_resource\\Menu\\OptionBackground.BMP", 1, 1, 800, 600},
    {5, "Graphic_resource\\Menu\\CreditNos.BMP", 1, 12, 20, 32},
    {6, "Graphic_resource\\Menu\\InfoScreen.BMP", 1, 1, 800, 600},
    {7, "Graphic_resource\\Menu\\CreditBlank.BMP", 1, 1, 216, 100},
    {8, "Graphic_resource\\Menu\\BankBlank.BMP", 1, 1, 216, 100},
    {9, "Graphic_resource\\Font1a.PCX", 2, 96, 20, 26},
    {10, "Graphic_resource\\Font3.PCX", 2, 96, 28, 40},
    {11, "Graphic_resource\\TrueFalse\\TFFont.BMP", 1, 96, 20, 24},
    {12, "Graphic_resource\\Question\\courierfontblueans.PCX", 2, 96, 16, 26},
    {13, "Graphic_resource\\Main\\pointsboxfont.BMP", 1, 96, 24, 36},
    {14, "Graphic_resource\\Main\\winplanfont.BMP", 1, 96, 12, 16},
    {15, "Graphic_resource\\Main\\Main.BMP", 1, 1, 800, 600},
    {16, "Graphic_resource\\Main\\WinBackGround.BMP", 1, 1, 800, 600},
    {17, "Graphic_resource\\Main\\prizevalues.BMP", 1, 12, 148, 76},
    {18, "Graphic_resource\\TrueFalse\\TFBorder.BMP", 1, 1, 588, 492},
    {19, "Graphic_resource\\TrueFalse\\TrueButton.BMP", 1, 10, 180, 170},
    {20, "Graphic_resource\\TrueFalse\\FalseButton.BMP", 1, 10, 180, 170},
    {21, "Graphic_resource\\TrueFalse\\Wrong.BMP", 1, 6, 532, 120},
    {22, "Graphic_resource\\TrueFalse\\DonkeyWrong.BMP", 1, 6, 532, 120},
    {23, "Graphic_resource\\TrueFalse\\Correct.BMP", 1, 6, 532, 120},
    {24, "Graphic_resource\\TrueFalse\\Timeup.BMP", 1, 2, 300, 28},
    {25, "Graphic_resource\\TrueFalse\\Box.BMP", 1, 1, 440, 100},
    {26, "Graphic_resource\\TrueFalse\\BoxEdge.BMP", 1, 1, 448, 108},
    {27, "Graphic_resource\\Main\\boxes.BMP", 1, 22, 96, 66},
    {28, "Graphic_resource\\Main\\winplanback.BMP", 1, 1, 224, 477},
    {29, "Graphic_resource\\Main\\Pointer.BMP", 1, 1, 28, 28},
    {30, "Graphic_resource\\Main\\winvalues.BMP", 1, 8, 44, 20},
    {31, "Graphic_resource\\Main\\pointsbox.BMP", 1, 1, 224, 123},
    {32, "Graphic_resource\\Main\\collectbutton.BMP", 1, 3, 204, 72},
    {33, "Graphic_resource\\Main\\cashpot.BMP", 1, 1, 208, 102},
    {34, "Graphic_resource\\Main\\grid.BMP", 1, 1, 576, 368},
    {35, "Graphic_resource\\Main\\pointnumbers.BMP", 1, 11, 24, 36},
    {36, "Graphic_resource\\Main\\winplannumbers.BMP", 1, 11, 12, 16},
    {37, "Graphic_resource\\Menu\\OptionBackgroundBLank.BMP", 1, 1, 800, 600},
    {38, "Graphic_resource\\Menu\\MenuBlank.BMP", 1, 1, 216, 92},
    {39, "Graphic_resource\\Menu\\OptionBlank.BMP", 1, 1, 248, 92},
    {40, "Graphic_resource\\Menu\\PlayBlank.BMP", 1, 1, 216, 92},
    {41, "Graphic_resource\\Menu\\BankSwipe.BMP", 1, 1, 216, 100},
    {42, "Graphic_resource\\Menu\\CreditSwipe.BMP", 1, 1, 216, 100},
    {43, "Graphic_resource\\Menu\\PlaySwipe.BMP", 1, 1, 216, 92},
    {44, "Graphic_resource\\Menu\\MenuSwipe.BMP", 1, 1, 216, 92},
    {45, "Graphic_resource\\Menu\\OptionSwipe.BMP", 1, 1, 248, 92},
    {46, "Graphic_resource\\Menu\\BackBlank.BMP", 1, 1, 248, 92},
    {47, "Graphic_resource\\Menu\\BackSwipe.BMP", 1, 1, 248, 92},
    {48, "Graphic_resource\\Main\\animQMark.BMP", 1, 15, 96, 66},
    {49, "Graphic_resource\\Main\\anim1000.BMP", 1, 9, 96, 66},
    {50, "Graphic_resource\\Main\\anim2000.BMP", 1, 9, 96, 66},
    {51, "Graphic_resource\\Main\\anim3000.BMP", 1, 9, 96, 66},
    {52, "Graphic_resource\\Main\\anim4000.BMP", 1, 9, 96, 66},
    {53, "Graphic_resource\\Main\\anim5000.BMP", 1, 9, 96, 66},
    {54, "Graphic_resource\\Main\\anim6000.BMP", 1, 9, 96, 66},
    {55, "Graphic_resource\\Main\\anim7000.BMP", 1, 9, 96, 66},
    {56, "Graphic_resource\\Main\\anim8000.BMP", 1, 9, 96, 66},
    {57, "Graphic_resource\\Main\\anim9000.BMP", 1, 9, 96, 66},
    {58, "Graphic_resource\\Main\\anim10000.BMP", 1, 9, 96, 66},
    {59, "Graphic_resource\\Main\\anim20000.BMP", 1, 9, 96, 66},
    {60, "Graphic_resource\\Main\\anim30000.BMP", 1, 9, 96, 66},
    {61, "Graphic_resource\\Main\\anim40000.BMP", 1, 9, 96, 66},
    {62, "Graphic_resource\\Main\\anim50000.BMP", 1, 9, 96, 66},
    {63, "Graphic_resource\\Main\\anim100000.BMP", 1, 9, 96, 66},
    {64, "Graphic_resource\\Main\\animDoubleOrQuits.BMP", 1, 9, 96, 66},
    {65, "Graphic_resource\\Main\\animExtraLife.BMP", 1, 9, 96, 66},
    {66, "Graphic_resource\\Main\\animReveal.BMP", 1, 9, 96, 66},
    {67, "Graphic_resource\\Main\\animCashpot.BMP", 1, 9, 96, 66},
    {68, "Graphic_resource\\Main\\animTrueFalse.BMP", 1, 9, 96, 66},
    {69, "Graphic_resource\\Main\\LifeScreen.BMP", 1, 1, 800, 600},
    {70, "Graphic_resource\\Main\\Life1Anim.BMP", 1, 20, 124, 170},
    {71, "Graphic_resource\\Main\\Life2Anim.BMP", 1, 20, 124, 170},
    {72, "Graphic_resource\\Main\\Life3Anim.BMP", 1, 20, 124, 170},
    {73, "Graphic_resource\\Main\\LivesMen.BMP", 1, 6, 196, 96},
    {74, "Graphic_resource\\Main\\Reveal-0.BMP", 1, 2, 208, 90},
    {75, "Graphic_resource\\Main\\Reveal-1.BMP", 1, 2, 208, 90},
    {76, "Graphic_resource\\Main\\Reveal-2.BMP", 1, 2, 208, 90},
    {77, "Graphic_resource\\Main\\Reveal-3.BMP", 1, 2, 208, 90},
    {78, "Graphic_resource\\Main\\Reveal-4.BMP", 1, 2, 208, 90},
    {79, "Graphic_resource\\Main\\Reveal-5.BMP", 1, 2, 208, 90},
    {80, "Graphic_resource\\Main\\CashpotNos.BMP", 1, 12, 16, 20},
    {81, "Graphic_resource\\Main\\Boots.BMP", 1, 5, 52, 44},
    {82, "Graphic_resource\\Main\\TimerBits.BMP", 1, 3, 12, 28},
    {83, "Graphic_resource\\Main\\words.BMP", 1, 5, 220, 30},
    {84, "Graphic_resource\\Main\\collectanim.BMP", 1, 14, 180, 46},
};

std::string Slashes(std::string p) {
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

class AssetgenOutput : public ::testing::Test {
 protected:
  static fs::path first_, second_;
  static std::map<int, Pixels> pictures_;

  static void SetUpTestSuite() {
    const fs::path root =
        fs::temp_directory_path() / ("assetgen_test_" + std::to_string(::getpid()));
    fs::remove_all(root);
    first_ = root / "a";
    second_ = root / "b";
    for (const fs::path& dir : {first_, second_}) {
      const std::string cmd = std::string(ASSETGEN_BINARY) + " --out '" + dir.string() + "'";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    for (const Expected& e : kTable) {
      const auto bytes = assetgen_test::ReadBytes((first_ / Slashes(e.path)).string());
      Pixels px;
      std::string error;
      const bool ok = e.format == 1 ? assetgen_test::ReadBmp(bytes, &px, &error)
                                    : assetgen_test::ReadPcx(bytes, &px, &error);
      if (ok) pictures_[e.key] = px;
    }
  }
  static void TearDownTestSuite() { fs::remove_all(first_.parent_path()); }
  void SetUp() override { ASSERT_EQ(pictures_.size(), std::size(kTable)) << "pictures unread"; }

  static const Pixels& Pic(int key) { return pictures_.at(key); }
  static const Expected& Row(int key) { return kTable[key - 1]; }
  // The key mask of one frame as a string of 0/1, to compare outlines between frames.
  static std::string Outline(int key, int frame) {
    const Pixels& p = Pic(key);
    const int fh = Row(key).frameHeight;
    std::string mask;
    for (int y = frame * fh; y < (frame + 1) * fh; ++y) {
      for (int x = 0; x < p.width; ++x) mask += p.IsKey(x, y) ? '0' : '1';
    }
    return mask;
  }
};

fs::path AssetgenOutput::first_;
fs::path AssetgenOutput::second_;
std::map<int, Pixels> AssetgenOutput::pictures_;

TEST_F(AssetgenOutput, EveryPictureOfTheTableReadsAtItsSize) {
  for (const Expected& e : kTable) {
    const fs::path path = first_ / Slashes(e.path);
    ASSERT_TRUE(fs::exists(path)) << path;
    const auto bytes = assetgen_test::ReadBytes(path.string());
    Pixels px;
    std::string error;
    const bool ok = e.format == 1 ? assetgen_test::ReadBmp(bytes, &px, &error)
                                  : assetgen_test::ReadPcx(bytes, &px, &error);
    ASSERT_TRUE(ok) << e.path << ": " << error;
    EXPECT_EQ(px.width, e.width) << e.path;
    EXPECT_EQ(px.height, e.frames * e.frameHeight) << e.path;
    EXPECT_EQ(px.height % e.frames, 0) << e.path;
  }
}

TEST_F(AssetgenOutput, NoOtherPicturesBesideTheTable) {
  std::set<std::string> expected;
  for (const Expected& e : kTable) expected.insert(Slashes(e.path));
  for (const auto& entry : fs::recursive_directory_iterator(first_ / "Graphic_resource")) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), first_).generic_string();
    if (rel.rfind("Graphic_resource/avis/", 0) == 0) continue;  // the clips
    EXPECT_TRUE(expected.count(rel)) << "unexpected " << rel;
  }
}

TEST_F(AssetgenOutput, NoPinkFringes) {
  for (const auto& [key, p] : pictures_) {
    int reported = 0;
    for (int y = 0; y < p.height && reported < 3; ++y) {
      for (int x = 0; x < p.width && reported < 3; ++x) {
        if (p.IsKey(x, y)) continue;
        uint8_t r, g, b;
        p.Get(x, y, &r, &g, &b);
        // Near the key colour (the display keeps only the top bits of each channel) ...
        const bool nearKey = r >= 200 && b >= 200 && g <= 80;
        // ... or a pinkish edge left by blending onto the key.
        bool besideKey = false;
        for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
          const int nx = x + dx, ny = y + dy;
          if (nx >= 0 && ny >= 0 && nx < p.width && ny < p.height && p.IsKey(nx, ny))
            besideKey = true;
        }
        const bool pinkish = r > 150 && b > 150 && g + 90 < r && g + 90 < b;
        if (nearKey || (besideKey && pinkish)) {
          ADD_FAILURE() << "key " << key << " pixel " << x << "," << y << " = " << int(r) << ","
                        << int(g) << "," << int(b);
          ++reported;
        }
      }
    }
  }
}

TEST_F(AssetgenOutput, SameBytesOnEveryRun) {
  for (const auto& entry : fs::recursive_directory_iterator(first_)) {
    if (!entry.is_regular_file()) continue;
    const fs::path other = second_ / fs::relative(entry.path(), first_);
    ASSERT_TRUE(fs::exists(other)) << other;
    EXPECT_TRUE(assetgen_test::ReadBytes(entry.path().string()) ==
                assetgen_test::ReadBytes(other.string()))
        << entry.path();
  }
}

TEST_F(AssetgenOutput, ImageMagickReadsEverySize) {
  if (std::system("command -v identify > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ImageMagick's identify is not installed";
  }
  std::string cmd = "identify -format '%w %h\\n'";
  for (const Expected& e : kTable) cmd += " '" + (first_ / Slashes(e.path)).string() + "'";
  cmd += " 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  for (const Expected& e : kTable) {
    int w = 0, h = 0;
    ASSERT_EQ(std::fscanf(pipe, "%d %d", &w, &h), 2) << e.path;
    EXPECT_EQ(w, e.width) << e.path;
    EXPECT_EQ(h, e.frames * e.frameHeight) << e.path;
  }
  EXPECT_EQ(pclose(pipe), 0);
}

// The game draws these animations frame over frame without putting the background back, so all
// frames of each must have the same outline (and the hexagons all one outline).
TEST_F(AssetgenOutput, OverdrawnAnimationsKeepOneOutline) {
  const std::string hexagon = Outline(27, 1);
  for (int key = 48; key <= 68; ++key) {
    for (int f = 0; f < Row(key).frames; ++f)
      EXPECT_EQ(Outline(key, f), hexagon) << key << "/" << f;
  }
  for (int f = 0; f < 22; ++f) EXPECT_EQ(Outline(27, f), hexagon) << "boxes " << f;
  for (int key : {19, 20, 21, 22, 23, 17, 24}) {
    for (int f = 1; f < Row(key).frames; ++f) EXPECT_EQ(Outline(key, f), Outline(key, 0)) << key;
  }
  // Prize amounts, the time-up flash and the caption are drawn straight over each other: opaque.
  for (int key : {17, 24, 83}) EXPECT_EQ(Outline(key, 0).find('0'), std::string::npos) << key;
}

// Backgrounds drawn opaque would show the key colour as magenta.
TEST_F(AssetgenOutput, OpaqueScreensHoldNoKeyColour) {
  for (int key : {1, 4, 6, 15, 16, 37, 69}) {
    const Pixels& p = Pic(key);
    int keyed = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) keyed += p.IsKey(x, y) ? 1 : 0;
    }
    EXPECT_EQ(keyed, 0) << "key " << key;
  }
}

// After a question the board is drawn again: it must cover everything the question screen drew,
// and leave the countdown bar, the caption strip and the win plan edge alone.
TEST_F(AssetgenOutput, BoardCoversTheQuestionScreen) {
  const Pixels& grid = Pic(34);
  const Pixels& border = Pic(18);
  auto gridOpaqueAt = [&](int sx, int sy) {
    const int x = sx - 10, y = sy - 124;
    return x >= 0 && y >= 0 && x < grid.width && y < grid.height && !grid.IsKey(x, y);
  };
  for (int y = 0; y < border.height; ++y) {
    for (int x = 0; x < border.width; ++x) {
      if (!border.IsKey(x, y)) {
        ASSERT_TRUE(gridOpaqueAt(x, y)) << "question frame at " << x << "," << y;
      }
    }
  }
  for (const auto& [x, y] : {std::pair{33, 130}, {332, 159}, {354, 131}, {573, 160}, {575, 300}}) {
    EXPECT_FALSE(gridOpaqueAt(x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{10, 124}, {574, 491}, {340, 140}, {27, 163}}) {
    EXPECT_TRUE(gridOpaqueAt(x, y)) << x << "," << y;
  }
  // The answer buttons and result pictures also stay on the board.
  const int places[][3] = {{19, 61, 307}, {20, 344, 307}, {21, 22, 180}};
  for (const auto& p : places) {
    const Pixels& pic = Pic(p[0]);
    for (int y = 0; y < Row(p[0]).frameHeight; ++y) {
      for (int x = 0; x < pic.width; ++x) {
        if (!pic.IsKey(x, y)) {
          ASSERT_TRUE(gridOpaqueAt(p[1] + x, p[2] + y)) << p[0];
        }
      }
    }
  }
}

// The unavailable collect button is redrawn clipped to x 151..338, y 12..83; no frame may leave
// anything outside that for it to miss.
TEST_F(AssetgenOutput, CollectButtonStaysInsideItsRedraw) {
  const Pixels& p = Pic(32);
  for (int y = 0; y < p.height; ++y) {
    const int fy = 13 + y % 72;
    for (int x = 0; x < p.width; ++x) {
      const int fx = 143 + x;
      if (fx < 151 || fx >= 339 || fy < 12 || fy >= 84) {
        EXPECT_TRUE(p.IsKey(x, y)) << x << "," << y;
      }
    }
  }
}

// Empty life slots and the cashpot panel show the game background, which must match them.
TEST_F(AssetgenOutput, GameBackgroundHoldsItsPanels) {
  const Pixels& main = Pic(15);
  auto same = [&](int key, int frame, int ox, int oy) {
    const Pixels& p = Pic(key);
    const int fh = Row(key).frameHeight;
    int differing = 0;
    for (int y = 0; y < fh; ++y) {
      for (int x = 0; x < p.width; ++x) {
        if (p.IsKey(x, frame * fh + y)) continue;
        uint8_t a[3], b[3];
        p.Get(x, frame * fh + y, &a[0], &a[1], &a[2]);
        main.Get(ox + x, oy + y, &b[0], &b[1], &b[2]);
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++differing;
      }
    }
    return differing;
  };
  EXPECT_EQ(same(73, 0, 12, 495), 0);
  EXPECT_EQ(same(33, 0, 359, 0), 0);
  EXPECT_EQ(same(28, 0, 575, 123), 0);
}

}  // namespace
