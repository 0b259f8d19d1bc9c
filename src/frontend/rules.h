// The rules and information screen: the menu fades into the rules picture, a Back button
// slides up, and a touch in the middle of the screen or 35 seconds bring the menu back.
#pragma once

void ShowRulesScreen();
