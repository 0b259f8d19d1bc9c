// Every picture of the game, known by a small key, and the Sprite records through which
// the rest of the program addresses them. Pictures are read from their BMP or PCX files
// into image surfaces with the transparent colour set: a few at start-up, the rest on
// first draw.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/graphic_files.h"
#include "graphics/image_decode.h"
#include "platform/display/display_device.h"

struct GraphicEntry {
  int32_t key;
  const char* path;
  GraphicFormat format;
  platform::Surface surface;
};

struct Sprite {
  int32_t width = 0;
  int32_t frameHeight = 0;
  int32_t tableIndex = 0;
  int32_t frameCount = 0;
};

// The graphic keys by picture, so that drawing code names what it draws. Keys 49..58 are
// anim1000..anim10000 and 74..79 Reveal-0..Reveal-5, in order.
inline constexpr int kGraphicLoadingScreen = 1;
inline constexpr int kGraphicInsert = 2;
inline constexpr int kGraphicTransparency = 3;
inline constexpr int kGraphicOptionBackground = 4;
inline constexpr int kGraphicCreditNos = 5;
inline constexpr int kGraphicInfoScreen = 6;
inline constexpr int kGraphicCreditBlank = 7;
inline constexpr int kGraphicBankBlank = 8;
inline constexpr int kGraphicFont1a = 9;
inline constexpr int kGraphicFont3 = 10;
inline constexpr int kGraphicTFFont = 11;
inline constexpr int kGraphicCourierFont = 12;
inline constexpr int kGraphicPointsBoxFont = 13;
inline constexpr int kGraphicWinPlanFont = 14;
inline constexpr int kGraphicMain = 15;
inline constexpr int kGraphicWinBackground = 16;
inline constexpr int kGraphicPrizeValues = 17;
inline constexpr int kGraphicTFBorder = 18;
inline constexpr int kGraphicTrueButton = 19;
inline constexpr int kGraphicFalseButton = 20;
inline constexpr int kGraphicWrong = 21;
inline constexpr int kGraphicDonkeyWrong = 22;
inline constexpr int kGraphicCorrect = 23;
inline constexpr int kGraphicTimeup = 24;
inline constexpr int kGraphicQuestionBox = 25;
inline constexpr int kGraphicQuestionBoxEdge = 26;
inline constexpr int kGraphicBoxes = 27;
inline constexpr int kGraphicWinPlanBack = 28;
inline constexpr int kGraphicPointer = 29;
inline constexpr int kGraphicWinValues = 30;
inline constexpr int kGraphicPointsBox = 31;
inline constexpr int kGraphicCollectButton = 32;
inline constexpr int kGraphicCashpot = 33;
inline constexpr int kGraphicGrid = 34;
inline constexpr int kGraphicPointNumbers = 35;
inline constexpr int kGraphicWinPlanNumbers = 36;
inline constexpr int kGraphicMenuBackground = 37;
inline constexpr int kGraphicMenuBlank = 38;
inline constexpr int kGraphicOptionBlank = 39;
inline constexpr int kGraphicPlayBlank = 40;
inline constexpr int kGraphicBankSwipe = 41;
inline constexpr int kGraphicCreditSwipe = 42;
inline constexpr int kGraphicPlaySwipe = 43;
inline constexpr int kGraphicMenuSwipe = 44;
inline constexpr int kGraphicOptionSwipe = 45;
inline constexpr int kGraphicBackBlank = 46;
inline constexpr int kGraphicBackSwipe = 47;
inline constexpr int kGraphicAnimQMark = 48;
inline constexpr int kGraphicAnim1000 = 49;
inline constexpr int kGraphicAnim10000 = 58;
inline constexpr int kGraphicAnim20000 = 59;
inline constexpr int kGraphicAnim30000 = 60;
inline constexpr int kGraphicAnim40000 = 61;
inline constexpr int kGraphicAnim50000 = 62;
inline constexpr int kGraphicAnim100000 = 63;
inline constexpr int kGraphicAnimDoubleOrQuits = 64;
inline constexpr int kGraphicAnimExtraLife = 65;
inline constexpr int kGraphicAnimReveal = 66;
inline constexpr int kGraphicAnimCashpot = 67;
inline constexpr int kGraphicAnimTrueFalse = 68;
inline constexpr int kGraphicLifeScreen = 69;
inline constexpr int kGraphicLife1Anim = 70;
inline constexpr int kGraphicLife2Anim = 71;
inline constexpr int kGraphicLife3Anim = 72;
inline constexpr int kGraphicLivesMen = 73;
inline constexpr int kGraphicReveal0 = 74;
inline constexpr int kGraphicReveal5 = 79;
inline constexpr int kGraphicCashpotNos = 80;
inline constexpr int kGraphicBoots = 81;
inline constexpr int kGraphicTimerBits = 82;
inline constexpr int kGraphicWords = 83;
inline constexpr int kGraphicCollectAnim = 84;
// The files of kGraphicFiles with the image surface each is loaded into, ended by key 0.
extern std::array<GraphicEntry, kGraphicKeys + 1> GraphicTable;

// The table index of a key, -1 when the key is not in the table.
int FindGraphic(int key);

void LoadGraphicHeader(Sprite& sprite, int key, uint16_t frames);
void LoadGraphic(Sprite& sprite, int key, uint16_t frames);
void LoadAllGraphics();

// The Sprite of each key of the start-up list, shared by everything that draws it.
Sprite& GraphicSprite(int key);
