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
#include <vector>

#include "graphics/graphic_files.h"
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

// The size each picture of the game's table is drawn at, by key.
struct DrawnSize {
  int key;
  int width;
  int frameHeight;
};

const DrawnSize kSizes[] = {
    {1, 800, 600},  {2, 164, 78},   {3, 32, 32},    {4, 800, 600},  {5, 20, 32},    {6, 800, 600},
    {7, 216, 100},  {8, 216, 100},  {9, 20, 26},    {10, 28, 40},   {11, 20, 24},   {12, 16, 26},
    {13, 24, 36},   {14, 12, 16},   {15, 800, 600}, {16, 800, 600}, {17, 148, 76},  {18, 588, 492},
    {19, 180, 170}, {20, 180, 170}, {21, 532, 120}, {22, 532, 120}, {23, 532, 120}, {24, 300, 28},
    {25, 440, 100}, {26, 448, 108}, {27, 96, 66},   {28, 224, 477}, {29, 28, 28},   {30, 44, 20},
    {31, 224, 123}, {32, 204, 72},  {33, 208, 102}, {34, 576, 368}, {35, 24, 36},   {36, 12, 16},
    {37, 800, 600}, {38, 216, 92},  {39, 248, 92},  {40, 216, 92},  {41, 216, 100}, {42, 216, 100},
    {43, 216, 92},  {44, 216, 92},  {45, 248, 92},  {46, 248, 92},  {47, 248, 92},  {48, 96, 66},
    {49, 96, 66},   {50, 96, 66},   {51, 96, 66},   {52, 96, 66},   {53, 96, 66},   {54, 96, 66},
    {55, 96, 66},   {56, 96, 66},   {57, 96, 66},   {58, 96, 66},   {59, 96, 66},   {60, 96, 66},
    {61, 96, 66},   {62, 96, 66},   {63, 96, 66},   {64, 96, 66},   {65, 96, 66},   {66, 96, 66},
    {67, 96, 66},   {68, 96, 66},   {69, 800, 600}, {70, 124, 170}, {71, 124, 170}, {72, 124, 170},
    {73, 196, 96},  {74, 208, 90},  {75, 208, 90},  {76, 208, 90},  {77, 208, 90},  {78, 208, 90},
    {79, 208, 90},  {80, 16, 20},   {81, 52, 44},   {82, 12, 28},   {83, 220, 30},  {84, 180, 46},
};

// The game's graphic table (paths, formats, frame counts) with the size each picture is drawn at.
std::vector<Expected> JoinWithGameTable() {
  static_assert(std::size(kSizes) == kGraphicKeys, "a size for every picture");
  std::vector<Expected> table;
  for (const DrawnSize& d : kSizes) {
    const GraphicFile& f = kGraphicFiles[d.key - 1];
    table.push_back({d.key, f.path, static_cast<int>(f.format), f.frames, d.width, d.frameHeight});
  }
  return table;
}

const std::vector<Expected> kTable = JoinWithGameTable();

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
