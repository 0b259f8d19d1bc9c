#include "graphics/sprites.h"

#include "graphics/display.h"
#include "shell/entry.h"
#include "shell/system.h"
#include "shell/timing.h"

using platform::DisplayResult;
using platform::kScreenHeight;
using platform::kScreenWidth;

namespace {

uint32_t gPacingDeadline = 0;

platform::Surface SaveTarget(int save) {
  int n = save & 0xFF;
  return n >= 0 && n <= 2 ? SaveSurface[n] : 0;
}

// Draws onto `target`; `restoreTarget` is the surface to restore after a loss and
// `lostCode` the fatal code when that restore fails.
void DrawOnto(platform::Surface target, platform::Surface restoreTarget, int lostCode,
              Sprite& sprite, int frame, int x, int y, const ClipRect* clip, int transparent) {
  if (!DisplayUp() || !target) return;
  // A Sprite that no loader has filled addresses nothing.
  if (sprite.frameCount <= 0 || sprite.tableIndex < 0 || sprite.tableIndex >= kGraphicKeys) return;
  GraphicEntry& entry = GraphicTable[sprite.tableIndex];
  if (!entry.surface) LoadGraphic(sprite, entry.key, static_cast<uint16_t>(sprite.frameCount));
  if (!DisplayUp() || !entry.surface) return;
  // Frames outside the strip are not part of the picture: nothing is drawn.
  if (frame < 0 || frame >= sprite.frameCount) return;

  ClipRect r = clip ? *clip : kFullScreen;
  platform::Rect s{0, frame * sprite.frameHeight, sprite.width,
                   frame * sprite.frameHeight + sprite.frameHeight};
  if (x < r.left) {
    s.left += r.left - x;
    x = r.left;
  }
  if (y < r.top) {
    s.top += r.top - y;
    y = r.top;
  }
  if (x + (s.right - s.left) >= r.right) s.right -= x + (s.right - s.left) - r.right;
  if (y + (s.bottom - s.top) >= r.bottom) s.bottom -= y + (s.bottom - s.top) - r.bottom;
  if (s.left >= s.right || s.top >= s.bottom) return;

  platform::Rect d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
  for (;;) {
    DisplayResult result = Device().Blit(target, d, entry.surface, s, transparent != 0);
    if (result == DisplayResult::SurfaceLost) {
      if (Device().Restore(restoreTarget) != DisplayResult::Ok) {
        ShutdownDisplay(lostCode);
        return;
      }
      // The picture itself may be the one lost: it is read again from its file.
      if (Device().IsLost(entry.surface)) {
        Device().Release(entry.surface);
        entry.surface = 0;
        LoadGraphic(sprite, entry.key, static_cast<uint16_t>(sprite.frameCount));
        if (!DisplayUp() || !entry.surface) return;
      }
      continue;
    }
    if (result == DisplayResult::StillDrawing) continue;
    return;
  }
}

// A screen-area copy with the usual retries: after a loss, whichever of the two surfaces
// was lost is restored (`lost` when neither says so), and a loss that comes back after
// kCopyRetries restores is given up as a failed restore: fatal with `lostCode`, or
// silently when lostCode is 0.
constexpr int kCopyRetries = 8;

void CopyArea(platform::Surface dst, const platform::Rect& d, platform::Surface src,
              const platform::Rect& s, const uint16_t* key, platform::Surface lost, int lostCode) {
  for (int losses = 0;;) {
    DisplayResult result = Device().Blit(dst, d, src, s, false, key);
    if (result == DisplayResult::SurfaceLost) {
      bool restored = ++losses <= kCopyRetries;
      bool named = false;
      for (platform::Surface surface : {dst, src}) {
        if (!restored || !Device().IsLost(surface)) continue;
        named = true;
        restored = Device().Restore(surface) == DisplayResult::Ok;
      }
      if (restored && !named) restored = Device().Restore(lost) == DisplayResult::Ok;
      if (restored) continue;
      if (lostCode) ShutdownDisplay(lostCode);
      return;
    }
    if (result == DisplayResult::StillDrawing) continue;
    return;
  }
}

}  // namespace

void ResetPresentPacing() {
  gPacingDeadline = 0;
}

void DrawSprite(Sprite& sprite, int frame, int x, int y, const ClipRect* clip, int transparent) {
  DrawOnto(BackBuffer, PrimarySurface, kShutdownSpriteRestoreFailed, sprite, frame, x, y, clip,
           transparent);
}

void DrawSpriteToSave(int save, Sprite& sprite, int frame, int x, int y, const ClipRect* clip,
                      int transparent) {
  platform::Surface target = SaveTarget(save);
  ClipRect cut;
  if (clip) {
    cut = *clip;
    if (cut.right > kScreenWidth) cut.right = kScreenWidth;
    clip = &cut;
  }
  DrawOnto(target, target, kShutdownSaveRestoreFailed, sprite, frame, x, y, clip, transparent);
}

void FlipPaced() {
  if (DisplayUp()) {
    DisplayResult r;
    do {
      r = Device().Flip(PrimarySurface);
    } while (r == DisplayResult::StillDrawing);
    if (r == DisplayResult::SurfaceLost) {
      if (Device().Restore(PrimarySurface) != DisplayResult::Ok) {
        ShutdownDisplay(kShutdownLockFailed);
        return;
      }
      Device().Flip(PrimarySurface);
    }
  }
  // Nothing but the messages is done until the next frame is due.
  do {
    Sys().WaitingUntil(gPacingDeadline);
    PumpMessages();
  } while (!TimerExpired(gPacingDeadline));
  TimerStart(gPacingDeadline, 15);
}

void CopyScreenToBack() {
  if (!DisplayUp()) return;
  platform::Rect all{0, 0, kScreenWidth, kScreenHeight};
  Device().Blit(BackBuffer, all, PrimarySurface, all, false);
}

void Present() {
  FlipPaced();
  CopyScreenToBack();
}

void SaveRect(int save, int left, int top, int right, int bottom) {
  platform::Surface target = SaveTarget(save);
  if (!DisplayUp() || !target) return;
  platform::Rect r{left, top, right, bottom};
  CopyArea(target, r, BackBuffer, r, nullptr, target, kShutdownSaveRestoreFailed);
}

void RestoreRect(int save, int dx, int dy, int keyed, int left, int top, int right, int bottom) {
  platform::Surface source = SaveTarget(save);
  if (!DisplayUp() || !source) return;
  platform::Rect d{left, top, right, bottom};
  platform::Rect s{left - dx, top - dy, right - dx, bottom - dy};
  int dw = right - left, dh = bottom - top;
  if (dw == 0) dw = 1;
  if (dh == 0) dh = 1;
  int sw = dw, sh = dh;
  // The source is clipped to the screen with the destination moved along, then the
  // destination with the source moved along.
  if (s.left < 0) {
    d.left += -s.left * dw / sw;
    s.left = 0;
  }
  if (s.top < 0) {
    d.top += -s.top * dh / sh;
    s.top = 0;
  }
  if (s.right > kScreenWidth) {
    d.right -= (s.right - kScreenWidth) * dw / sw;
    s.right = kScreenWidth;
  }
  if (s.bottom > kScreenHeight) {
    d.bottom -= (s.bottom - kScreenHeight) * dh / sh;
    s.bottom = kScreenHeight;
  }
  if (d.left < 0) {
    s.left += -d.left * sw / dw;
    d.left = 0;
  }
  if (d.top < 0) {
    s.top += -d.top * sh / dh;
    d.top = 0;
  }
  if (d.right > kScreenWidth) {
    s.right -= (d.right - kScreenWidth) * sw / dw;
    d.right = kScreenWidth;
  }
  if (d.bottom > kScreenHeight) {
    s.bottom -= (d.bottom - kScreenHeight) * sh / dh;
    d.bottom = kScreenHeight;
  }
  CopyArea(BackBuffer, d, source, s, keyed ? &KeyColour : nullptr, BackBuffer, 0);
}
