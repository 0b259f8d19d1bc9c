#include "recall.h"

#include <cstdio>
#include <vector>

#include "accounting/game_steps.h"
#include "accounting/journal_store.h"

namespace {

std::string Json(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

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
  std::printf("{\"games\": [");
  for (size_t i = 0; i < games.size(); ++i) {
    const Recalled& r = games[i];
    const journal::Game& g = r.game;
    std::printf(
        "%s\n {\"game\": %lld, \"started\": %s, \"ended\": %s, \"stake\": %lld, \"outcome\": %s, "
        "\"win\": %lld, \"cashpot\": %lld, \"open\": %s,\n  \"credits_before\": %lld, "
        "\"bank_before\": %lld, \"credits_after\": %lld, \"bank_after\": %lld,\n  \"money\": [",
        i ? "," : "", static_cast<long long>(g.game), Json(journal::UtcText(g.startedMs)).c_str(),
        g.endedMs ? Json(journal::UtcText(g.endedMs)).c_str() : "null",
        static_cast<long long>(steps::GetInt(r.start, "stake")), Json(g.outcome).c_str(),
        static_cast<long long>(g.win), static_cast<long long>(r.cashpot),
        journal::GameIsOpen(g) ? "true" : "false",
        static_cast<long long>(steps::GetInt(r.start, "credits", -1)),
        static_cast<long long>(steps::GetInt(r.start, "bank", -1)),
        static_cast<long long>(steps::GetInt(r.end, "credits", -1)),
        static_cast<long long>(steps::GetInt(r.end, "bank", -1)));
    for (size_t k = 0; k < g.steps.size(); ++k) {
      const journal::MoneyStep& m = g.steps[k];
      std::printf("%s{\"kind\": %s, \"amount\": %lld, \"result\": %s, \"reply\": %s}",
                  k ? ", " : "", Json(journal::StepKindName(m.kind)).c_str(),
                  static_cast<long long>(m.amount), Json(journal::StepResultName(m.result)).c_str(),
                  Json(m.reply).c_str());
    }
    std::printf("],\n  \"steps\": [");
    for (size_t k = 0; k < r.rows.size(); ++k) {
      const journal::StepRow& row = r.rows[k];
      steps::Fields f;
      std::string error;
      steps::Decode(row.data, f, error);
      std::printf(
          "%s\n   {\"step\": %lld, \"kind\": %s, \"at_ms\": %lld, \"words\": %s, \"fields\": {",
          k ? "," : "", static_cast<long long>(row.seq), Json(row.kind).c_str(),
          static_cast<long long>(row.atMs), Json(steps::Describe(row)).c_str());
      for (size_t j = 0; j < f.size(); ++j)
        std::printf("%s%s: %s", j ? ", " : "", Json(f[j].first).c_str(), Json(f[j].second).c_str());
      std::printf("}}");
    }
    std::printf("]}");
  }
  std::printf("\n]}\n");
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
