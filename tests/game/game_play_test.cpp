// Whole games end to end: the real pictures, sounds and packs, a real moneyd, touches
// decided from the game's state at every wait, and what the game paid, counted, logged
// and showed.
#include <optional>

#include "accounting/accounting.h"
#include "accounting/record_file.h"
#include "frontend/buttons.h"
#include "frontend_fixture.h"
#include "game/board.h"
#include "game/game_flow.h"
#include "game/points.h"
#include "questions/countdown.h"
#include "questions/question_packs.h"
#include "server/ledger.h"
#include "sound/sound.h"

namespace {

struct Point {
  int x, y;
};
Point Centre(const Button& b) {
  return {b.x + b.width / 2, b.y + b.height / 2};
}

struct Wait {
  const Button* list;
  uint32_t start, end = 0;
};

class GamePlayTest : public FrontendTest {
 protected:
  // A main balance of 50.00 keeps every control mode at 0: win plan 0, one life, grid 0.
  void WriteRecord(int32_t cashpot) {
    std::filesystem::create_directory(dir_ / "data");
    RecordImage r;
    r.balances[0] = 5000.0f;
    r.cashpot = cashpot;
    r.dateWord = "12/08/26";
    testing_support::WriteFile(dir_ / "data/Zemblar.rec", EncodeRecord(r));
  }

  using Decide = std::function<std::optional<Point>(const Button* list)>;
  // At every new wait the test decides a touch, made `delay` ms later; the menus start
  // `games` games and then end the program.
  void Play(int games, Decide decide, uint32_t delay = 400) {
    system_.SetDriver([this, games, decide, delay](platform::HeadlessPlatform& p) {
      const Button* list = ActiveButtonWait();
      if (list && ButtonWaitSerial() != serial_) {
        serial_ = ButtonWaitSerial();
        if (!waits_.empty() && !waits_.back().end) waits_.back().end = p.Now();
        waits_.push_back({list, p.Now()});
        std::optional<Point> at;
        if (list == MenuButtons)
          at = Centre(MenuButtons[menus_++ < games ? 2 : 0]);
        else
          at = decide(list);
        touchAt_ = at ? p.Now() + delay : UINT32_MAX;
        if (at) touch_ = *at;
      }
      if (!list && !waits_.empty() && !waits_.back().end) waits_.back().end = p.Now();
      // The screens a test keeps, once each wait has drawn a few frames.
      if (list && p.Now() - waits_.back().start >= 300) {
        if (list == BoardButtons && boardShown_.empty()) boardShown_ = p.Screen();
        if (list == TrueFalseButtons && question_.empty()) question_ = p.Screen();
      }
      if (p.Now() >= touchAt_) {
        p.Touch(touch_.x, touch_.y);
        touchAt_ = UINT32_MAX;
      }
      if (watch_) watch_(p);
    });
  }

  std::vector<uint32_t> SoundStarts(int id) {
    std::vector<uint32_t> at;
    for (const platform::SoundEvent& e : system_.Sound().Events())
      if (e.kind == platform::SoundEvent::Kind::Start && e.name == soundFiles[id])
        at.push_back(e.atMs);
    return at;
  }
  RecordImage Record() {
    std::string bytes = testing_support::ReadFile(dir_ / "data/Zemblar.rec");
    RecordImage r;
    DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), r);
    return r;
  }
  std::string Log() { return testing_support::ReadFile(dir_ / "~system/logs/SKV.txt"); }
  // The money the server moved, as "KIND amount" in journal order.
  std::vector<std::string> Moves() {
    money::Ledger ledger;
    std::string error;
    std::vector<std::string> moves;
    if (!money::OpenLedger(dir_ / "money.db", money::OpenMode::kExisting, ledger, error))
      return {"cannot open: " + error};
    money::ForEachJournalRow(
        ledger, 0,
        [&](const money::JournalRow& row) {
          if (row.kind == "CUSE" || row.kind == "BADD" || row.kind == "CADD")
            moves.push_back(row.kind + " " + std::to_string(row.amount));
        },
        error);
    money::CloseLedger(ledger);
    return moves;
  }
  void ExpectVerified() {
    std::string v = Money({"verify"});
    EXPECT_NE(v.find("add up to the totals"), std::string::npos) << v;
  }
  int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // The first board wait turns the given hexagons into these types; later board waits
  // touch them in order, then the collect button when `collect`.
  Decide PlayHexagons(std::vector<std::pair<int, int32_t>> plan, bool collect) {
    return [this, plan, collect](const Button* list) -> std::optional<Point> {
      if (list == LivesPickButtons) return Centre(LivesPickButtons[0]);
      if (list == TrueFalseButtons)
        return Centre(TrueFalseButtons[GetCorrectAnswer() == 1 ? 0 : 1]);
      if (list != BoardButtons) return std::nullopt;
      if (next_ == 0)
        for (auto [i, type] : plan) axHexagons[i].type = type;
      if (next_ < plan.size()) return Centre(BoardButtons[plan[next_++].first]);
      if (collect) return Centre(BoardButtons[kCollectButton]);
      return std::nullopt;
    };
  }

  uint32_t serial_ = 0, touchAt_ = UINT32_MAX;
  Point touch_{0, 0};
  int menus_ = 0;
  size_t next_ = 0;
  std::vector<Wait> waits_;
  std::function<void(platform::HeadlessPlatform&)> watch_;
  std::vector<uint16_t> boardShown_, question_;
};

TEST_F(GamePlayTest, AnUntouchedGameRunsOutOfTimeAndIsLostWithTheGameOverClip) {
  WriteRecord(100);
  Money({"insert", "100"});
  std::vector<uint16_t> startPick;
  Play(1, [&](const Button* list) -> std::optional<Point> {
    if (list == LivesPickButtons && startPick.empty()) startPick = system_.Screen();
    return std::nullopt;
  });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("game-start-pick", startPick), "");

  std::string log = Log();
  EXPECT_NE(log.find(" - controlTable.controlModeGrid = 0\n"), std::string::npos) << log;
  EXPECT_EQ(Count(log, " - LOSE GAME\n"), 1) << log;
  EXPECT_EQ(Count(log, "JACKPOT"), 0);
  EXPECT_EQ(SoundStarts(kSoundGameOver).size(), 1u);
  // One life: the second question that runs out of time loses the game.
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[0], 1);
  EXPECT_EQ(rec.meters[11], 2);
  EXPECT_EQ(rec.meters[12], 2);
  EXPECT_EQ(rec.meters[22], 0);
  EXPECT_EQ(rec.meters[30], 0);
  EXPECT_EQ(rec.cashpot, 105);
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50"}));
  ExpectVerified();

  // The waits, timed on the virtual clock (frames are at least 15 ms apart): the start pick
  // gives its full 10 s; the board, whose bar is drawn, ends when about 200 ms would be
  // left; a question gives 20 s from the end of its typing and ends when about 1,400 ms
  // would be left.
  const Wait* board = nullptr;
  const Wait* question = nullptr;
  for (const Wait& w : waits_) {
    if (w.list == LivesPickButtons) {
      EXPECT_GE(w.end - w.start, 10000u);
      EXPECT_LT(w.end - w.start, 10040u);
    }
    if (w.list == BoardButtons && !board) board = &w;
    if (w.list == TrueFalseButtons && !question) question = &w;
  }
  ASSERT_TRUE(board && question);
  EXPECT_GE(board->end - board->start, 9800u);
  EXPECT_LT(board->end - board->start, 9860u);
  EXPECT_GE(question->end - question->start, 18600u);
  EXPECT_LT(question->end - question->start, 18700u);
  std::vector<uint32_t> ticks, typing;
  for (uint32_t t : SoundStarts(kSoundTimer))
    if (t >= board->start && t <= board->end) ticks.push_back(t);
  ASSERT_GE(ticks.size(), 24u);
  EXPECT_LE(ticks.size(), 25u);
  for (size_t i = 1; i < ticks.size(); ++i) {
    EXPECT_GE(ticks[i] - ticks[i - 1], 400u);
    EXPECT_LE(ticks[i] - ticks[i - 1], 420u);
  }
  for (uint32_t t : SoundStarts(kSoundTeletype))
    if (t > board->end && t < question->start) typing.push_back(t);
  EXPECT_GT(typing.size(), 10u);  // the question was typed before its wait began
}

TEST_F(GamePlayTest, ACollectedPrizeIsPaidIntoTheBankAndCountsDownFrameByFrame) {
  WriteRecord(1200);  // the cashpot panel then shows four digits
  Money({"insert", "100"});
  std::vector<uint16_t> prize, halfway;
  std::vector<std::pair<uint32_t, std::vector<uint16_t>>> countdown;
  size_t buttonsBefore = 0;
  watch_ = [&](platform::HeadlessPlatform& p) {
    std::vector<uint32_t> points = SoundStarts(kSoundAddPoints);
    if (halfway.empty() && !points.empty() && p.Now() - points[0] >= 500) halfway = p.Screen();
    if (GameState != GameWon || ActiveButtonWait() || menus_ > 1) return;
    std::vector<uint32_t> buttons = SoundStarts(kSoundButton);
    if (prize.empty()) {
      if (system_.Calls().back().find("BADD") == std::string::npos) return;
      prize = p.Screen();
      buttonsBefore = buttons.size();
    } else if (buttons.size() > buttonsBefore + countdown.size()) {
      countdown.push_back({buttons.back(), p.Screen()});
    }
  };
  Play(1, PlayHexagons({{0, kHexPoints100000},
                        {6, kHexPoints100000},
                        {12, kHexPoints100000},
                        {18, kHexPoints100000},
                        {19, kHexPoints100000}},
                       true));
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("game-board-cashpot-1205", boardShown_), "");
  EXPECT_EQ(testing_support::CompareWithGolden("game-points-halfway", halfway), "");
  EXPECT_EQ(testing_support::CompareWithGolden("game-prize-400", prize), "");

  // 500,000 points reach the prize of 4.00: whole pounds, so one bank line.
  const auto& calls = system_.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Send BADD,400\r\n"), calls.end());
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50", "BADD 400"}));
  EXPECT_NE(Money({"status"}).find("bank:    £4.00 (400p)"), std::string::npos);
  ExpectVerified();
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[16], 1);  // won exactly 400
  EXPECT_EQ(rec.meters[22], 400);
  EXPECT_EQ(rec.meters[30], 1);
  EXPECT_EQ(rec.meters[38], 1);  // reached a prize
  EXPECT_EQ(rec.meters[11], 0);
  EXPECT_EQ(rec.cashpot, 1205);

  // The prize counts down from 4 to 0, a frame every 600 ms, the same panel as 0 at the end.
  ASSERT_EQ(countdown.size(), 4u);
  for (size_t i = 1; i < countdown.size(); ++i) {
    EXPECT_GE(countdown[i].first - countdown[i - 1].first, 600u);
    EXPECT_LT(countdown[i].first - countdown[i - 1].first, 640u);
    EXPECT_NE(countdown[i].second, countdown[i - 1].second);
  }
  EXPECT_NE(countdown[0].second, prize);
}

// The screen fails in the turn after the player reached a prize: that turn counts for
// nothing, the prize reached before it is paid as if collected, and the game is settled.
TEST_F(GamePlayTest, AScreenThatFailsAfterAPrizeWasReachedPaysThatPrize) {
  WriteRecord(1200);
  Money({"insert", "100"});
  Decide reach = PlayHexagons({{0, kHexPoints100000},
                               {6, kHexPoints100000},
                               {12, kHexPoints100000},
                               {18, kHexPoints100000},
                               {19, kHexPoints100000}},
                              false);
  Play(1, [&](const Button* list) -> std::optional<Point> {
    if (list == BoardButtons && next_ == 5) {
      system_.Display().InjectResult(platform::DisplayOp::Flip,
                                     platform::DisplayResult::SurfaceLost);
      system_.Display().InjectResult(platform::DisplayOp::Restore, platform::DisplayResult::Failed);
    }
    return reach(list);
  });
  EXPECT_EQ(Run().exitCode, kExitNoDisplay);
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50", "BADD 400"}));
  const std::string log = Log();
  EXPECT_NE(log.find(" - DISPLAY FAILED - game 1 - prize 400 pence reached - paid\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(Record().meters[22], 400);
  const std::string settle = Money({"reconcile", dir_.Path()});
  EXPECT_NE(settle.find("reconcile: 0 open games, 0 left to settle"), std::string::npos) << settle;
}

TEST_F(GamePlayTest, DoubleOrQuitsAnsweredRightReachesTheJackpot) {
  WriteRecord(100);
  Money({"insert", "100"});
  Play(1,
       PlayHexagons({{0, kHexPoints100000},
                     {1, kHexPoints100000},
                     {2, kHexPoints100000},
                     {3, kHexPoints100000},
                     {4, kHexPoints100000},
                     {5, kHexPoints100000},
                     {6, kHexDoubleOrQuits}},
                    false),
       2000);
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("game-double-or-quits-question", question_), "");
  std::string log = Log();
  EXPECT_EQ(Count(log, " - JACKPOT\n"), 1) << log;
  EXPECT_EQ(Count(log, "LOSE GAME"), 0);
  EXPECT_EQ(Count(log, "PrepareNextRound"), 0);
  // 600,000 doubled is capped at 1,000,000: the top rung's 5.00.
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50", "BADD 500"}));
  ExpectVerified();
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[21], 1);
  EXPECT_EQ(rec.meters[17], 1);  // won exactly 500
  EXPECT_EQ(rec.meters[11], 1);
  EXPECT_EQ(rec.meters[12], 0);
  EXPECT_EQ(turnCount, 6);  // the jackpot turn is not counted
}

// A prize reached, lost by double or quits and reached again is one game that reached a
// prize.
TEST_F(GamePlayTest, APrizeReachedTwiceInOneGameCountsOnce) {
  WriteRecord(100);
  Money({"insert", "100"});
  // 500,000 points reach 4.00; the double or quits loses them; 500,000 again.
  std::vector<std::pair<int, int32_t>> hexagons;
  for (int i = 0; i < 11; ++i)
    hexagons.push_back({i, i == 5 ? kHexDoubleOrQuits : kHexPoints100000});
  Decide plan = PlayHexagons(hexagons, true);
  Play(1, [&](const Button* list) -> std::optional<Point> {
    if (list == TrueFalseButtons && selectedHexagon == 5)  // the double or quits: lost
      return Centre(TrueFalseButtons[GetCorrectAnswer() == 1 ? 1 : 0]);
    return plan(list);
  });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50", "BADD 400"}));
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[30], 1);
  EXPECT_EQ(rec.meters[38], 1);
}

TEST_F(GamePlayTest, TheThirdBootPaysTheCashpotAtOnceAndItStartsAgainAt100) {
  WriteRecord(100);
  Money({"insert", "100"});
  std::vector<int32_t> cashpotAtSecondGame;
  RecordImage recordAfterWin;
  bool recordRead = false;
  Play(2, [&](const Button* list) -> std::optional<Point> {
    if (list == LivesPickButtons) return Centre(LivesPickButtons[2]);
    if (list != BoardButtons) return std::nullopt;
    if (menus_ == 2) {
      if (cashpotAtSecondGame.empty()) cashpotAtSecondGame.push_back(GetCashpot());
      return std::nullopt;
    }
    if (next_ == 0)
      for (int i = 0; i < 3; ++i) axHexagons[i].type = kHexBoot;
    // The record already knows, in the middle of the game, that the cashpot was paid.
    if (next_ == 3 && !recordRead) {
      recordAfterWin = Record();
      recordRead = true;
    }
    return next_ < 3 ? std::optional<Point>(Centre(BoardButtons[next_++])) : std::nullopt;
  });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  // 105 pence: the whole pound to the bank, the 5 pence to the credits.
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50", "BADD 100", "CADD 5", "CUSE 50"}));
  ExpectVerified();
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[31], 1);
  EXPECT_EQ(rec.meters[32], 105);
  EXPECT_EQ(rec.meters[22], 105);
  EXPECT_EQ(rec.meters[30], 0);  // no prize: both games were lost
  EXPECT_EQ(cashpotAtSecondGame, (std::vector<int32_t>{105}));
  EXPECT_EQ(recordAfterWin.cashpot, 100);
  EXPECT_EQ(recordAfterWin.meters[31], 1);
  EXPECT_EQ(recordAfterWin.meters[0], 1);
  EXPECT_EQ(rec.cashpot, 105);
  EXPECT_EQ(Count(Log(), "LOSE GAME"), 2);
}

// Cut off as the cashpot is paid, while its record is being written: its reset and the
// intents to pay it are durable in the game journal already, no request has gone. The next
// start writes the record again from the journal (the cashpot back at 100), reports the game
// open and reconcile names the payment owed: the cashpot is paid once, never twice.
TEST_F(GamePlayTest, ACrashAsTheCashpotIsPaidNeverPaysItTwice) {
  WriteRecord(1200);
  Money({"insert", "100"});
  Play(1, [&](const Button* list) -> std::optional<Point> {
    if (list == LivesPickButtons) return Centre(LivesPickButtons[2]);
    if (list != BoardButtons) return std::nullopt;
    if (next_ == 0)
      for (int i = 0; i < 3; ++i) axHexagons[i].type = kHexBoot;
    return next_ < 3 ? std::optional<Point>(Centre(BoardButtons[next_++])) : std::nullopt;
  });
  platform::AtomicWriteHook = [](int step) {
    if (step == platform::kWriteWrote) throw platform::VirtualTimeLimit{0};
  };
  sim::RunResult cut = Run();
  platform::AtomicWriteHook = nullptr;
  EXPECT_FALSE(cut.exitCode);
  EXPECT_EQ(Record().cashpot, 1200);  // the file was not replaced
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50"}));

  platform::HeadlessPlatform again;
  again.SetGameDir(dir_.Path());
  EXPECT_EQ(
      sim::RunProgram(again, {"127.0.0.1", static_cast<uint16_t>(daemon_.port())}, {}, "").exitCode,
      kExitNormal);
  EXPECT_EQ(Record().cashpot, 100);
  EXPECT_EQ(Record().meters[31], 1);
  const std::string log = Log();
  EXPECT_NE(log.find(" - RECORD WRITTEN AGAIN - from the game journal\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find(" - GAME INTERRUPTED - game 1 - stake 50 pence taken - cashpot 1200 pence "
                     "to bank not confirmed - cashpot 5 pence to credits not confirmed - settle "
                     "with moneyctl reconcile\n"),
            std::string::npos)
      << log;
  const std::string settle = Money({"reconcile", dir_.Path()});
  EXPECT_NE(settle.find("owed: pay to bank £12.00 (1200p): moneyctl pay 1200 --to bank --game 1"),
            std::string::npos)
      << settle;
  EXPECT_NE(settle.find("owed: pay to credits £0.05 (5p): moneyctl pay 5 --to credits --game 1"),
            std::string::npos)
      << settle;
  // And the game itself was cut off: its stake goes back.
  EXPECT_NE(settle.find("owed: refund £0.50 (50p): moneyctl refund 50 --game 1"), std::string::npos)
      << settle;
}

// A player who never misses: the board is dealt anew after turns 20, 40 and 60 from the
// game's plan, and from turn 61 on every hexagon turns out a question. Points are held
// below the jackpot so that the game reaches that far.
TEST_F(GamePlayTest, TheBoardChangesEveryTwentyTurnsAndOnlyQuestionsComeFromTurn61) {
  WriteRecord(100);
  Money({"insert", "100"});
  std::vector<int32_t> dealtAt;
  int questionsAfter60 = 0, othersAfter60 = 0;
  Play(1, [&](const Button* list) -> std::optional<Point> {
    if (list == LivesPickButtons) return Centre(LivesPickButtons[1]);
    if (list == TrueFalseButtons) {
      bool right = turnCount < 60;
      return Centre(TrueFalseButtons[(GetCorrectAnswer() == 1) == right ? 0 : 1]);
    }
    if (list != BoardButtons) return std::nullopt;
    if (points > 500000) SetPoints(0);
    int played = 0;
    for (const Hexagon& h : axHexagons) {
      if (h.selectable) continue;
      ++played;
      if (turnCount > 60) ++(h.type == kHexQuestion ? questionsAfter60 : othersAfter60);
    }
    if (played == 0 && turnCount > 0) {
      dealtAt.push_back(turnCount);
      int board = turnCount / 20;
      for (int i = 0; i < kHexagons; ++i) {
        int32_t planned = board < 3 ? hexTypes[20 * board + i] : kHexQuestion;
        EXPECT_EQ(axHexagons[i].type, planned) << "turn " << turnCount << " hexagon " << i;
      }
    }
    for (int i = 0; i < kHexagons; ++i)
      if (axHexagons[i].selectable) return Centre(BoardButtons[i]);
    return std::nullopt;
  });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(dealtAt, (std::vector<int32_t>{20, 40, 60}));
  EXPECT_EQ(Count(Log(), " - PrepareNextRound()\n"), 3);
  EXPECT_EQ(Count(Log(), " - LOSE GAME\n"), 1);
  EXPECT_GT(questionsAfter60, 0);
  EXPECT_EQ(othersAfter60, 0);
}

TEST_F(GamePlayTest, WithoutTheTeamFontTheProgramEndsButKeepsTheStakeOnRecord) {
  WriteRecord(100);
  Money({"insert", "100"});
  system_.Faults().font = true;
  Play(1, [](const Button*) { return std::nullopt; });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_NE(Log().find(" - error - cannot load team font...aborting\n"), std::string::npos);
  EXPECT_EQ(Moves(), (std::vector<std::string>{"CUSE 50"}));
  RecordImage rec = Record();
  EXPECT_EQ(rec.meters[0], 1);
  EXPECT_FLOAT_EQ(rec.balances[0], 5000.0f - 10.0f);
}

}  // namespace
