#include "graphics/fade.h"

#include <algorithm>
#include <vector>

#include "graphics/display.h"
#include "shell/timing.h"

namespace {

// The two pictures, one RGB565 word per pixel: the channels are taken apart at each
// step, which gives the same arithmetic as keeping them apart.
std::vector<uint16_t> gFadeA(800 * 600), gFadeB(800 * 600);

bool LockSave(platform::Surface surface, platform::LockedSurface& locked) {
  for (;;) {
    platform::DisplayResult r = Device().Lock(surface, locked);
    if (r == platform::DisplayResult::Ok) return true;
    if (r == platform::DisplayResult::StillDrawing) continue;
    if (r == platform::DisplayResult::SurfaceLost &&
        Device().Restore(surface) == platform::DisplayResult::Ok)
      continue;
    ShutdownDisplay(22);
    return false;
  }
}

// The rectangle inside the screen, so that nothing is read or written outside it.
ClipRect Bounded(const ClipRect* rect) {
  ClipRect r = rect ? *rect : kFullScreen;
  r.left = std::clamp(r.left, 0, 800);
  r.right = std::clamp(r.right, 0, 800);
  r.top = std::clamp(r.top, 0, 600);
  r.bottom = std::clamp(r.bottom, 0, 600);
  return r;
}

uint16_t* Row(const platform::LockedSurface& locked, int y) {
  return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(locked.pixels) +
                                     static_cast<size_t>(y) * locked.pitch);
}

int Blend(int a, int b, int p) {
  return b + p * (a - b) / 100;
}

// The blend of every pair of 5-bit and of 6-bit channel values at one percentage, made
// once per step with the same arithmetic, so that each pixel costs three look-ups.
struct BlendTables {
  uint8_t five[32][32];
  uint8_t six[64][64];
};

void MakeTables(BlendTables& t, int p) {
  for (int a = 0; a < 32; ++a)
    for (int b = 0; b < 32; ++b) t.five[a][b] = static_cast<uint8_t>(Blend(a, b, p));
  for (int a = 0; a < 64; ++a)
    for (int b = 0; b < 64; ++b) t.six[a][b] = static_cast<uint8_t>(Blend(a, b, p));
}

}  // namespace

void CaptureSave(int which, const ClipRect* rect) {
  platform::Surface surface = which == 0 ? SaveSurface[0] : SaveSurface[1];
  if (!DisplayUp() || !surface) return;
  std::vector<uint16_t>& image = which == 0 ? gFadeA : gFadeB;
  platform::LockedSurface locked;
  if (!LockSave(surface, locked)) return;
  ClipRect r = Bounded(rect);
  for (int y = r.top; y < r.bottom && !Device().Blind(); ++y) {
    const uint16_t* row = Row(locked, y);
    std::copy(row + r.left, row + r.right, image.begin() + y * 800 + r.left);
  }
  Device().Unlock(surface);
}

void FadeStep(int percent, const ClipRect* rect, int keyed) {
  if (percent < 0 || percent > 100) return;
  if (!DisplayUp() || !SaveSurface[0]) return;
  platform::LockedSurface locked;
  if (!LockSave(SaveSurface[0], locked)) return;
  ClipRect r = Bounded(rect);
  // A blend of two values in range stays in range, so keyed mode's clamp never bites.
  static BlendTables tables;
  MakeTables(tables, percent);
  for (int y = r.top; y < r.bottom && !Device().Blind(); ++y) {
    uint16_t* out = Row(locked, y);
    const uint16_t* a = gFadeA.data() + y * 800;
    const uint16_t* b = gFadeB.data() + y * 800;
    for (int x = r.left; x < r.right; ++x) {
      uint16_t pa = a[x], pb = b[x];
      if (keyed && pa == KeyColour) {
        out[x] = pa;
        continue;
      }
      out[x] = static_cast<uint16_t>(tables.five[pa >> 11][pb >> 11] * 2048 +
                                     tables.six[(pa >> 5) & 0x3F][(pb >> 5) & 0x3F] * 32 +
                                     tables.five[pa & 0x1F][pb & 0x1F]);
    }
  }
  Device().Unlock(SaveSurface[0]);
  RestoreRect(0, 0, 0, keyed, r.left, r.top, r.right, r.bottom);
}

void FadeToPicture(Sprite& picture) {
  SaveRect(1, 0, 0, 800, 600);
  CaptureSave(1, nullptr);
  DrawSpriteToSave(0, picture, 0, 0, 0, nullptr, 0);
  CaptureSave(0, nullptr);
  TweenStart(800);
  do {
    FadeStep(static_cast<int>(TweenValue(100)), nullptr, 2);
    Present();
  } while (!TweenDone());
}
