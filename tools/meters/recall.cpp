#include "recall.h"

#include <cstdio>
#include <vector>

#include "accounting/game_steps.h"
#include "accounting/journal_store.h"
#include "cli/json_text.h"

namespace {

struct Recalled {
  journal::Game game;
  std::vector<journal::StepRow> rows;
  steps::Fields start, end;
  int64_t cashpot = 0;  // paid
};

std::string Money(const journal::MoneyStep& m) {
  journal::Game one;
  one.steps = {m};
  std::string words = journal::DescribeSteps(one);
  if (!m.reply.empty()) words += " (server: " + m.reply + ")";
  return words;
}

std::string Amount(const steps::Fields& f, const char* key) {
  const int64_t v = steps::GetInt(f, key, -1);
  return v < 0 ? "-" : steps::Pounds(v);
}

void PrintText(const std::vector<Recalled>& games) {
  std::printf(
      "LAST GAMES RECALL - %zu game%s, newest first - what was played, not a game in play\n",
      games.size(), games.size() == 1 ? "" : "s");
  for (const Recalled& r : games) {
    const journal::Game& g = r.game;
    std::printf("\nGame %lld%s - started %s UTC, ended %s%s\n", static_cast<long long>(g.game),
                journal::GameIsOpen(g) ? " - OPEN (money to settle: moneyctl reconcile)" : "",
                journal::UtcText(g.startedMs).c_str(), journal::UtcText(g.endedMs).c_str(),
                g.endedMs ? " UTC" : " (in play or cut off)");
    std::printf("  credits %s, bank %s before; credits %s, bank %s after; stake %s\n",
                Amount(r.start, "credits").c_str(), Amount(r.start, "bank").c_str(),
                Amount(r.end, "credits").c_str(), Amount(r.end, "bank").c_str(),
                Amount(r.start, "stake").c_str());
    std::printf("  outcome %s, prize %s, cashpot paid %s\n",
                g.outcome.empty() ? "none yet" : g.outcome.c_str(), steps::Pounds(g.win).c_str(),
                steps::Pounds(r.cashpot).c_str());
    for (const journal::MoneyStep& m : g.steps) std::printf("  money: %s\n", Money(m).c_str());
    if (r.rows.empty()) std::printf("  (no steps recorded)\n");
    for (const journal::StepRow& row : r.rows)
      std::printf("  %3lld. %6.1f s  %s\n", static_cast<long long>(row.seq), row.atMs / 1000.0,
                  steps::Describe(row).c_str());
  }
}

void PrintJson(const std::vector<Recalled>& games) {
  Json list = Json::array();
  for (const Recalled& r : games) {
    const journal::Game& g = r.game;
    Json game = {{"game", g.game},
                 {"started", journal::UtcText(g.startedMs)},
                 {"ended", g.endedMs ? Json(journal::UtcText(g.endedMs)) : Json()},
                 {"stake", steps::GetInt(r.start, "stake")},
                 {"outcome", g.outcome},
                 {"win", g.win},
                 {"cashpot", r.cashpot},
                 {"open", journal::GameIsOpen(g)},
                 {"credits_before", steps::GetInt(r.start, "credits", -1)},
                 {"bank_before", steps::GetInt(r.start, "bank", -1)},
                 {"credits_after", steps::GetInt(r.end, "credits", -1)},
                 {"bank_after", steps::GetInt(r.end, "bank", -1)},
                 {"money", Json::array()},
                 {"steps", Json::array()}};
    for (const journal::MoneyStep& m : g.steps)
      game["money"].push_back({{"kind", journal::StepKindName(m.kind)},
                               {"amount", m.amount},
                               {"result", journal::StepResultName(m.result)},
                               {"reply", m.reply}});
    for (const journal::StepRow& row : r.rows) {
      steps::Fields f;
      std::string error;
      steps::Decode(row.data, f, error);
      Json fields = Json::object();
      for (const auto& [key, value] : f) fields[key] = value;
      game["steps"].push_back({{"step", row.seq},
                               {"kind", row.kind},
                               {"at_ms", row.atMs},
                               {"words", steps::Describe(row)},
                               {"fields", fields}});
    }
    list.push_back(std::move(game));
  }
  std::printf("%s\n", JsonText(Json{{"games", list}}, 1).c_str());
}

}  // namespace

int ShowGames(const std::string& path, int64_t count, bool json) {
  journal::Store store;
  std::string error;
  std::vector<journal::Game> latest;
  std::vector<Recalled> games;
  bool ok = journal::OpenStore(path, journal::OpenFor::kReading, store, error) &&
            journal::ReadLatestGames(store, count, latest, error);
  for (size_t i = 0; ok && i < latest.size(); ++i) {
    Recalled r;
    r.game = std::move(latest[i]);
    ok = journal::ReadSteps(store, r.game.game, r.rows, error);
    for (const journal::StepRow& row : r.rows) {
      std::string ignored;
      if (row.kind == "start") steps::Decode(row.data, r.start, ignored);
      if (row.kind == "end") steps::Decode(row.data, r.end, ignored);
    }
    for (const journal::MoneyStep& m : r.game.steps)
      if ((m.kind == journal::StepKind::kCashpotToBank ||
           m.kind == journal::StepKind::kCashpotToCredits) &&
          m.result == journal::StepResult::kDone)
        r.cashpot += m.amount;
    games.push_back(std::move(r));
  }
  journal::CloseStore(store);
  if (!ok) {
    std::fprintf(stderr, "meters: %s\n", error.c_str());
    return 1;
  }
  if (json)
    PrintJson(games);
  else
    PrintText(games);
  return 0;
}
