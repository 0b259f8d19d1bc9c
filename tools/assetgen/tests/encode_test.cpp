// The two file writers, read back with the independent reader that follows the game's loader,
// and the conversion of painted frames into keyed pictures.
#include "encode.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "image.h"
#include "picture_reader.h"

namespace assetgen {
namespace {

using assetgen_test::Pixels;

Image Pattern(int w, int h) {
  Image im = MakeImage(w, h, pal::kMagenta);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      im.Set(x, y,
             {static_cast<uint8_t>(x * 37 + y), static_cast<uint8_t>(200 + x),
              static_cast<uint8_t>(y * 71)});
    }
  }
  return im;
}

void ExpectSame(const Image& im, const Pixels& px) {
  ASSERT_EQ(px.width, im.width);
  ASSERT_EQ(px.height, im.height);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      uint8_t r, g, b;
      px.Get(x, y, &r, &g, &b);
      const Rgb c = im.At(x, y);
      ASSERT_TRUE(r == c.r && g == c.g && b == c.b) << "pixel " << x << "," << y;
    }
  }
}

TEST(AssetgenEncode, BmpReadsBackUprightThroughTheLoaderRules) {
  const Image im = Pattern(8, 5);
  const auto bytes = EncodeBmp(im);
  ASSERT_EQ(bytes.size(), 54u + 8 * 5 * 3);
  // The first pixel in the file is the bottom-left one, blue first.
  const Rgb bottomLeft = im.At(0, 4);
  EXPECT_EQ(bytes[54], bottomLeft.b);
  EXPECT_EQ(bytes[56], bottomLeft.r);
  Pixels px;
  std::string error;
  ASSERT_TRUE(assetgen_test::ReadBmp(bytes, &px, &error)) << error;
  ExpectSame(im, px);
}

TEST(AssetgenEncode, PcxRoundTripsHighValuesAndLongRuns) {
  Image im = Pattern(100, 3);
  for (int x = 0; x < 100; ++x) im.Set(x, 1, {0xC0, 0xFF, 0xC1});  // a run longer than 63
  im.Set(7, 2, {0xC5, 0xC0, 0xFE});                                // lone values of 0xC0 and up
  const auto bytes = EncodePcx(im);
  Pixels px;
  std::string error;
  ASSERT_TRUE(assetgen_test::ReadPcx(bytes, &px, &error)) << error;
  ExpectSame(im, px);
  EXPECT_EQ(bytes[65], 3);
  EXPECT_EQ(bytes[66] | (bytes[67] << 8), 100);
}

TEST(AssetgenEncode, PcxRunsEndWithTheirPlane) {
  // The red plane ends and the green plane begins with the same value: one run across both
  // would be misread by the loader, which decodes each plane on its own.
  Image im = MakeImage(4, 1, {9, 9, 9});
  const auto bytes = EncodePcx(im);
  Pixels px;
  std::string error;
  ASSERT_TRUE(assetgen_test::ReadPcx(bytes, &px, &error)) << error;
  EXPECT_EQ(bytes.size(), 128u + 3 * 2);  // one two-byte run per plane
}

TEST(AssetgenEncode, WritingCreatesTheFolders) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("assetgen_encode_test_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::string error;
  const std::string path = (dir / "A" / "b" / "c.BMP").string();
  ASSERT_TRUE(WriteFileBytes(path, {1, 2, 3}, &error)) << error;
  EXPECT_EQ(std::filesystem::file_size(path), 3u);
  std::filesystem::remove_all(dir);
}

TEST(AssetgenEncode, SoftEdgesBlendOntoTheMatteAndFaintOnesBecomeTheKey) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(cr, 0, 0, 1, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 1.0);
  cairo_fill(cr);
  cairo_rectangle(cr, 1, 0, 1, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
  cairo_fill(cr);
  cairo_rectangle(cr, 2, 0, 1, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.3);
  cairo_fill(cr);
  cairo_destroy(cr);
  const Image im = FromSurface(s, {0, 0, 100});
  cairo_surface_destroy(s);
  EXPECT_EQ(im.At(0, 0).r, 255);
  const Rgb half = im.At(1, 0);
  EXPECT_NEAR(half.r, 153, 2);
  EXPECT_NEAR(half.b, 193, 2);  // 153 of white plus 40 % of the matte's 100
  EXPECT_TRUE(IsKey(im.At(2, 0)));
}

TEST(AssetgenEncode, PaintedMagentaNeverTurnsIntoTheKey) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  const Image im = FromSurface(s, pal::kNavy);
  cairo_surface_destroy(s);
  EXPECT_FALSE(IsKey(im.At(0, 0)));
  EXPECT_GT(im.At(0, 0).g, 80);
}

}  // namespace
}  // namespace assetgen
