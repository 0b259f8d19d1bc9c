#include "golden.h"

#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless_platform.h"

namespace testing_support {

using platform::kScreenHeight;
using platform::kScreenWidth;

std::string CompareWithGolden(const std::string& name, const std::vector<uint16_t>& screen) {
  std::string path = std::string(GOLDEN_DIR) + "/" + name + ".png";
  std::string error;
  if (const char* update = std::getenv("STRIKORA_UPDATE_GOLDEN"); update && *update == '1') {
    std::filesystem::create_directories(GOLDEN_DIR);
    if (!platform::WritePng565(path, screen.data(), kScreenWidth, kScreenHeight, &error))
      return error;
    return "";
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return path + ": cannot read the golden picture (STRIKORA_UPDATE_GOLDEN=1 makes it)";
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> expected(PNG_IMAGE_SIZE(image));
  if (image.width != kScreenWidth || image.height != kScreenHeight ||
      !png_image_finish_read(&image, nullptr, expected.data(), 0, nullptr)) {
    png_image_free(&image);
    return path + ": not an 800x600 picture";
  }
  // The screen as the PNG writer widens it, so that both sides are compared alike. Tests
  // run in parallel and may compare against the same golden picture, so nothing is
  // written unless the pictures differ, and then under a name of this process's own.
  size_t differs = expected.size();
  for (size_t i = 0; i < screen.size() && i * 3 < expected.size(); ++i) {
    uint8_t rgb[3];
    platform::WidenRgb565(screen[i], rgb);
    if (rgb[0] != expected[i * 3] || rgb[1] != expected[i * 3 + 1] ||
        rgb[2] != expected[i * 3 + 2]) {
      differs = i * 3;
      break;
    }
  }
  if (differs == expected.size() && screen.size() * 3 == expected.size()) return "";
  std::string made = (std::filesystem::temp_directory_path() /
                      (name + "-made-" + std::to_string(getpid()) + ".png"))
                         .string();
  platform::WritePng565(made, screen.data(), kScreenWidth, kScreenHeight, &error);
  if (differs == expected.size()) return "the screen is not 800x600; the picture made is " + made;
  size_t pixel = differs / 3;
  return "differs from " + path + " first at (" + std::to_string(pixel % kScreenWidth) + ", " +
         std::to_string(pixel / kScreenWidth) + "); the picture made is " + made;
}

}  // namespace testing_support
