// The whole program killed as a power cut would stop it, again and again, against a real
// moneyd with full durability: the game (strikora-sim play, the real program on the headless
// backend) at random instants and a moment after each kind of money request or reply, the
// money server at random instants, or both together. After every kill the game is started
// again and `moneyctl reconcile` decides its open games; every third time what is owed is
// settled with `moneyctl refund` and `moneyctl pay`. Checked after each round and at the end:
//  - each start reports exactly the games open before it (never a settled one);
//  - every stake, prize and cashpot the server journalled belongs to a step of the game's
//    journal in the same order on the same connection, and every step the game saw done is
//    in the server's journal;
//  - no cashpot is paid twice: each is at most what the cashpot can have grown to since the
//    one before;
//  - reconcile then the settlements leave nothing open, and the server's journal verifies.
//
//   game_crash --bin DIR --kills N [--mode game|server|both] [--seed S] [--keep DIR]
//   game_crash --bin DIR --audit-only DIR   (the journals a run kept, checked again)
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "accounting/journal_store.h"
#include "server/ledger.h"
#include "server/reconcile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string gBin;
fs::path gDir;
int gPort = 0;
int gFailures = 0;

void Fail(const std::string& what) {
  ++gFailures;
  std::fprintf(stderr, "game_crash: FAILED: %s\n", what.c_str());
}

// Starts a program with its output to files; returns its pid.
pid_t Spawn(const std::vector<std::string>& args, const std::string& out,
            const std::vector<std::string>& env = {}) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  dup2(fd, 1);
  dup2(fd, 2);
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// Waits for the process, killing it after `limitMs`; its status as the shell reports it.
int Wait(pid_t pid, int limitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string Run(const std::vector<std::string>& args, int* status = nullptr) {
  const std::string out = (gDir / "command.out").string();
  fs::remove(out);
  const int s = Wait(Spawn(args, out), 60000);
  if (status) *status = s;
  std::ifstream in(out);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  close(s);
  return ntohs(a.sin_port);
}

pid_t gMoneyd = -1;

void StartMoneyd() {
  const std::string log = (gDir / "moneyd.log").string();
  for (int attempt = 0; attempt < 200; ++attempt) {
    gMoneyd = Spawn({gBin + "/moneyd", "--init", "--port", std::to_string(gPort), "--db",
                     (gDir / "money.db").string()},
                    log);
    // Ready once it accepts a connection.
    for (int i = 0; i < 500; ++i) {
      int s = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(gPort));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      const bool up = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
      close(s);
      if (up) return;
      int status = 0;
      if (waitpid(gMoneyd, &status, WNOHANG) != 0) break;  // ended: the port is busy still
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Fail("moneyd does not start");
  std::exit(1);
}

void KillMoneyd() {
  kill(gMoneyd, SIGKILL);
  waitpid(gMoneyd, nullptr, 0);
}

// A game killed before its first start made its journal, or as it was making it, left none
// (or an empty file the next start makes into one): nothing to reconcile yet.
bool JournalMade() {
  journal::Store store;
  std::string error;
  const std::string path = money::GameJournalPath((gDir / "game").string());
  const bool made =
      fs::exists(path) && journal::OpenStore(path, journal::OpenFor::kReading, store, error);
  journal::CloseStore(store);
  return made;
}

std::set<int64_t> OpenGames() {
  std::set<int64_t> open;
  journal::Store store;
  std::string error;
  std::vector<journal::Game> games;
  const std::string path = money::GameJournalPath((gDir / "game").string());
  if (!JournalMade()) return open;
  if (journal::OpenStore(path, journal::OpenFor::kReading, store, error) &&
      journal::ReadOpenGames(store, games, error)) {
    for (const journal::Game& g : games) open.insert(g.game);
  } else {
    Fail("cannot read the game journal: " + error);
  }
  journal::CloseStore(store);
  return open;
}

// The games a start logged as open, from the newest event log; false when that start was
// killed before it had said them all.
bool ReportedAtStart(std::set<int64_t>& reported) {
  std::ifstream in(gDir / "game/~system/logs/SKV.txt");
  std::string line;
  bool whole = false;
  while (std::getline(in, line)) {
    whole = whole || line.find(" - GAME JOURNAL - ") != std::string::npos;
    for (const char* head : {"GAME INTERRUPTED - game ", "GAME NOT SETTLED - game "}) {
      const size_t at = line.find(head);
      if (at != std::string::npos)
        reported.insert(std::atoll(line.c_str() + at + std::strlen(head)));
    }
  }
  return whole;
}

struct Counts {
  int kills = 0, targeted = 0, serverKills = 0, restarts = 0, startsChecked = 0, reconciles = 0;
  int openFound = 0, done = 0, notDone = 0, unknown = 0, settlements = 0, closedByReconcile = 0;
  int stakes = 0, prizes = 0, cashpots = 0;
};
Counts gCounts;

void PrintCounts(const char* when) {
  const Counts& c = gCounts;
  std::printf(
      "game_crash: %s: %d starts (%d whose reports were checked), %d kills of the game (%d at a "
      "money step), %d of the money server; %d reconciles found %d open games: steps done %d, "
      "not done %d, unknown %d; %d closed by reconcile, %d settlements; %d stakes, %d prizes, "
      "%d cashpots checked; %d failures\n",
      when, c.restarts, c.startsChecked, c.kills, c.targeted, c.serverKills, c.reconciles,
      c.openFound, c.done, c.notDone, c.unknown, c.closedByReconcile, c.settlements, c.stakes,
      c.prizes, c.cashpots, gFailures);
  std::fflush(stdout);
}

// Reconcile with the real command, then (when asked) the settlements it names.
void Reconcile(bool settle) {
  const std::string game = (gDir / "game").string();
  if (!JournalMade()) return;
  ++gCounts.reconciles;
  const std::string db = (gDir / "money.db").string();
  // The findings themselves, from the same code, to count them and settle them.
  std::vector<money::GameFinding> findings;
  // The server journals a killed game's disconnection when it next looks at the connection:
  // until then the game counts as in play. Wait for it (a busy machine may take a while).
  for (int attempt = 0; attempt < 200; ++attempt) {
    money::Ledger ledger;
    journal::Store store;
    std::string error;
    findings.clear();
    if (!money::OpenLedger(db, money::OpenMode::kExisting, ledger, error) ||
        !journal::OpenStore(money::GameJournalPath(game), journal::OpenFor::kReading, store,
                            error) ||
        !money::ReconcileGames(ledger, store, game, findings, error))
      Fail("reconcile in process: " + error);
    journal::CloseStore(store);
    money::CloseLedger(ledger);
    bool inPlay = false;
    for (const money::GameFinding& g : findings) inPlay = inPlay || g.inPlay;
    if (!inPlay) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  int status = 0;
  const std::string out = Run({gBin + "/moneyctl", "--db", db, "reconcile", game}, &status);
  int left = 0;
  for (const money::GameFinding& g : findings) {
    ++gCounts.openFound;
    for (const money::StepFinding& s : g.steps) {
      gCounts.done += s.verdict == money::Verdict::kDone;
      gCounts.notDone += s.verdict == money::Verdict::kNotDone;
      gCounts.unknown += s.verdict == money::Verdict::kUnknown;
      if (s.verdict == money::Verdict::kUnknown)
        Fail("game " + std::to_string(g.game.game) + ": unknown: " + s.why);
    }
    if (g.inPlay) Fail("game " + std::to_string(g.game.game) + " is still in play after a kill");
    gCounts.closedByReconcile += g.nothingOwed;
    left += !g.nothingOwed;
  }
  if ((status == 0) != (left == 0))
    Fail("reconcile exited " + std::to_string(status) + ":\n" + out);
  if (!settle) return;
  for (const money::GameFinding& g : findings) {
    for (const money::Owed& o : g.owed) {
      std::vector<std::string> args{gBin + "/moneyctl", "--db", db};
      std::istringstream words(o.command);
      std::string w;
      words >> w;  // "moneyctl"
      while (words >> w) args.push_back(w);
      int s = 0;
      const std::string said = Run(args, &s);
      ++gCounts.settlements;
      if (s != 0) Fail(o.command + " failed: " + said);
    }
  }
  if (!OpenGames().empty()) Fail("games still open after their settlement");
}

// Every run of the game journal matched with the server's journal from its first step.
void CheckAllMoney() {
  const std::string game = (gDir / "game").string();
  money::Ledger ledger;
  journal::Store store;
  std::string error;
  if (!money::OpenLedger((gDir / "money.db").string(), money::OpenMode::kExisting, ledger, error) ||
      !journal::OpenStore(money::GameJournalPath(game), journal::OpenFor::kReading, store, error)) {
    Fail("cannot open the journals: " + error);
    return;
  }
  std::vector<money::RunAudit> runs;
  if (!money::AuditRuns(ledger, store, runs, error)) Fail("audit: " + error);
  std::set<int64_t> clientsOfRuns;
  std::vector<int64_t> stakedGames;       // in the order taken
  std::map<int64_t, int64_t> paidInGame;  // cashpot paid, by game
  for (const money::RunAudit& r : runs) {
    if (r.client) clientsOfRuns.insert(r.client);
    for (const std::string& p : r.problems) Fail("run " + std::to_string(r.run) + ": " + p);
    for (const money::StepFinding& s : r.steps) {
      if (s.verdict != money::Verdict::kDone) continue;
      switch (s.step.kind) {
        case journal::StepKind::kStake:
          ++gCounts.stakes;
          stakedGames.push_back(s.step.game);
          break;
        case journal::StepKind::kCashpotToBank:
        case journal::StepKind::kCashpotToCredits:
          paidInGame[s.step.game] += s.step.amount;
          break;
        default:
          ++gCounts.prizes;
      }
    }
  }
  // A cashpot starts at 100p and grows by 5p a game: each paid is at most what it can have
  // grown to over the games staked since the one before.
  // When the oldest games are gone from the journal, the cashpot before the first one kept
  // is unknown: the first is not checked.
  int64_t lastPaidGame = 0;
  bool first = stakedGames.empty() || stakedGames.front() > 1;
  for (const auto& [g, paid] : paidInGame) {
    if (first) {
      first = false;
      lastPaidGame = g;
      continue;
    }
    int64_t staked = 0;
    for (int64_t sg : stakedGames) staked += sg > lastPaidGame && sg <= g;
    if (paid > 100 + 5 * staked)
      Fail("cashpot of " + std::to_string(paid) + "p paid in game " + std::to_string(g) +
           ", only " + std::to_string(staked) + " games after the one before: paid twice");
    ++gCounts.cashpots;
    lastPaidGame = g;
  }
  // Money moves of any later connection that no run of the journal accounts for (the oldest
  // runs go from the journal with their games, and their connections with them).
  int64_t strays = 0;
  const int64_t firstClient = clientsOfRuns.empty() ? INT64_MAX : *clientsOfRuns.begin();
  money::ForEachJournalRow(
      ledger, 0,
      [&](const money::JournalRow& row) {
        if ((row.kind == "CUSE" || row.kind == "BADD" || row.kind == "CADD") &&
            row.client > firstClient && !clientsOfRuns.count(row.client))
          ++strays;
      },
      error);
  if (strays) Fail(std::to_string(strays) + " money moves of connections no run of the game made");
  journal::CloseStore(store);
  money::CloseLedger(ledger);
}

}  // namespace

int main(int argc, char** argv) {
  int kills = 100;
  std::string mode = "game", keep, auditOnly;
  unsigned seed = std::random_device{}();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--bin")
      gBin = v;
    else if (a == "--kills")
      kills = std::atoi(v.c_str());
    else if (a == "--mode")
      mode = v;
    else if (a == "--seed")
      seed = static_cast<unsigned>(std::strtoul(v.c_str(), nullptr, 10));
    else if (a == "--keep")
      keep = v;
    else if (a == "--audit-only")
      auditOnly = v;
  }
  // The journals a run left (a failed one keeps its folder) checked again, without playing.
  if (!auditOnly.empty() && !gBin.empty()) {
    gDir = auditOnly;
    CheckAllMoney();
    int status = 0;
    const std::string verified =
        Run({gBin + "/moneyctl", "--db", (gDir / "money.db").string(), "verify"}, &status);
    if (status != 0) Fail("moneyctl verify: " + verified);
    PrintCounts("audit of the journals");
    return gFailures == 0 ? 0 : 1;
  }
  if (gBin.empty() || kills < 1 || (mode != "game" && mode != "server" && mode != "both")) {
    std::fprintf(stderr,
                 "usage: game_crash --bin DIR --kills N [--mode game|server|both] "
                 "[--seed S] [--keep DIR]\n");
    return 64;
  }
  std::printf("game_crash: %s, %d kills, seed %u\n", mode.c_str(), kills, seed);
  std::mt19937 random(seed);
  gDir = keep.empty() ? fs::temp_directory_path() / ("game_crash." + std::to_string(getpid()))
                      : fs::path(keep);
  fs::remove_all(gDir);
  fs::create_directories(gDir / "game");
  for (const char* d : {"Graphic_resource", "sounds", "Questions"})
    fs::create_directory_symlink(fs::absolute(fs::path(gBin) / d), gDir / "game" / d);
  gPort = FreePort();
  StartMoneyd();

  const char* kTargets[] = {"send:CUSE",  "reply:CUSE", "send:BADD",
                            "reply:BADD", "send:CADD",  "reply:CADD"};
  std::set<int64_t> openBeforeStart;
  bool firstRun = true;
  // Until the kills asked for have happened (a run may end before its kill comes).
  for (int k = 0;
       gCounts.kills + (mode == "server" ? gCounts.serverKills : 0) < kills && k < 4 * kills; ++k) {
    const std::string out = (gDir / "sim.out").string();
    // The log a start writes is its own: the last one is moved out of its way.
    std::error_code ignored;
    fs::rename(gDir / "game/~system/logs/SKV.txt", gDir / "last-SKV.txt", ignored);
    std::vector<std::string> env;
    const bool targeted = mode == "game" && k % 2 == 1;
    if (targeted) {
      const std::string target = kTargets[(k / 2) % 6];
      env.push_back("STRIKORA_SIM_KILL=" + target + ":" + std::to_string(1 + random() % 3) + ":" +
                    std::to_string(random() % 5000));
    }
    const pid_t sim = Spawn({gBin + "/strikora-sim", "play", "--game-dir", (gDir / "game").string(),
                             "--server", "127.0.0.1:" + std::to_string(gPort), "--games", "40",
                             "--seed", std::to_string(random() % 100000), "--collect", "first",
                             "--db", (gDir / "money.db").string(), "--no-pixels"},
                            out, env);
    ++gCounts.restarts;
    if (targeted) {
      if (Wait(sim, 120000) == 128 + SIGKILL) ++gCounts.targeted, ++gCounts.kills;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(20000 + random() % 1500000));
      if (mode != "server") kill(sim, SIGKILL);
      if (mode != "game") {
        KillMoneyd();
        ++gCounts.serverKills;
        StartMoneyd();
      }
      const int status = Wait(sim, 120000);
      gCounts.kills += mode != "server" && status == 128 + SIGKILL;
    }
    // The start just made reported exactly what was open before it.
    std::set<int64_t> reported;
    if (!firstRun && ReportedAtStart(reported)) {
      ++gCounts.startsChecked;
      if (reported != openBeforeStart) {
        std::string r, o;
        for (int64_t g : reported) r += " " + std::to_string(g);
        for (int64_t g : openBeforeStart) o += " " + std::to_string(g);
        Fail("the start reported games" + r + " with open games" + o);
      }
    }
    firstRun = false;
    // The server sees a killed game's connection close a moment later.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Reconcile(k % 3 == 2);
    openBeforeStart = OpenGames();
    if (gFailures > 20) break;
    if ((k + 1) % 50 == 0) PrintCounts("so far");
  }
  Reconcile(true);
  CheckAllMoney();
  int status = 0;
  const std::string verified =
      Run({gBin + "/moneyctl", "--db", (gDir / "money.db").string(), "verify"}, &status);
  if (status != 0) Fail("moneyctl verify: " + verified);
  KillMoneyd();
  PrintCounts("in all");
  if (keep.empty() && gFailures == 0) fs::remove_all(gDir);
  return gFailures == 0 ? 0 : 1;
}
