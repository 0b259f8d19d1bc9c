// The picture readers on good and bad bytes.
#include "graphics/image_decode.h"

#include <gtest/gtest.h>

#include "test_pictures.h"

namespace {

using testing_support::BmpBytes;
using testing_support::PcxBytes;
using testing_support::Rgb;

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

TEST(ImageDecode, BmpIsBottomUpAndKeepsTheTopBitsOfEachChannel) {
  std::string bmp = BmpBytes(4, 2, [](int x, int y) {
    return y == 0 ? Rgb{255, 0, 255} : Rgb{static_cast<uint8_t>(x), 0x07, 254};
  });
  Picture565 p;
  std::string why;
  ASSERT_TRUE(DecodePicture(GraphicFormat::Bmp, Bytes(bmp), bmp.size(), p, &why)) << why;
  EXPECT_EQ(p.width, 4);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.pixels[0], 0xF81F);  // the top row is the last in the file
  EXPECT_EQ(p.pixels[4], Rgb565(0, 0x07, 254));
  EXPECT_EQ(Rgb565(254, 0, 254), 0xF81F);
}

TEST(ImageDecode, PcxPlanesMatchTheBmpOfTheSamePicture) {
  auto pixel = [](int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 90), 200};
  };
  std::string pcx = PcxBytes(5, 3, pixel, 6), bmp = BmpBytes(6, 3, [&](int x, int y) {
                                                return x < 5 ? pixel(x, y) : Rgb{0, 0, 0};
                                              });
  Picture565 a, b;
  ASSERT_TRUE(DecodePicture(GraphicFormat::Pcx, Bytes(pcx), pcx.size(), a, nullptr));
  ASSERT_TRUE(DecodePicture(GraphicFormat::Bmp, Bytes(bmp), bmp.size(), b, nullptr));
  EXPECT_EQ(a.width, 6);
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(ImageDecode, BadFilesAreRefusedWithAReason) {
  std::string bmp = BmpBytes(4, 4, [](int, int) { return Rgb{1, 2, 3}; });
  std::string pcx = PcxBytes(4, 4, [](int, int) { return Rgb{1, 2, 3}; });
  struct Case {
    GraphicFormat format;
    std::string bytes;
    const char* why;
  };
  std::string notBm = bmp, tallBmp = bmp, wideBmp = bmp, badPcx = pcx, runPast = pcx.substr(0, 128);
  notBm[0] = 'X';
  tallBmp[22] = '\0';  // height 0
  tallBmp[23] = '\0';
  wideBmp[18] = '\xFF';  // width 32767
  wideBmp[19] = '\x7F';
  badPcx[1] = 4;
  runPast += std::string("\xC5\x10", 2);  // a run of 5 in a row of 4
  const Case cases[] = {
      {GraphicFormat::Bmp, notBm, "not a BMP"},
      {GraphicFormat::Bmp, bmp.substr(0, 40), "header is cut short"},
      {GraphicFormat::Bmp, bmp.substr(0, bmp.size() - 1), "pixel data is cut short"},
      {GraphicFormat::Bmp, tallBmp, "no pixels"},
      {GraphicFormat::Bmp, wideBmp, "too large"},
      {GraphicFormat::Pcx, badPcx, "not a version 5"},
      {GraphicFormat::Pcx, pcx.substr(0, pcx.size() - 1), "cut short"},
      {GraphicFormat::Pcx, runPast, "past the end of its row"},
      {static_cast<GraphicFormat>(3), bmp, "neither"},
  };
  for (const Case& c : cases) {
    Picture565 p;
    std::string why;
    EXPECT_FALSE(DecodePicture(c.format, Bytes(c.bytes), c.bytes.size(), p, &why)) << c.why;
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
  }
}

}  // namespace
