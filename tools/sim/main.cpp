// strikora-sim: plays the real program headless.
//
//   strikora-sim run --game-dir DIR --server HOST:PORT --script FILE [--shots DIR]
//                    [--limit-ms N]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "sim_run.h"

namespace {

int Usage() {
  std::fputs(
      "usage: strikora-sim run --game-dir DIR --server HOST:PORT --script FILE\n"
      "                        [--shots DIR] [--limit-ms N]\n"
      "Script lines: \"<virtual ms> touch <x> <y>\" and \"<virtual ms> shot <name>\".\n",
      stderr);
  return 64;
}

bool ParseServer(const std::string& text, ServerAddress& out) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  char* end = nullptr;
  unsigned long port = std::strtoul(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || port == 0 || port > 65535) return false;
  out.host = text.substr(0, colon);
  out.port = static_cast<uint16_t>(port);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "run") != 0) return Usage();
  std::string gameDir, serverText, scriptPath, shotsDir;
  uint32_t limitMs = 10 * 60 * 1000;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    std::string value = argv[++i];
    if (arg == "--game-dir")
      gameDir = value;
    else if (arg == "--server")
      serverText = value;
    else if (arg == "--script")
      scriptPath = value;
    else if (arg == "--shots")
      shotsDir = value;
    else if (arg == "--limit-ms") {
      char* end = nullptr;
      unsigned long v = std::strtoul(value.c_str(), &end, 10);
      if (*end != '\0' || v == 0 || v > 0xFFFFFFFFul) return Usage();
      limitMs = static_cast<uint32_t>(v);
    } else {
      return Usage();
    }
  }
  ServerAddress server;
  if (gameDir.empty() || scriptPath.empty() || !ParseServer(serverText, server)) return Usage();

  std::ifstream in(scriptPath);
  if (!in) {
    std::fprintf(stderr, "strikora-sim: cannot read the script %s\n", scriptPath.c_str());
    return 66;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<sim::ScriptStep> steps;
  std::string error;
  if (!sim::ParseScript(text.str(), steps, error)) {
    std::fprintf(stderr, "strikora-sim: %s: %s\n", scriptPath.c_str(), error.c_str());
    return 65;
  }

  platform::HeadlessPlatform::Options options;
  options.limitMs = limitMs;
  platform::HeadlessPlatform system(options);
  system.SetGameDir(gameDir);
  sim::RunResult result = sim::RunProgram(system, server, steps, shotsDir);
  for (const std::string& note : result.notes) std::printf("%s\n", note.c_str());
  if (!result.exitCode) {
    std::fprintf(stderr, "strikora-sim: the program was still running after %u virtual ms\n",
                 limitMs);
    return 3;
  }
  std::printf("exit %d\n", *result.exitCode);
  return 0;
}
