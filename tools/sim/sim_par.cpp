#include "sim_par.h"

#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "accounting/accounting.h"
#include "cli/json_text.h"
#include "par_plot.h"

namespace fs = std::filesystem;

namespace sim {

double StudentT975(int df) {
  static const double kTable[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306,
                                  2.262,  2.228, 2.201, 2.179, 2.160, 2.145, 2.131, 2.120,
                                  2.110,  2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064,
                                  2.060,  2.056, 2.052, 2.048, 2.045, 2.042};
  if (df < 1) df = 1;
  if (df <= 30) return kTable[df - 1];
  // Cornish-Fisher expansion about the normal quantile.
  const double z = 1.959964, n = df;
  return z + (z * z * z + z) / (4 * n) +
         (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * n * n);
}

Interval MeanCi95(const std::vector<double>& values) {
  Interval r;
  if (values.empty()) return r;
  double sum = 0;
  for (double v : values) sum += v;
  r.mean = sum / values.size();
  r.low = r.high = r.mean;
  if (values.size() < 2) return r;
  double squares = 0;
  for (double v : values) squares += (v - r.mean) * (v - r.mean);
  double se = std::sqrt(squares / (values.size() - 1) / values.size());
  double half = StudentT975(static_cast<int>(values.size()) - 1) * se;
  r.low = r.mean - half;
  r.high = r.mean + half;
  return r;
}

bool MoneyAgrees(const PlayTotals& t, int games) {
  return t.games == games && t.serverStakes == t.staked &&
         t.serverPayouts == t.paidPrizes + t.paidCashpots;
}

namespace {

constexpr int kStake = 50;

const char* CollectName(CollectStrategy c) {
  return c == CollectStrategy::First ? "first" : c == CollectStrategy::Best ? "best" : "never";
}

struct Unit {
  int row = 0, rep = 0, games = 0;
  double skill = 0;
  CollectStrategy collect = CollectStrategy::Best;
  uint32_t seed = 0;
};

// Starts moneyd on a free port with its database in dir; its pid and port, or -1.
pid_t StartServer(const std::string& moneyd, const fs::path& dir, int& port) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
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

// One replication in a process of its own: writes its totals and one line a game to out.
int RunUnit(const ParOptions& o, const Unit& u, const fs::path& work, const fs::path& out) {
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
  PlayOptions play;
  play.games = u.games;
  play.seed = u.seed;
  play.skill = u.skill;
  play.collect = u.collect;
  play.dbPath = (work / "money.db").string();
  play.keepGames = false;
  play.gameClockStepMs = o.clockStepMs;
  std::ostringstream lines;
  PlayResult result = PlayGames(
      system, {"127.0.0.1", static_cast<uint16_t>(port)}, play, [&lines](const GameReport& g) {
        lines << g.win << ' ' << g.cashpot << ' ' << g.turns << ' ' << g.questions << ' '
              << std::lround(g.seconds * 1000) << ' ' << g.level << ' ' << std::lround(g.balance)
              << ' ' << (g.outcome == "jackpot") << '\n';
      });
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::ofstream f(out);
  if (!result.error.empty() || !result.exitCode || *result.exitCode != 0) {
    f << "error " << (result.error.empty() ? "the program did not end normally" : result.error)
      << "\n";
    return 1;
  }
  const PlayTotals& t = result.totals;
  f << "ok " << t.games << ' ' << t.staked << ' ' << t.paidPrizes << ' ' << t.paidCashpots << ' '
    << t.serverStakes << ' ' << t.serverPayouts << ' ' << MoneyAgrees(t, u.games) << ' ' << wall
    << ' ' << std::lround(result.start.mainBalance) << ' '
    << std::lround(result.start.cashpotBalance) << ' ' << result.start.cashpot << '\n'
    << lines.str();
  return 0;
}

struct Row {
  double skill = 0;
  CollectStrategy collect = CollectStrategy::Best;
  int64_t games = 0, staked = 0, prizes = 0, cashpots = 0;
  std::vector<double> repRtp;
  int64_t hits = 0, jackpots = 0, cashpotGames = 0;
  std::map<int, int64_t> prizeCounts;
  double returnSquares = 0;  // sum over games of (paid / stake)^2
  int64_t levels[7] = {};
  int64_t turns = 0, questions = 0, ms = 0;
  bool moneyChecked = true;
  std::vector<int> balance;  // the first replication's main balance after each game
};

std::string Fixed(double v, int places) {
  char b[64];
  std::snprintf(b, sizeof b, "%.*f", places, v);
  return b;
}

}  // namespace

namespace {

// The rows of the sheet, one a skill and strategy, and the units of work that fill them: each
// row's games shared over its replications, each replication with its own seed.
void PlanUnits(const ParOptions& o, std::vector<Row>& rows, std::vector<Unit>& units) {
  for (CollectStrategy c : o.collects)
    for (double s : o.skills) {
      Row r;
      r.skill = s;
      r.collect = c;
      rows.push_back(r);
    }
  for (size_t row = 0; row < rows.size(); ++row)
    for (int rep = 0; rep < o.replications; ++rep) {
      Unit u;
      u.row = static_cast<int>(row);
      u.rep = rep;
      u.games = o.games / o.replications + (rep < o.games % o.replications ? 1 : 0);
      u.skill = rows[row].skill;
      u.collect = rows[row].collect;
      u.seed = o.seed * 1000003u + static_cast<uint32_t>(row) * 7919u + static_cast<uint32_t>(rep);
      if (u.games > 0) units.push_back(u);
    }
}

fs::path UnitResultPath(const fs::path& tmp, size_t i) {
  return tmp / ("unit-" + std::to_string(i) + ".txt");
}

double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs every unit in a worker process of its own, o.jobs at a time, each writing its result
// file into tmp; the workers' (and their servers') processor seconds and the run's wall time.
bool RunWorkers(const ParOptions& o, const std::vector<Unit>& units, const fs::path& tmp,
                ParSummary& summary, std::string& error) {
  size_t next = 0;
  int running = 0;
  const int cores = o.jobs <= static_cast<int>(std::thread::hardware_concurrency())
                        ? static_cast<int>(std::thread::hardware_concurrency())
                        : 0;
  const double cpuBefore = ChildCpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  std::fflush(stdout);
  std::fflush(stderr);
  while (next < units.size() || running > 0) {
    while (running < o.jobs && next < units.size()) {
      pid_t pid = fork();
      if (pid == 0) {
        // A worker and its server take turns, so they share one core: each exchange
        // then needs no wake-up across cores.
        if (cores > 0) {
          cpu_set_t set;
          CPU_ZERO(&set);
          CPU_SET(static_cast<int>(next % static_cast<size_t>(cores)), &set);
          sched_setaffinity(0, sizeof set, &set);
        }
        _exit(
            RunUnit(o, units[next], tmp / ("w" + std::to_string(next)), UnitResultPath(tmp, next)));
      }
      if (pid < 0) {
        error = "cannot start a worker";
        return false;
      }
      ++running;
      ++next;
    }
    if (wait(nullptr) > 0) --running;
  }
  summary.cpuSeconds = ChildCpuSeconds() - cpuBefore;
  summary.runWallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  return true;
}

// Adds one unit's result file into its row; false with the worker's error when it failed.
bool GatherUnit(std::ifstream& in, size_t i, const Unit& unit, Row& r, ParSummary& summary,
                std::string& error) {
  std::string word;
  in >> word;
  if (word != "ok") {
    std::string rest;
    std::getline(in, rest);
    error = "worker " + std::to_string(i) + ": " + (word.empty() ? "no result" : rest);
    return false;
  }
  int64_t games, staked, prizes, cashpots, sStakes, sPayouts;
  int agrees;
  double seconds;
  in >> games >> staked >> prizes >> cashpots >> sStakes >> sPayouts >> agrees >> seconds;
  long startMain = 0, startFund = 0, startCashpot = 0;
  in >> startMain >> startFund >> startCashpot;
  // Every worker starts from the same record, fresh or given.
  if (i == 0) summary.start = {startMain, startFund, startCashpot};
  summary.sameStart = summary.sameStart && summary.start[0] == startMain &&
                      summary.start[1] == startFund && summary.start[2] == startCashpot;
  summary.workerSeconds += seconds;
  r.games += games;
  r.staked += staked;
  r.prizes += prizes;
  r.cashpots += cashpots;
  r.moneyChecked = r.moneyChecked && agrees;
  r.repRtp.push_back(staked ? double(prizes + cashpots) / staked : 0);
  int64_t win, cashpot, turns, questions, ms, level, balance, jackpot;
  while (in >> win >> cashpot >> turns >> questions >> ms >> level >> balance >> jackpot) {
    if (win > 0) {
      ++r.hits;
      ++r.prizeCounts[static_cast<int>(win)];
    }
    if (cashpot > 0) ++r.cashpotGames;
    r.jackpots += jackpot;
    double ret = double(win + cashpot) / kStake;
    r.returnSquares += ret * ret;
    if (level >= 1 && level <= 7) ++r.levels[level - 1];
    r.turns += turns;
    r.questions += questions;
    r.ms += ms;
    if (unit.rep == 0) r.balance.push_back(static_cast<int>(balance));
  }
  return true;
}

// Reads every unit's result into its row.
bool GatherUnits(const std::vector<Unit>& units, const fs::path& tmp, std::vector<Row>& rows,
                 ParSummary& summary, std::string& error) {
  for (size_t i = 0; i < units.size(); ++i) {
    std::ifstream in(UnitResultPath(tmp, i));
    if (!GatherUnit(in, i, units[i], rows[units[i].row], summary, error)) return false;
  }
  if (!summary.sameStart) {
    error = "the workers did not all start from the same record";
    return false;
  }
  for (const Row& r : rows) summary.totalGames += r.games;
  return true;
}

// What the sheet shows of one row, worked out once for par.json, par.md and the pictures.
struct RowFigures {
  double n = 1;
  double rtp = 0;
  Interval ci;
  double vi = 0;
  double meanCashpot = 0;
};

RowFigures FiguresOf(const Row& r) {
  RowFigures f;
  f.n = r.games ? double(r.games) : 1;
  f.rtp = r.staked ? double(r.prizes + r.cashpots) / r.staked : 0;
  f.ci = MeanCi95(r.repRtp);
  double var = r.returnSquares / f.n - f.rtp * f.rtp;
  f.vi = 1.645 * std::sqrt(var > 0 ? var : 0);
  f.meanCashpot = r.cashpotGames ? double(r.cashpots) / r.cashpotGames : 0;
  return f;
}

std::string RowJson(const Row& r) {
  const RowFigures f = FiguresOf(r);
  const double n = f.n;
  std::string levels;
  for (int i = 0; i < 7; ++i) levels += (i ? ", " : "") + Fixed(r.levels[i] / n, 4);
  std::string prizes;
  for (const auto& [amount, count] : r.prizeCounts)
    prizes += (prizes.empty() ? "" : ", ") + std::string("\"") + std::to_string(amount) +
              "\": " + Fixed(count / n, 6);
  std::ostringstream json;
  json << "    {\"skill\": " << Fixed(r.skill, 3)
       << ", \"collect\": " << JsonString(CollectName(r.collect)) << ", \"games\": " << r.games
       << ", \"staked\": " << r.staked << ", \"paid_prizes\": " << r.prizes
       << ", \"paid_cashpots\": " << r.cashpots << ", \"rtp\": " << Fixed(f.rtp, 5)
       << ", \"rtp_ci95\": [" << Fixed(f.ci.low, 5) << ", " << Fixed(f.ci.high, 5)
       << "], \"hit_frequency\": " << Fixed(r.hits / n, 5) << ", \"prize_shares\": {" << prizes
       << "}, \"jackpot_frequency\": " << Fixed(r.jackpots / n, 6)
       << ", \"cashpot_frequency\": " << Fixed(r.cashpotGames / n, 6)
       << ", \"mean_cashpot\": " << Fixed(f.meanCashpot, 1)
       << ", \"volatility_index_90\": " << Fixed(f.vi, 3) << ", \"level_share\": [" << levels
       << "], \"mean_turns\": " << Fixed(r.turns / n, 2)
       << ", \"mean_questions\": " << Fixed(r.questions / n, 2)
       << ", \"mean_minutes\": " << Fixed(r.ms / n / 60000.0, 3)
       << ", \"money_checked\": " << (r.moneyChecked ? "true" : "false") << "}";
  return json.str();
}

void WriteParJson(std::ostream& json, const ParOptions& o, const ParSummary& s,
                  const std::vector<Row>& rows) {
  json << ParJsonHead(o, s);
  for (size_t k = 0; k < rows.size(); ++k)
    json << RowJson(rows[k]) << (k + 1 < rows.size() ? ",\n" : "\n");
  json << "  ]\n}\n";
}

std::string RowMarkdown(const Row& r) {
  const RowFigures f = FiguresOf(r);
  const double n = f.n;
  std::string levelsMd;
  for (int i = 0; i < 7; ++i) levelsMd += (i ? " / " : "") + Fixed(100.0 * r.levels[i] / n, 1);
  std::ostringstream md;
  md << "| " << Fixed(r.skill, 2) << " | " << CollectName(r.collect) << " | " << r.games << " | "
     << r.staked << " | " << r.prizes << " | " << r.cashpots << " | " << Fixed(100 * f.rtp, 2)
     << " % | " << Fixed(100 * f.ci.low, 2) << " .. " << Fixed(100 * f.ci.high, 2) << " % | "
     << Fixed(100.0 * r.hits / n, 2) << " % | " << Fixed(100.0 * r.jackpots / n, 3) << " % | "
     << Fixed(100.0 * r.cashpotGames / n, 3) << " % | " << Fixed(f.meanCashpot, 0) << " | "
     << Fixed(f.vi, 2) << " | " << levelsMd << " | " << Fixed(r.turns / n, 1) << " | "
     << Fixed(r.questions / n, 1) << " | " << Fixed(r.ms / n / 60000.0, 2) << " | "
     << (r.moneyChecked ? "yes" : "NO") << " |\n";
  return md.str();
}

std::string PrizeLine(const Row& r) {
  const double n = r.games ? double(r.games) : 1;
  std::string prizesMd;
  for (const auto& [amount, count] : r.prizeCounts)
    prizesMd += (prizesMd.empty() ? "" : ", ") + std::to_string(amount) + "p " +
                Fixed(100.0 * count / n, 2) + " %";
  return "\nPrizes at skill " + Fixed(r.skill, 2) + ", " + CollectName(r.collect) + ": " +
         (prizesMd.empty() ? "none" : prizesMd) + " of games.\n";
}

void WriteParMarkdown(std::ostream& md, const ParOptions& o, const ParSummary& s,
                      const std::vector<Row>& rows) {
  md << "# Payout sheet\n\n"
     << "Every row: " << o.games << " games played by the bots of `strikora-sim play` on the real "
     << "program, in " << o.replications
     << " independent replications, each with its own money server and "
     << (o.record.empty() ? "a fresh statistics record" : "a copy of the record " + o.record)
     << "; seed " << o.seed << ". Every worker began with the main balance at " << s.start[0]
     << ", the cashpot balance at " << s.start[1] << " and the cashpot at " << s.start[2]
     << "p. Money in pence, stake 50p. The 95 % interval of the return "
     << "to player is Student's t over the replications' own returns.\n\n"
     << "| skill | collect | games | staked | prizes | cashpots | RTP | RTP 95 % | hit freq | "
        "jackpot freq | cashpot freq | mean cashpot | VI 90 % | levels 1..7 | turns | questions "
        "| minutes | money checked |\n"
     << "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (const Row& r : rows) md << RowMarkdown(r);
  for (const Row& r : rows) md << PrizeLine(r);
  md << "\nThe money checked column says whether, in every worker, the stakes and the bank and "
        "credit payouts its server journalled equal what the sheet counts. The virtual clock "
        "moved "
     << o.clockStepMs << " ms at every reading in a game"
     << (o.clockStepMs == 1 ? ", as on the cabinet's own clock, so the minutes are a game's length"
                            : "; the games are the same as at 1 ms, but their minutes are longer")
     << ".";
  if (o.timing)
    md << " Made by " << o.jobs << " workers in " << Fixed(s.runWallSeconds / 60, 1) << " minutes, "
       << Fixed(s.cpuSeconds > 0 ? s.totalGames / s.cpuSeconds : 0, 1)
       << " games a second for each core's time (the workers' and their servers').";
  md << "\n";
  md << "\n![Return to player against skill](rtp-by-skill.png)\n\n"
     << "![The main balance over the games](balance.png)\n\n"
     << "![The prize distribution](prizes.png)\n";
}

// The pictures' rows; each row's balance run moves into its picture row.
std::vector<PlotRow> PlotRows(std::vector<Row>& rows) {
  std::vector<PlotRow> plots;
  for (Row& r : rows) {
    const RowFigures f = FiguresOf(r);
    PlotRow& plot = plots.emplace_back();
    plot.skill = r.skill;
    plot.collect = CollectName(r.collect);
    plot.rtp = f.rtp;
    plot.rtpLow = f.ci.low;
    plot.rtpHigh = f.ci.high;
    plot.balance = std::move(r.balance);
    for (const auto& [amount, count] : r.prizeCounts) plot.prizeShares[amount] = count / f.n;
  }
  return plots;
}

}  // namespace

std::string ParJsonHead(const ParOptions& o, const ParSummary& s) {
  const double games = static_cast<double>(s.totalGames);
  std::ostringstream json;
  json << "{\n  \"method\": \"independent replications\",\n  \"replications\": " << o.replications
       << ",\n  \"seed\": " << o.seed << ",\n  \"clock_step_ms\": " << o.clockStepMs
       << ",\n  \"start\": {\"record\": "
       << (o.record.empty() ? "null" : JsonString(fs::path(o.record).filename().string()))
       << ", \"main_balance\": " << s.start[0] << ", \"cashpot_balance\": " << s.start[1]
       << ", \"cashpot\": " << s.start[2] << "}"
       << ",\n  \"jobs\": " << o.jobs << ",\n  \"games_per_second_per_core\": "
       << (o.timing && s.cpuSeconds > 0 ? Fixed(games / s.cpuSeconds, 1) : "null")
       << ",\n  \"games_per_second\": "
       << (o.timing && s.runWallSeconds > 0 ? Fixed(games / s.runWallSeconds, 1) : "null")
       << ",\n  \"games_per_worker_second\": "
       << (o.timing && s.workerSeconds > 0 ? Fixed(games / s.workerSeconds, 1) : "null")
       << ",\n  \"rows\": [\n";
  return json.str();
}

int RunPar(const ParOptions& o, std::string& error) {
  std::vector<Row> rows;
  std::vector<Unit> units;
  PlanUnits(o, rows, units);
  const fs::path tmp = fs::temp_directory_path() / ("strikora-par-" + std::to_string(getpid()));
  std::error_code ec;
  fs::create_directories(tmp, ec);
  ParSummary summary;
  const bool ran =
      RunWorkers(o, units, tmp, summary, error) && GatherUnits(units, tmp, rows, summary, error);
  fs::remove_all(tmp, ec);
  if (!ran) return 1;

  fs::create_directories(o.outDir, ec);
  std::ofstream json(fs::path(o.outDir) / "par.json");
  WriteParJson(json, o, summary, rows);
  std::ofstream md(fs::path(o.outDir) / "par.md");
  WriteParMarkdown(md, o, summary, rows);
  // The lower bounds of balance levels 1 to 6; level 7 has none.
  std::vector<int> thresholds(PayoutLevelRows, PayoutLevelRows + 6);
  if (!WriteParPictures(PlotRows(rows), thresholds, o.outDir, error)) return 1;
  for (const Row& r : rows)
    if (!r.moneyChecked) {
      error = "the money a server journalled differs from what the sheet counts";
      return 2;
    }
  return 0;
}

}  // namespace sim
