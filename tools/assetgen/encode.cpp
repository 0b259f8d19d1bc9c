#include "encode.h"

#include <filesystem>
#include <fstream>

#include "platform/little_endian.h"
namespace assetgen {
namespace {

// One plane of one row: runs of up to 63 equal bytes; a lone byte below 0xC0 stands for itself.
void EncodePlaneRow(std::vector<uint8_t>& out, const std::vector<uint8_t>& values) {
  size_t i = 0;
  while (i < values.size()) {
    size_t run = 1;
    while (i + run < values.size() && run < 63 && values[i + run] == values[i]) ++run;
    if (run > 1 || values[i] >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
    out.push_back(values[i]);
    i += run;
  }
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const Image& image) {
  const uint32_t data = static_cast<uint32_t>(image.width) * image.height * 3;
  std::vector<uint8_t> out;
  out.reserve(54 + data);
  out.push_back('B');
  out.push_back('M');
  AppendLe32(out, 54 + data);
  AppendLe32(out, 0);
  AppendLe32(out, 54);
  AppendLe32(out, 40);
  AppendLe32(out, image.width);
  AppendLe32(out, image.height);
  AppendLe16(out, 1);
  AppendLe16(out, 24);
  AppendLe32(out, 0);
  AppendLe32(out, data);
  AppendLe32(out, 2835);
  AppendLe32(out, 2835);
  AppendLe32(out, 0);
  AppendLe32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
  }
  return out;
}

std::vector<uint8_t> EncodePcx(const Image& image) {
  std::vector<uint8_t> out(128, 0);
  out[0] = 10;
  out[1] = 5;
  out[2] = 1;
  out[3] = 8;
  auto set16 = [&out](size_t at, uint32_t v) {
    out[at] = v & 255;
    out[at + 1] = (v >> 8) & 255;
  };
  set16(8, image.width - 1);
  set16(10, image.height - 1);
  set16(12, 72);
  set16(14, 72);
  out[65] = 3;
  set16(66, image.width);
  set16(68, 1);
  std::vector<uint8_t> plane(image.width);
  for (int y = 0; y < image.height; ++y) {
    for (int channel = 0; channel < 3; ++channel) {
      for (int x = 0; x < image.width; ++x) {
        const Rgb c = image.At(x, y);
        plane[x] = channel == 0 ? c.r : (channel == 1 ? c.g : c.b);
      }
      EncodePlaneRow(out, plane);
    }
  }
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
  std::error_code ec;
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  if (ec) {
    *error = "cannot create folder " + p.parent_path().string() + ": " + ec.message();
    return false;
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace assetgen
