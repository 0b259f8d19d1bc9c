// The two clips: AVI layout and index as a plain reader takes them, every RLE8 frame filling
// the screen exactly, what the frames show, palette fidelity, determinism.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "avi_file.h"
#include "clip_assets.h"
#include "clip_palette.h"
#include "clips.h"
#include "media_readers.h"
#include "temp_dir.h"

namespace {

using media_test::Avi;
using media_test::DecodeRle8;
using media_test::ReadAvi;
using testing_support::ReadFile;
using testing_support::TempDir;

const char* const kJackpot = "/Graphic_resource/avis/Jackpot.avi";
const char* const kGameOver = "/Graphic_resource/avis/Gameover.avi";

// Both clips, written once per test process.
struct Written {
  TempDir dir;
  bool ok = false;
  std::string error;
  Written() { ok = WriteClips(dir.Path(), &error); }
};
const Written& Clips() {
  static Written w;
  return w;
}

struct Decoded {
  Avi avi;
  std::vector<std::vector<uint8_t>> frames;
};

Decoded Decode(const std::string& bytes) {
  Decoded d;
  d.avi = ReadAvi(bytes);
  for (size_t i = 0; i < d.avi.frames.size(); ++i) {
    std::vector<uint8_t> pixels;
    std::string error;
    EXPECT_TRUE(DecodeRle8(d.avi.FrameData(bytes, i), 800, 600, pixels, &error))
        << "frame " << i << ": " << error;
    d.frames.push_back(pixels);
  }
  return d;
}

// Pixels inside [x0,x1) x [y0,y1) whose palette colour passes `test`.
int Count(const Decoded& d, size_t frame, int x0, int x1, int y0, int y1,
          const std::function<bool(int r, int g, int b)>& test) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      uint32_t c = d.avi.palette[d.frames[frame][static_cast<size_t>(y) * 800 + x]];
      n += test(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
    }
  }
  return n;
}

double MeanLight(const Decoded& d, size_t frame) {
  double sum = 0;
  for (uint8_t i : d.frames[frame]) {
    uint32_t c = d.avi.palette[i];
    sum += 0.3 * (c >> 16) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * (c & 0xFF);
  }
  return sum / d.frames[frame].size();
}

TEST(AssetgenAudioClips, BothClipsAreIndexedRle8VideoAtFullScreen) {
  ASSERT_TRUE(Clips().ok) << Clips().error;
  for (const char* name : {kJackpot, kGameOver}) {
    SCOPED_TRACE(name);
    std::string path = Clips().dir.Path() + name;
    ASSERT_TRUE(std::filesystem::is_regular_file(path));
    std::string bytes = ReadFile(path);
    EXPECT_LT(bytes.size(), 8u * 1024 * 1024);
    Decoded d = Decode(bytes);
    const Avi& a = d.avi;
    ASSERT_EQ(a.error, "");
    EXPECT_EQ(a.width, 800u);
    EXPECT_EQ(a.height, 600u);
    EXPECT_EQ(a.streams, 1u);
    EXPECT_TRUE(a.flags & 0x10) << "AVIF_HASINDEX";
    EXPECT_EQ(a.streamType, "vids");
    EXPECT_EQ(a.bitmapWidth, 800);
    EXPECT_EQ(a.bitmapHeight, 600) << "bottom-up";
    EXPECT_EQ(a.bitCount, 8);
    EXPECT_EQ(a.compression, 1u) << "BI_RLE8";
    EXPECT_EQ(a.coloursUsed, 256u);
    EXPECT_EQ(a.palette.size(), 256u);
    // Two to three seconds on screen.
    ASSERT_GT(a.rate, 0u);
    double seconds = static_cast<double>(a.length) * a.scale / a.rate;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 3.0);
    EXPECT_EQ(a.microsPerFrame, 1000000u * a.scale / a.rate);
    EXPECT_EQ(a.totalFrames, a.length);
    ASSERT_EQ(a.frames.size(), a.length);
    ASSERT_EQ(a.index.size(), a.length);
    for (size_t i = 0; i < a.index.size(); ++i) {
      const Avi::Entry& e = a.index[i];
      EXPECT_EQ(e.id, "00dc");
      EXPECT_TRUE(e.flags & 0x10) << "every frame is a key frame";
      size_t chunk = a.moviType + e.offset;
      ASSERT_LT(chunk + 8, bytes.size());
      EXPECT_EQ(bytes.compare(chunk, 4, "00dc"), 0) << "entry " << i;
      EXPECT_EQ(chunk, a.frames[i].at);
      EXPECT_EQ(e.size, a.frames[i].size);
    }
    EXPECT_EQ(d.frames.size(), a.length);
  }
}

TEST(AssetgenAudioClips, JackpotBurstsIntoGoldLettersAndConfetti) {
  Decoded d =
      Decode(clips::EncodeClip(clips::RenderClip(clips::DrawJackpotFrame, clips::kJackpotFrames)));
  ASSERT_GT(d.frames.size(), 40u);
  auto gold = [](int r, int g, int b) { return r > 190 && g > 130 && b < 110 && r - b > 100; };
  auto confetti = [](int r, int g, int b) {
    return (r > 180 && g < 90 && b > 120) || (r < 90 && g > 140 && b > 180);
  };
  const int title = 680 * 150;
  EXPECT_LT(Count(d, 0, 60, 740, 150, 300, gold), title / 100) << "no title before it pops up";
  EXPECT_GT(Count(d, d.frames.size() - 1, 60, 740, 150, 300, gold), title / 12);
  EXPECT_LT(Count(d, 0, 0, 800, 0, 600, confetti), 60) << "only a few stray pixels";
  EXPECT_GT(Count(d, 40, 0, 800, 0, 600, confetti), 600);
  for (size_t i = 1; i < d.frames.size(); ++i) {
    EXPECT_NE(d.frames[i], d.frames[i - 1]) << "frame " << i << " stands still";
  }
}

TEST(AssetgenAudioClips, GameOverDimsTheLightsAsTheBallRollsAway) {
  Decoded d = Decode(
      clips::EncodeClip(clips::RenderClip(clips::DrawGameOverFrame, clips::kGameOverFrames)));
  ASSERT_GT(d.frames.size(), 40u);
  size_t last = d.frames.size() - 1;
  EXPECT_LT(MeanLight(d, last), 0.8 * MeanLight(d, 0));
  auto chalk = [](int r, int g, int b) { return r > 215 && g > 215 && b > 200; };
  // The ball starts close, at the bottom, and is far up the pitch by the end.
  EXPECT_GT(Count(d, 0, 350, 450, 520, 600, chalk), 800);
  EXPECT_LT(Count(d, last, 350, 450, 520, 600, chalk), 50);
  // "GAME OVER" is not there at first and stands out at the end.
  EXPECT_LT(Count(d, 0, 20, 780, 140, 250, chalk), 200);
  EXPECT_GT(Count(d, last, 20, 780, 140, 250, chalk), 15000);
  int moving = 0;
  for (size_t i = 1; i < d.frames.size(); ++i) moving += d.frames[i] != d.frames[i - 1];
  EXPECT_GT(moving, static_cast<int>(d.frames.size() * 3 / 4));
}

TEST(AssetgenAudioClips, WritingAgainGivesTheSameBytes) {
  ASSERT_TRUE(Clips().ok) << Clips().error;
  TempDir again;
  std::string error;
  ASSERT_TRUE(WriteClips(again.Path(), &error)) << error;
  for (const char* name : {kJackpot, kGameOver}) {
    EXPECT_TRUE(ReadFile(Clips().dir.Path() + name) == ReadFile(again.Path() + name)) << name;
  }
}

// The fitted palette keeps drawn frames close to their full-colour originals.
TEST(AssetgenAudioClipPalette, FramesStayCloseToTheirDrawing) {
  for (clips::FrameDrawer draw : {clips::DrawJackpotFrame, clips::DrawGameOverFrame}) {
    std::vector<cairo_surface_t*> drawn;
    clips::ColourHistogram histogram;
    for (int f : {5, 35, 65}) {
      drawn.push_back(clips::DrawFrame(draw, f));
      histogram.Add(cairo_image_surface_get_data(drawn.back()), 800, 600,
                    cairo_image_surface_get_stride(drawn.back()));
    }
    clips::Palette palette = clips::FitPalette(histogram);
    clips::Quantiser q(palette);
    for (cairo_surface_t* s : drawn) {
      const uint8_t* data = cairo_image_surface_get_data(s);
      int stride = cairo_image_surface_get_stride(s);
      std::vector<uint8_t> mapped;
      q.Map(data, 800, 600, stride, mapped);
      double error = 0;
      for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
          uint32_t px;
          std::memcpy(&px, data + y * stride + 4 * x, 4);
          uint32_t pc = palette[mapped[static_cast<size_t>(y) * 800 + x]];
          for (int shift : {0, 8, 16}) {
            error += std::abs(int((px >> shift) & 0xFF) - int((pc >> shift) & 0xFF));
          }
        }
      }
      EXPECT_LT(error / (800.0 * 600 * 3), 4.0);
      cairo_surface_destroy(s);
    }
  }
}

TEST(AssetgenAudioClipPalette, FewColoursAreKeptExactly) {
  clips::ColourHistogram h;
  std::vector<uint32_t> colours;
  for (uint32_t i = 0; i < 200; ++i) {
    uint32_t r = (i * 37) % 32, g = (i * 11) % 32, b = i % 32;
    uint32_t rgb = (r * 8 + 4) << 16 | (g * 8 + 4) << 8 | (b * 8 + 4);
    colours.push_back(rgb);
    h.counts[clips::Bin15(rgb)] += 1 + i * 1000;
  }
  clips::Palette p = clips::FitPalette(h);
  clips::Quantiser q(p);
  for (uint32_t c : colours) EXPECT_EQ(p[q.Index(c)], c) << std::hex << c;
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& pixels, int width, int height) {
  std::string packed = clips::EncodeRle8(pixels, width, height);
  std::vector<uint8_t> back;
  std::string error;
  EXPECT_TRUE(DecodeRle8(packed, width, height, back, &error)) << error;
  return back;
}

TEST(AssetgenAudioRle8, PacksRunsAndMixedPixelsAsTheFormatSays) {
  // A run: count and colour, then the end-of-bitmap mark.
  EXPECT_EQ(clips::EncodeRle8({5, 5, 5, 5}, 4, 1), std::string("\x04\x05\x00\x01", 4));
  // Mixed pixels: an absolute run padded to an even length.
  EXPECT_EQ(clips::EncodeRle8({1, 2, 3, 4, 5}, 5, 1),
            std::string("\x00\x05\x01\x02\x03\x04\x05\x00\x00\x01", 10));
  // Rows run bottom-up; each but the last ends with an end-of-line mark.
  EXPECT_EQ(clips::EncodeRle8({7, 7, 7, 9, 9, 9}, 3, 2),
            std::string("\x03\x09\x00\x00\x03\x07\x00\x01", 8));
}

TEST(AssetgenAudioRle8, RoundTripsLongRunsOddStretchesAndNarrowFrames) {
  std::vector<uint8_t> row;
  for (int i = 0; i < 700; ++i) row.push_back(7);               // longer than one run
  for (int i = 0; i < 301; ++i) row.push_back(uint8_t(i * 7));  // longer than one absolute run
  row.insert(row.end(), {1, 1, 2, 2, 3, 4, 4, 4, 5});
  row.push_back(9);
  std::vector<uint8_t> frame;
  for (int r = 0; r < 5; ++r) {
    std::vector<uint8_t> shifted(row.begin() + r, row.end());
    shifted.insert(shifted.end(), row.begin(), row.begin() + r);
    frame.insert(frame.end(), shifted.begin(), shifted.end());
  }
  int width = static_cast<int>(row.size());
  EXPECT_EQ(RoundTrip(frame, width, 5), frame);
  std::vector<uint8_t> column = {3, 4, 4, 200};
  EXPECT_EQ(RoundTrip(column, 1, 4), column);
  std::vector<uint8_t> pairs = {1, 2, 2, 1, 1, 2, 1, 2};
  EXPECT_EQ(RoundTrip(pairs, 8, 1), pairs);
}

}  // namespace
