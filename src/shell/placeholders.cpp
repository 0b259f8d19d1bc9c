#include "shell/placeholders.h"

#include <string>

#include "accounting/accounting.h"
#include "graphics/display.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "shell/timing.h"

namespace {

void Announce(const char* operation) {
  Sys().OutputDebugString(std::string("placeholder: ") + operation + "\n");
}

}  // namespace

bool LoadQuestionPacks() {
  Announce("LoadQuestionPacks");
  return true;
}

// Until the menu exists: a touch starts a game if the stake can be charged (a refused
// charge leaves the menu waiting); 30 seconds without a touch ends the program. No stake
// is taken once the display has failed.
bool RunMainMenu() {
  Announce("RunMainMenu");
  for (;;) {
    WaitOrTouch(30000);
    if (TouchX == -1 || DisplayFailureCode()) return false;
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
