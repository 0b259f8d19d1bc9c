// strikora-sim: plays the real program headless.
//
//   strikora-sim run --game-dir DIR --server HOST:PORT --script FILE [--shots DIR]
//                    [--limit-ms N]
//   strikora-sim play --game-dir DIR --server HOST:PORT --games N [--seed S] [--skill P]
//                    [--collect first|best|never] [--shots DIR] [--json] [--db FILE]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "sim_play.h"
#include "sim_run.h"

namespace {

int Usage() {
  std::fputs(
      "usage: strikora-sim run --game-dir DIR --server HOST:PORT --script FILE\n"
      "                        [--shots DIR] [--limit-ms N]\n"
      "Script lines: \"<virtual ms> touch <x> <y>\" and \"<virtual ms> shot <name>\".\n"
      "       strikora-sim play --game-dir DIR --server HOST:PORT --games N [--seed S]\n"
      "                         [--skill P] [--collect first|best|never] [--shots DIR] [--json]\n"
      "                         [--db FILE]\n"
      "Bots play N games against the money server; coins go into its database (--db, by\n"
      "default money.db in the game folder) whenever credits and bank fall below the stake.\n",
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

bool ParseWholeNumber(const std::string& text, unsigned long max, unsigned long& out) {
  char* end = nullptr;
  if (text.empty() || text[0] == '-') return false;
  out = std::strtoul(text.c_str(), &end, 10);
  return *end == '\0' && out <= max;
}

int Play(int argc, char** argv) {
  std::string gameDir, serverText, shotsDir, dbPath;
  sim::PlayOptions options;
  bool json = false, haveGames = false;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    std::string value = argv[++i];
    unsigned long n = 0;
    if (arg == "--game-dir") {
      gameDir = value;
    } else if (arg == "--server") {
      serverText = value;
    } else if (arg == "--shots") {
      options.shotsDir = value;
    } else if (arg == "--db") {
      dbPath = value;
    } else if (arg == "--games") {
      if (!ParseWholeNumber(value, 100000000, n) || n == 0) return Usage();
      options.games = static_cast<int>(n);
      haveGames = true;
    } else if (arg == "--seed") {
      if (!ParseWholeNumber(value, 0xFFFFFFFFul, n)) return Usage();
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--skill") {
      char* end = nullptr;
      options.skill = std::strtod(value.c_str(), &end);
      if (*end != '\0' || !(options.skill >= 0.0 && options.skill <= 1.0)) return Usage();
    } else if (arg == "--collect") {
      if (value == "first")
        options.collect = sim::CollectStrategy::First;
      else if (value == "best")
        options.collect = sim::CollectStrategy::Best;
      else if (value == "never")
        options.collect = sim::CollectStrategy::Never;
      else
        return Usage();
    } else {
      return Usage();
    }
  }
  ServerAddress server;
  if (gameDir.empty() || !haveGames || !ParseServer(serverText, server)) return Usage();
  options.dbPath = dbPath.empty() ? gameDir + "/money.db" : dbPath;

  platform::HeadlessPlatform::Options platformOptions;
  // The seed also sets where the virtual clock starts, which seeds the game's generator.
  platformOptions.startMs = 100000 + options.seed * 7919u;
  platform::HeadlessPlatform system(platformOptions);
  system.SetGameDir(gameDir);
  sim::PlayResult result =
      sim::PlayGames(system, server, options, [json](const sim::GameReport& g) {
        std::printf("%s\n", (json ? sim::FormatGameJson(g) : sim::FormatGameLine(g)).c_str());
        std::fflush(stdout);
      });
  if (!result.error.empty()) {
    std::fprintf(stderr, "strikora-sim: %s\n", result.error.c_str());
    return 1;
  }
  for (const std::string& note : result.notes) std::fprintf(stderr, "%s\n", note.c_str());
  std::printf(
      "%s\n",
      (json ? sim::FormatTotalsJson(result.totals) : sim::FormatTotalsLine(result.totals)).c_str());
  if (!result.exitCode) return 3;
  if (*result.exitCode != 0) {
    std::fprintf(stderr, "strikora-sim: the program ended with %d\n", *result.exitCode);
    return 1;
  }
  const sim::PlayTotals& t = result.totals;
  if (t.games != options.games || t.serverStakes != t.staked ||
      t.serverPayouts != t.paidPrizes + t.paidCashpots) {
    std::fprintf(stderr,
                 "strikora-sim: the money does not add up: %d of %d games, the server took %lldp "
                 "of %lldp staked and paid %lldp of %lldp won\n",
                 t.games, options.games, static_cast<long long>(t.serverStakes),
                 static_cast<long long>(t.staked), static_cast<long long>(t.serverPayouts),
                 static_cast<long long>(t.paidPrizes + t.paidCashpots));
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "play") == 0) return Play(argc, argv);
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
