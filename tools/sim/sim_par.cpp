#include "sim_par.h"

#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "accounting/accounting.h"

namespace fs = std::filesystem;

namespace sim {

std::vector<std::string> DefaultParRows() {
  return {
      "casual",    "regular",   "expert",    "perfect", "regular-memory", "skill-0.5@skill-0.9:400",
      "skill-0.5", "skill-0.7", "skill-0.9", "skill-1"};
}

bool MoneyAgrees(const PlayTotals& t, int games) {
  return t.games == games && t.serverStakes == t.staked &&
         t.serverPayouts == t.paidPrizes + t.paidCashpots;
}

bool ParseUnitRange(const std::string& text, int& first, int& last) {
  const size_t dots = text.find("..");
  if (dots == std::string::npos || dots == 0 || dots + 2 >= text.size() || text.size() > 20)
    return false;
  const std::string a = text.substr(0, dots), b = text.substr(dots + 2);
  if (a.find_first_not_of("0123456789") != std::string::npos ||
      b.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long x = std::stoul(a), y = std::stoul(b);
  if (x > 100000000 || y > 100000000 || x > y) return false;
  first = static_cast<int>(x);
  last = static_cast<int>(y);
  return true;
}

bool MakePlan(const ParOptions& o, ParPlan& plan, std::string& error) {
  plan = ParPlan();
  plan.seed = o.seed;
  plan.games = o.games;
  plan.replications = o.replications;
  plan.burnIn = o.burnIn >= 0 ? o.burnIn : o.record.empty() ? kDefaultBurnIn : 0;
  plan.clockStepMs = o.clockStepMs;
  plan.record = o.record.empty() ? "" : fs::path(o.record).filename().string();
  plan.collects = o.collects;
  const std::vector<std::string> rows = o.rows.empty() ? DefaultParRows() : o.rows;
  // The table is read only when a row names one of its players.
  std::vector<Player> table;
  for (const std::string& r : rows) {
    RowSpec spec;
    if (ParseRowSpec(r, table, spec, error)) continue;
    if (!ReadPlayerTable(o.playerTable, table, error)) return false;
    break;
  }
  for (const std::string& r : rows) {
    RowSpec spec;
    if (!ParseRowSpec(r, table, spec, error)) return false;
    for (const Player* p : {&spec.player, &spec.other}) {
      if (p->uniform || p->name.empty()) continue;
      const std::string line = PlayerLine(*p);
      if (std::find(plan.tableLines.begin(), plan.tableLines.end(), line) == plan.tableLines.end())
        plan.tableLines.push_back(line);
    }
    for (const RowSpec& seen : plan.rows)
      if (seen.text == spec.text) {
        error = "the row " + r + " is named twice";
        return false;
      }
    plan.rows.push_back(spec);
  }
  return true;
}

namespace {

// In a child just forked: ends it when the process that started it ends, so that a par run
// stopped or killed leaves no worker or money server behind.
void DieWithParent(pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(1);
}

// Starts moneyd on a free port with its database in dir; its pid and port, or -1.
pid_t StartServer(const std::string& moneyd, const fs::path& dir, int& port) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    DieWithParent(parent);
    dup2(fds[1], 1);
    FILE* log = std::fopen((dir / "moneyd.log").c_str(), "w");
    if (log) dup2(fileno(log), 2);
    close(fds[0]);
    std::string db = (dir / "money.db").string();
    execl(moneyd.c_str(), moneyd.c_str(), "--init", "--port", "0", "--db", db.c_str(),
          "--relaxed-durability", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  FILE* in = fdopen(fds[0], "r");
  char line[256];
  port = 0;
  while (in && std::fgets(line, sizeof line, in)) {
    const char* at = std::strstr(line, "listening on ");
    const char* colon = at ? std::strrchr(at, ':') : nullptr;
    if (colon) {
      port = std::atoi(colon + 1);
      break;
    }
  }
  if (in) std::fclose(in);
  if (port <= 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return pid;
}

// The games a unit plays before its counted ones.
int UncountedGames(const ParPlan& plan, const Unit& u) {
  const RowSpec& row = plan.rows[u.row];
  return plan.burnIn + (row.after ? row.otherGames : 0);
}

// Adds one counted game to a unit's result.
void CountGame(const GameReport& g, bool keepBalance, UnitResult& r, int64_t& blockPaid) {
  const int64_t paid = int64_t(g.win) + g.cashpot;
  ++r.games;
  r.staked += 50;
  r.paidPrizes += g.win;
  r.paidCashpots += g.cashpot;
  if (g.win > 0) {
    ++r.hits;
    ++r.prizes[g.win];
  }
  if (paid > 0) ++r.anyAward;
  if (g.cashpot > 0) {
    ++r.cashpotGames;
    ++r.cashpotValues[g.cashpot];
  }
  r.jackpots += g.outcome == "jackpot";
  r.gaveUp += g.gaveUp;
  r.returnSquares += paid * paid;
  r.turns += g.turns;
  r.questions += g.questions;
  r.ms += std::lround(g.seconds * 1000);
  if (g.level >= 1 && g.level <= 7) ++r.levels[g.level - 1];
  if (g.controlLevel >= 1 && g.controlLevel <= 7) {
    ++r.controlGames[g.controlLevel - 1];
    r.controlPaid[g.controlLevel - 1] += paid;
  }
  blockPaid += paid;
  if (r.games % kBlockGames == 0) {
    r.blocks.push_back(blockPaid);
    blockPaid = 0;
  }
  if (keepBalance) r.balance.push_back(std::lround(g.balance));
}

// One replication in a process of its own: writes its result as JSON (or "error ...") to out.
int RunUnit(const ParOptions& o, const ParPlan& plan, const Unit& u, const fs::path& work,
            const fs::path& out) {
  auto started = std::chrono::steady_clock::now();
  std::error_code ec;
  fs::create_directories(work / "data", ec);
  for (const char* d : {"Graphic_resource", "sounds", "Questions"})
    fs::create_directory_symlink(fs::absolute(fs::path(o.gameDir) / d), work / d, ec);
  if (!o.record.empty()) fs::copy_file(o.record, work / "data" / "Zemblar.rec", ec);
  int port = 0;
  pid_t server = StartServer(o.moneyd, work, port);
  if (server < 0) {
    std::ofstream(out) << "error cannot start the money server " << o.moneyd << "\n";
    return 1;
  }
  platform::HeadlessPlatform::Options po;
  po.startMs = 100000 + u.seed * 7919u;
  po.blind = true;
  po.skipIdle = true;
  po.flushFiles = false;  // the worker's record is thrown away
  platform::HeadlessPlatform system(po);
  system.SetGameDir(work.string());
  const RowSpec& row = plan.rows[u.row];
  Player player = row.player;
  player.collect = StrategyOf(row, plan.collects[u.collect]);
  PlayOptions play;
  const int uncounted = UncountedGames(plan, u);
  play.games = uncounted + u.games;
  play.seed = u.seed;
  play.stages.push_back({player, plan.burnIn, true});
  if (row.after) play.stages.push_back({row.other, row.otherGames, false});
  play.stages.push_back({player, u.games, false});
  play.dbPath = (work / "money.db").string();
  play.keepGames = false;
  play.gameClockStepMs = plan.clockStepMs;
  UnitResult r;
  r.unit = u.index;
  int64_t blockPaid = 0;
  int seen = 0;
  PlayResult result =
      PlayGames(system, {"127.0.0.1", static_cast<uint16_t>(port)}, play, [&](const GameReport& g) {
        if (++seen <= uncounted) {
          // The state the counted games start from, once the last uncounted game is settled.
          if (seen == uncounted)
            r.settled = {std::lround(Balances[0]), std::lround(Balances[1]), Cashpot};
          return;
        }
        CountGame(g, u.rep == 0, r, blockPaid);
      });
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  std::ofstream f(out);
  if (!result.error.empty() || !result.exitCode || *result.exitCode != 0) {
    f << "error " << (result.error.empty() ? "the program did not end normally" : result.error)
      << "\n";
    return 1;
  }
  r.start = {std::lround(result.start.mainBalance), std::lround(result.start.cashpotBalance),
             result.start.cashpot};
  if (uncounted == 0) r.settled = r.start;
  r.moneyChecked = MoneyAgrees(result.totals, play.games) && r.games == u.games;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  f << UnitJson(r).dump() << "\n";
  return 0;
}

fs::path UnitResultPath(const fs::path& tmp, size_t i) {
  return tmp / ("unit-" + std::to_string(i) + ".json");
}

double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string Minutes(double seconds) {
  char b[64];
  if (seconds < 90)
    std::snprintf(b, sizeof b, "%.0f s", seconds);
  else if (seconds < 5400)
    std::snprintf(b, sizeof b, "%.0f min", seconds / 60);
  else
    std::snprintf(b, sizeof b, "%.1f h", seconds / 3600);
  return b;
}

// The cores this process may run on, lowest first (all of them if that cannot be read).
std::vector<int> AllowedCores() {
  std::vector<int> cores;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0)
    for (int c = 0; c < CPU_SETSIZE; ++c)
      if (CPU_ISSET(c, &set)) cores.push_back(c);
  if (cores.empty())
    for (unsigned c = 0; c < std::thread::hardware_concurrency(); ++c)
      cores.push_back(static_cast<int>(c));
  return cores;
}

// Units done, games a second and the time left, on standard error.
void Progress(size_t done, size_t units, int64_t gamesDone, int64_t games, double seconds) {
  const double rate = seconds > 0 ? gamesDone / seconds : 0;
  std::fprintf(stderr, "par: %zu/%zu units, %lld/%lld games, %.1f games a second, %s left\n", done,
               units, static_cast<long long>(gamesDone), static_cast<long long>(games), rate,
               rate > 0 ? ("about " + Minutes((games - gamesDone) / rate)).c_str() : "unknown");
}

// Runs the units in worker processes of their own, o.jobs at a time, each writing its result
// file into tmp; the workers' processor seconds and the run's wall time go to timing.
bool RunWorkers(const ParOptions& o, const ParPlan& plan, const std::vector<Unit>& units,
                const fs::path& tmp, ParTiming& timing, std::string& error) {
  size_t next = 0;
  std::map<pid_t, std::pair<size_t, int>> running;  // unit and slot
  // With several workers, each slot keeps to one of the cores this process may use (a
  // worker and its server take turns, so they share it: each exchange then needs no wake-up
  // across cores). One worker, or more workers than cores, is left to the scheduler: a part
  // of a cluster's job array must not pin itself to a core its neighbours pin to as well.
  const std::vector<int> cores = AllowedCores();
  const bool pin = o.jobs > 1 && o.jobs <= static_cast<int>(cores.size());
  std::vector<bool> slotBusy(static_cast<size_t>(o.jobs), false);
  int64_t games = 0, gamesDone = 0;
  for (const Unit& u : units) games += UncountedGames(plan, u) + u.games;
  const double cpuBefore = ChildCpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  std::fflush(stdout);
  std::fflush(stderr);
  size_t done = 0;
  while (next < units.size() || !running.empty()) {
    while (static_cast<int>(running.size()) < o.jobs && next < units.size()) {
      const int slot =
          static_cast<int>(std::find(slotBusy.begin(), slotBusy.end(), false) - slotBusy.begin());
      const pid_t parent = getpid();
      pid_t pid = fork();
      if (pid == 0) {
        DieWithParent(parent);
        if (pin) {
          cpu_set_t set;
          CPU_ZERO(&set);
          CPU_SET(cores[static_cast<size_t>(slot)], &set);
          sched_setaffinity(0, sizeof set, &set);
        }
        _exit(RunUnit(o, plan, units[next], tmp / ("w" + std::to_string(next)),
                      UnitResultPath(tmp, next)));
      }
      if (pid < 0) {
        error = "cannot start a worker";
        return false;
      }
      slotBusy[static_cast<size_t>(slot)] = true;
      running[pid] = {next++, slot};
    }
    pid_t ended = wait(nullptr);
    auto it = running.find(ended);
    if (it == running.end()) continue;
    const Unit& u = units[it->second.first];
    slotBusy[static_cast<size_t>(it->second.second)] = false;
    gamesDone += UncountedGames(plan, u) + u.games;
    running.erase(it);
    ++done;
    if (!o.quiet)
      Progress(
          done, units.size(), gamesDone, games,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count());
  }
  timing.cpuSeconds = ChildCpuSeconds() - cpuBefore;
  timing.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  return true;
}

// Reads a worker's result file.
bool ReadUnitFile(const fs::path& path, int index, UnitResult& u, std::string& error) {
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.rfind("error ", 0) == 0 || text.empty()) {
    error = "worker " + std::to_string(index) + ": " +
            (text.empty() ? "no result" : text.substr(6, text.find('\n') - 6));
    return false;
  }
  const Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded() || !UnitFromJson(j, u, error) || u.unit != index) {
    error = "worker " + std::to_string(index) + ": a result that cannot be read: " + error;
    return false;
  }
  return true;
}

Json TimingJson(const ParTiming& t) {
  return {{"jobs", t.jobs},
          {"cpu_seconds", t.cpuSeconds},
          {"wall_seconds", t.wallSeconds},
          {"worker_seconds", t.workerSeconds}};
}

constexpr const char* kPartFormat = "strikora-sim par part 1";

bool WritePart(const fs::path& path, const ParPlan& plan, const ParTiming& timing,
               const std::vector<UnitResult>& units, std::string& error) {
  Json part;
  part["format"] = kPartFormat;
  part["plan"] = PlanJson(plan);
  part["timing"] = TimingJson(timing);
  part["units"] = Json::array();
  for (const UnitResult& u : units) part["units"].push_back(UnitJson(u));
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << part.dump() << "\n";
    out.flush();
    if (!out) {
      error = "cannot write " + tmp.string();
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) error = "cannot rename " + tmp.string() + ": " + ec.message();
  return !ec;
}

std::string PartName(int first, int last) {
  char b[64];
  std::snprintf(b, sizeof b, "part-%06d-%06d.json", first, last);
  return b;
}

}  // namespace

int RunPar(const ParOptions& o, std::string& error) {
  ParPlan plan;
  if (!MakePlan(o, plan, error)) return 1;
  std::vector<Unit> units = PlanUnits(plan);
  const bool part = o.firstUnit >= 0;
  if (part) {
    if (o.lastUnit >= static_cast<int>(units.size())) {
      error = "--units " + std::to_string(o.firstUnit) + ".." + std::to_string(o.lastUnit) +
              ": the plan has units 0.." + std::to_string(units.size() - 1);
      return 1;
    }
    units = std::vector<Unit>(units.begin() + o.firstUnit, units.begin() + o.lastUnit + 1);
  }
  const fs::path tmp = fs::temp_directory_path() / ("strikora-par-" + std::to_string(getpid()));
  std::error_code ec;
  fs::create_directories(tmp, ec);
  ParTiming timing;
  timing.shown = o.timing;
  timing.jobs = o.jobs;
  std::vector<UnitResult> results(units.size());
  bool ran = RunWorkers(o, plan, units, tmp, timing, error);
  for (size_t i = 0; ran && i < units.size(); ++i) {
    ran = ReadUnitFile(UnitResultPath(tmp, i), units[i].index, results[i], error);
    timing.workerSeconds += results[i].seconds;
  }
  fs::remove_all(tmp, ec);
  if (!ran) return 1;
  fs::create_directories(o.outDir, ec);
  if (part)
    return WritePart(fs::path(o.outDir) / PartName(o.firstUnit, o.lastUnit), plan, timing, results,
                     error)
               ? 0
               : 1;
  bool moneyOk = true;
  if (!WriteSheet(plan, results, timing, o.outDir, moneyOk, error)) return 1;
  if (!moneyOk) {
    error = "the money a server journalled differs from what the sheet counts";
    return 2;
  }
  return 0;
}

namespace {

// One part file, bounded and checked; the exit code for merge when it cannot be used.
int ReadPart(const fs::path& path, ParPlan& plan, Json& planJson, ParTiming& timing,
             std::vector<UnitResult>& units, std::string& error) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) {
    error = "cannot read the part " + path.string();
    return 66;
  }
  if (size > kMaxPartBytes) {
    error = path.string() + ": larger than " + std::to_string(kMaxPartBytes) + " bytes";
    return 65;
  }
  const Json part = Json::parse(in, nullptr, false);
  auto bad = [&](const std::string& why) {
    error = path.string() + ": " + why;
    return 65;
  };
  if (part.is_discarded() || !part.is_object()) return bad("not JSON");
  if (!part.contains("format") || part["format"] != kPartFormat)
    return bad("not a part of a payout sheet");
  if (!part.contains("plan") || !PlanFromJson(part["plan"], plan, error)) return bad(error);
  planJson = part["plan"];
  const Json t = part.contains("timing") ? part["timing"] : Json();
  for (const char* key : {"jobs", "cpu_seconds", "wall_seconds", "worker_seconds"})
    if (!t.is_object() || !t.contains(key) || !t[key].is_number() ||
        !(t[key].get<double>() >= 0 && t[key].get<double>() < 1e12))
      return bad("its timing is not readable");
  timing.jobs = std::max(timing.jobs, static_cast<int>(std::min(1e6, t["jobs"].get<double>())));
  timing.cpuSeconds += t["cpu_seconds"].get<double>();
  timing.wallSeconds += t["wall_seconds"].get<double>();
  timing.workerSeconds += t["worker_seconds"].get<double>();
  if (!part.contains("units") || !part["units"].is_array()) return bad("no units");
  for (const Json& u : part["units"]) {
    UnitResult r;
    if (!UnitFromJson(u, r, error)) return bad(error);
    units.push_back(std::move(r));
  }
  return 0;
}

}  // namespace

int MergePar(const std::vector<std::string>& inputs, const std::string& outDir, bool timingShown,
             std::string& error) {
  std::vector<fs::path> files;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      files.push_back(input);
      continue;
    }
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(input, ec)) {
      const std::string name = e.path().filename().string();
      if (name.rfind("part-", 0) == 0 && e.path().extension() == ".json") found.push_back(e.path());
    }
    if (found.empty()) {
      error = "no part-*.json in " + input;
      return 66;
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  ParPlan plan;
  Json planJson;
  ParTiming timing;
  timing.shown = timingShown;
  timing.parts = static_cast<int>(files.size());
  std::vector<UnitResult> all;
  for (const fs::path& file : files) {
    ParPlan p;
    Json pj;
    std::vector<UnitResult> units;
    if (int code = ReadPart(file, p, pj, timing, units, error)) return code;
    if (planJson.is_null()) {
      plan = p;
      planJson = pj;
    } else if (pj != planJson) {
      error = file.string() + ": its plan differs from " + files.front().string() + "'s";
      return 65;
    }
    for (UnitResult& u : units) all.push_back(std::move(u));
  }
  const size_t count = PlanUnits(plan).size();
  std::vector<UnitResult> ordered(count);
  std::vector<bool> have(count, false);
  for (UnitResult& u : all) {
    if (u.unit < 0 || static_cast<size_t>(u.unit) >= count || have[u.unit]) {
      error = "unit " + std::to_string(u.unit) + " is outside the plan or comes twice";
      return 65;
    }
    have[u.unit] = true;
    ordered[u.unit] = std::move(u);
  }
  for (size_t i = 0; i < count; ++i)
    if (!have[i]) {
      error = "unit " + std::to_string(i) + " of 0.." + std::to_string(count - 1) + " is missing";
      return 65;
    }
  bool moneyOk = true;
  if (!WriteSheet(plan, ordered, timing, outDir, moneyOk, error)) return 1;
  if (!moneyOk) {
    error = "the money a server journalled differs from what the sheet counts";
    return 2;
  }
  return 0;
}

}  // namespace sim
