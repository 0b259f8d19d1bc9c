// Settling what a crash left open between the game and the money server: every open game
// of the game's journal is matched, step by step, with the money server's journal, and each
// step is found done, not done (with what is owed) or unknown (with why).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "accounting/journal_store.h"
#include "server/ledger.h"
#include "server/money_rules.h"

namespace money {

enum class Verdict { kDone, kNotDone, kUnknown };
const char* VerdictName(Verdict verdict);

struct StepFinding {
  journal::MoneyStep step;
  Verdict verdict = Verdict::kUnknown;
  std::string why;  // "CUSE 50 is entry 123 of the money journal", ...
  int64_t seq = 0;  // the money journal's entry that made it, 0 for none
};

// Something owed to the player and the command that settles it.
struct Owed {
  std::string what;  // "refund", "pay to bank", "pay to credits"
  int64_t amount = 0;
  std::string command;
  Kind kind = Kind::kRefund;  // the settlement's journal kind
  int64_t settledBy = 0;      // the money journal's settlement entry, 0 while owed
};

struct GameFinding {
  journal::Game game;
  int64_t client = 0;   // the money server's client number of the game's run, 0 if not found
  bool inPlay = false;  // its run is still connected: nothing to decide yet
  std::vector<StepFinding> steps;
  std::vector<Owed> owed;    // with those settled already (settledBy) after the rest
  bool unknown = false;      // a step could not be decided
  bool nothingOwed = false;  // every step decided and nothing (more) owed: to be closed
  bool Owes() const {
    for (const Owed& o : owed)
      if (!o.settledBy) return true;
    return false;
  }
};

// Matches every open game of the journal with the ledger's journal. `gameDir` appears in the
// commands it proposes.
bool ReconcileGames(Ledger& ledger, journal::Store& store, const std::string& gameDir,
                    std::vector<GameFinding>& findings, std::string& error);

// Every run of the journal matched from its first step, open games or not: for checking
// that the two journals agree (a crash test).
struct RunAudit {
  int64_t run = 0;
  int64_t client = 0;
  std::vector<StepFinding> steps;
  std::vector<std::string> problems;  // a step seen done that the server lacks, a change
                                      // of the connection no step accounts for
};
bool AuditRuns(Ledger& ledger, journal::Store& store, std::vector<RunAudit>& runs,
               std::string& error);

// The game journal of a game folder.
std::string GameJournalPath(const std::string& gameDir);

// One open game's finding; false with the reason when it is not open in the game's journal.
bool ReconcileGame(Ledger& ledger, const std::string& gameDir, int64_t game, GameFinding& finding,
                   std::string& error);
// Before an operator's settlement: the game must be open and owe this (kind and amount) still,
// or have a step reconcile cannot decide (then the operator's judgement stands).
bool CheckGameToSettle(Ledger& ledger, const std::string& gameDir, int64_t game, Kind kind,
                       int64_t amount, std::string& error);
// After it: the game is closed in the game's journal with what settled it.
bool MarkGameSettled(const std::string& gameDir, int64_t game, const std::string& what,
                     std::string& error);

// moneyctl reconcile GAME_DIR [--json]: prints the findings, closes what reconcile found
// settled already, and returns 0 when nothing is left to settle, 1 otherwise.
int RunReconcile(Ledger& ledger, const std::string& gameDir, bool json);

}  // namespace money
