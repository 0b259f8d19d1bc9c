#include "graphics/graphic_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "shell/eventlog.h"
#include "shell/system.h"

using platform::DisplayResult;

namespace {

constexpr std::array<GraphicEntry, kGraphicKeys + 1> LoadableTable() {
  std::array<GraphicEntry, kGraphicKeys + 1> table{};
  for (int i = 0; i < kGraphicKeys; ++i)
    table[i] = {kGraphicFiles[i].key, kGraphicFiles[i].path, kGraphicFiles[i].format, 0};
  table[kGraphicKeys] = {0, nullptr, GraphicFormat::Bmp, 0};
  return table;
}

}  // namespace

constinit std::array<GraphicEntry, kGraphicKeys + 1> GraphicTable = LoadableTable();

namespace {

Sprite gSprites[kGraphicKeys + 1];

// The largest picture file read: a full-screen 24-bit BMP is 1.4 MB.
constexpr long long kMaxPictureFile = 64LL * 1024 * 1024;

// The loaders' one way out: say why in the log, then the display's fatal exit.
void Fatal(int code, int key, const char* path, const std::string& why) {
  LogMessage("graphic %d (%s): %s\n", key, path ? path : "not in the table", why.c_str());
  ShutdownDisplay(code);
}

// Reads a picture file, or only its first `limit` bytes; false when it cannot be opened.
// A file larger than kMaxPictureFile is read no further than that.
bool ReadFile(const GraphicEntry& e, size_t limit, std::vector<uint8_t>& bytes) {
  FILE* f = Sys().OpenFile(e.path, "rb");
  if (!f) return false;
  if (limit == 0 && std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    limit = size < 0 ? 0 : static_cast<size_t>(std::min<long long>(size, kMaxPictureFile + 1));
    std::rewind(f);
  }
  bytes.resize(limit);
  size_t got = std::fread(bytes.data(), 1, limit, f);
  std::fclose(f);
  bytes.resize(got);
  return true;
}

void FillSprite(Sprite& s, int index, int width, int height, uint16_t frames) {
  s.width = width;
  s.frameHeight = frames ? height / frames : 0;
  s.tableIndex = index;
  s.frameCount = frames;
}

}  // namespace

int FindGraphic(int key) {
  for (int i = 0; GraphicTable[i].key != 0; ++i)
    if (GraphicTable[i].key == key) return i;
  return -1;
}

Sprite& GraphicSprite(int key) {
  return gSprites[key >= 1 && key <= kGraphicKeys ? key : 0];
}

void LoadGraphicHeader(Sprite& sprite, int key, uint16_t frames) {
  int index = FindGraphic(key);
  if (index < 0) return Fatal(kShutdownBadPicture, key, nullptr, "no such key");
  const GraphicEntry& e = GraphicTable[index];
  std::vector<uint8_t> bytes;
  if (!ReadFile(e, 128, bytes))
    return Fatal(kShutdownBadPicture, key, e.path, "cannot open the file");
  // Anything that is not a PCX is read as a BMP.
  GraphicFormat format = e.format == GraphicFormat::Pcx ? GraphicFormat::Pcx : GraphicFormat::Bmp;
  PictureHeader h;
  std::string why;
  if (!ReadPictureHeader(format, bytes.data(), bytes.size(), h, &why))
    return Fatal(kShutdownBadPicture, key, e.path, why);
  if (frames == 0) return Fatal(kShutdownBadPicture, key, e.path, "no frames");
  FillSprite(sprite, index, h.width, h.height, frames);
}

void LoadGraphic(Sprite& sprite, int key, uint16_t frames) {
  int index = FindGraphic(key);
  if (index < 0) return Fatal(kShutdownBadPicture, key, nullptr, "no such key");
  GraphicEntry& e = GraphicTable[index];
  if (frames == 0) return Fatal(kShutdownBadPicture, key, e.path, "no frames");
  // After a fatal graphics error there is nothing to load into; that error is logged.
  if (!DisplayUp()) return;
  platform::DisplayDevice& d = Device();
  int width, height;
  if (e.surface && d.GetSize(e.surface, width, height)) {
    FillSprite(sprite, index, width, height, frames);
    return;
  }
  if (e.format != GraphicFormat::Bmp && e.format != GraphicFormat::Pcx)
    return Fatal(kShutdownBadPicture, key, e.path, "neither a BMP nor a PCX picture");
  std::vector<uint8_t> bytes;
  if (!ReadFile(e, 0, bytes))
    return Fatal(kShutdownBadPicture, key, e.path, "cannot open the file");
  if (bytes.size() > static_cast<size_t>(kMaxPictureFile))
    return Fatal(kShutdownNoPixelMemory, key, e.path, "the file is too large");

  PictureHeader h;
  std::string why;
  if (!ReadPictureHeader(e.format, bytes.data(), bytes.size(), h, &why))
    return Fatal(kShutdownBadPicture, key, e.path, why);
  Picture565 picture;
  if (!DecodePicture(e.format, bytes.data(), bytes.size(), picture, &why))
    return Fatal(why == "the picture is too large" ? kShutdownNoPixelMemory : kShutdownBadPicture,
                 key, e.path, why);

  platform::Surface surface = 0;
  if (d.CreateSurface(picture.width, picture.height, surface) != DisplayResult::Ok)
    return Fatal(kShutdownNoImageSurface, key, e.path, "cannot make an image surface");
  e.surface = surface;
  d.SetColourKey(surface, KeyColour);
  platform::LockedSurface locked;
  for (;;) {
    DisplayResult r = d.Lock(surface, locked);
    if (r == DisplayResult::Ok) break;
    if (r == DisplayResult::StillDrawing) continue;
    if (r == DisplayResult::SurfaceLost && d.Restore(surface) == DisplayResult::Ok) continue;
    return Fatal(kShutdownLockFailed, key, e.path, "cannot lock its image surface");
  }
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(locked.pixels) +
                                            static_cast<size_t>(y) * locked.pitch);
    std::copy_n(picture.pixels.data() + static_cast<size_t>(y) * picture.width, picture.width, row);
  }
  d.Unlock(surface);
  FillSprite(sprite, index, picture.width, picture.height, frames);
}

void LoadAllGraphics() {
  struct Item {
    int key;
    bool full;
  };
  static const Item kList[] = {
      {2, false},  {5, false},  {7, false},  {8, false},  {46, false}, {47, false}, {37, false},
      {38, false}, {39, false}, {40, false}, {41, false}, {42, false}, {43, false}, {44, false},
      {45, false}, {6, false},  {15, false}, {3, true},   {4, true},   {9, true},   {10, true},
      {13, true},  {14, true},  {27, false}, {28, false}, {29, false}, {30, false}, {31, false},
      {32, false}, {84, false}, {33, false}, {34, false}, {35, false}, {36, false}, {48, false},
      {49, false}, {50, false}, {51, false}, {52, false}, {53, false}, {54, false}, {55, false},
      {56, false}, {57, false}, {58, false}, {59, false}, {60, false}, {61, false}, {62, false},
      {63, false}, {64, false}, {65, false}, {66, false}, {67, false}, {68, false}, {69, false},
      {70, false}, {71, false}, {72, false}, {73, false}, {80, false}, {81, false}, {74, false},
      {75, false}, {76, false}, {77, false}, {78, false}, {79, false}, {82, false}, {83, false},
  };
  for (const Item& item : kList) {
    Sprite& s = GraphicSprite(item.key);
    const auto frames = static_cast<uint16_t>(kGraphicFiles[item.key - 1].frames);
    if (item.full)
      LoadGraphic(s, item.key, frames);
    else
      LoadGraphicHeader(s, item.key, frames);
  }
}
