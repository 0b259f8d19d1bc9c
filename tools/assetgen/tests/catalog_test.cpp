// The catalogue and the helpers the previews and compositions rely on.
#include "catalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "preview.h"
#include "render.h"

namespace assetgen {
namespace {

TEST(AssetgenCatalog, KeysRunFromOneToEightyFourInOrder) {
  ASSERT_EQ(Catalog().size(), 84u);
  for (size_t i = 0; i < Catalog().size(); ++i) {
    EXPECT_EQ(Catalog()[i].key, static_cast<int>(i) + 1);
    EXPECT_NE(Catalog()[i].paint, nullptr);
  }
  EXPECT_EQ(FindEntry(0), nullptr);
  EXPECT_EQ(FindEntry(85), nullptr);
}

TEST(AssetgenCatalog, BmpRowsNeedNoPadding) {
  for (const Entry& e : Catalog()) {
    if (e.format == Format::kBmp) {
      EXPECT_EQ(e.width % 4, 0) << e.path;
    }
    EXPECT_GT(e.frameHeight, 0) << e.path;
  }
}

TEST(AssetgenCatalog, PathsTurnBackslashesIntoFolders) {
  EXPECT_EQ(PicturePath("out", 15), "out/Graphic_resource/Main/Main.BMP");
  EXPECT_EQ(PicturePath("g", 3), "g/Graphic_resource/transparency.PCX");
}

TEST(AssetgenCatalog, PointsCarryABackslashAndCommaBeforeEachGroup) {
  EXPECT_EQ(FormatPoints(0), "0");
  EXPECT_EQ(FormatPoints(999), "999");
  EXPECT_EQ(FormatPoints(1000), "1\\,000");
  EXPECT_EQ(FormatPoints(12345), "12\\,345");
  EXPECT_EQ(FormatPoints(750000), "750\\,000");
  EXPECT_EQ(FormatPoints(1000000), "1\\,000\\,000");
}

TEST(AssetgenRender, PlacedPicturesKeepTheirExactColours) {
  // A picture placed inside another keeps its pixels exactly and lets its key colour through.
  std::string error;
  ASSERT_TRUE(LoadFonts(&error)) << error;
  const Image boot = PictureFrame(81, 4);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, boot.width, boot.height);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  PlacePicture(cr, 81, 4, 0, 0);
  cairo_destroy(cr);
  const Image placed = FromSurface(s, pal::kBlack);
  cairo_surface_destroy(s);
  int keyed = 0;
  for (int y = 0; y < boot.height; ++y) {
    for (int x = 0; x < boot.width; ++x) {
      const Rgb want = IsKey(boot.At(x, y)) ? Rgb{0, 0, 255} : boot.At(x, y);
      const Rgb got = placed.At(x, y);
      keyed += IsKey(boot.At(x, y)) ? 1 : 0;
      ASSERT_TRUE(want.r == got.r && want.g == got.g && want.b == got.b) << x << "," << y;
    }
  }
  EXPECT_GT(keyed, 0);
}

TEST(AssetgenRender, GlyphWidthsFollowTheGameMeasure) {
  std::string error;
  ASSERT_TRUE(LoadFonts(&error)) << error;
  // Rightmost inked column plus one (plus two in the points font); the space is half a cell.
  for (int key : {13, 14}) {
    const Entry* e = FindEntry(key);
    const Image& pic = Picture(key);
    const int g = '7' - 32;
    int last = 0;
    for (int y = 0; y < e->frameHeight; ++y) {
      for (int x = 1; x < e->width; ++x) {
        if (!IsKey(pic.At(x, g * e->frameHeight + y))) last = std::max(last, x);
      }
    }
    EXPECT_EQ(MeasureGlyphWidths(key)[g], last + (key == 13 ? 2 : 1));
    EXPECT_EQ(MeasureGlyphWidths(key)[0], e->width / 2);
  }
}

}  // namespace
}  // namespace assetgen
