#include "shell/placeholders.h"

#include <string>
#include <vector>

#include "accounting/accounting.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "shell/timing.h"

namespace {

std::vector<uint16_t> gBackBuffer;
bool gDisplayOpen = false;

void Announce(const char* operation) {
  Sys().OutputDebugString(std::string("placeholder: ") + operation + "\n");
}

}  // namespace

void ResetDisplayAndSoundObjects() {
  gBackBuffer.clear();
  gDisplayOpen = false;
}

bool InitDisplay() {
  Announce("InitDisplay");
  if (!Sys().OpenDisplay()) return false;
  gBackBuffer.assign(platform::kScreenWidth * platform::kScreenHeight, 0);
  gDisplayOpen = true;
  return true;
}

void ClearScreen() {
  if (gDisplayOpen) gBackBuffer.assign(gBackBuffer.size(), 0);
}

void Present() {
  if (gDisplayOpen) Sys().ShowFrame(gBackBuffer.data());
}

void FlipPaced() {
  Present();
}

void ShowLoadingScreen() {
  Announce("ShowLoadingScreen");
  ClearScreen();
  PumpWait(1);
  Present();
}

void ReleaseGraphicSurfaces() {
  Announce("ReleaseGraphicSurfaces");
}

void ShutdownDisplay(int) {
  Announce("ShutdownDisplay");
  if (!gDisplayOpen) return;
  Sys().CloseDisplay();
  gDisplayOpen = false;
}

void LoadAllGraphics() {
  Announce("LoadAllGraphics");
}

void FadeToMenuBackground() {
  Announce("FadeToMenuBackground");
  TweenStart(800);
  do {
    TweenValue(100);
    Present();
  } while (!TweenDone());
}

bool LoadQuestionPacks() {
  Announce("LoadQuestionPacks");
  return true;
}

bool InitSound() {
  Announce("InitSound");
  return true;
}

// Until the menu exists: a touch starts a game if the stake can be charged (a refused
// charge leaves the menu waiting); 30 seconds without a touch ends the program.
bool RunMainMenu() {
  Announce("RunMainMenu");
  for (;;) {
    WaitOrTouch(30000);
    if (TouchX == -1) return false;
    if (ChargeGame()) return true;
  }
}

// Until the game exists: it draws its control table and lasts until the next touch or
// ten seconds, winning nothing.
void PlayGame() {
  Announce("PlayGame");
  StartControlTable(static_cast<uint32_t>(GetGamesPlayed()));
  WaitOrTouch(10000);
  EndControlTable();
}
