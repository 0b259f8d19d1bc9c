// The game's accounting: two payout balances that every stake is charged to and every
// win credited back to, the control table their state draws for each game, the cashpot
// and the 39 statistics meters.
#pragma once

#include <cstdint>

inline constexpr int kMeterCount = 39;

// The meters by what they count (the index into Meters; MeterMeaning has the full list).
// The runs of meters by balance level or by prize are named by their first.
enum Meter : int16_t {
  kMeterGamesCharged = 0,
  kMeterGamesAtLevel1 = 1,  // 1..7: games started at main balance level 1..7
  kMeterTrueFalseRounds = 11,
  kMeterTrueFalseWrong = 12,
  kMeterWonExactly100 = 13,  // 13..20: games won with exactly one of the counted prizes
  kMeterJackpots = 21,
  kMeterPaidOut = 22,       // pence
  kMeterWinsAtLevel1 = 23,  // 23..29: pence won at main balance level 1..7
  kMeterGamesWithAWin = 30,
  kMeterCashpotsPaid = 31,
  kMeterCashpotPayouts = 32,  // pence
  kMeterChargedBankBelow500 = 33,
  kMeterChargedBank500To999 = 34,
  kMeterChargedBank1000Up = 35,  // or the bank unknown
  kMeterSecondsOfPlay = 36,
  kMeterReachedPrize = 38,
};
inline constexpr int32_t kCashpotStart = 100;

struct ControlTable {
  int16_t controlLevel;
  int16_t controlModePreview;
  int16_t controlModeQuestion;
  int16_t controlModeLives;
  int16_t controlModeGrid;
  int16_t controlModeWinPlan;
};

extern float Balances[2];  // 0: the main payout balance, 1: the cashpot fund
extern int32_t Cashpot;    // the cashpot prize in pence
extern int32_t GameInProgress;
extern int32_t Meters[kMeterCount];
extern ControlTable controlTable;
extern int32_t winAmount;  // this game's win in pence

extern const int32_t PayoutLevelRows[7];
extern const int16_t ControlModeRows[7][4];

// What each meter counts, for operators' tools.
const char* MeterMeaning(int index);

float GetBalance(int16_t index);
void AddToBalance(uint8_t index, float amount);
uint8_t BalanceLevel(int16_t index);
// The level, 0..6, that a main balance of this value stands at.
uint8_t LevelOfBalance(float balance);
void CountMeter(int16_t index);
void AddToMeter(int16_t index, int16_t amount);
int32_t GetGamesPlayed();
void AddToCashpot(int16_t delta);
int32_t GetCashpot();
void ResetCashpot();
bool StartControlTable(uint32_t gamesPlayed);
bool EndControlTable();
// What the game's record does as a game is charged: `start` once the game is in the journal
// and before its stake is asked for, `notPlayed` when the stake is refused. Either may be null.
struct ChargeRecord {
  void (*start)() = nullptr;
  void (*notPlayed)() = nullptr;
};
bool ChargeGame(const ChargeRecord& record = {});
void SettleGame();

// Back to the state of a program that has just started (nothing loaded yet).
void ResetAccounting();
