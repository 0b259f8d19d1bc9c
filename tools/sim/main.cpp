// strikora-sim: plays the real program headless.
//
//   strikora-sim run --game-dir DIR --server HOST:PORT --script FILE [--shots DIR]
//                    [--limit-ms N]
//   strikora-sim play --game-dir DIR --server HOST:PORT --games N [--seed S] [--skill P]
//                    [--collect first|best|never] [--shots DIR] [--json] [--db FILE]
//   strikora-sim replay --game-dir DIR --game N [--shots OUT] [--journal FILE] [--loose-time]
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "cli/cli.h"
#include "game/game_record.h"
#include "kill_plan.h"
#include "sim_par.h"
#include "sim_play.h"
#include "sim_replay.h"
#include "sim_run.h"

namespace {

void PrintUsage(FILE* to) {
  std::fputs(
      "usage: strikora-sim run --game-dir DIR --server HOST:PORT --script FILE\n"
      "                        [--shots DIR] [--limit-ms N]\n"
      "Script lines: \"<virtual ms> touch <x> <y>\" and \"<virtual ms> shot <name>\".\n"
      "       strikora-sim play --game-dir DIR --server HOST:PORT --games N [--seed S]\n"
      "                         [--skill P] [--collect first|best|never] [--shots DIR] [--json]\n"
      "                         [--db FILE] [--no-pixels] [--clock-step MS] [--every-reading]\n"
      "                         [--no-steps]\n"
      "Bots play N games against the money server; coins go into its database (--db, by\n"
      "default money.db in the game folder) whenever credits and bank fall below the stake.\n"
      "The virtual clock skips the idle readings of frame waits and runs coarse at the menu;\n"
      "--every-reading makes it move 1 ms at every reading everywhere (the same games, slower),\n"
      "--clock-step MS moves it MS at every reading in a game (the same games, longer frames).\n"
      "--no-steps keeps no step record of the games (to measure what it costs).\n"
      "       strikora-sim par --game-dir DIR [--games N] [--players NAME,...]\n"
      "                        [--skills 0.5,0.7,...] [--collect own[,first,best,never]]\n"
      "                        [--player-table FILE] [--burn-in N] [--jobs J] [--seed S]\n"
      "                        [--record FILE] [--out DIR] [--replications R] [--no-timing]\n"
      "                        [--moneyd FILE] [--clock-step MS] [--units A..B] [--quiet]\n"
      "                        [--count-units]\n"
      "       strikora-sim par merge DIR|FILE... --out DIR [--no-timing]\n"
      "The payout sheet (par.md, par.json and pictures in --out, by default par): N counted\n"
      "games (100000 unless given) per player and strategy, after a burn-in of N games (1000,\n"
      "0 with --record) in each of R independent replications (10), over J worker processes\n"
      "(one a core), each with its own moneyd (--moneyd, by default the one beside this\n"
      "program) with relaxed durability in a temporary folder. Players: names of the player\n"
      "table (content/players.txt), skill-P for a uniform skill P, NAME@OTHER:GAMES for NAME\n"
      "after OTHER played GAMES games; --skills adds skill-P rows. --units A..B plays only\n"
      "those units (numbered by player, strategy, replication, from 0) and writes their raw\n"
      "results as DIR/part-A-B.json (--count-units prints how many units the sheet has);\n"
      "merge makes the sheet from parts. Progress goes to\n"
      "standard error unless --quiet. par merge exits 65 for a part that is not one or does\n"
      "not fit the others, 66 for one that cannot be read.\n"
      "       strikora-sim replay --game-dir DIR --game N [--shots OUT] [--journal FILE]\n"
      "                           [--loose-time] [--clock-step MS] [--no-pixels]\n"
      "Plays game N of the game journal (by default DIR/data/Zemblar.journal) again from its\n"
      "record, with a scripted money server that answers as the record says; writes a PNG a\n"
      "step and sheet.png into OUT; exits 1 naming the first step that differs.\n"
      "--loose-time for a game played on a real clock: the steps' moments are not compared.\n"
      "exit: 0 done, 1 failed (replay: a step differs), 2 a replay that cannot start, 3 still\n"
      "running at the limit, 64 bad usage, 65 a bad script or part, 66 an unreadable script or\n"
      "part\n",
      to);
}

int Usage(const std::string& problem) {
  return cli::UsageError("strikora-sim", problem);
}

// What each option's value must be, for the one line that says what was wrong.
constexpr const char* kValueRules[][2] = {
    {"--games", "a whole number 1..100000000"},
    {"--jobs", "a whole number 1..100000000"},
    {"--replications", "a whole number 2..100000000"},
    {"--seed", "a whole number 0..4294967295"},
    {"--clock-step", "1..100 ms"},
    {"--limit-ms", "1..4294967295 ms"},
    {"--skill", "a number 0..1"},
    {"--skills", "numbers 0..1 separated by commas"},
    {"--collect", "first, best or never (par: a list of them and own, separated by commas)"},
    {"--burn-in", "a whole number 0..100000000"},
    {"--units", "A..B, unit numbers from 0 with A <= B"},
    {"--players", "player names separated by commas"},
};

int BadValue(const std::string& arg, const std::string& value) {
  for (const auto& rule : kValueRules)
    if (arg == rule[0]) return Usage(arg + " takes " + rule[1] + ", not \"" + value + "\"");
  return Usage("unknown option " + arg);
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
  bool json = false, haveGames = false, blind = false, everyReading = false;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
      continue;
    }
    if (arg == "--no-pixels") {
      blind = true;
      continue;
    }
    if (arg == "--every-reading") {
      everyReading = true;
      continue;
    }
    if (arg == "--no-steps") {  // for measuring what the step record costs
      RecordSteps(false);
      continue;
    }
    if (i + 1 >= argc) return Usage(arg + " needs a value");
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
      if (!ParseWholeNumber(value, 100000000, n) || n == 0) return BadValue(arg, value);
      options.games = static_cast<int>(n);
      haveGames = true;
    } else if (arg == "--seed") {
      if (!ParseWholeNumber(value, 0xFFFFFFFFul, n)) return BadValue(arg, value);
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--clock-step") {
      if (!ParseWholeNumber(value, 100, n) || n == 0) return BadValue(arg, value);
      options.gameClockStepMs = static_cast<uint32_t>(n);
    } else if (arg == "--skill") {
      char* end = nullptr;
      options.skill = std::strtod(value.c_str(), &end);
      if (*end != '\0' || !(options.skill >= 0.0 && options.skill <= 1.0))
        return BadValue(arg, value);
    } else if (arg == "--collect") {
      if (value == "first")
        options.collect = sim::CollectStrategy::First;
      else if (value == "best")
        options.collect = sim::CollectStrategy::Best;
      else if (value == "never")
        options.collect = sim::CollectStrategy::Never;
      else
        return BadValue(arg, value);
    } else {
      return BadValue(arg, value);
    }
  }
  ServerAddress server;
  if (gameDir.empty() || !haveGames) return Usage("play needs --game-dir DIR and --games N");
  if (!ParseServer(serverText, server))
    return Usage("--server takes HOST:PORT, not \"" + serverText + "\"");
  options.dbPath = dbPath.empty() ? gameDir + "/money.db" : dbPath;

  platform::HeadlessPlatform::Options platformOptions;
  // The seed also sets where the virtual clock starts, which seeds the game's generator.
  platformOptions.startMs = 100000 + options.seed * 7919u;
  if (blind && !options.shotsDir.empty())
    return Usage("--shots and --no-pixels cannot be used together: shots need pixels");
  platformOptions.blind = blind;
  platformOptions.skipIdle = !everyReading;
  platformOptions.echoErrors = true;
  if (everyReading) options.menuClockStepMs = 1;

  // A crash test may ask the simulator to kill itself at a money step (see kill_plan.h).
  sim::KillPlan killPlan;
  const char* killText = std::getenv("STRIKORA_SIM_KILL");
  if (killText && !sim::ParseKillPlan(killText, killPlan)) {
    std::fprintf(stderr, "strikora-sim: STRIKORA_SIM_KILL is not send|reply:VERB:N:DELAY_US\n");
    return 64;
  }
  std::unique_ptr<platform::HeadlessPlatform> systemOwned =
      killText ? std::make_unique<sim::KillingPlatform>(platformOptions, killPlan)
               : std::make_unique<platform::HeadlessPlatform>(platformOptions);
  platform::HeadlessPlatform& system = *systemOwned;
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

// Items of a list separated by commas; false when one is empty.
bool SplitList(const std::string& value, std::vector<std::string>& items) {
  items.clear();
  std::stringstream list(value);
  std::string item;
  while (std::getline(list, item, ','))
    if (item.empty())
      return false;
    else
      items.push_back(item);
  return !items.empty() && value.back() != ',';
}

int ParMerge(int argc, char** argv) {
  std::vector<std::string> inputs;
  std::string out;
  bool timing = true;
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--no-timing") {
      timing = false;
    } else if (arg == "--out") {
      if (i + 1 >= argc) return Usage("--out needs a value");
      out = argv[++i];
    } else if (arg.rfind("--", 0) == 0) {
      return Usage("unknown option " + arg);
    } else {
      inputs.push_back(arg);
    }
  }
  if (inputs.empty() || out.empty()) return Usage("par merge needs DIR|FILE... and --out DIR");
  std::string error;
  int status = sim::MergePar(inputs, out, timing, error);
  if (status != 0)
    std::fprintf(stderr, "strikora-sim: %s\n", error.c_str());
  else
    std::printf("wrote %s/par.md and %s/par.json\n", out.c_str(), out.c_str());
  return status;
}

int Par(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[2], "merge") == 0) return ParMerge(argc, argv);
  sim::ParOptions o;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  char exe[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string self = length > 0 ? std::string(exe, static_cast<size_t>(length)) : "";
  o.moneyd = self.substr(0, self.rfind('/') + 1) + "moneyd";
  o.playerTable = STRIKORA_PLAYER_TABLE;
  std::vector<std::string> players, skills;
  bool countUnits = false;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--no-timing") {
      o.timing = false;
      continue;
    }
    if (arg == "--quiet" || arg == "--count-units") {
      (arg == "--quiet" ? o.quiet : countUnits) = true;
      continue;
    }
    if (i + 1 >= argc) return Usage(arg + " needs a value");
    std::string value = argv[++i];
    unsigned long n = 0;
    if (arg == "--game-dir") {
      o.gameDir = value;
    } else if (arg == "--games" || arg == "--jobs" || arg == "--replications") {
      if (!ParseWholeNumber(value, 100000000, n) || n == 0) return BadValue(arg, value);
      (arg == "--games"  ? o.games
       : arg == "--jobs" ? o.jobs
                         : o.replications) = static_cast<int>(n);
    } else if (arg == "--burn-in") {
      if (!ParseWholeNumber(value, 100000000, n)) return BadValue(arg, value);
      o.burnIn = static_cast<int>(n);
    } else if (arg == "--seed") {
      if (!ParseWholeNumber(value, 0xFFFFFFFFul, n)) return BadValue(arg, value);
      o.seed = static_cast<uint32_t>(n);
    } else if (arg == "--skills") {
      std::vector<std::string> items;
      if (!SplitList(value, items)) return BadValue(arg, value);
      for (const std::string& item : items) {
        char* end = nullptr;
        double s = std::strtod(item.c_str(), &end);
        if (*end != '\0' || !(s >= 0.0 && s <= 1.0)) return BadValue(arg, value);
        skills.push_back(sim::UniformPlayer(s).name);
      }
    } else if (arg == "--players") {
      if (!SplitList(value, players)) return BadValue(arg, value);
    } else if (arg == "--collect") {
      if (!SplitList(value, o.collects)) return BadValue(arg, value);
      for (const std::string& item : o.collects) {
        sim::CollectStrategy c;
        if (item != "own" && !sim::ParseCollect(item, c)) return BadValue(arg, value);
      }
    } else if (arg == "--units") {
      if (!sim::ParseUnitRange(value, o.firstUnit, o.lastUnit)) return BadValue(arg, value);
    } else if (arg == "--record") {
      o.record = value;
    } else if (arg == "--out") {
      o.outDir = value;
    } else if (arg == "--moneyd") {
      o.moneyd = value;
    } else if (arg == "--player-table") {
      o.playerTable = value;
    } else if (arg == "--clock-step") {
      if (!ParseWholeNumber(value, 100, n) || n == 0) return BadValue(arg, value);
      o.clockStepMs = static_cast<uint32_t>(n);
    } else {
      return BadValue(arg, value);
    }
  }
  if (o.gameDir.empty()) return Usage("par needs --game-dir DIR");
  if (o.replications < 2) return BadValue("--replications", std::to_string(o.replications));
  o.rows = players;
  o.rows.insert(o.rows.end(), skills.begin(), skills.end());
  std::string error;
  sim::ParPlan plan;
  if (!sim::MakePlan(o, plan, error)) return Usage(error);
  const int units = static_cast<int>(sim::PlanUnits(plan).size());
  if (countUnits) {
    std::printf("%d\n", units);
    return 0;
  }
  if (o.lastUnit >= units)
    return Usage("--units " + std::to_string(o.firstUnit) + ".." + std::to_string(o.lastUnit) +
                 ": the sheet has units 0.." + std::to_string(units - 1));
  int status = sim::RunPar(o, error);
  if (status != 0)
    std::fprintf(stderr, "strikora-sim: %s\n", error.c_str());
  else if (o.firstUnit >= 0)
    std::printf("wrote units %d..%d into %s\n", o.firstUnit, o.lastUnit, o.outDir.c_str());
  else
    std::printf("wrote %s/par.md and %s/par.json\n", o.outDir.c_str(), o.outDir.c_str());
  return status;
}

int Replay(int argc, char** argv) {
  sim::ReplayOptions o;
  std::string journalPath;
  unsigned long game = 0;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--loose-time" || arg == "--no-pixels") {
      (arg == "--loose-time" ? o.looseTime : o.blind) = true;
      continue;
    }
    if (i + 1 >= argc) return Usage(arg + " needs a value");
    std::string value = argv[++i];
    unsigned long n = 0;
    if (arg == "--game-dir") {
      o.gameDir = value;
    } else if (arg == "--game") {
      if (!ParseWholeNumber(value, 0x7FFFFFFFFFFFFFFFul, game) || game == 0)
        return Usage("--game takes a game number 1 or more, not \"" + value + "\"");
    } else if (arg == "--shots") {
      o.shotsDir = value;
    } else if (arg == "--journal") {
      journalPath = value;
    } else if (arg == "--clock-step") {
      if (!ParseWholeNumber(value, 100, n) || n == 0) return BadValue(arg, value);
      o.gameClockStepMs = static_cast<uint32_t>(n);
    } else {
      return Usage("unknown option " + arg);
    }
  }
  if (o.gameDir.empty() || game == 0) return Usage("replay needs --game-dir and --game");
  if (journalPath.empty()) journalPath = o.gameDir + "/data/Zemblar.journal";
  journal::Game recorded;
  std::vector<journal::StepRow> rows;
  std::string error;
  if (!sim::LoadRecordedGame(journalPath, static_cast<int64_t>(game), recorded, rows, error)) {
    std::fprintf(stderr, "strikora-sim: %s\n", error.c_str());
    return 2;
  }
  sim::ReplayResult r = sim::ReplayRecorded(recorded, rows, o);
  if (!r.error.empty()) {
    std::fprintf(stderr, "strikora-sim: %s\n", r.error.c_str());
    return 2;
  }
  for (const std::string& note : r.notes) std::printf("%s\n", note.c_str());
  if (!r.identical) {
    std::printf("game %lu: DIFFERS at %s\n", game, r.difference.c_str());
    return 1;
  }
  std::printf("game %lu: %zu of %zu steps replayed as recorded%s\n", game, r.matched, r.recorded,
              recorded.endedMs == 0 ? " (the game was cut off after its last step)" : "");
  return 0;
}

int main(int argc, char** argv) {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "strikora-sim", PrintUsage, status)) return status;
  if (argc >= 2 && std::strcmp(argv[1], "play") == 0) return Play(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "replay") == 0) return Replay(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "par") == 0) return Par(argc, argv);
  if (argc < 2) return Usage("which command? run, play, replay or par");
  if (std::strcmp(argv[1], "run") != 0)
    return Usage(std::string("unknown command \"") + argv[1] + "\"");
  std::string gameDir, serverText, scriptPath, shotsDir;
  uint32_t limitMs = 10 * 60 * 1000;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage(arg + " needs a value");
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
      if (*end != '\0' || v == 0 || v > 0xFFFFFFFFul) return BadValue(arg, value);
      limitMs = static_cast<uint32_t>(v);
    } else {
      return BadValue(arg, value);
    }
  }
  ServerAddress server;
  if (gameDir.empty() || scriptPath.empty())
    return Usage("run needs --game-dir DIR and --script FILE");
  if (!ParseServer(serverText, server))
    return Usage("--server takes HOST:PORT, not \"" + serverText + "\"");

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
