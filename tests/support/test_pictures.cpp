#include "test_pictures.h"

#include <fstream>

#include "graphics/graphic_table.h"

namespace testing_support {

namespace {

void Le16(std::string& s, int v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

void Le32(std::string& s, uint32_t v) {
  Le16(s, static_cast<int>(v & 0xFFFF));
  Le16(s, static_cast<int>(v >> 16));
}

void PcxRun(std::string& s, uint8_t value, int count) {
  while (count > 0) {
    int n = count > 63 ? 63 : count;
    if (n == 1 && value < 0xC0) {
      s += static_cast<char>(value);
    } else {
      s += static_cast<char>(0xC0 | n);
      s += static_cast<char>(value);
    }
    count -= n;
  }
}

}  // namespace

std::string BmpBytes(int width, int height, const PixelAt& pixel) {
  const int stride = (width * 3 + 3) & ~3;  // rows padded to whole 4-byte words
  std::string s = "BM";
  Le32(s, static_cast<uint32_t>(54 + stride * height));
  Le32(s, 0);
  Le32(s, 54);
  Le32(s, 40);
  Le32(s, static_cast<uint32_t>(width));
  Le32(s, static_cast<uint32_t>(height));
  Le16(s, 1);
  Le16(s, 24);
  for (int i = 0; i < 6; ++i) Le32(s, 0);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    int y = height - 1 - fileRow;
    for (int x = 0; x < width; ++x) {
      Rgb c = pixel(x, y);
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
    }
    s.append(static_cast<size_t>(stride - width * 3), '\0');
  }
  return s;
}

std::string PcxBytes(int width, int height, const PixelAt& pixel, int bytesPerLine) {
  if (bytesPerLine == 0) bytesPerLine = width;
  std::string s(128, '\0');
  s[0] = 10;
  s[1] = 5;
  s[2] = 1;
  s[3] = 8;
  auto put16 = [&](int at, int v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  put16(8, width - 1);
  put16(10, height - 1);
  s[65] = 3;
  put16(66, bytesPerLine);
  for (int y = 0; y < height; ++y) {
    for (int plane = 0; plane < 3; ++plane) {
      for (int x = 0; x < bytesPerLine; ++x) {
        Rgb c = x < width ? pixel(x, y) : Rgb{0, 0, 0};
        PcxRun(s, plane == 0 ? c.r : plane == 1 ? c.g : c.b, 1);
      }
    }
  }
  return s;
}

int TestFramesOf(int key) {
  switch (key) {
    case 5:
    case 17:
    case 80:
      return 12;
    case 9:
    case 10:
    case 11:
    case 13:
    case 14:
      return 96;
    case 19:
    case 20:
      return 10;
    case 21:
    case 22:
    case 23:
      return 6;
    case 24:
    case 74:
    case 75:
    case 76:
    case 77:
    case 78:
    case 79:
      return 2;
    case 27:
      return 22;
    case 30:
      return 8;
    case 32:
    case 82:
      return 3;
    case 35:
    case 36:
      return 11;
    case 48:
      return 15;
    case 70:
    case 71:
    case 72:
      return 20;
    case 73:
      return 6;
    case 81:
    case 83:
      return 5;
    case 84:
      return 14;
    default:
      return key >= 49 && key <= 68 ? 9 : 1;
  }
}

void WriteTestGraphics(const std::string& dir) {
  for (const GraphicEntry* e = GraphicTable.data(); e->key != 0; ++e) {
    std::string path = dir + "/";
    for (const char* c = e->path; *c; ++c) path += *c == '\\' ? '/' : *c;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    bool fullScreen = e->key == 1 || e->key == 37 || e->key == 6 || e->key == 15;
    int frames = TestFramesOf(e->key);
    int width = fullScreen ? 800 : 8, height = fullScreen ? 600 : 4 * frames;
    uint8_t shade = static_cast<uint8_t>(e->key * 3);
    PixelAt pixel = [shade](int x, int y) {
      // A glyph-like block of ink in each frame, magenta around it.
      bool ink = (x >= 1 && x <= 4 && y % 4 != 3);
      return ink ? Rgb{shade, static_cast<uint8_t>(255 - shade), 40} : Rgb{255, 0, 255};
    };
    if (fullScreen) pixel = [shade](int, int) { return Rgb{shade, 60, 90}; };
    std::string bytes = e->format == GraphicFormat::Pcx ? PcxBytes(width, height, pixel)
                                                        : BmpBytes(width, height, pixel);
    std::ofstream(path, std::ios::binary) << bytes;
  }
}

}  // namespace testing_support
