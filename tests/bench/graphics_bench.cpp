// Drawing speed next to what one would use instead: a full-frame colour-keyed sprite
// against SDL's own colour-keyed blit of the same RGB565 pixels and against a branch per
// pixel, and a full-screen fade
// step against a plain memcpy of the bytes it must touch.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/graphic_table.h"
#include "graphics/sprites.h"
#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "temp_dir.h"
#include "test_pictures.h"

namespace {

using testing_support::Rgb;

// A full-screen picture with a quarter of its pixels magenta, in a pattern.
Rgb Pattern(int x, int y) {
  if ((x / 16 + y / 16) % 4 == 0) return Rgb{255, 0, 255};
  return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 90};
}

struct Scene {
  Scene() {
    system.SetGameDir(dir.Path());
    SetSystem(&system);
    ResetDisplayState();
    testing_support::WriteTestGraphics(dir.Path());
    std::string path = dir.Path() + "/Graphic_resource/Menu/OptionBackgroundBLank.BMP";
    testing_support::WriteFile(path, testing_support::BmpBytes(800, 600, Pattern));
    InitDisplay();
    LoadGraphic(sprite, 37, 1);
  }
  ~Scene() {
    ShutdownDisplay(255);
    SetSystem(nullptr);
  }
  testing_support::TempDir dir;
  platform::HeadlessPlatform system;
  Sprite sprite;
};

void BM_DrawSpriteKeyedFullFrame(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) DrawSprite(scene.sprite, 0, 0, 0, nullptr, 2);
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_DrawSpriteKeyedFullFrame);

void BM_SdlColourKeyedBlitFullFrame(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      Rgb c = Pattern(x, y);
      static_cast<uint16_t*>(src->pixels)[y * src->pitch / 2 + x] = Rgb565(c.r, c.g, c.b);
    }
  SDL_SetColorKey(src, SDL_TRUE, 0xF81F);
  for (auto _ : state) SDL_BlitSurface(src, nullptr, dst, nullptr);
  state.SetItemsProcessed(state.iterations() * 800 * 600);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlColourKeyedBlitFullFrame);

// The same copy with a branch per pixel, as the display device made it before its rows
// became a select that the compiler copies many pixels a step.
void BM_BranchPerPixelKeyedCopyFullFrame(benchmark::State& state) {
  std::vector<uint16_t> src(800 * 600), dst(800 * 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      Rgb c = Pattern(x, y);
      src[y * 800 + x] = Rgb565(c.r, c.g, c.b);
    }
  const uint16_t key = 0xF81F;
  for (auto _ : state) {
    for (int y = 0; y < 600; ++y) {
      const uint16_t* in = src.data() + y * 800;
      uint16_t* out = dst.data() + y * 800;
      for (int x = 0; x < 800; ++x)
        if (in[x] != key) out[x] = in[x];
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_BranchPerPixelKeyedCopyFullFrame);

void BM_FadeStepFullScreen(benchmark::State& state) {
  Scene scene;
  SaveRect(1, 0, 0, 800, 600);
  CaptureSave(1, nullptr);
  DrawSpriteToSave(0, scene.sprite, 0, 0, 0, nullptr, 0);
  CaptureSave(0, nullptr);
  int p = 0;
  for (auto _ : state) FadeStep(p++ % 101, nullptr, 2);
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_FadeStepFullScreen);

// The least a fade step can cost: read both pictures, write the blend, copy it to the
// back buffer (16-bit pixels each).
void BM_MemcpyOfAFadeStepsBytes(benchmark::State& state) {
  std::vector<uint16_t> a(800 * 600, 1), b(800 * 600, 2), save(800 * 600), back(800 * 600);
  for (auto _ : state) {
    std::memcpy(save.data(), a.data(), a.size() * 2);
    std::memcpy(save.data(), b.data(), b.size() * 2);
    std::memcpy(back.data(), save.data(), save.size() * 2);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_MemcpyOfAFadeStepsBytes);

}  // namespace

BENCHMARK_MAIN();
