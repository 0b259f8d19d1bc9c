// Stand-ins for the operations of subsystems that are not built yet: the display and
// pictures, the question packs, the sound system, the menu and the game. Each announces itself on
// the debug output so a developer can see what ran; each is replaced by the real operation as its
// subsystem lands.
#pragma once

#include <cstdint>

#include "platform/text/system_text.h"

void ResetDisplayAndSoundObjects();
bool InitDisplay();
void ClearScreen();
void Present();
void FlipPaced();
void ShowLoadingScreen();
void ReleaseGraphicSurfaces();
void ShutdownDisplay(int code);
void LoadAllGraphics();
// The back buffer's pixels for drawing text on; false without a display.
bool GetBackBufferDC(platform::Canvas565& canvas);
void ReleaseBackBufferDC();
void FadeToMenuBackground();

bool LoadQuestionPacks();
bool InitSound();

bool RunMainMenu();
void PlayGame();
