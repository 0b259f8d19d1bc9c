#include "shell/entry.h"

#include <string>

#include "accounting/accounting.h"
#include "accounting/game_journal.h"
#include "accounting/money_link.h"
#include "accounting/record_file.h"
#include "frontend/buttons.h"
#include "frontend/menu.h"
#include "game/game_flow.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/fonts.h"
#include "graphics/graphic_table.h"
#include "graphics/sprites.h"
#include "questions/question_packs.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

// Every exit after the connection exists, other than the two immediate ones, says
// goodbye to the money server and closes the link.
int EndWithTermination(int code) {
  SendTerminate();
  Sys().SocketClose(ServerSocket);
  ServerSocket = -1;
  return code;
}

}  // namespace

int StrikoraMain(platform::Platform& system, const ServerAddress& server) {
  SetSystem(&system);
  ResetDisplayState();
  ResetPresentPacing();
  ResetFonts();
  ResetSound();
  ResetAccounting();
  ResetGame();
  ResetButtonWaits();
  TouchX = TouchY = -1;
  StakePerGame = 50;
  ServerSocket = -1;

  if (!CreateMainWindow()) return kExitNoWindow;

  ServerSocket = Sys().SocketCreate();
  if (ServerSocket < 0) return kExitNoSocket;
  if (!Sys().SocketConnect(ServerSocket, server.host, server.port)) return kExitNoServer;

  if (CreateSystemFolders() == -1) Sys().ExitProcess(0);
  OpenLog();

  if (!InitDisplay()) return EndWithTermination(kExitNoDisplay);
  ClearScreen();
  Sprite loadingScreen;
  LoadGraphic(loadingScreen, kGraphicLoadingScreen, 1);
  PumpWait(1);
  DrawSprite(loadingScreen, 0, 0, 0, nullptr, 0);
  Present();
  // The journal before the record: a record write it finds cut off is done again first.
  if (!OpenGameJournal(Sys().SocketLocalPort(ServerSocket))) {
    ReleaseGraphicSurfaces();
    ShutdownDisplay(kShutdownNormalEnd);
    return EndWithTermination(kExitNoJournal);
  }
  LoadRecord();
  ReportOpenGames();
  if (!LoadQuestionPacks()) {
    ReleaseGraphicSurfaces();
    ShutdownDisplay(kShutdownPackMissing);
    return EndWithTermination(kExitNoQuestionPacks);
  }
  if (!InitSound()) {
    ReleaseGraphicSurfaces();
    ShutdownDisplay(kShutdownSoundFailed);
    return EndWithTermination(kExitNoSound);
  }
  uint32_t seed = timeGetTime();
  SeedRandom(seed);
  Sys().OutputDebugString("random generator seeded with " + std::to_string(seed) + "\n");
  LoadAllGraphics();
  FadeToPicture(GraphicSprite(kGraphicMenuBackground));

  int exitCode = kExitNormal;
  // A fatal graphics error leaves nothing to show the player: no further stake is taken,
  // and the run closes down as at its normal end, with the display's exit code. The menu
  // and the game give up their waits as soon as it happens.
  auto displayFailed = [&exitCode]() {
    int code = DisplayFailureCode();
    if (!code) return false;
    LogMessage("DISPLAY FAILED - code %d - closing down\n", code);
    exitCode = kExitNoDisplay;
    return true;
  };
  for (;;) {
    if (displayFailed()) break;
    // Asked to stop: here no player's money is at stake, as the last game is settled.
    if (Sys().StopRequested()) {
      LogMessage("STOP REQUESTED - closing down\n");
      break;
    }
    if (!RunMainMenu()) {
      if (!displayFailed() && Sys().StopRequested()) LogMessage("STOP REQUESTED - closing down\n");
      break;
    }
    // The stake is taken, and the game journal holds it: should the game never end, the
    // next start finds it open.
    CountMeter(static_cast<int16_t>(kMeterGamesAtLevel1 + BalanceLevel(0)));
    uint32_t started = timeGetTime();
    PlayGame();
    uint32_t ended = timeGetTime();
    AddToMeter(kMeterSecondsOfPlay, static_cast<int16_t>((ended - started) / 1000));
    SettleGame();
    SaveRecordAtGameEnd(GameOutcome(), winAmount);
    IgnoreInputFor(200);
  }

  LogMessage("Closing log\n");
  CloseLog();
  CloseGameJournal();
  ClearScreen();
  FlipPaced();
  ClearScreen();
  ReleaseGraphicSurfaces();
  ShutdownDisplay(kShutdownNormalEnd);
  return EndWithTermination(exitCode);
}
