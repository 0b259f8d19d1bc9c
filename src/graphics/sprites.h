// Putting frames of sprites on the back buffer or a save surface, clipped and optionally
// transparent; copying screen areas to and from the save surfaces; and presenting the
// finished picture at most once every 15 ms.
#pragma once

#include "graphics/graphic_table.h"
#include "platform/platform.h"

// Fields in this order: left, right, top, bottom (right and bottom exclusive).
struct ClipRect {
  int32_t left, right, top, bottom;
};

inline constexpr ClipRect kFullScreen{0, platform::kScreenWidth, 0, platform::kScreenHeight};

void DrawSprite(Sprite& sprite, int frame, int x, int y, const ClipRect* clip, int transparent);
void DrawSpriteToSave(int save, Sprite& sprite, int frame, int x, int y, const ClipRect* clip,
                      int transparent);
void Present();
void FlipPaced();
void CopyScreenToBack();
void SaveRect(int save, int left, int top, int right, int bottom);
void RestoreRect(int save, int dx, int dy, int keyed, int left, int top, int right, int bottom);

// Back to the start of a run: the pacing deadline is 0.
void ResetPresentPacing();
