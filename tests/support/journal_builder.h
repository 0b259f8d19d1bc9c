// Game journals made for tests through the store the game writes with: a run, then games
// with their money steps and results, as the game would have left them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accounting/journal_store.h"

namespace testing_support {

struct BuiltStep {
  journal::StepKind kind;
  int64_t amount;
  journal::StepResult result;
};

struct BuiltGame {
  std::vector<BuiltStep> steps;
  const char* outcome = nullptr;  // null: cut off in play
  int64_t win = 0;
  // Steps played: written with the first intent; the rest (from `stepsAtEnd` on) with the end.
  std::vector<journal::StepRow> played = {};
  size_t stepsAtEnd = 0;
};

// Appends one run (from `localPort`, started at `startedMs`) holding the games, numbered
// from the journal's next number on. Returns the run's number.
inline int64_t AddRun(const std::string& path, int localPort, int64_t startedMs,
                      const std::vector<BuiltGame>& games) {
  journal::Store store;
  std::string error;
  int64_t run = 0;
  EXPECT_TRUE(journal::OpenStore(path, journal::OpenFor::kGame, store, error)) << error;
  journal::SetDurable(store, false);
  EXPECT_TRUE(journal::BeginRun(store, startedMs, localPort, run, error)) << error;
  int64_t at = startedMs;
  for (const BuiltGame& g : games) {
    int64_t game = 0;
    EXPECT_TRUE(journal::NextGameNumber(store, 0, game, error)) << error;
    EXPECT_TRUE(journal::BeginGame(store, game, run, ++at, error)) << error;
    const size_t split = g.stepsAtEnd ? g.stepsAtEnd : g.played.size();
    std::vector<journal::StepRow> first(g.played.begin(), g.played.begin() + split);
    std::vector<journal::StepRow> last(g.played.begin() + split, g.played.end());
    for (const BuiltStep& s : g.steps) {
      std::vector<int64_t> steps;
      EXPECT_TRUE(journal::AddIntentsAndSteps(store, game, run, {{s.kind, s.amount}}, nullptr,
                                              first, ++at, steps, error))
          << error;
      first.clear();
      if (s.result != journal::StepResult::kIntent) {
        EXPECT_TRUE(journal::SetResult(store, steps.at(0), s.result, "", ++at, error)) << error;
      }
    }
    if (g.outcome) {
      EXPECT_TRUE(
          journal::EndGameWithSteps(store, game, g.outcome, g.win, nullptr, last, ++at, error))
          << error;
    }
  }
  journal::CloseStore(store);
  return run;
}

}  // namespace testing_support
