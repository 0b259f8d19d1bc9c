#include "graphics/image_decode.h"

namespace {

uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Fail(std::string* error, const char* why) {
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

bool BmpHeader(const uint8_t* data, size_t size, PictureHeader& h, std::string* error) {
  if (size < 54) return Fail(error, "the BMP header is cut short");
  if (data[0] != 'B' || data[1] != 'M') return Fail(error, "not a BMP file (no \"BM\")");
  // Width and height are the low 16 bits of the information header's fields, signed.
  h.width = static_cast<int16_t>(Le16(data + 14 + 4));
  h.height = static_cast<int16_t>(Le16(data + 14 + 8));
  return true;
}

bool PcxHeader(const uint8_t* data, size_t size, PictureHeader& h, std::string* error) {
  if (size < 128) return Fail(error, "the PCX header is cut short");
  if (data[0] != 10 || data[1] != 5 || data[2] != 1 || data[3] != 8)
    return Fail(error, "not a version 5, run-length, 8-bit PCX file");
  h.width = Le16(data + 66);  // bytes per line of one plane
  h.height = static_cast<int16_t>(Le16(data + 10)) - static_cast<int16_t>(Le16(data + 6)) + 1;
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
    size_t need = 54 + static_cast<size_t>(h.width) * h.height * 3;
    if (size < need) return Fail(error, "the BMP pixel data is cut short");
    const uint8_t* p = data + 54;
    for (int fileRow = 0; fileRow < h.height; ++fileRow) {
      uint16_t* row = picture.pixels.data() + static_cast<size_t>(h.height - 1 - fileRow) * h.width;
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
