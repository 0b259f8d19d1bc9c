// A recorded game played again on the headless backend: the program starts in a folder of
// its own (the cabinet's content, a fresh data folder), a scripted money server answers as
// the record says (nothing reaches the real one), the menu's Start is touched, and the game
// starts from the recorded state (generator, balances, cashpot, games played). Each wait
// gets the recorded touch at the recorded moment; every step the game records is checked
// against the record as it comes, and the replay stops at the first that differs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "accounting/journal_store.h"

namespace sim {

struct ReplayOptions {
  std::string gameDir;   // the cabinet's folder: content read, nothing written
  std::string shotsDir;  // a PNG a step and sheet.png; none when empty
  // Real-window games ran on a real clock: their moments are only near the record's, so
  // the times of the steps are not compared (the rest is).
  bool looseTime = false;
  uint32_t gameClockStepMs = 1, menuClockStepMs = 25;  // as strikora-sim play runs
  bool blind = false;  // no pixels drawn (no pictures; the steps are checked all the same)
  // Called with each step that matched and the screen then (tests compare pixels).
  std::function<void(const journal::StepRow&, const std::vector<uint16_t>&)> onStep;
};

struct ReplayResult {
  std::string error;  // the replay could not be made at all (no such game, no folder...)
  bool identical = false;
  size_t recorded = 0, matched = 0;  // steps
  std::string difference;            // "step 12 (turn): ..." for the first that differs
  std::vector<std::string> notes;    // pictures written
};

// The game's row, its money steps and its steps from the journal.
bool LoadRecordedGame(const std::string& journalPath, int64_t game, journal::Game& found,
                      std::vector<journal::StepRow>& rows, std::string& error);
ReplayResult ReplayRecorded(const journal::Game& game, const std::vector<journal::StepRow>& rows,
                            const ReplayOptions& options);

}  // namespace sim
