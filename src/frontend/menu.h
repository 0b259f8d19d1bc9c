// The screen between games: its parts slide in, the panels show the player's money, and
// the player starts a paid game, reads the rules, or ends the program (also after 30
// seconds untouched).
#pragma once

// True when a game has been paid for; false when the program is to close.
bool RunMainMenu();
// The 500 ms slide-in of the menu's parts.
void MenuSwipeIn();

inline constexpr int kMenuMainMenu = 0, kMenuRules = 1, kMenuStart = 2;
