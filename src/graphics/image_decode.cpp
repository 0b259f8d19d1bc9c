#include "graphics/image_decode.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/little_endian.h"
namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool CheckSize(int width, int height, std::string* error) {
  if (width <= 0 || height <= 0) return Fail(error, "the picture has no pixels");
  if (width > kMaxPictureWidth || height > kMaxPictureHeight ||
      static_cast<long long>(width) * height > kMaxPicturePixels)
    return Fail(error, "the picture is too large");
  return true;
}

// What a BMP's compression field says.
std::string CompressionName(uint32_t compression) {
  static const char* const kNames[] = {
      "none", "RLE8", "RLE4", "bit fields", "JPEG", "PNG", "alpha bit fields"};
  if (compression < 7) return kNames[compression];
  return "compression " + std::to_string(compression);
}

// The fields of a BMP's headers that say where and what its pixels are.
struct BmpLayout {
  uint32_t infoSize = 0, pixelOffset = 0;
  bool topDown = false;
};

// Windows BMPs with an information header of 40 bytes or one of its longer versions (52,
// 56, 108, 124), 24 bits a pixel, uncompressed, bottom-up or top-down; each row padded to
// a whole number of 4-byte words, as every writer pads them.
bool BmpHeader(const uint8_t* data, size_t size, PictureHeader& h, BmpLayout& layout,
               std::string* error) {
  if (size < 18) return Fail(error, "the BMP header is cut short");
  if (data[0] != 'B' || data[1] != 'M') return Fail(error, "not a BMP file (no \"BM\")");
  layout.infoSize = ReadLe32(data + 14);
  if (layout.infoSize == 12 || layout.infoSize == 16 || layout.infoSize == 64)
    return Fail(error, "an OS/2 BMP (information header of " + std::to_string(layout.infoSize) +
                           " bytes) is not supported: only Windows BMP");
  if (layout.infoSize != 40 && layout.infoSize != 52 && layout.infoSize != 56 &&
      layout.infoSize != 108 && layout.infoSize != 124)
    return Fail(error, "a BMP information header of " + std::to_string(layout.infoSize) +
                           " bytes is not supported");
  if (size < 54) return Fail(error, "the BMP header is cut short");
  const int32_t width = static_cast<int32_t>(ReadLe32(data + 18));
  const int32_t height = static_cast<int32_t>(ReadLe32(data + 22));
  const uint16_t bits = ReadLe16(data + 28);
  const uint32_t compression = ReadLe32(data + 30);
  if (bits != 24 || compression != 0) {
    std::string what = "a BMP of " + std::to_string(bits) + " bits a pixel";
    if (compression != 0) what += " compressed as " + CompressionName(compression);
    return Fail(error, what + " is not supported: only uncompressed 24-bit pictures");
  }
  layout.pixelOffset = ReadLe32(data + 10);
  // A negative height is a picture stored top row first.
  layout.topDown = height < 0;
  const int64_t rows = layout.topDown ? -static_cast<int64_t>(height) : height;
  h.width = static_cast<int>(std::clamp<int64_t>(width, 0, kMaxPictureWidth + 1));
  h.height = static_cast<int>(std::min<int64_t>(rows, kMaxPictureHeight + 1));
  return true;
}

bool BmpHeader(const uint8_t* data, size_t size, PictureHeader& h, std::string* error) {
  BmpLayout layout;
  return BmpHeader(data, size, h, layout, error);
}

bool PcxHeader(const uint8_t* data, size_t size, PictureHeader& h, std::string* error) {
  if (size < 128) return Fail(error, "the PCX header is cut short");
  if (data[0] != 10 || data[1] != 5 || data[2] != 1 || data[3] != 8)
    return Fail(error, "not a version 5, run-length, 8-bit PCX file");
  // Three colour planes (red, green, blue) are read; one is a palette picture.
  if (data[65] != 3) {
    std::string what = data[65] == 1 ? "a PCX of 1 colour plane (a palette picture)"
                                     : "a PCX of " + std::to_string(data[65]) + " colour planes";
    return Fail(error, what + " is not supported: only 3-plane pictures");
  }
  h.width = ReadLe16(data + 66);  // bytes per line of one plane
  h.height =
      static_cast<int16_t>(ReadLe16(data + 10)) - static_cast<int16_t>(ReadLe16(data + 6)) + 1;
  return true;
}

}  // namespace

bool ReadPictureHeader(GraphicFormat format, const uint8_t* data, size_t size,
                       PictureHeader& header, std::string* error) {
  if (format == GraphicFormat::Bmp) return BmpHeader(data, size, header, error);
  if (format == GraphicFormat::Pcx) return PcxHeader(data, size, header, error);
  return Fail(error, "neither a BMP nor a PCX picture");
}

bool DecodePicture(GraphicFormat format, const uint8_t* data, size_t size, Picture565& picture,
                   std::string* error) {
  PictureHeader h;
  if (!ReadPictureHeader(format, data, size, h, error)) return false;
  if (!CheckSize(h.width, h.height, error)) return false;
  picture.width = h.width;
  picture.height = h.height;
  picture.pixels.assign(static_cast<size_t>(h.width) * h.height, 0);

  if (format == GraphicFormat::Bmp) {
    BmpLayout layout;
    BmpHeader(data, size, h, layout, nullptr);
    if (size < 14 + static_cast<size_t>(layout.infoSize))
      return Fail(error, "the BMP header is cut short");
    if (layout.pixelOffset < 14 + layout.infoSize || layout.pixelOffset > size)
      return Fail(error, "the BMP's pixel data would start outside the file");
    const size_t stride = (static_cast<size_t>(h.width) * 3 + 3) & ~static_cast<size_t>(3);
    const size_t need = stride * (h.height - 1) + static_cast<size_t>(h.width) * 3;
    if (size - layout.pixelOffset < need) return Fail(error, "the BMP pixel data is cut short");
    for (int fileRow = 0; fileRow < h.height; ++fileRow) {
      const uint8_t* p = data + layout.pixelOffset + stride * fileRow;
      const int y = layout.topDown ? fileRow : h.height - 1 - fileRow;
      uint16_t* row = picture.pixels.data() + static_cast<size_t>(y) * h.width;
      for (int x = 0; x < h.width; ++x, p += 3) row[x] = Rgb565(p[2], p[1], p[0]);
    }
    return true;
  }

  // PCX: each row holds a red, a green and a blue pass of `width` values.
  size_t at = 128;
  for (int y = 0; y < h.height; ++y) {
    uint16_t* row = picture.pixels.data() + static_cast<size_t>(y) * h.width;
    for (int plane = 0; plane < 3; ++plane) {
      int x = 0;
      while (x < h.width) {
        if (at >= size) return Fail(error, "the PCX pixel data is cut short");
        uint8_t b = data[at++];
        int count = 1;
        uint8_t value = b;
        if (b >= 0xC0) {
          count = b & 0x3F;
          if (at >= size) return Fail(error, "the PCX pixel data is cut short");
          value = data[at++];
        }
        if (x + count > h.width) return Fail(error, "a PCX run goes past the end of its row");
        for (int i = 0; i < count; ++i, ++x) {
          uint16_t& px = row[x];
          if (plane == 0)
            px = static_cast<uint16_t>((value & 0xF8) << 8);
          else if (plane == 1)
            px = static_cast<uint16_t>(px | ((value & 0xFC) << 3));
          else
            px = static_cast<uint16_t>(px | (value >> 3));
        }
      }
    }
  }
  return true;
}
