#include "asset_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace audio {

std::string GamePath(const std::string& gameDir, const std::string& tablePath) {
  std::string rel = tablePath;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  return (std::filesystem::path(gameDir) / rel).string();
}

bool WriteGameFile(const std::string& gameDir, const std::string& tablePath,
                   const std::string& bytes, std::string* error) {
  std::filesystem::path path(GamePath(gameDir, tablePath));
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) {
    if (error) *error = "cannot create folder " + path.parent_path().string() + ": " + ec.message();
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    if (error) *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace audio
