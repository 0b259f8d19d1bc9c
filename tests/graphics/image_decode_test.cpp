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

// BMPs of the layouts other writers make: the information header's size, bits a pixel,
// compression and row order, rows padded to whole 4-byte words.
struct BmpKind {
  uint32_t infoSize = 40;
  int bits = 24;
  uint32_t compression = 0;
  bool topDown = false;
};

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 255);
  s += static_cast<char>((v >> 8) & 255);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

std::string BmpOf(const BmpKind& k, int width, int height, const testing_support::PixelAt& pixel) {
  const int bytes = k.bits / 8, stride = (width * bytes + 3) & ~3;
  const int palette = k.bits == 8 ? 256 * 4 : 0;
  const uint32_t offset = 14 + k.infoSize + palette;
  std::string s = "BM";
  Put32(s, offset + static_cast<uint32_t>(stride * height));
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, k.infoSize);
  if (k.infoSize == 12) {  // OS/2: 16-bit sizes, planes, bits
    Put16(s, static_cast<uint32_t>(width));
    Put16(s, static_cast<uint32_t>(height));
  } else {
    Put32(s, static_cast<uint32_t>(width));
    Put32(s, static_cast<uint32_t>(k.topDown ? -height : height));
  }
  Put16(s, 1);
  Put16(s, static_cast<uint32_t>(k.bits));
  if (k.infoSize > 12) {
    Put32(s, k.compression);
    s.append(k.infoSize - 20, '\0');  // the rest of the header: sizes, masks, colour space
  }
  s.append(static_cast<size_t>(palette), '\0');
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    int y = k.topDown ? fileRow : height - 1 - fileRow;
    for (int x = 0; x < width; ++x) {
      Rgb c = pixel(x, y);
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
      if (bytes == 4) s += '\xFF';
    }
    s.append(static_cast<size_t>(stride - width * bytes), '\0');
  }
  return s;
}

// Every layout tried: those read give the picture exactly, the others an error that says
// what the file is.
TEST(ImageDecode, FormatsReadOrRefusedByName) {
  auto pixel = [](int x, int y) {
    return Rgb{static_cast<uint8_t>(40 * x + 8), static_cast<uint8_t>(60 * y + 4),
               static_cast<uint8_t>(x * y * 16)};
  };
  std::string pcx1 = PcxBytes(4, 3, pixel), pcx4 = pcx1;
  pcx1[65] = 1;
  pcx4[65] = 4;
  struct Case {
    const char* name;
    GraphicFormat format;
    std::string bytes;
    int width;        // of the picture read, 0 when refused
    const char* why;  // part of the error when refused
  };
  const Case cases[] = {
      {"24-bit, 40-byte header, width 4", GraphicFormat::Bmp, BmpOf({}, 4, 3, pixel), 4, ""},
      {"24-bit, odd width 5", GraphicFormat::Bmp, BmpOf({}, 5, 3, pixel), 5, ""},
      {"24-bit, width 6", GraphicFormat::Bmp, BmpOf({}, 6, 3, pixel), 6, ""},
      {"24-bit, top-down", GraphicFormat::Bmp, BmpOf({40, 24, 0, true}, 5, 3, pixel), 5, ""},
      {"24-bit, v4 header", GraphicFormat::Bmp, BmpOf({108}, 5, 3, pixel), 5, ""},
      {"24-bit, v5 header", GraphicFormat::Bmp, BmpOf({124}, 4, 3, pixel), 4, ""},
      {"24-bit, OS/2 header", GraphicFormat::Bmp, BmpOf({12}, 4, 3, pixel), 0,
       "an OS/2 BMP (information header of 12 bytes) is not supported"},
      {"32-bit, 40-byte header", GraphicFormat::Bmp, BmpOf({40, 32}, 4, 3, pixel), 0,
       "a BMP of 32 bits a pixel is not supported: only uncompressed 24-bit pictures"},
      {"32-bit, v5 header, bit fields", GraphicFormat::Bmp, BmpOf({124, 32, 3}, 4, 3, pixel), 0,
       "a BMP of 32 bits a pixel compressed as bit fields is not supported"},
      {"8-bit palette", GraphicFormat::Bmp, BmpOf({40, 8}, 4, 3, pixel), 0,
       "a BMP of 8 bits a pixel is not supported"},
      {"8-bit RLE8", GraphicFormat::Bmp, BmpOf({40, 8, 1}, 4, 3, pixel), 0,
       "a BMP of 8 bits a pixel compressed as RLE8 is not supported"},
      {"PCX, 3 planes", GraphicFormat::Pcx, PcxBytes(4, 3, pixel), 4, ""},
      {"PCX, 1 plane (palette)", GraphicFormat::Pcx, pcx1, 0,
       "a PCX of 1 colour plane (a palette picture) is not supported"},
      {"PCX, 4 planes", GraphicFormat::Pcx, pcx4, 0, "a PCX of 4 colour planes is not supported"},
  };
  for (const Case& c : cases) {
    Picture565 p;
    std::string why;
    const bool read = DecodePicture(c.format, Bytes(c.bytes), c.bytes.size(), p, &why);
    PictureHeader h;
    std::string headerWhy;
    const bool header = ReadPictureHeader(c.format, Bytes(c.bytes), c.bytes.size(), h, &headerWhy);
    if (c.width == 0) {
      EXPECT_FALSE(read) << c.name;
      EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
      // The header alone already says so, so a picture loaded later fails at the start.
      EXPECT_FALSE(header) << c.name;
      EXPECT_EQ(headerWhy, why) << c.name;
      continue;
    }
    ASSERT_TRUE(read) << c.name << ": " << why;
    ASSERT_TRUE(header) << c.name << ": " << headerWhy;
    EXPECT_EQ(h.width, c.width) << c.name;
    ASSERT_EQ(p.width, c.width) << c.name;
    ASSERT_EQ(p.height, 3) << c.name;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < c.width; ++x) {
        Rgb want = pixel(x, y);
        EXPECT_EQ(p.pixels[y * c.width + x], Rgb565(want.r, want.g, want.b))
            << c.name << " at " << x << "," << y;
      }
  }
}

}  // namespace
