// Stand-ins for the operations of subsystems that are not built yet: the question packs,
// the menu and the game. Each announces itself on the debug output so a developer can
// see what ran; each is replaced by the real operation as its subsystem lands.
#pragma once

bool LoadQuestionPacks();
bool RunMainMenu();
void PlayGame();
