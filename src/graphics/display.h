// The game's screen: the flipping pair, the back buffer everything is drawn into, three
// screen-sized save surfaces, the transparent colour, the fills and the one fatal-error
// exit of every graphics operation.
#pragma once

#include <cstdint>

#include "platform/display/display_device.h"
#include "platform/text/system_text.h"
#include "shell/system.h"

extern platform::Surface PrimarySurface;
extern platform::Surface BackBuffer;
extern platform::Surface SaveSurface[3];
extern int DisplayDepth;
extern uint16_t KeyColour;

// The codes a fatal error passes to ShutdownDisplay, by what failed. The run's end gives
// kShutdownNormalEnd, which is no failure.
enum ShutdownCode : int {
  kShutdownNoDevice = 2,
  kShutdownNoMode = 4,
  kShutdownNoScreenSurface = 5,  // the flipping pair or a save surface
  kShutdownNoBackBuffer = 6,
  kShutdownBadPicture = 7,  // no such key, no file, or not a picture the loaders read
  kShutdownNoImageSurface = 9,
  kShutdownSoundFailed = 14,
  kShutdownPackMissing = 18,
  kShutdownNoPixelMemory = 20,
  kShutdownLockFailed = 22,  // a lock failed, or restoring a lost surface failed
  kShutdownSpriteRestoreFailed = 24,
  kShutdownSaveRestoreFailed = 33,
  kShutdownNormalEnd = 255,
};

bool InitDisplay();
bool ShutdownDisplay(int code);  // always false
void ReleaseGraphicSurfaces();
void ClearScreen();
void FillRect(int left, int top, int right, int bottom, uint16_t colour);

// Whether the display is up; false before InitDisplay and after any ShutdownDisplay.
namespace display_detail {
extern bool up;
}
inline bool DisplayUp() {
  return display_detail::up;
}
// The code of the fatal graphics error that shut the display down mid-run, 0 if none.
int DisplayFailureCode();
// The code of the most recent ShutdownDisplay, 0 if none yet.
int LastShutdownCode();

// The back buffer's pixels for drawing text on, and their release.
bool GetBackBufferDC(platform::Canvas565& canvas);
void ReleaseBackBufferDC();

// The device, for the other graphics operations.
inline platform::DisplayDevice& Device() {
  return Sys().Display();
}
// Back to the state of a program that has just started.
void ResetDisplayState();
