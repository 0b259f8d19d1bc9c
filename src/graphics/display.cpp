#include "graphics/display.h"

#include "graphics/graphic_table.h"
#include "shell/system.h"

using platform::DisplayResult;

platform::Surface PrimarySurface = 0;
platform::Surface BackBuffer = 0;
platform::Surface SaveSurface[3] = {0, 0, 0};
int DisplayDepth = 16;
uint16_t KeyColour = 0xF81F;

namespace display_detail {
bool up = false;
}  // namespace display_detail

namespace {

bool& gDisplayUp = display_detail::up;
int gFailureCode = 0;
int gLastShutdownCode = 0;

// Runs a colour fill, restoring the back buffer after a loss and retrying while the
// device is busy; any other failure is let go.
void FillBackBuffer(const platform::Rect* rect, uint16_t colour) {
  if (!BackBuffer) return;
  for (;;) {
    DisplayResult r = Device().Fill(BackBuffer, rect, colour);
    if (r == DisplayResult::SurfaceLost) {
      if (Device().Restore(BackBuffer) != DisplayResult::Ok) return;
      continue;
    }
    if (r == DisplayResult::StillDrawing) continue;
    return;
  }
}

}  // namespace

int DisplayFailureCode() {
  return gFailureCode;
}
int LastShutdownCode() {
  return gLastShutdownCode;
}

void ResetDisplayState() {
  PrimarySurface = BackBuffer = 0;
  SaveSurface[0] = SaveSurface[1] = SaveSurface[2] = 0;
  DisplayDepth = 16;
  KeyColour = 0xF81F;
  gDisplayUp = false;
  gFailureCode = 0;
  gLastShutdownCode = 0;
  for (GraphicEntry* e = GraphicTable.data(); e->key != 0; ++e) e->surface = 0;
}

bool InitDisplay() {
  platform::DisplayDevice& d = Device();
  if (d.Create() != DisplayResult::Ok) return ShutdownDisplay(kShutdownNoDevice);
  // Exclusive full-screen access is the backend's: the window already covers the screen.
  DisplayDepth = 16;
  for (;;) {
    DisplayResult r = d.SetMode(platform::kScreenWidth, platform::kScreenHeight, DisplayDepth);
    if (r == DisplayResult::Ok) break;
    if (r == DisplayResult::InvalidMode && DisplayDepth > 16) {
      DisplayDepth -= 8;
      continue;
    }
    return ShutdownDisplay(kShutdownNoMode);
  }
  if (d.CreatePrimary(PrimarySurface) != DisplayResult::Ok)
    return ShutdownDisplay(kShutdownNoScreenSurface);
  if (d.GetBackBuffer(PrimarySurface, BackBuffer) != DisplayResult::Ok)
    return ShutdownDisplay(kShutdownNoBackBuffer);
  for (platform::Surface& save : SaveSurface)
    if (d.CreateSurface(platform::kScreenWidth, platform::kScreenHeight, save) != DisplayResult::Ok)
      return ShutdownDisplay(kShutdownNoScreenSurface);
  KeyColour = DisplayDepth == 16 ? 0xF81F : 0xFFFF;
  d.SetColourKey(PrimarySurface, KeyColour);
  gDisplayUp = true;
  return true;
}

bool ShutdownDisplay(int code) {
  platform::DisplayDevice& d = Device();
  // A shutdown while the display was up, other than the normal end, is a fatal error
  // that the run must not carry on blind from.
  if (gDisplayUp && code != kShutdownNormalEnd && gFailureCode == 0) gFailureCode = code;
  gLastShutdownCode = code;
  gDisplayUp = false;
  BackBuffer = 0;  // released with its primary
  if (PrimarySurface) d.Release(PrimarySurface);
  PrimarySurface = 0;
  for (platform::Surface& save : SaveSurface) {
    if (save) d.Release(save);
    save = 0;
  }
  // Picture surfaces were made by this device; they cannot outlive it.
  ReleaseGraphicSurfaces();
  if (d.IsOpen()) d.Close();
  return false;
}

void ReleaseGraphicSurfaces() {
  for (GraphicEntry* e = GraphicTable.data(); e->key != 0; ++e) {
    if (e->surface) Device().Release(e->surface);
    e->surface = 0;
  }
}

void ClearScreen() {
  FillBackBuffer(nullptr, 0);
}

void FillRect(int left, int top, int right, int bottom, uint16_t colour) {
  platform::Rect r{left, top, right, bottom};
  FillBackBuffer(&r, colour);
}

bool GetBackBufferDC(platform::Canvas565& canvas) {
  if (!BackBuffer) return false;
  platform::LockedSurface locked;
  if (Device().Lock(BackBuffer, locked, platform::LockUse::Screen) != DisplayResult::Ok)
    return false;
  canvas = {locked.pixels, locked.width, locked.height, locked.pitch / 2};
  return true;
}

void ReleaseBackBufferDC() {
  if (BackBuffer) Device().Unlock(BackBuffer);
}
