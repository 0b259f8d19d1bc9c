#include "sim_play.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <unordered_set>
#include <vector>

#include "accounting/accounting.h"
#include "cli/json_text.h"
#include "frontend/buttons.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_flow.h"
#include "game/game_record.h"
#include "game/lives.h"
#include "game/points.h"
#include "questions/question_packs.h"
#include "server/ledger.h"
#include "sim_run.h"
#include "sound/sound.h"

namespace sim {
namespace {

constexpr int32_t kStake = 50;
constexpr int64_t kCreditLimit = 9999;  // the most a coin can bring the credits to
constexpr int64_t kCoin = 500;
constexpr int64_t kBankCashOut = 9000;  // a cabinet's bank is paid out now and then

struct Point {
  int x, y;
};
Point Centre(const Button& b) {
  return {b.x + b.width / 2, b.y + b.height / 2};
}

class Bot {
 public:
  Bot(const PlayOptions& options, money::Ledger& ledger, PlayResult& result,
      const std::function<void(const GameReport&)>& onGame)
      : options_(options),
        ledger_(ledger),
        result_(result),
        onGame_(onGame),
        random_(options.seed),
        shooting_(!options.shotsDir.empty()) {
    if (options.stages.empty()) {
      PlayStage all;
      all.player = UniformPlayer(options.skill);
      all.player.collect = options.collect;
      stages_.push_back(all);
    } else {
      stages_ = options.stages;
    }
    player_ = &stages_[0].player;
  }

  void OnIdle(platform::HeadlessPlatform& p) {
    now_ = p.Now();
    if (shooting_) TakeShots(p);
    const Button* list = ActiveButtonWait();
    // The game has returned once it has added its length to meter 36.
    if (inGame_ && !gameOver_ && Meters[kMeterSecondsOfPlay] != startPlaySeconds_) {
      gameOver_ = true;
      endTime_ = now_;
      p.SetStep(options_.menuClockStepMs);
    }
    if (!list) return;
    if (list == MenuButtons) p.SetStep(options_.menuClockStepMs);
    if (list == MenuButtons && !result_.start.seen)
      result_.start = {true, Balances[0], Balances[1], Cashpot};
    if (ButtonWaitSerial() != serial_) {
      serial_ = ButtonWaitSerial();
      RememberAnswer();
      planned_ = false;
      if (list == MenuButtons) AtMenu(p);
    }
    if (!planned_) {
      Plan(list);
      KeepScreenWhileShooting(p);
      planned_ = true;
    }
    if (now_ >= touchAt_) {
      p.Touch(touch_.x, touch_.y);
      // A touch that the wait did not take is decided again after a while.
      planned_ = false;
      touchAt_ = now_ + 1000;
    }
    // A clock that skips idle time must not pass the bot's touch, nor a shot's moment.
    p.WakeDriverAt(shooting_ ? now_ + 1 : touchAt_);
  }

  void Finish() {
    if (inGame_) EndGame();
  }

 private:
  uint32_t Between(uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random_);
  }

  void AtMenu(platform::HeadlessPlatform& p) {
    if (inGame_) EndGame();
    if (played_ >= options_.games) {
      Aim(Centre(MenuButtons[0]), Between(300, 800));  // Main Menu ends the program
      return;
    }
    MakeMoney();
    // A long run keeps only what happened since the last menu.
    p.ForgetHistory();
    Aim(Centre(MenuButtons[2]), Between(40, 120));
    startMeters_ = Meters[kMeterGamesCharged];
    startWins_ = {Meters[kMeterJackpots], Meters[kMeterCashpotPayouts]};
    std::copy_n(Meters + kMeterGamesAtLevel1, startLevels_.size(), startLevels_.begin());
    startQuestions_ = Meters[kMeterTrueFalseRounds];
    waitingForCharge_ = true;
  }

  // Credits and bank as the game reads them must cover the stake.
  void MakeMoney() {
    money::Totals t;
    std::string error;
    if (!money::ReadTotals(ledger_, t, error)) {
      result_.notes.push_back("cannot read the money server's totals: " + error);
      return;
    }
    if (t.bank >= kBankCashOut) {
      money::RecordResult r = money::Record(ledger_, {money::Kind::kCashout, 0, 0, "strikora-sim"});
      if (r.outcome == money::Outcome::kApplied) {
        result_.totals.cashedOut += r.decision.amount;
        t = r.after;
      }
    }
    // The game reads a total of 10,000p or more as 9,999p, the most its panels hold.
    int64_t seen = std::min<int64_t>(t.credits, 9999) + std::min<int64_t>(t.bank, 9999);
    if (seen >= kStake) return;
    int64_t coin = std::min(kCoin, kCreditLimit - t.credits);
    if (coin <= 0) return;
    money::RecordResult r = money::Record(ledger_, {money::Kind::kInsert, 0, coin, "strikora-sim"});
    if (r.outcome == money::Outcome::kApplied)
      result_.totals.inserted += coin;
    else
      result_.notes.push_back("the coin of " + std::to_string(coin) + "p was not taken");
  }

  void Aim(Point at, uint32_t delay) {
    touch_ = at;
    touchAt_ = now_ + delay;
  }

  void Plan(const Button* list) {
    if (list == MenuButtons) {
      // Decided when the menu came up; only a touch that was not taken comes here.
      Aim(Centre(MenuButtons[played_ >= options_.games ? 0 : 2]), 200);
    } else if (list == LivesPickButtons) {
      StartGameIfCharged();
      Aim(Centre(LivesPickButtons[Between(0, 2)]), Between(500, 2000));
    } else if (list == BoardButtons) {
      PlanBoard();
    } else if (list == TrueFalseButtons) {
      PlanAnswer();
    }
  }

  void StartGameIfCharged() {
    if (!waitingForCharge_ || Meters[kMeterGamesCharged] == startMeters_) return;
    waitingForCharge_ = false;
    inGame_ = true;
    gameOver_ = false;
    ++played_;
    ChoosePlayer();
    startTime_ = now_;
    startPlaySeconds_ = Meters[kMeterSecondsOfPlay];
  }

  // Frames are kept only while the first game's shots are being taken.
  void KeepScreenWhileShooting(platform::HeadlessPlatform& p) {
    p.KeepScreen(shooting_ || options_.keepScreens);
  }

  bool PointsLeftOnBoard() const {
    for (const Hexagon& h : axHexagons)
      if (h.selectable && PointsOfType(h.type) > 0) return true;
    return false;
  }

  // Nothing more can be won from turn 61 on, when every hexagon is a question.
  bool OnlyQuestionsLeft() const { return turnCount >= 60; }

  void PlanBoard() {
    int32_t prize = HighestPrizeReached();
    bool collect = false;
    if (prize > 0) {
      switch (player_->collect) {
        case CollectStrategy::First:
          collect = true;
          break;
        case CollectStrategy::Best:
          collect = !PointsLeftOnBoard() || OnlyQuestionsLeft();
          break;
        case CollectStrategy::Never:
          break;
      }
    }
    if (collect) {
      Aim(Centre(BoardButtons[kCollectButton]), Between(500, 2500));
      return;
    }
    int choices[kHexagons], n = 0;
    if (player_->pick == HexagonPick::Preview)
      n = PreferredHexagons(choices);
    else
      for (int i = 0; i < kHexagons; ++i)
        if (IsSelectable(i)) choices[n++] = i;
    if (n == 0) return;  // the countdown ends the wait
    Aim(Centre(BoardButtons[choices[Between(0, static_cast<uint32_t>(n - 1))]]),
        Between(player_->pickMs[0], player_->pickMs[1]));
  }

  // How much a player that saw hexagon i's face wants it: boots, then points (the more the
  // better), extra lives and reveals, then any face it does not remember, questions last.
  static int Want(int32_t type) {
    if (type == kHexBoot) return 1000000;
    if (int32_t points = PointsOfType(type)) return 1000 + points / 1000;
    if (type == kHexExtraLife || type == kHexReveal) return 500;
    return 0;
  }

  // The selectable hexagons the player wants most, from the faces of this board's preview it
  // remembers (each with chance `recall`, drawn once a board).
  int PreferredHexagons(int* choices) {
    const int board = played_ * 4 + turnCount / 20;
    if (board != rememberedBoard_) {
      rememberedBoard_ = board;
      for (bool& r : remembered_)
        r = std::uniform_real_distribution<double>(0, 1)(random_) < player_->recall;
    }
    int best = -1, n = 0;
    for (int i = 0; i < kHexagons; ++i) {
      if (!IsSelectable(i)) continue;
      // A face not remembered is worth more than a question, less than anything else.
      int want = remembered_[i] ? Want(axHexagons[i].type) : 100;
      if (remembered_[i] && want == 0) want = 1;
      if (want > best) {
        best = want;
        n = 0;
      }
      if (want == best) choices[n++] = i;
    }
    return n;
  }

  // The player of the game just started, and what it forgets between stages.
  void ChoosePlayer() {
    int before = 0;
    for (size_t s = 0; s < stages_.size(); ++s) {
      const bool last = s + 1 == stages_.size();
      if (last || played_ <= before + stages_[s].games) {
        player_ = &stages_[s].player;
        break;
      }
      before += stages_[s].games;
      if (played_ == before + 1 && stages_[s].forgetAfter) known_.clear();
    }
  }

  // Once a question's wait is over, a player with a memory keeps its answer.
  void RememberAnswer() {
    if (asked_ >= 0 && player_->memorises) known_.insert(asked_);
    asked_ = -1;
  }

  void PlanAnswer() {
    int32_t correct = GetCorrectAnswer();
    bool giveUp = OnlyQuestionsLeft();
    if (giveUp) gaveUp_ = true;
    if (!player_->uniform && !giveUp) {
      PlanKnownAnswer(correct);
      return;
    }
    bool right = !giveUp && std::uniform_real_distribution<double>(0, 1)(random_) < player_->skill;
    if (!right && !giveUp && revealCount > 0) {
      Aim(Centre(TrueFalseButtons[2]), Between(1000, 4000));
      return;
    }
    bool sayTrue = right ? correct == 1 : correct == 0;
    Aim(Centre(TrueFalseButtons[sayTrue ? 0 : 1]), giveUp ? 200 : Between(1000, 6000));
  }

  // A table player knows the answer, or remembers it, or is unsure: then it spends a token
  // if it would, or guesses.
  void PlanKnownAnswer(int32_t correct) {
    const int32_t pack = GetQuestionPack();
    const int category = pack >= 0 && pack < kPackCount ? packTable[pack].category : 25;
    asked_ = pack >= 0 ? int64_t(pack) << 32 | uint32_t(GetQuestionLine()) : -1;
    const double knows = 2 * player_->accuracy[ClassOfCategory(category)] - 1;
    const bool remembered = asked_ >= 0 && known_.count(asked_) > 0;
    const bool right = remembered || std::uniform_real_distribution<double>(0, 1)(random_) < knows;
    const uint32_t delay = Between(player_->answerMs[0], player_->answerMs[1]);
    if (!right && player_->revealWhenUnsure && revealCount > 0) {
      Aim(Centre(TrueFalseButtons[2]), delay);
      return;
    }
    const bool sayTrue = right ? correct == 1 : Between(0, 1) == 1;
    Aim(Centre(TrueFalseButtons[sayTrue ? 0 : 1]), delay);
  }

  void EndGame() {
    RememberAnswer();
    inGame_ = false;
    shooting_ = false;
    GameReport g;
    g.game = played_;
    g.win = winAmount;
    g.cashpot = Meters[kMeterCashpotPayouts] - startWins_[1];
    bool jackpot = Meters[kMeterJackpots] != startWins_[0];
    g.outcome = jackpot ? "jackpot" : winAmount > 0 ? "collected" : "lost";
    // The turn that collects is not played; the turn that ends a game otherwise is.
    g.turns = turnCount + (g.outcome == "collected" ? 0 : 1);
    g.seconds = ((gameOver_ ? endTime_ : now_) - startTime_) / 1000.0;
    g.gaveUp = gaveUp_;
    gaveUp_ = false;
    g.questions = Meters[kMeterTrueFalseRounds] - startQuestions_;
    for (int i = 0; i < 7; ++i)
      if (Meters[kMeterGamesAtLevel1 + i] != startLevels_[i]) g.level = i + 1;
    g.controlLevel = controlTable.controlLevel + 1;
    g.balance = Balances[0];
    PlayTotals& t = result_.totals;
    ++t.games;
    t.staked += kStake;
    t.paidPrizes += g.win;
    t.paidCashpots += g.cashpot;
    if (g.gaveUp) ++t.gaveUp;
    if (options_.keepGames) result_.games.push_back(g);
    if (onGame_) onGame_(g);
  }

  // The screens of the first game, each once, as the bot meets them.
  void Shot(platform::HeadlessPlatform& p, const std::string& name) {
    if (!shotsTaken_.insert(name).second || p.Screen().empty()) return;
    std::string path = options_.shotsDir + "/" + name + ".png", error;
    if (platform::WritePng565(path, p.Screen().data(), platform::kScreenWidth,
                              platform::kScreenHeight, &error))
      result_.notes.push_back("shot " + name + ": " + path);
    else
      result_.notes.push_back("shot " + name + ": " + error);
  }

  void TakeShots(platform::HeadlessPlatform& p) {
    const Button* list = ActiveButtonWait();
    // Just before the bot's touch, the screen has settled.
    bool aboutToTouch = list && planned_ && now_ + 20 >= touchAt_ && serial_ == ButtonWaitSerial();
    if (aboutToTouch && list == MenuButtons) Shot(p, "menu");
    if (aboutToTouch && list == LivesPickButtons) Shot(p, "start-pick");
    if (aboutToTouch && list == BoardButtons) Shot(p, collectAvailable ? "board-collect" : "board");
    if (aboutToTouch && list == TrueFalseButtons) Shot(p, "question");
    if (!list) {
      for (const platform::SoundEvent& e : p.Sound().Events()) {
        if (e.kind != platform::SoundEvent::Kind::Start) continue;
        uint32_t age = now_ - e.atMs;
        if (e.name == soundFiles[kSoundAddPoints] && age >= 500 && age < 900) Shot(p, "points");
        if (e.name == soundFiles[kSoundCashpotWin] && age >= 500 && age < 900) Shot(p, "cashpot");
        if (e.name == soundFiles[kSoundGameOver] && age >= 1500 && age < 2500) Shot(p, "game-over");
      }
      if (GameState == GameWon && winAmount > 0) {
        if (!wonSeenAt_) wonSeenAt_ = now_;
        if (now_ - wonSeenAt_ >= 600) Shot(p, "prize");
      }
    }
  }

  const PlayOptions& options_;
  std::vector<PlayStage> stages_;
  const Player* player_;
  std::unordered_set<int64_t> known_;  // the statements remembered: pack << 32 | line
  int64_t asked_ = -1;                 // the statement of the question being answered
  int rememberedBoard_ = -1;
  std::array<bool, kHexagons> remembered_{};
  money::Ledger& ledger_;
  PlayResult& result_;
  const std::function<void(const GameReport&)>& onGame_;
  std::mt19937 random_;
  uint32_t now_ = 0;
  uint32_t serial_ = 0;
  bool planned_ = false;
  bool gameOver_ = false;
  Point touch_{0, 0};
  uint32_t touchAt_ = 0;
  int played_ = 0;
  bool inGame_ = false, waitingForCharge_ = false, gaveUp_ = false;
  bool shooting_;  // the menu and the first game
  int32_t startMeters_ = 0;
  uint32_t startTime_ = 0, endTime_ = 0, wonSeenAt_ = 0;
  int32_t startPlaySeconds_ = 0;  // meter 36 when the game began
  std::array<int32_t, 2> startWins_{};
  std::array<int32_t, 7> startLevels_{};
  int32_t startQuestions_ = 0;
  std::set<std::string> shotsTaken_;
};

// The stakes and payouts the server journalled after row `after`.
bool SumJournal(money::Ledger& ledger, int64_t after, PlayTotals& t, int64_t* lastSeq,
                std::string& error) {
  return money::ForEachJournalRow(
      ledger, 0,
      [&](const money::JournalRow& row) {
        if (lastSeq) *lastSeq = row.seq;
        if (row.seq <= after) return;
        if (row.kind == "CUSE") t.serverStakes += row.amount;
        if (row.kind == "BADD" || row.kind == "CADD") t.serverPayouts += row.amount;
      },
      error);
}

}  // namespace

PlayResult PlayGames(platform::HeadlessPlatform& system, const ServerAddress& server,
                     const PlayOptions& options,
                     const std::function<void(const GameReport&)>& onGame) {
  PlayResult result;
  money::Ledger ledger;
  std::string error;
  if (!money::OpenLedger(options.dbPath, money::OpenMode::kExisting, ledger, error)) {
    result.error = "cannot open the money server's database " + options.dbPath + ": " + error;
    return result;
  }
  PlayTotals before;
  int64_t startSeq = 0;
  if (!SumJournal(ledger, INT64_MAX, before, &startSeq, error)) {
    result.error = "cannot read the money server's journal: " + error;
    money::CloseLedger(ledger);
    return result;
  }
  if (!options.shotsDir.empty()) std::filesystem::create_directories(options.shotsDir);

  Bot bot(options, ledger, result, onGame);
  system.SetDriver([&bot](platform::HeadlessPlatform& p) { bot.OnIdle(p); });
  // Every game runs at the game's pace from its start (its replay does the same).
  SetGameStartHook([&system, &options] { system.SetStep(options.gameClockStepMs); });
  result.exitCode = RunToExit(system, server, result.notes);
  SetGameStartHook(nullptr);
  system.SetDriver(nullptr);
  bot.Finish();
  if (!SumJournal(ledger, startSeq, result.totals, nullptr, error))
    result.notes.push_back("cannot read the money server's journal: " + error);
  money::CloseLedger(ledger);
  return result;
}

std::string FormatGameLine(const GameReport& g) {
  char line[200];
  std::snprintf(line, sizeof line, "game %d: %s, win %dp, cashpot %dp, %d turns, %.1f s%s", g.game,
                g.outcome.c_str(), g.win, g.cashpot, g.turns, g.seconds,
                g.gaveUp ? " (gave up after turn 60)" : "");
  return line;
}

std::string FormatGameJson(const GameReport& g) {
  return JsonText(Json{{"game", g.game},
                       {"outcome", g.outcome},
                       {"win", g.win},
                       {"cashpot", g.cashpot},
                       {"turns", g.turns},
                       {"seconds", g.seconds},
                       {"gave_up", g.gaveUp}});
}

namespace {

// The totals once, named for both forms of the report.
struct TotalsField {
  const char* json;
  const char* text;
  int64_t value;
  bool pence;
};

std::vector<TotalsField> TotalsFields(const PlayTotals& t) {
  return {{"games", "games", t.games, false},
          {"staked", "staked", t.staked, true},
          {"paid_prizes", "paid in prizes", t.paidPrizes, true},
          {"paid_cashpots", "paid in cashpots", t.paidCashpots, true},
          {"inserted", "inserted", t.inserted, true},
          {"cashed_out", "cashed out", t.cashedOut, true},
          {"gave_up", "gave up", t.gaveUp, false},
          {"server_stakes", "the server took", t.serverStakes, true},
          {"server_payouts", "the server paid", t.serverPayouts, true}};
}

}  // namespace

std::string FormatTotalsLine(const PlayTotals& t) {
  std::string line;
  for (const TotalsField& f : TotalsFields(t))
    line += (line.empty() ? "" : ", ") + std::string(f.text) + " " + std::to_string(f.value) +
            (f.pence ? "p" : "");
  return line;
}

std::string FormatTotalsJson(const PlayTotals& t) {
  Json totals = Json::object();
  for (const TotalsField& f : TotalsFields(t)) totals[f.json] = f.value;
  return JsonText(totals);
}

}  // namespace sim
