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

// Until the game exists: it draws its control table and ends at once, winning nothing,
// so that a paid start goes through the whole main loop and back to the menu.
void PlayGame() {
  Announce("PlayGame");
  StartControlTable(static_cast<uint32_t>(GetGamesPlayed()));
  EndControlTable();
}

int32_t revealCount = 0;
void AnimateCollectButton() {}
int32_t HighestPrizeReached() {
  return 0;
}
uint32_t CountdownRemaining() {
  return 1;
}
void TrueFalseRefresh() {}
