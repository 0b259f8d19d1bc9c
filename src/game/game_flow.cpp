#include "game/game_flow.h"

#include "accounting/accounting.h"
#include "accounting/game_journal.h"
#include "accounting/money_link.h"
#include "frontend/buttons.h"
#include "game/board.h"
#include "game/cashpot.h"
#include "game/game_record.h"
#include "game/lives.h"
#include "game/points.h"
#include "game/touch_wait.h"
#include "graphics/clip_player.h"
#include "graphics/display.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "questions/true_false.h"
#include "shell/eventlog.h"
#include "shell/timing.h"
#include "sound/sound.h"

uint8_t GameState = GamePlaying;
int32_t turnCount = 0;
int32_t selectedHexagon = 0;
int32_t lastPrizeReached = 0;
bool prizeMeterDone = false;

namespace {

constexpr ClipRect kBoardMiddle{layout::kBoardMiddleL, layout::kBoardMiddleR, layout::kBoardMiddleT,
                                layout::kBoardMiddleB};
constexpr int kWordsBlank = 0, kWordsPick = 1, kWordsTouch = 4;
constexpr int kBoardTimeUp = 21;
constexpr int32_t kPrizeClipAmount = 2000;
constexpr int32_t kJackpotPoints = 999999;

void Draw(int key, int frame, int x, int y) {
  DrawSprite(GraphicSprite(key), frame, x, y, nullptr, 2);
}

void RedrawBoardScreen() {
  RefreshSidePanel();
  DrawBoard();
  DrawPoints();
  Present();
}

}  // namespace

uint8_t GetGameState() {
  return GameState;
}

void SetGameState(uint8_t value) {
  GameState = value;
}

int PlayGame() {
  // A game starts from the same state whatever was played before it: what it draws
  // depends only on what its record holds (the generator, the balances, the cashpot).
  ResetCollectFlash();
  ResetCountdown();
  StartControlTable(static_cast<uint32_t>(GetGamesPlayed()));
  RecordModes();
  PlayRounds();
  if (GameState == GameLost) {
    winAmount = 0;
    if (!DisplayFailureCode()) ShowGameOver();
  } else if (GameState == GameWon && DisplayFailureCode()) {
    // Nobody can see the prize screen: the prize is paid all the same.
    PayToPlayer(static_cast<int16_t>(winAmount));
  } else if (GameState == GameWon) {
    ShowPrizeWon(winAmount);
  }
  RecordGameEnd(GameOutcome());
  DrawSprite(GraphicSprite(kGraphicMenuBackground), 0, 0, 0, nullptr, 0);
  EndControlTable();
  return 0;
}

namespace {

// The screen failed during a turn: every wait of that turn ran out on its own, so the turn
// counts for nothing. A prize reached before it is the player's, as if collected; with none
// the game is cut short and its stake is left for the operator to give back.
void EndWithFailedScreen(int32_t prizeBeforeTurn) {
  if (GameState == GameWon) return;  // collected, or the jackpot reached, by a real touch
  if (prizeBeforeTurn > 0) {
    GameState = GameWon;
    winAmount = prizeBeforeTurn;
    LogMessage("DISPLAY FAILED - game %lld - prize %d pence reached - paid\n",
               static_cast<long long>(CurrentGameNumber()), prizeBeforeTurn);
  } else {
    GameState = GamePlaying;
    winAmount = 0;
    LogMessage(
        "DISPLAY FAILED - game %lld - no prize reached - stake to give back - settle "
        "with moneyctl reconcile\n",
        static_cast<long long>(CurrentGameNumber()));
  }
}

}  // namespace

const char* GameOutcome() {
  if (GameState == GameLost) return journal::kOutcomeLost;
  if (GameState == GameWon) return journal::kOutcomeWon;
  return journal::kOutcomeCutShort;
}

int PlayRounds() {
  SetUpGame();
  bool ended = false;
  do {
    const int32_t prizeBeforeTurn = HighestPrizeReached();
    PlayTurn();
    if (DisplayFailureCode()) {
      EndWithFailedScreen(prizeBeforeTurn);
      ended = true;
    } else if (GameState == GameLost) {
      LogMessage("LOSE GAME\n");
      ended = true;
    } else if (points > kJackpotPoints) {
      LogMessage("JACKPOT\n");
      StartSound(kSoundAnimationSpin);
      CountMeter(kMeterJackpots);
      GameState = GameWon;
      winAmount = HighestPrizeReached();
      ended = true;
    }
    if (GameState == GameWon) ended = true;
    if (!ended) {
      ++turnCount;
      if (turnCount % 20 == 0) {
        LogMessage("PrepareNextRound()\n");
        PrepareNextRound();
      }
    }
  } while (!ended);
  return 1;
}

bool PlayTurn() {
  const int32_t pointsBefore = points;
  FlushInput();
  DrawSprite(GraphicSprite(kGraphicMain), 0, 0, 0, &kBoardMiddle, 0);
  RedrawBoardScreen();
  ChooseHexagon();
  if (GameState == GameWon) return true;
  Draw(kGraphicWords, kWordsBlank, layout::kCaptionX, layout::kCaptionY);
  ResolveHexagon();
  Draw(kGraphicGrid, 0, layout::kGridX, layout::kGridY);
  if (GameState == GameWrongAnswer && lives < 0) GameState = GameLost;
  RecordTurn(pointsBefore);
  if (GameState != GameLost && GameState != GameWon) RedrawBoardScreen();
  return true;
}

uint8_t ChooseHexagon() {
  FlushInput();
  CountdownStart(10000, true);
  Draw(kGraphicWords, RandomBelow(2) == 1 ? kWordsPick : kWordsTouch, layout::kCaptionX,
       layout::kCaptionY);
  CountdownResume();
  for (;;) {
    int code = ChooseBoardButton();
    if (code == kCollectButton) {
      GameState = GameWon;
      winAmount = HighestPrizeReached();
      RecordCollect();
      Draw(kGraphicCollectButton, 1, layout::kCollectX, layout::kCollectY);
      Draw(kGraphicCollectAnim, 0, layout::kCollectAnimX, layout::kCollectAnimY);
      Present();
      break;
    }
    if (GameState == GameLost || GameState == GameWon) continue;
    RefreshSidePanel();
    DrawBoard();
    Present();
    // Out of time: a random hexagon not played yet.
    NoteHexagonAtTimeOut(code == kBoardTimeUp);
    if (code == kBoardTimeUp) {
      do {
        code = static_cast<int>(RandomBelow(kHexagons));
      } while (!IsSelectable(code));
    }
    if (IsSelectable(code)) {
      selectedHexagon = code;
      break;
    }
  }
  return static_cast<uint8_t>(selectedHexagon);
}

void ResolveHexagon() {
  Hexagon& h = axHexagons[selectedHexagon];
  h.selectable = 0;
  RevealHexagon(selectedHexagon);
  switch (h.type) {
    case kHexQuestion:
      StartSound(kSoundTrueOrFalse);
      TrueFalseQuestion();
      break;
    case kHexDoubleOrQuits:
      StartSound(kSoundDoubleOrQuits);
      TrueFalseQuestion();
      if (GameState != GameWrongAnswer) {
        ChangePoints(points != 0 ? points : 1000, true);
      } else {
        if (points != 0) ChangePoints(points, false);
        collectAvailable = false;  // a prize reached again is the same game's: meter 38 stays
      }
      DrawPoints();
      break;
    case kHexBoot:
      StartSound(kSoundCashpot);
      if (bootCount < 3) CollectBoot();
      break;
    case kHexExtraLife:
      StartSound(kSoundExtraLifeAnim);
      ChangeLives(1, true);
      break;
    case kHexReveal:
      StartSound(kSoundExtraReveal);
      ChangeReveals(1, true);
      break;
    default:
      break;  // points: the reveal has added them
  }
  int32_t p = HighestPrizeReached();
  if (p != 0) {
    collectAvailable = true;
    if (p > lastPrizeReached) StartSound(kSoundCashWinplan);
    if (!prizeMeterDone) {
      CountMeter(kMeterReachedPrize);
      prizeMeterDone = true;
    }
    lastPrizeReached = p;
  }
}

int PrizeScreenFrame(int32_t amount) {
  if (amount <= 0 || amount % 100 != 0 || amount > 1000) return 0;
  return amount / 100;
}

void ShowPrizeWon(int32_t amount) {
  FlushInput();
  LoadGraphic(GraphicSprite(kGraphicWinBackground), kGraphicWinBackground, 1);
  LoadGraphic(GraphicSprite(kGraphicPrizeValues), kGraphicPrizeValues, 12);
  Sprite& prizes = GraphicSprite(kGraphicPrizeValues);
  int f = 0;
  if (amount >= kPrizeClipAmount) {
    OpenClip("Graphic_resource/avis/Jackpot.avi", 30);
    StepClip(-1, 0, 0);
    while (ClipState() == 0) {
      StepClip(1, 0, 0);
      FlipPaced();
    }
    WaitOrTouch(500);
    CloseClip();
  } else {
    DrawSprite(GraphicSprite(kGraphicWinBackground), 0, 0, 0, nullptr, 0);
    f = PrizeScreenFrame(amount);
    if (f > 0) DrawSprite(prizes, f, layout::kPrizeValueX, layout::kPrizeValueY, nullptr, 0);
    Present();
  }
  PayToPlayer(static_cast<int16_t>(amount));
  if (amount >= kPrizeClipAmount) {
    WaitOrTouch(1000);
    return;
  }
  WaitOrTouch(1000);
  // The prize counts down to nothing, a frame every 600 ms.
  while (f > 0) {
    StartSound(kSoundButton);
    --f;
    DrawSprite(prizes, f, layout::kPrizeValueX, layout::kPrizeValueY, nullptr, 0);
    Present();
    PumpWait(600);
  }
}

void ShowGameOver() {
  FlushInput();
  StopAllSounds();
  if (GameState == GameLost) {
    OpenClip("Graphic_resource/avis/Gameover.avi", 30);
    StartSound(kSoundGameOver);
    StepClip(-1, 0, 0);
    while (ClipState() == 0) {
      StepClip(1, 0, 0);
      FlipPaced();
    }
  }
  CloseClip();
  WaitOrTouch(1000);
}

void ResetGame() {
  StopRecording();
  GameState = GamePlaying;
  turnCount = 0;
  selectedHexagon = 0;
  lastPrizeReached = 0;
  prizeMeterDone = false;
  points = 0;
  ClearWinPlan();
  lives = 0;
  revealCount = 0;
  bootCount = 0;
  collectAvailable = false;
  ResetBoard();
  ResetCollectFlash();
  ResetCountdown();
}
