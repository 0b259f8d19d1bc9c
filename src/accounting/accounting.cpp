#include "accounting/accounting.h"

#include <string_view>

#include "accounting/game_journal.h"
#include "accounting/money_link.h"
#include "shell/pump.h"
#include "shell/timing.h"

float Balances[2];
int32_t Cashpot;
int32_t GameInProgress;
int32_t Meters[kMeterCount];
ControlTable controlTable;
int32_t winAmount;

const int32_t PayoutLevelRows[7] = {1000, 500, 250, -250, -500, -1000, -9999999};

const int16_t ControlModeRows[7][4] = {
    {0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 2}, {0, 1, 2, 3},
    {1, 2, 3, 3}, {2, 3, 4, 4}, {4, 4, 4, 4},
};

namespace {

constexpr const char* kMeterMeanings[kMeterCount] = {
    "games charged",
    "games started at balance level 1",
    "games started at balance level 2",
    "games started at balance level 3",
    "games started at balance level 4",
    "games started at balance level 5",
    "games started at balance level 6",
    "games started at balance level 7",
    "(unused)",
    "(unused)",
    "(unused)",
    "true/false rounds played",
    "true/false rounds answered wrongly",
    "games won with exactly 100",
    "games won with exactly 200",
    "games won with exactly 300",
    "games won with exactly 400",
    "games won with exactly 500",
    "games won with exactly 600",
    "games won with exactly 1000",
    "games won with exactly 2000",
    "jackpots",
    "total paid out (pence)",
    "wins at balance level 1 (pence)",
    "wins at balance level 2 (pence)",
    "wins at balance level 3 (pence)",
    "wins at balance level 4 (pence)",
    "wins at balance level 5 (pence)",
    "wins at balance level 6 (pence)",
    "wins at balance level 7 (pence)",
    "games with a win",
    "cashpots paid",
    "cashpot payouts (pence)",
    "games charged with bank below 500",
    "games charged with bank 500..999",
    "games charged with bank 1000+ or unknown",
    "seconds of play",
    "(unused)",
    "games that reached a prize",
};

// Each named meter sits where its meaning says: a meter moved in one place and not the other
// stops the build.
constexpr bool MeaningIs(Meter meter, std::string_view meaning) {
  return meaning == kMeterMeanings[meter];
}
static_assert(MeaningIs(kMeterGamesCharged, "games charged"));
static_assert(MeaningIs(kMeterGamesAtLevel1, "games started at balance level 1"));
static_assert(MeaningIs(Meter(kMeterGamesAtLevel1 + 6), "games started at balance level 7"));
static_assert(MeaningIs(kMeterTrueFalseRounds, "true/false rounds played"));
static_assert(MeaningIs(kMeterTrueFalseWrong, "true/false rounds answered wrongly"));
static_assert(MeaningIs(kMeterWonExactly100, "games won with exactly 100"));
static_assert(MeaningIs(Meter(kMeterWonExactly100 + 7), "games won with exactly 2000"));
static_assert(MeaningIs(kMeterJackpots, "jackpots"));
static_assert(MeaningIs(kMeterPaidOut, "total paid out (pence)"));
static_assert(MeaningIs(kMeterWinsAtLevel1, "wins at balance level 1 (pence)"));
static_assert(MeaningIs(Meter(kMeterWinsAtLevel1 + 6), "wins at balance level 7 (pence)"));
static_assert(MeaningIs(kMeterGamesWithAWin, "games with a win"));
static_assert(MeaningIs(kMeterCashpotsPaid, "cashpots paid"));
static_assert(MeaningIs(kMeterCashpotPayouts, "cashpot payouts (pence)"));
static_assert(MeaningIs(kMeterChargedBankBelow500, "games charged with bank below 500"));
static_assert(MeaningIs(kMeterChargedBank500To999, "games charged with bank 500..999"));
static_assert(MeaningIs(kMeterChargedBank1000Up, "games charged with bank 1000+ or unknown"));
static_assert(MeaningIs(kMeterSecondsOfPlay, "seconds of play"));
static_assert(MeaningIs(kMeterReachedPrize, "games that reached a prize"));

bool MeterIndexValid(int16_t index) {
  return index >= 0 && index < kMeterCount;
}

}  // namespace

const char* MeterMeaning(int index) {
  return index >= 0 && index < kMeterCount ? kMeterMeanings[index] : "";
}

float GetBalance(int16_t index) {
  return Balances[index];
}

void AddToBalance(uint8_t index, float amount) {
  Balances[index] += amount;
}

uint8_t BalanceLevel(int16_t index) {
  return LevelOfBalance(Balances[index]);
}

uint8_t LevelOfBalance(float x) {
  uint8_t i = 0;
  while (x < static_cast<float>(PayoutLevelRows[i]) && i < 6) ++i;
  return i;
}

// Counters wrap at the 32-bit limit.
void CountMeter(int16_t index) {
  AddToMeter(index, 1);
}

void AddToMeter(int16_t index, int16_t amount) {
  if (!MeterIndexValid(index)) return;
  Meters[index] = static_cast<int32_t>(static_cast<uint32_t>(Meters[index]) +
                                       static_cast<uint32_t>(static_cast<int32_t>(amount)));
}

int32_t GetGamesPlayed() {
  return Meters[kMeterGamesCharged];
}

void AddToCashpot(int16_t delta) {
  Cashpot += delta;
}
int32_t GetCashpot() {
  return Cashpot;
}
void ResetCashpot() {
  Cashpot = kCashpotStart;
}

bool StartControlTable(uint32_t gamesPlayed) {
  if (GameInProgress) return false;
  GameInProgress = 1;
  int level = BalanceLevel(0);
  if (level > 0 && gamesPlayed >= 1 && RandomPercent(33)) --level;
  controlTable.controlLevel = static_cast<int16_t>(level);
  const int16_t* row = ControlModeRows[level];
  controlTable.controlModePreview = row[RandomBelow(4)];
  uint32_t i = RandomBelow(4);
  controlTable.controlModeQuestion = row[i];
  i = (i + 1) % 4;
  controlTable.controlModeLives = row[i];
  i = (i + 1) % 4;
  controlTable.controlModeWinPlan = row[i];
  i = (i + 1) % 4;
  controlTable.controlModeGrid = row[i];
  return true;
}

bool EndControlTable() {
  if (!GameInProgress) return false;
  GameInProgress = 0;
  return true;
}

bool ChargeGame(const ChargeRecord& record) {
  winAmount = 0;
  // The game is in the journal before its stake is asked for.
  if (!JournalGameStart()) return false;
  if (record.start) record.start();
  if (!UseCredits(StakePerGame)) {
    if (record.notPlayed) record.notPlayed();
    JournalGameEnd(journal::kOutcomeNotPlayed, 0, nullptr);
    return false;
  }
  AddToBalance(0, -(StakePerGame * 20) / 100.0f);
  if (!(Balances[1] < -1000.0f))
    AddToBalance(1, -(StakePerGame * 10) / 100.0f);
  else
    AddToBalance(0, -(StakePerGame * 10) / 100.0f);
  CountMeter(kMeterGamesCharged);
  uint16_t bank = QueryBank();
  if (bank < 500)
    CountMeter(kMeterChargedBankBelow500);
  else if (bank < 1000)
    CountMeter(kMeterChargedBank500To999);
  else
    CountMeter(kMeterChargedBank1000Up);
  return true;
}

void SettleGame() {
  int32_t w = winAmount;
  if (w == 0) return;
  AddToMeter(static_cast<int16_t>(kMeterWinsAtLevel1 + BalanceLevel(0)), static_cast<int16_t>(w));
  AddToMeter(kMeterPaidOut, static_cast<int16_t>(w));
  CountMeter(kMeterGamesWithAWin);
  AddToBalance(0, static_cast<float>(w));
  static const int32_t kCounted[] = {100, 200, 300, 400, 500, 600, 1000, 2000};
  for (int i = 0; i < 8; ++i)
    if (w == kCounted[i]) CountMeter(static_cast<int16_t>(kMeterWonExactly100 + i));
}

void ResetAccounting() {
  Balances[0] = Balances[1] = 0.0f;
  Cashpot = 0;
  GameInProgress = 0;
  for (int32_t& m : Meters) m = 0;
  controlTable = {};
  winAmount = 0;
}
