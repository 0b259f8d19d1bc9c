// Bot players for the whole program on the headless backend: each game is paid for at
// the menu, played by touches that a bot decides from the game's own state when the game
// pumps an empty queue, and reported with what it paid.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "players.h"
#include "shell/entry.h"

namespace sim {

// A player for a number of games of a run; `forgetAfter` empties its memory of statements
// once they are played (the games that settle a cabinet teach the counted player nothing).
struct PlayStage {
  Player player;
  int games = 0;
  bool forgetAfter = false;
};

struct PlayOptions {
  int games = 1;
  uint32_t seed = 1;
  // How far the virtual clock moves at every reading: in a game (from its start pick to its
  // end), and between games, where the menu decides nothing in any game and its frames
  // then cost little. Start-up, which seeds the game's generator from the clock, runs at
  // 1 ms. A coarser game step gives the same games in fewer frames, each lasting longer.
  uint32_t gameClockStepMs = 1;
  uint32_t menuClockStepMs = 25;
  double skill = 0.7;  // the chance of a right answer
  CollectStrategy collect = CollectStrategy::Best;
  // Who plays: the stages in order, the last one playing every game after the others. When
  // empty, the uniform player of `skill` and `collect` plays them all.
  std::vector<PlayStage> stages;
  std::string shotsDir;      // PNGs of the screens of the first game; none when empty
  std::string dbPath;        // the money server's database, where coins go in
  bool keepGames = true;     // PlayResult::games holds every game's report
  bool keepScreens = false;  // every frame kept for Screen() (tests compare replays' pixels)
};

struct GameReport {
  int game = 0;
  std::string outcome;    // "lost", "collected" or "jackpot"
  int32_t win = 0;        // the prize paid, pence
  int32_t cashpot = 0;    // the cashpot paid during the game, pence
  int32_t turns = 0;      // hexagons played
  int32_t questions = 0;  // true-or-false rounds played (meter 11)
  int level = 0;          // the balance level the game was counted at (meters 1..7), 0 if none
  int controlLevel = 0;   // the control table's level, 1..7 as meters count levels
  double balance = 0;     // the main payout balance once the game was settled
  double seconds = 0;     // virtual seconds from the touch on Start to the menu again
  // From turn 61 on only questions come and nothing more can be won: a bot that could not
  // collect then answers wrongly on purpose, so that the game ends the way it must.
  bool gaveUp = false;
};

struct PlayTotals {
  int games = 0;
  int64_t staked = 0;
  int64_t paidPrizes = 0;
  int64_t paidCashpots = 0;
  int64_t inserted = 0;
  int64_t cashedOut = 0;
  int gaveUp = 0;
  // What the money server's journal shows for this run.
  int64_t serverStakes = 0;
  int64_t serverPayouts = 0;
};

// The statistics record's money as the program had it at its first menu.
struct StartState {
  bool seen = false;
  double mainBalance = 0, cashpotBalance = 0;
  int32_t cashpot = 0;  // pence
};

struct PlayResult {
  std::optional<int> exitCode;  // empty when the run stopped at its virtual-time limit
  StartState start;
  std::vector<GameReport> games;
  PlayTotals totals;
  std::vector<std::string> notes;  // shots written, problems met
  std::string error;               // why the run could not be made at all
};

PlayResult PlayGames(platform::HeadlessPlatform& system, const ServerAddress& server,
                     const PlayOptions& options,
                     const std::function<void(const GameReport&)>& onGame = nullptr);

std::string FormatGameLine(const GameReport& g);
std::string FormatGameJson(const GameReport& g);
std::string FormatTotalsLine(const PlayTotals& t);
std::string FormatTotalsJson(const PlayTotals& t);

}  // namespace sim
