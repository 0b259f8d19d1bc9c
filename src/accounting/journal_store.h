// The game journal as stored: an SQLite file beside the record, written by the game and
// read by the operator's tools (meters, moneyctl). It holds, for every game, the money
// steps it took with the money server (each intent made durable before its request was
// sent, and its result after the reply), how the game ended, and the statistics record's
// last image while it is being written. Nothing here knows the platform: the game, meters
// and moneyctl all open the file by its path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace journal {

inline constexpr int kSchemaVersion = 2;  // 2: the steps of each game
// Closed games kept: older ones go, a whole run of the program at a time, never an open one.
inline constexpr int64_t kGamesKept = 1000;

// What a money step does, as stored ("stake", "prize to bank", ...).
enum class StepKind : uint8_t {
  kStake,
  kPrizeToBank,
  kPrizeToCredits,
  kCashpotToBank,
  kCashpotToCredits,
};
// How a step ended, as far as the game knows: its intent is durable ("intent") until the
// reply comes; "done" (the server accepted it), "refused" (FAIL: nothing changed) or
// "no reply" (the link broke or the reply made no sense: it may or may not have happened).
enum class StepResult : uint8_t { kIntent, kDone, kRefused, kNoReply };

const char* StepKindName(StepKind kind);
std::optional<StepKind> StepKindFromName(const std::string& name);
const char* StepResultName(StepResult result);
std::optional<StepResult> StepResultFromName(const std::string& name);
// The protocol request that carries a step ("CUSE", "BADD" or "CADD").
const char* StepVerb(StepKind kind);
bool StepToBank(StepKind kind);

struct MoneyStep {
  int64_t step = 0;  // order of sending, over all runs
  int64_t game = 0;
  int64_t run = 0;
  StepKind kind = StepKind::kStake;
  int64_t amount = 0;
  StepResult result = StepResult::kIntent;
  std::string reply;
  int64_t sentMs = 0;  // UTC milliseconds since 1970
  int64_t repliedMs = 0;
};

// How a game ended. Empty while it is in play (or was cut off by a crash).
inline constexpr const char* kOutcomeLost = "lost";
inline constexpr const char* kOutcomeWon = "won";
inline constexpr const char* kOutcomeNotPlayed = "not played";  // the stake was not taken
inline constexpr const char* kOutcomeCutShort = "cut short";    // the screen failed, no prize

struct Game {
  int64_t game = 0;
  int64_t run = 0;
  int64_t startedMs = 0;
  int64_t endedMs = 0;  // 0 while in play
  std::string outcome;
  int64_t win = 0;
  int64_t settledMs = 0;  // when an operator's settlement closed it, 0 if none
  std::string settledNote;
  std::vector<MoneyStep> steps;  // in order
};

// One start of the program: where its connection to the money server came from.
struct Run {
  int64_t run = 0;
  int64_t startedMs = 0;
  int localPort = 0;
};

// True for a game that leaves money to settle: cut short with its stake taken or unknown,
// or with a step whose outcome is unknown, or a prize the server refused, and not settled
// by an operator since.
bool GameIsOpen(const Game& game);
// Whether the game was played to its end (not cut off, and not left unplayed).
inline bool GameFinished(const Game& game) {
  return game.endedMs != 0 && game.outcome != kOutcomeCutShort && game.outcome != kOutcomeNotPlayed;
}
// "stake 50 pence taken - prize 100 pence to bank not confirmed"
std::string DescribeSteps(const Game& game);
// The event log's line for an open game, without its line end.
std::string OpenGameLine(const Game& game);

// An open database (the schema made when asked).
struct Store {
  sqlite3* db = nullptr;
  int version = 0;  // the file's format: a first-format file read as it is has no steps
};

enum class OpenFor : uint8_t { kGame, kReading, kSettling };
// kGame makes the file when it is missing; the others open only an existing journal.
bool OpenStore(const std::string& path, OpenFor use, Store& store, std::string& error);
void CloseStore(Store& store);
// Runs statements with no result; false with the database's message on a failure.
bool Exec(Store& store, const char* sql, std::string& error);

// Every game from `fromGame` on (all when 0), oldest first, with its steps.
bool ReadGames(Store& store, int64_t fromGame, std::vector<Game>& games, std::string& error);
// Every game that is open, oldest first.
bool ReadOpenGames(Store& store, std::vector<Game>& games, std::string& error);
bool ReadGame(Store& store, int64_t game, std::optional<Game>& found, std::string& error);
bool ReadRun(Store& store, int64_t run, std::optional<Run>& found, std::string& error);
// Every step of a run, in order.
bool ReadRunSteps(Store& store, int64_t run, std::vector<MoneyStep>& steps, std::string& error);

// Closes a game for good: an operator settled it (or reconcile found nothing owed).
bool MarkSettled(Store& store, int64_t game, int64_t nowMs, const std::string& note,
                 std::string& error);

int64_t NowUtcMs();
// "2026-12-09 07:14:08" (UTC) for a time in ms; "-" for 0.
std::string UtcText(int64_t ms);

}  // namespace journal

// The game's writes. Each is one transaction; the caller chooses how durable the file is
// (see OpenStore: synchronous FULL unless `SetDurable(false)` for simulations).
namespace journal {

void SetDurable(Store& store, bool durable);

bool BeginRun(Store& store, int64_t nowMs, int localPort, int64_t& run, std::string& error);
// The next game's number: past every game in the journal and past `atLeast`.
bool NextGameNumber(Store& store, int64_t atLeast, int64_t& game, std::string& error);
// The game's row (once; AddIntents makes it with its first intent when it is not there).
bool BeginGame(Store& store, int64_t game, int64_t run, int64_t nowMs, std::string& error);

struct Intent {
  StepKind kind = StepKind::kStake;
  int64_t amount = 0;
};
// The intents of the requests about to be sent, in the order they will go (with the game's
// row, the first time), with the record
// image that goes with them (null for none), in one transaction. Returns their step numbers.
bool AddIntents(Store& store, int64_t game, int64_t run, const std::vector<Intent>& intents,
                const std::string* recordImage, int64_t nowMs, std::vector<int64_t>& steps,
                std::string& error);
bool SetResult(Store& store, int64_t step, StepResult result, const std::string& reply,
               int64_t nowMs, std::string& error);
// The game's end and the record image that books it, in one transaction; older runs past
// kGamesKept go in the same one.
bool EndGame(Store& store, int64_t game, const std::string& outcome, int64_t win,
             const std::string* recordImage, int64_t nowMs, std::string& error);

// The record image written with money steps or a game's end, while it may not be in the
// record file yet. Cleared once the file is written; found at start-up, it is written again.
bool PendingRecord(Store& store, std::optional<std::string>& image, std::string& error);
bool SetPendingRecord(Store& store, const std::string& image, std::string& error);
bool ClearPendingRecord(Store& store, std::string& error);

// Drops the oldest runs whose games are all closed and past the newest kGamesKept games.
bool Prune(Store& store, std::string& error);

}  // namespace journal

// The steps of each game: what the player saw and did, in order, enough to show the game
// again and to play it again. The game keeps them in memory between money steps and writes
// them in the transaction of the next intent or of the game's end.
namespace journal {

// A game keeps at most this many steps; later ones are not kept (the last one says so).
inline constexpr int64_t kMaxStepsPerGame = 4000;

struct StepRow {
  int64_t seq = 0;   // 1, 2, ... in the order played
  std::string kind;  // "start", "modes", "wait", "pick", "turn", "collect", "end"
  int64_t atMs = 0;  // the game's clock since the game began
  std::string data;  // "key=value key=value", see game_steps.h
};

// The intents with the steps played since the last write, in one transaction.
bool AddIntentsAndSteps(Store& store, int64_t game, int64_t run, const std::vector<Intent>& intents,
                        const std::string* recordImage, const std::vector<StepRow>& rows,
                        int64_t nowMs, std::vector<int64_t>& steps, std::string& error);
// The game's end with its last steps, in one transaction.
bool EndGameWithSteps(Store& store, int64_t game, const std::string& outcome, int64_t win,
                      const std::string* recordImage, const std::vector<StepRow>& rows,
                      int64_t nowMs, std::string& error);
// The steps of one game in order (none for a first-format file).
bool ReadSteps(Store& store, int64_t game, std::vector<StepRow>& rows, std::string& error);
// The newest `count` games, newest first, with their money steps.
bool ReadLatestGames(Store& store, int64_t count, std::vector<Game>& games, std::string& error);
// The bytes the steps of a game take as stored (their text and numbers, without SQLite's
// own overhead).
bool StepBytes(Store& store, int64_t game, int64_t& bytes, std::string& error);

}  // namespace journal
