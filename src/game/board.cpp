#include "game/board.h"

#include <cstring>

#include "accounting/accounting.h"
#include "game/game_flow.h"
#include "game/lives.h"
#include "game/points.h"
#include "game/touch_wait.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "shell/timing.h"
#include "sound/sound.h"

Hexagon axHexagons[kHexagons];

namespace {

constexpr ClipRect kBoardArea{layout::kBoardClipL, layout::kBoardClipR, layout::kBoardClipT,
                              layout::kBoardClipB};
constexpr int kQuestionMarkFrames = 15, kRevealFrames = 9;

void DrawFrameOf(int key, int frame, const Hexagon& h) {
  DrawSprite(GraphicSprite(key), frame, h.x, h.y, nullptr, 2);
}

void SetAllFaceDown() {
  for (Hexagon& h : axHexagons) h.faceUp = 0;
}

}  // namespace

int32_t PointsOfType(int32_t type) {
  if (type >= kHexPoints1000 && type <= kHexPoints10000) return (type - 6) * 1000;
  switch (type) {
    case 17:
      return 20000;
    case 18:
      return 30000;
    case 19:
      return 40000;
    case 20:
      return 50000;
    case 21:
      return 100000;
    default:
      return 0;
  }
}

int RevealAnimationKey(int32_t type) {
  if (type >= kHexPoints1000 && type <= kHexPoints100000)
    return kGraphicAnim1000 + (type - kHexPoints1000);
  switch (type) {
    case kHexQuestion:
      return kGraphicAnimTrueFalse;
    case kHexDoubleOrQuits:
      return kGraphicAnimDoubleOrQuits;
    case kHexBoot:
      return kGraphicAnimCashpot;
    case kHexExtraLife:
      return kGraphicAnimExtraLife;
    case kHexReveal:
      return kGraphicAnimReveal;
    default:
      return 0;
  }
}

void PlaceHexagon(int i, int32_t type) {
  Hexagon& h = axHexagons[i];
  h.x = layout::kHexX[i % 5];
  h.y = layout::kHexY[i / 5];
  h.type = type;
  h.selectable = 1;
  h.faceUp = 0;
}

uint8_t IsSelectable(int index) {
  if (index < 0 || index >= kHexagons) return 0;
  return axHexagons[index].selectable;
}

void DrawHexagons() {
  for (const Hexagon& h : axHexagons) DrawFrameOf(kGraphicBoxes, h.faceUp ? h.type : kHexBack, h);
}

void DrawBoard() {
  DrawSprite(GraphicSprite(kGraphicGrid), 0, layout::kGridX, layout::kGridY, &kBoardArea, 2);
  DrawHexagons();
}

void PreviewBoard() {
  const int32_t* stored;
  if (controlTable.controlModePreview > 1) {
    uint32_t r = RandomBelow(6);
    stored = previewPatterns[r == 5 ? 0 : r + 1];
  } else {
    stored = previewPatterns[6 + RandomBelow(4)];
  }
  // A copy is shuffled: the stored patterns stay as they are, so that a game's preview
  // does not depend on the games played before it.
  int32_t pattern[kHexagons];
  std::memcpy(pattern, stored, sizeof pattern);
  ShuffleInts(pattern, kHexagons);
  SetAllFaceDown();
  bool shown[kHexagons] = {};
  int shownCount = 0;
  DrawBoard();
  Present();
  WaitOrTouch(1000);
  // Every hexagon shows once, alone or with one or two others, 200 ms a hexagon.
  for (int e = 0; e < kHexagons; ++e) {
    int n = pattern[e];
    if (n > 0) {
      for (int k = 0; k < n && shownCount < kHexagons; ++k) {
        uint32_t h;
        do {
          h = RandomBelow(kHexagons);
        } while (shown[h]);
        shown[h] = true;
        ++shownCount;
        axHexagons[h].faceUp = 1;
      }
      StartSound(kSoundTeletype);
      DrawBoard();
      Present();
      PumpWait(static_cast<uint32_t>(n) * 200);
    }
    SetAllFaceDown();
    DrawBoard();
    Present();
  }
  for (int i = 0; i < kHexagons; ++i)
    DebugPrint("axHexagons[%d].type = <%d>\n", i, axHexagons[i].type);
}

void RevealHexagon(int index) {
  Hexagon& h = axHexagons[index];
  int32_t amount = 0;
  if (turnCount >= 60)
    h.type = kHexQuestion;
  else
    amount = PointsOfType(h.type);

  StartSound(kSoundAnimationSpin);
  TweenStart(630);
  do {
    uint32_t v = TweenValue(kQuestionMarkFrames);
    DrawFrameOf(kGraphicAnimQMark, static_cast<int>(v > 14 ? 14 : v), h);
    Present();
  } while (!TweenDone());
  int animation = RevealAnimationKey(h.type);
  TweenStart(378);
  do {
    uint32_t v = TweenValue(kRevealFrames);
    if (animation) DrawFrameOf(animation, static_cast<int>(v > 8 ? 8 : v), h);
    Present();
  } while (!TweenDone());
  DrawFrameOf(kGraphicBoxes, h.type, h);

  if (amount != 0) {
    StartSound(amount < 20000 ? kSoundSmallPoints : kSoundBigPoints);
    ChangePoints(amount, true);
    DrawPoints();
  }
  h.faceUp = 1;
  RefreshSidePanel();
  DrawBoard();
  DrawPoints();
  Present();
}

void PrepareNextRound() {
  StartSound(kSoundAnimationSpin);
  // The faces turn back on all 20 hexagons at once, then the question marks close.
  TweenStart(378);
  do {
    uint32_t v = TweenValue(kRevealFrames);
    if (v > 8) v = 8;
    for (const Hexagon& h : axHexagons)
      if (int key = RevealAnimationKey(h.type)) DrawFrameOf(key, 8 - static_cast<int>(v), h);
    Present();
  } while (!TweenDone());
  TweenStart(630);
  do {
    uint32_t v = TweenValue(kQuestionMarkFrames);
    if (v > 14) v = 14;
    for (const Hexagon& h : axHexagons) DrawFrameOf(kGraphicAnimQMark, 14 - static_cast<int>(v), h);
    Present();
  } while (!TweenDone());

  int board = turnCount / 20;
  for (int i = 0; i < kHexagons; ++i) {
    int32_t type = kHexQuestion;
    if (turnCount < 60 && board < 3) type = hexTypes[20 * board + i];
    PlaceHexagon(i, type);
  }
  DrawBoard();
  Present();
  PreviewBoard();
}
