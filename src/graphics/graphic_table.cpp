#include "graphics/graphic_table.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "shell/eventlog.h"
#include "shell/system.h"

using platform::DisplayResult;

GraphicEntry GraphicTable[kGraphicKeys + 1] = {
    {1, "Graphic_resource\\Loading\\LoadingScreen.BMP", GraphicFormat::Bmp, 0},
    {2, "Graphic_resource\\Menu\\Insert.BMP", GraphicFormat::Bmp, 0},
    {3, "Graphic_resource\\transparency.PCX", GraphicFormat::Pcx, 0},
    {4, "Graphic_resource\\Menu\\OptionBackground.BMP", GraphicFormat::Bmp, 0},
    {5, "Graphic_resource\\Menu\\CreditNos.BMP", GraphicFormat::Bmp, 0},
    {6, "Graphic_resource\\Menu\\InfoScreen.BMP", GraphicFormat::Bmp, 0},
    {7, "Graphic_resource\\Menu\\CreditBlank.BMP", GraphicFormat::Bmp, 0},
    {8, "Graphic_resource\\Menu\\BankBlank.BMP", GraphicFormat::Bmp, 0},
    {9, "Graphic_resource\\Font1a.PCX", GraphicFormat::Pcx, 0},
    {10, "Graphic_resource\\Font3.PCX", GraphicFormat::Pcx, 0},
    {11, "Graphic_resource\\TrueFalse\\TFFont.BMP", GraphicFormat::Bmp, 0},
    {12, "Graphic_resource\\Question\\courierfontblueans.PCX", GraphicFormat::Pcx, 0},
    {13, "Graphic_resource\\Main\\pointsboxfont.BMP", GraphicFormat::Bmp, 0},
    {14, "Graphic_resource\\Main\\winplanfont.BMP", GraphicFormat::Bmp, 0},
    {15, "Graphic_resource\\Main\\Main.BMP", GraphicFormat::Bmp, 0},
    {16, "Graphic_resource\\Main\\WinBackGround.BMP", GraphicFormat::Bmp, 0},
    {17, "Graphic_resource\\Main\\prizevalues.BMP", GraphicFormat::Bmp, 0},
    {18, "Graphic_resource\\TrueFalse\\TFBorder.BMP", GraphicFormat::Bmp, 0},
    {19, "Graphic_resource\\TrueFalse\\TrueButton.BMP", GraphicFormat::Bmp, 0},
    {20, "Graphic_resource\\TrueFalse\\FalseButton.BMP", GraphicFormat::Bmp, 0},
    {21, "Graphic_resource\\TrueFalse\\Wrong.BMP", GraphicFormat::Bmp, 0},
    {22, "Graphic_resource\\TrueFalse\\DonkeyWrong.BMP", GraphicFormat::Bmp, 0},
    {23, "Graphic_resource\\TrueFalse\\Correct.BMP", GraphicFormat::Bmp, 0},
    {24, "Graphic_resource\\TrueFalse\\Timeup.BMP", GraphicFormat::Bmp, 0},
    {25, "Graphic_resource\\TrueFalse\\Box.BMP", GraphicFormat::Bmp, 0},
    {26, "Graphic_resource\\TrueFalse\\BoxEdge.BMP", GraphicFormat::Bmp, 0},
    {27, "Graphic_resource\\Main\\boxes.BMP", GraphicFormat::Bmp, 0},
    {28, "Graphic_resource\\Main\\winplanback.BMP", GraphicFormat::Bmp, 0},
    {29, "Graphic_resource\\Main\\Pointer.BMP", GraphicFormat::Bmp, 0},
    {30, "Graphic_resource\\Main\\winvalues.BMP", GraphicFormat::Bmp, 0},
    {31, "Graphic_resource\\Main\\pointsbox.BMP", GraphicFormat::Bmp, 0},
    {32, "Graphic_resource\\Main\\collectbutton.BMP", GraphicFormat::Bmp, 0},
    {33, "Graphic_resource\\Main\\cashpot.BMP", GraphicFormat::Bmp, 0},
    {34, "Graphic_resource\\Main\\grid.BMP", GraphicFormat::Bmp, 0},
    {35, "Graphic_resource\\Main\\pointnumbers.BMP", GraphicFormat::Bmp, 0},
    {36, "Graphic_resource\\Main\\winplannumbers.BMP", GraphicFormat::Bmp, 0},
    {37, "Graphic_resource\\Menu\\OptionBackgroundBLank.BMP", GraphicFormat::Bmp, 0},
    {38, "Graphic_resource\\Menu\\MenuBlank.BMP", GraphicFormat::Bmp, 0},
    {39, "Graphic_resource\\Menu\\OptionBlank.BMP", GraphicFormat::Bmp, 0},
    {40, "Graphic_resource\\Menu\\PlayBlank.BMP", GraphicFormat::Bmp, 0},
    {41, "Graphic_resource\\Menu\\BankSwipe.BMP", GraphicFormat::Bmp, 0},
    {42, "Graphic_resource\\Menu\\CreditSwipe.BMP", GraphicFormat::Bmp, 0},
    {43, "Graphic_resource\\Menu\\PlaySwipe.BMP", GraphicFormat::Bmp, 0},
    {44, "Graphic_resource\\Menu\\MenuSwipe.BMP", GraphicFormat::Bmp, 0},
    {45, "Graphic_resource\\Menu\\OptionSwipe.BMP", GraphicFormat::Bmp, 0},
    {46, "Graphic_resource\\Menu\\BackBlank.BMP", GraphicFormat::Bmp, 0},
    {47, "Graphic_resource\\Menu\\BackSwipe.BMP", GraphicFormat::Bmp, 0},
    {48, "Graphic_resource\\Main\\animQMark.BMP", GraphicFormat::Bmp, 0},
    {49, "Graphic_resource\\Main\\anim1000.BMP", GraphicFormat::Bmp, 0},
    {50, "Graphic_resource\\Main\\anim2000.BMP", GraphicFormat::Bmp, 0},
    {51, "Graphic_resource\\Main\\anim3000.BMP", GraphicFormat::Bmp, 0},
    {52, "Graphic_resource\\Main\\anim4000.BMP", GraphicFormat::Bmp, 0},
    {53, "Graphic_resource\\Main\\anim5000.BMP", GraphicFormat::Bmp, 0},
    {54, "Graphic_resource\\Main\\anim6000.BMP", GraphicFormat::Bmp, 0},
    {55, "Graphic_resource\\Main\\anim7000.BMP", GraphicFormat::Bmp, 0},
    {56, "Graphic_resource\\Main\\anim8000.BMP", GraphicFormat::Bmp, 0},
    {57, "Graphic_resource\\Main\\anim9000.BMP", GraphicFormat::Bmp, 0},
    {58, "Graphic_resource\\Main\\anim10000.BMP", GraphicFormat::Bmp, 0},
    {59, "Graphic_resource\\Main\\anim20000.BMP", GraphicFormat::Bmp, 0},
    {60, "Graphic_resource\\Main\\anim30000.BMP", GraphicFormat::Bmp, 0},
    {61, "Graphic_resource\\Main\\anim40000.BMP", GraphicFormat::Bmp, 0},
    {62, "Graphic_resource\\Main\\anim50000.BMP", GraphicFormat::Bmp, 0},
    {63, "Graphic_resource\\Main\\anim100000.BMP", GraphicFormat::Bmp, 0},
    {64, "Graphic_resource\\Main\\animDoubleOrQuits.BMP", GraphicFormat::Bmp, 0},
    {65, "Graphic_resource\\Main\\animExtraLife.BMP", GraphicFormat::Bmp, 0},
    {66, "Graphic_resource\\Main\\animReveal.BMP", GraphicFormat::Bmp, 0},
    {67, "Graphic_resource\\Main\\animCashpot.BMP", GraphicFormat::Bmp, 0},
    {68, "Graphic_resource\\Main\\animTrueFalse.BMP", GraphicFormat::Bmp, 0},
    {69, "Graphic_resource\\Main\\LifeScreen.BMP", GraphicFormat::Bmp, 0},
    {70, "Graphic_resource\\Main\\Life1Anim.BMP", GraphicFormat::Bmp, 0},
    {71, "Graphic_resource\\Main\\Life2Anim.BMP", GraphicFormat::Bmp, 0},
    {72, "Graphic_resource\\Main\\Life3Anim.BMP", GraphicFormat::Bmp, 0},
    {73, "Graphic_resource\\Main\\LivesMen.BMP", GraphicFormat::Bmp, 0},
    {74, "Graphic_resource\\Main\\Reveal-0.BMP", GraphicFormat::Bmp, 0},
    {75, "Graphic_resource\\Main\\Reveal-1.BMP", GraphicFormat::Bmp, 0},
    {76, "Graphic_resource\\Main\\Reveal-2.BMP", GraphicFormat::Bmp, 0},
    {77, "Graphic_resource\\Main\\Reveal-3.BMP", GraphicFormat::Bmp, 0},
    {78, "Graphic_resource\\Main\\Reveal-4.BMP", GraphicFormat::Bmp, 0},
    {79, "Graphic_resource\\Main\\Reveal-5.BMP", GraphicFormat::Bmp, 0},
    {80, "Graphic_resource\\Main\\CashpotNos.BMP", GraphicFormat::Bmp, 0},
    {81, "Graphic_resource\\Main\\Boots.BMP", GraphicFormat::Bmp, 0},
    {82, "Graphic_resource\\Main\\TimerBits.BMP", GraphicFormat::Bmp, 0},
    {83, "Graphic_resource\\Main\\words.BMP", GraphicFormat::Bmp, 0},
    {84, "Graphic_resource\\Main\\collectanim.BMP", GraphicFormat::Bmp, 0},
    {0, nullptr, GraphicFormat::Bmp, 0},
};

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
    uint16_t frames;
    bool full;
  };
  static const Item kList[] = {
      {2, 1, false},   {5, 12, false},  {7, 1, false},   {8, 1, false},   {46, 1, false},
      {47, 1, false},  {37, 1, false},  {38, 1, false},  {39, 1, false},  {40, 1, false},
      {41, 1, false},  {42, 1, false},  {43, 1, false},  {44, 1, false},  {45, 1, false},
      {6, 1, false},   {15, 1, false},  {3, 1, true},    {4, 1, true},    {9, 96, true},
      {10, 96, true},  {13, 96, true},  {14, 96, true},  {27, 22, false}, {28, 1, false},
      {29, 1, false},  {30, 8, false},  {31, 1, false},  {32, 3, false},  {84, 14, false},
      {33, 1, false},  {34, 1, false},  {35, 11, false}, {36, 11, false}, {48, 15, false},
      {49, 9, false},  {50, 9, false},  {51, 9, false},  {52, 9, false},  {53, 9, false},
      {54, 9, false},  {55, 9, false},  {56, 9, false},  {57, 9, false},  {58, 9, false},
      {59, 9, false},  {60, 9, false},  {61, 9, false},  {62, 9, false},  {63, 9, false},
      {64, 9, false},  {65, 9, false},  {66, 9, false},  {67, 9, false},  {68, 9, false},
      {69, 1, false},  {70, 20, false}, {71, 20, false}, {72, 20, false}, {73, 6, false},
      {80, 12, false}, {81, 5, false},  {74, 2, false},  {75, 2, false},  {76, 2, false},
      {77, 2, false},  {78, 2, false},  {79, 2, false},  {82, 3, false},  {83, 5, false},
  };
  for (const Item& item : kList) {
    Sprite& s = GraphicSprite(item.key);
    if (item.full)
      LoadGraphic(s, item.key, item.frames);
    else
      LoadGraphicHeader(s, item.key, item.frames);
  }
}
