#include "pack_build.h"

#include <filesystem>
#include <fstream>

#include "pack_check.h"
#include "pack_text.h"

namespace packtool {

BuildResult BuildPacks(const std::string& sourceDir, const std::string& outDir) {
  BuildResult result;
  CheckResult check = CheckSources(sourceDir, nullptr);
  result.problems = check.problems;
  if (!result.problems.empty()) return result;

  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(outDir) / kPackFolder;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    result.problems.push_back(folder.string() + ": cannot make the folder: " + ec.message());
    return result;
  }
  for (const PackSource& source : PackSources()) {
    std::string bytes;
    ReadWholeFile(sourceDir + "/" + source.name + ".txt", bytes);
    result.sourceBytes += static_cast<long long>(bytes.size());
    std::vector<std::string> lines;
    for (const std::string& line : SplitSourceLines(bytes)) {
      lines.push_back(ToPackText(line, nullptr));
      result.textBytes += static_cast<long long>(lines.back().size()) + 1;
    }
    result.statements += static_cast<int>(lines.size());
    std::string pack = EncodePack(lines, IsIntro(source));
    std::filesystem::path file = folder / (source.name + ".pck");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << pack;
    out.close();
    if (!out) {
      result.problems.push_back(file.string() + ": cannot write");
      return result;
    }
    result.packBytes += static_cast<long long>(pack.size());
  }
  return result;
}

bool DumpPack(const std::string& path, DecodedPack& pack, std::string* error) {
  const PackSource* source = FindPackSource(path);
  if (!source) {
    if (error) *error = path + ": not one of the 50 packs (DataNN.pck, VexalIntro*.pck)";
    return false;
  }
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  pack = DecodePack(bytes, IsIntro(*source));
  return true;
}

}  // namespace packtool
