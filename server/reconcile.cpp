#include "server/reconcile.h"

#include <time.h>

#include <cstdio>
#include <map>
#include <optional>

#include "cli/json_text.h"
#include "server/ledger_sql.h"
#include "server/money_rules.h"

namespace money {

namespace {

using ll = long long;

// A CONNECT may be journalled this long before the game's run begins (the game connects,
// then opens its display and its journal) and a little after (clocks read apart).
constexpr int64_t kConnectBeforeRunMs = 120000;
constexpr int64_t kConnectAfterRunMs = 2000;

struct ServerRow {
  int64_t seq = 0;
  std::string kind;
  int64_t amount = 0;
};

// "YYYY-MM-DD HH:MM:SS.SSS" (UTC) in ms; 0 when it has not that form.
int64_t MsOfTime(const std::string& text) {
  tm t{};
  int ms = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &t.tm_year, &t.tm_mon, &t.tm_mday,
                  &t.tm_hour, &t.tm_min, &t.tm_sec, &ms) != 7)
    return 0;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return static_cast<int64_t>(timegm(&t)) * 1000 + ms;
}

// The client the run's connection was: the latest CONNECT from its port in the window
// around its start. 0 when there is none.
bool FindClient(Ledger& ledger, const journal::Run& run, int64_t& client, bool& connected,
                std::string& error) {
  client = 0;
  connected = false;
  Statement q(ledger.db,
              "SELECT client, time, seq FROM journal WHERE kind = 'CONNECT' AND detail = ?1");
  const std::string from = "from 127.0.0.1:" + std::to_string(run.localPort);
  q.Bind(1, from);
  int64_t best = 0, connectSeq = 0;
  while (q.Next()) {
    const int64_t at = MsOfTime(q.Text(1));
    if (at < run.startedMs - kConnectBeforeRunMs || at > run.startedMs + kConnectAfterRunMs)
      continue;
    if (at >= best) {
      best = at;
      client = q.Int(0);
      connectSeq = q.Int(2);
    }
  }
  if (!q.Ended()) return Failed(ledger.db, error);
  if (client == 0) return true;
  // Still connected unless its disconnection was journalled, or moneyd started again since
  // (a server killed journals no disconnection).
  Statement d(ledger.db,
              "SELECT count(*) FROM journal WHERE (client = ?1 AND kind = 'DISCONNECT') OR "
              "(kind = 'START' AND seq > ?2)");
  d.Bind(1, client);
  d.Bind(2, connectSeq);
  if (d.Next()) {
    connected = d.Int(0) == 0;
    return true;
  }
  return d.Ended() || Failed(ledger.db, error);
}

bool ClientChanges(Ledger& ledger, int64_t client, std::vector<ServerRow>& rows,
                   std::string& error) {
  Statement q(ledger.db,
              "SELECT seq, kind, amount FROM journal WHERE client = ?1 AND kind IN ('CUSE', "
              "'BADD', 'CADD') ORDER BY seq");
  q.Bind(1, client);
  while (q.Next()) rows.push_back({q.Int(0), q.Text(1), q.Int(2)});
  return q.Ended() || Failed(ledger.db, error);
}

std::string StepWords(const journal::MoneyStep& m) {
  return std::string(journal::StepKindName(m.kind)) + " " + std::to_string(m.amount) + " pence";
}

// Decides one step from what the game saw and what the server journalled for it.
StepFinding Decide(const journal::MoneyStep& m, const ServerRow* match, bool clientKnown) {
  StepFinding f;
  f.step = m;
  const std::string verb = journal::StepVerb(m.kind);
  const std::string made = match ? verb + " " + std::to_string(m.amount) + " is entry " +
                                       std::to_string(match->seq) + " of the money journal"
                                 : "";
  if (match) f.seq = match->seq;
  if (m.result == journal::StepResult::kDone) {
    f.verdict = match || !clientKnown ? Verdict::kDone : Verdict::kUnknown;
    f.why = match         ? made
            : clientKnown ? "the game saw it accepted, but the money journal has no " + verb + " " +
                                std::to_string(m.amount) + " for its connection in that place"
                          : "the game saw it accepted";
  } else if (m.result == journal::StepResult::kRefused) {
    f.verdict = match ? Verdict::kUnknown : Verdict::kNotDone;
    f.why = match ? "the game saw it refused, yet " + made : "the money server refused it";
  } else if (!clientKnown) {
    f.verdict = Verdict::kUnknown;
    f.why =
        "no reply came, and the money journal has no connection from this run's port "
        "at its start";
  } else {
    f.verdict = match ? Verdict::kDone : Verdict::kNotDone;
    f.why = match ? made + " (its reply was lost)"
                  : "no reply came, and the money journal has no " + verb +
                        " for it: it was "
                        "never made";
  }
  return f;
}

void AddOwed(GameFinding& g, const std::string& gameDir) {
  if (g.inPlay) return;  // nothing is owed for a game that may still go on
  const std::string where =
      " --game " + std::to_string(g.game.game) + (gameDir.empty() ? "" : " --game-dir " + gameDir);
  bool stakeTaken = false, prizePaid = false;
  for (const StepFinding& s : g.steps) {
    if (s.verdict == Verdict::kUnknown) g.unknown = true;
    const journal::StepKind k = s.step.kind;
    if (k == journal::StepKind::kStake) {
      stakeTaken = s.verdict == Verdict::kDone;
      continue;
    }
    if (k == journal::StepKind::kPrizeToBank || k == journal::StepKind::kPrizeToCredits)
      prizePaid = prizePaid || s.verdict == Verdict::kDone;
    if (s.verdict != Verdict::kNotDone) continue;
    const bool bank = journal::StepToBank(k);
    g.owed.push_back({bank ? "pay to bank" : "pay to credits", s.step.amount,
                      "moneyctl pay " + std::to_string(s.step.amount) + " --to " +
                          (bank ? "bank" : "credits") + where,
                      bank ? Kind::kPayBank : Kind::kPayCredits});
    if (k == journal::StepKind::kPrizeToBank || k == journal::StepKind::kPrizeToCredits)
      prizePaid = true;  // owed now, and paid by the settlement
  }
  // A game cut off before its end, or never played, gives its stake back unless its prize
  // was paid (or is owed).
  if (stakeTaken && !journal::GameFinished(g.game) && !prizePaid) {
    const int64_t stake = g.steps.front().step.amount;
    g.owed.push_back(
        {"refund", stake, "moneyctl refund " + std::to_string(stake) + where, Kind::kRefund});
  }
}

// What the operator settled already for the game (entries "game N" of the settlement kinds)
// pays off what is owed, each entry once.
bool ApplySettlements(Ledger& ledger, GameFinding& g, std::string& error) {
  Statement q(ledger.db,
              "SELECT seq, kind, amount FROM journal WHERE kind IN ('REFUND', 'PAYBANK', "
              "'PAYCREDITS') AND detail = ?1 ORDER BY seq");
  const std::string detail = "game " + std::to_string(g.game.game);
  q.Bind(1, detail);
  while (q.Next()) {
    const std::string kind = q.Text(1);
    for (Owed& o : g.owed) {
      if (o.settledBy || kind != KindName(o.kind) || o.amount != q.Int(2)) continue;
      o.settledBy = q.Int(0);
      break;
    }
  }
  g.nothingOwed = !g.unknown && !g.Owes() && !g.inPlay;
  return q.Ended() || Failed(ledger.db, error);
}

void PrintJson(const std::vector<GameFinding>& findings, int left) {
  Json games = Json::array();
  for (const GameFinding& g : findings) {
    Json game = {{"game", g.game.game},
                 {"client", g.client},
                 {"in_play", g.inPlay},
                 {"outcome", g.game.endedMs ? g.game.outcome : "cut off in play"},
                 {"settled_now", g.nothingOwed},
                 {"steps", Json::array()},
                 {"owed", Json::array()}};
    for (const StepFinding& s : g.steps)
      game["steps"].push_back({{"kind", journal::StepKindName(s.step.kind)},
                               {"amount", s.step.amount},
                               {"game_saw", journal::StepResultName(s.step.result)},
                               {"verdict", VerdictName(s.verdict)},
                               {"entry", s.seq},
                               {"why", s.why}});
    for (const Owed& o : g.owed)
      game["owed"].push_back({{"what", o.what},
                              {"amount", o.amount},
                              {"command", o.command},
                              {"settled_by", o.settledBy}});
    games.push_back(std::move(game));
  }
  std::printf("%s\n", JsonText(Json{{"games", games}, {"left_to_settle", left}}, 1).c_str());
}

void PrintTable(const std::vector<GameFinding>& findings, int left) {
  for (const GameFinding& g : findings) {
    std::printf("game %lld (%s, started %s UTC, client %s):\n", static_cast<ll>(g.game.game),
                g.game.endedMs ? g.game.outcome.c_str() : "cut off in play",
                journal::UtcText(g.game.startedMs).c_str(),
                g.client ? std::to_string(g.client).c_str() : "not found");
    for (const StepFinding& s : g.steps)
      std::printf("  %-28s %-9s %s\n", StepWords(s.step).c_str(), VerdictName(s.verdict),
                  s.why.c_str());
    if (g.inPlay) std::printf("  in play: the game is still connected; reconcile after it ends\n");
    for (const Owed& o : g.owed) {
      if (o.settledBy)
        std::printf("  settled: %s %s (money journal entry %lld)\n", o.what.c_str(),
                    PoundsAndPence(o.amount).c_str(), static_cast<ll>(o.settledBy));
      else
        std::printf("  owed: %s %s: %s\n", o.what.c_str(), PoundsAndPence(o.amount).c_str(),
                    o.command.c_str());
    }
    if (g.nothingOwed) std::printf("  nothing owed: closed in the game journal\n");
  }
  std::printf("reconcile: %zu open game%s, %d left to settle\n", findings.size(),
              findings.size() == 1 ? "" : "s", left);
}

}  // namespace

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kDone:
      return "done";
    case Verdict::kNotDone:
      return "not done";
    case Verdict::kUnknown:
      break;
  }
  return "unknown";
}

std::string GameJournalPath(const std::string& gameDir) {
  return gameDir + "/data/Zemblar.journal";
}

namespace {

// A run's steps matched with its connection's changes in the server's journal. Its steps
// went over one connection, in order, each after the reply to the one before, so each step
// is the next change of that connection or was never made.
struct RunMatch {
  int64_t client = 0;
  bool connected = false;
  std::vector<journal::MoneyStep> steps;
  std::map<int64_t, ServerRow> byStep;
  std::vector<ServerRow> unmatched;  // changes of the connection no step accounts for
};

bool MatchRun(Ledger& ledger, journal::Store& store, int64_t runNumber, RunMatch& m,
              std::string& error) {
  std::optional<journal::Run> run;
  std::vector<ServerRow> rows;
  if (!journal::ReadRun(store, runNumber, run, error) ||
      !journal::ReadRunSteps(store, runNumber, m.steps, error))
    return false;
  if (!run) return true;
  if (!FindClient(ledger, *run, m.client, m.connected, error)) return false;
  if (m.client == 0) return true;
  if (!ClientChanges(ledger, m.client, rows, error)) return false;
  size_t next = 0;
  for (const journal::MoneyStep& s : m.steps) {
    if (next < rows.size() && rows[next].kind == journal::StepVerb(s.kind) &&
        rows[next].amount == s.amount)
      m.byStep[s.step] = rows[next++];
  }
  // Matching never skips a change: those left after the last match are the unmatched.
  m.unmatched.assign(rows.begin() + static_cast<std::ptrdiff_t>(next), rows.end());
  return true;
}

StepFinding FindingOf(const RunMatch& m, const journal::MoneyStep& s) {
  auto it = m.byStep.find(s.step);
  return Decide(s, it == m.byStep.end() ? nullptr : &it->second, m.client != 0);
}

}  // namespace

bool ReconcileGames(Ledger& ledger, journal::Store& store, const std::string& gameDir,
                    std::vector<GameFinding>& findings, std::string& error) {
  std::vector<journal::Game> open;
  if (!journal::ReadOpenGames(store, open, error)) return false;
  std::map<int64_t, RunMatch> runs;
  for (const journal::Game& g : open) {
    if (!runs.count(g.run) && !MatchRun(ledger, store, g.run, runs[g.run], error)) return false;
    const RunMatch& m = runs[g.run];
    GameFinding f;
    f.game = g;
    f.client = m.client;
    f.inPlay = m.connected;
    for (const journal::MoneyStep& s : g.steps) f.steps.push_back(FindingOf(m, s));
    AddOwed(f, gameDir);
    if (!ApplySettlements(ledger, f, error)) return false;
    findings.push_back(std::move(f));
  }
  return true;
}

bool AuditRuns(Ledger& ledger, journal::Store& store, std::vector<RunAudit>& runs,
               std::string& error) {
  // The runs the journal still holds (the oldest go with their games).
  std::vector<int64_t> numbers;
  {
    std::vector<journal::Game> games;
    if (!journal::ReadGames(store, 0, games, error)) return false;
    for (const journal::Game& g : games)
      if (numbers.empty() || numbers.back() != g.run) numbers.push_back(g.run);
    // The oldest games go first: the run of the oldest game kept may have lost its first
    // games, and cannot be matched from its first step.
    if (!games.empty() && games.front().game > 1) numbers.erase(numbers.begin());
  }
  for (int64_t r : numbers) {
    RunMatch m;
    if (!MatchRun(ledger, store, r, m, error)) return false;
    RunAudit a;
    a.run = r;
    a.client = m.client;
    for (const journal::MoneyStep& s : m.steps) {
      a.steps.push_back(FindingOf(m, s));
      const StepFinding& f = a.steps.back();
      if (f.step.result == journal::StepResult::kDone && f.seq == 0)
        a.problems.push_back("step " + std::to_string(s.step) + " (" + StepWords(s) +
                             ") was seen done by the game and is not in the money journal");
    }
    for (const ServerRow& row : m.unmatched)
      a.problems.push_back(row.kind + " " + std::to_string(row.amount) + " (entry " +
                           std::to_string(row.seq) + ") matches no step of the run");
    runs.push_back(std::move(a));
  }
  return true;
}

bool ReconcileGame(Ledger& ledger, const std::string& gameDir, int64_t game, GameFinding& finding,
                   std::string& error) {
  journal::Store store;
  std::optional<journal::Game> found;
  std::vector<GameFinding> findings;
  bool ok =
      journal::OpenStore(GameJournalPath(gameDir), journal::OpenFor::kReading, store, error) &&
      journal::ReadGame(store, game, found, error);
  if (ok && !found) {
    error =
        "game " + std::to_string(game) + " is not in the game journal " + GameJournalPath(gameDir);
    ok = false;
  } else if (ok && !journal::GameIsOpen(*found)) {
    error = "game " + std::to_string(game) + " is not open (" +
            (found->settledMs
                 ? "settled " + journal::UtcText(found->settledMs) + " UTC: " + found->settledNote
                 : "nothing is owed for it") +
            ")";
    ok = false;
  }
  ok = ok && ReconcileGames(ledger, store, gameDir, findings, error);
  journal::CloseStore(store);
  if (!ok) return false;
  for (GameFinding& f : findings)
    if (f.game.game == game) finding = std::move(f);
  return true;
}

bool CheckGameToSettle(Ledger& ledger, const std::string& gameDir, int64_t game, Kind kind,
                       int64_t amount, std::string& error) {
  GameFinding f;
  if (!ReconcileGame(ledger, gameDir, game, f, error)) return false;
  if (f.inPlay) {
    error = "game " + std::to_string(game) + " is in play: its connection is still open";
    return false;
  }
  if (f.unknown) return true;  // reconcile cannot tell: the operator's judgement stands
  std::string owes;
  for (const Owed& o : f.owed) {
    if (o.settledBy) continue;
    if (o.kind == kind && o.amount == amount) return true;
    owes += (owes.empty() ? "" : ", ") + o.what + " " + std::to_string(o.amount) + "p";
  }
  error = "game " + std::to_string(game) + " does not owe " + KindName(kind) + " " +
          std::to_string(amount) + "p" + (owes.empty() ? "" : " (it owes: " + owes + ")");
  return false;
}

bool MarkGameSettled(const std::string& gameDir, int64_t game, const std::string& what,
                     std::string& error) {
  journal::Store store;
  const bool ok =
      journal::OpenStore(GameJournalPath(gameDir), journal::OpenFor::kSettling, store, error) &&
      journal::MarkSettled(store, game, journal::NowUtcMs(), what, error);
  journal::CloseStore(store);
  return ok;
}

int RunReconcile(Ledger& ledger, const std::string& gameDir, bool json) {
  journal::Store store;
  std::string error;
  std::vector<GameFinding> findings;
  if (!journal::OpenStore(GameJournalPath(gameDir), journal::OpenFor::kSettling, store, error) ||
      !ReconcileGames(ledger, store, gameDir, findings, error)) {
    journal::CloseStore(store);
    std::fprintf(stderr, "moneyctl: reconcile: %s\n", error.c_str());
    return 1;
  }
  int left = 0;
  for (GameFinding& g : findings) {
    if (g.nothingOwed &&
        !journal::MarkSettled(store, g.game.game, journal::NowUtcMs(),
                              "reconcile: every step decided, nothing owed", error)) {
      std::fprintf(stderr, "moneyctl: reconcile: game %lld: %s\n", static_cast<ll>(g.game.game),
                   error.c_str());
      g.nothingOwed = false;
    }
    if (!g.nothingOwed) ++left;
  }
  journal::CloseStore(store);
  if (json)
    PrintJson(findings, left);
  else
    PrintTable(findings, left);
  return left == 0 ? 0 : 1;
}

}  // namespace money
