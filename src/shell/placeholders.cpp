#include "shell/placeholders.h"

#include <string>
#include <vector>

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

void LoadRecord() {
  Announce("LoadRecord");
}
void SaveRecord() {
  Announce("SaveRecord");
}

bool LoadQuestionPacks() {
  Announce("LoadQuestionPacks");
  return true;
}

bool InitSound() {
  Announce("InitSound");
  return true;
}

// Until the menu exists: a touch starts a game, 30 seconds without one ends the program.
bool RunMainMenu() {
  Announce("RunMainMenu");
  WaitOrTouch(30000);
  return TouchX != -1;
}

// Until the game exists: it lasts until the next touch or ten seconds.
void PlayGame() {
  Announce("PlayGame");
  WaitOrTouch(10000);
}

int BalanceLevel(int) {
  return 0;
}

void AddToMeter(int meter, int32_t amount) {
  Announce(("AddToMeter " + std::to_string(meter) + " " + std::to_string(amount)).c_str());
}

void SettleGame() {
  Announce("SettleGame");
}
