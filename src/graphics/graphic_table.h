// Every picture of the game, known by a small key, and the Sprite records through which
// the rest of the program addresses them. Pictures are read from their BMP or PCX files
// into image surfaces with the transparent colour set: a few at start-up, the rest on
// first draw.
#pragma once

#include <cstdint>

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

inline constexpr int kGraphicKeys = 84;
extern GraphicEntry GraphicTable[kGraphicKeys + 1];

// The table index of a key, -1 when the key is not in the table.
int FindGraphic(int key);

void LoadGraphicHeader(Sprite& sprite, int key, uint16_t frames);
void LoadGraphic(Sprite& sprite, int key, uint16_t frames);
void LoadAllGraphics();

// The Sprite of each key of the start-up list, shared by everything that draws it.
Sprite& GraphicSprite(int key);
