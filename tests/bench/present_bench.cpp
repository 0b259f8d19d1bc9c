// One present of the SDL backend in a real window: the flip, the upload of the frame to
// the streaming texture, the letterboxed copy and the swap; the 15 ms pacing is left out.
// Run under a display (scripts/bench.sh uses Xvfb).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "graphics/display.h"
#include "graphics/sprites.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/system.h"

namespace {

void BM_SdlPresent(benchmark::State& state) {
  setenv("STRIKORA_WINDOWED", "1", 1);
  platform::SdlPlatform sdl;
  SetSystem(&sdl);
  if (!sdl.CreateMainWindow() || !InitDisplay()) {
    state.SkipWithError("no window or display here");
    return;
  }
  uint16_t colour = 0;
  for (auto _ : state) {
    Device().Fill(BackBuffer, nullptr, colour++);
    Device().Flip(PrimarySurface);
    CopyScreenToBack();
  }
  ShutdownDisplay(255);
  SetSystem(nullptr);
}
BENCHMARK(BM_SdlPresent)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
