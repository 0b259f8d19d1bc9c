#include "golden.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless_platform.h"

namespace testing_support {

std::string CompareWithGolden(const std::string& name, const std::vector<uint16_t>& screen) {
  std::string path = std::string(GOLDEN_DIR) + "/" + name + ".png";
  std::string error;
  if (const char* update = std::getenv("STRIKORA_UPDATE_GOLDEN"); update && *update == '1') {
    std::filesystem::create_directories(GOLDEN_DIR);
    if (!platform::WritePng565(path, screen.data(), 800, 600, &error)) return error;
    return "";
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return path + ": cannot read the golden picture (STRIKORA_UPDATE_GOLDEN=1 makes it)";
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> expected(PNG_IMAGE_SIZE(image));
  if (image.width != 800 || image.height != 600 ||
      !png_image_finish_read(&image, nullptr, expected.data(), 0, nullptr)) {
    png_image_free(&image);
    return path + ": not an 800x600 picture";
  }
  // The screen as the PNG writer widens it, so that both sides are compared alike.
  std::string made = (std::filesystem::temp_directory_path() / (name + "-made.png")).string();
  platform::WritePng565(made, screen.data(), 800, 600, &error);
  png_image again{};
  again.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> actual;
  if (png_image_begin_read_from_file(&again, made.c_str())) {
    again.format = PNG_FORMAT_RGB;
    actual.resize(PNG_IMAGE_SIZE(again));
    png_image_finish_read(&again, nullptr, actual.data(), 0, nullptr);
  }
  for (size_t i = 0; i < expected.size() && i < actual.size(); i += 3) {
    if (expected[i] != actual[i] || expected[i + 1] != actual[i + 1] ||
        expected[i + 2] != actual[i + 2]) {
      size_t pixel = i / 3;
      return "differs from " + path + " first at (" + std::to_string(pixel % 800) + ", " +
             std::to_string(pixel / 800) + "); the picture made is " + made;
    }
  }
  if (actual.size() != expected.size()) return "could not read back " + made;
  std::filesystem::remove(made);
  return "";
}

}  // namespace testing_support
