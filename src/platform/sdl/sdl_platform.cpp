#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace platform {

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

void OnStopSignal(int signal) {
  gStopSignal = signal;
}

// Milliseconds since the machine booted, as the game's clock has always counted, so
// that every start seeds the generator differently.
uint32_t MillisecondsSinceBoot() {
  timespec t{};
  clock_gettime(CLOCK_BOOTTIME, &t);
  return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000u +
                               static_cast<uint64_t>(t.tv_nsec) / 1000000u);
}

}  // namespace

SdlPlatform::SdlPlatform() {
  // The signals are the program's own: SDL would turn SIGTERM and SIGINT into a close
  // request, which the game ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &stop, nullptr);
  // One touch must be one press: no synthetic mouse events from fingers, and no
  // synthetic finger events from the mouse.
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  // The program works in its own folder, beside its pictures, sounds and packs.
  if (char* base = SDL_GetBasePath()) {
    SetGameDir(base);
    SDL_free(base);
  }
}

SdlPlatform::~SdlPlatform() {
  CloseDisplay();
  sound_.Close();
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
}

bool SdlPlatform::CreateMainWindow() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    std::fprintf(stderr, "strikora: cannot start the video system: %s\n", SDL_GetError());
    return false;
  }
  const char* windowed = std::getenv("STRIKORA_WINDOWED");
  bool inWindow = windowed && *windowed && std::strcmp(windowed, "0") != 0;
  // Full screen is asked for twice: from the window manager, and, for an X session with
  // none (a bare cabinet), by a borderless window as large as the screen at its corner.
  // Either way the size SDL reports is the size the window really has.
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  int w = kScreenWidth, h = kScreenHeight;
  Uint32 flags = 0;
  SDL_DisplayMode desktop;
  if (!inWindow && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    x = y = 0;
    w = desktop.w;
    h = desktop.h;
    flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
  }
  // With no display SDL falls back to drivers that show nothing: a cabinet without a
  // screen must say so, not play unseen. A driver asked for by name is taken as it is.
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  const char* driver = SDL_GetCurrentVideoDriver();
  if ((!chosen || !*chosen) && driver &&
      (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    std::fprintf(stderr, "strikora: no display to show the game on (video driver %s)\n", driver);
    return false;
  }
  window_ = SDL_CreateWindow("", x, y, w, h, flags | SDL_WINDOW_SHOWN);
  if (!window_) {
    std::fprintf(stderr, "strikora: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  SDL_ShowCursor(SDL_DISABLE);
  return true;
}

bool SdlPlatform::MapToScreen(float wx, float wy, int& x, int& y) const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (w <= 0 || h <= 0) return false;
  // The picture is scaled to fit and centred, with black bars on the long side.
  float scale =
      std::min(static_cast<float>(w) / kScreenWidth, static_cast<float>(h) / kScreenHeight);
  float left = (w - kScreenWidth * scale) / 2.0f;
  float top = (h - kScreenHeight * scale) / 2.0f;
  float sx = (wx - left) / scale, sy = (wy - top) / scale;
  if (sx < 0 || sy < 0 || sx >= kScreenWidth || sy >= kScreenHeight) return false;
  x = static_cast<int>(sx);
  y = static_cast<int>(sy);
  return true;
}

bool SdlPlatform::PeekMessage(Message& out) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    int x = 0, y = 0;
    if (e.type == SDL_WINDOWEVENT) repaint_ = true;
    switch (e.type) {
      case SDL_QUIT:
        out = {MessageKind::Destroy, 0};
        return true;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID) break;
        if (!MapToScreen(static_cast<float>(e.button.x), static_cast<float>(e.button.y), x, y))
          break;
        out = {MessageKind::LeftButtonDown, PackPoint(x, y)};
        return true;
      case SDL_FINGERUP:
        if (fingerDown_ && e.tfinger.fingerId == finger_) fingerDown_ = false;
        break;
      case SDL_FINGERDOWN: {
        // The first finger down presses; others, and a resting palm, do nothing until it
        // is lifted.
        if (fingerDown_ && e.tfinger.fingerId != finger_) break;
        fingerDown_ = true;
        finger_ = e.tfinger.fingerId;
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        if (!MapToScreen(e.tfinger.x * w, e.tfinger.y * h, x, y)) break;
        out = {MessageKind::LeftButtonDown, PackPoint(x, y)};
        return true;
      }
      default:
        out = {MessageKind::Other, 0};
        return true;
    }
  }
  return false;
}

void SdlPlatform::QueueEmpty() {
  // Give the processor back for a moment; every wait still sees each millisecond.
  SDL_Delay(1);
}

uint32_t SdlPlatform::TimeGetTime() {
  return MillisecondsSinceBoot();
}

bool SdlPlatform::StopRequested() {
  return gStopSignal != 0;
}

LocalTime SdlPlatform::GetLocalTime() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SdlPlatform::OutputDebugString(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void SdlPlatform::MessageBox(std::string_view text, std::string_view title) {
  std::string t(text), ti(title);
  std::fprintf(stderr, "strikora: %s: %s\n", ti.c_str(), t.c_str());
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, ti.c_str(), t.c_str(), window_);
}

void SdlPlatform::ExitProcess(int code) {
  std::exit(code);
}

bool SdlPlatform::OpenDisplay() {
  if (!window_) return false;
  if (!renderer_) {
    renderer_ =
        SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      std::fprintf(stderr, "strikora: cannot create a renderer: %s\n", SDL_GetError());
      return false;
    }
  }
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                               kScreenWidth, kScreenHeight);
  if (!texture_) {
    std::fprintf(stderr, "strikora: cannot create the screen texture: %s\n", SDL_GetError());
    return false;
  }
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
  repaint_ = true;
  return true;
}

void SdlPlatform::CloseDisplay() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
}

void SdlPlatform::ShowFrame(const uint16_t* pixels, const uint8_t* rowsChanged) {
  if (!texture_) return;
  // Only the band of rows that differs from the picture last presented is uploaded; with
  // no difference (a still menu, a wait) nothing is uploaded or drawn at all.
  const size_t rowWords = kScreenWidth;
  if (shown_.size() != rowWords * kScreenHeight) {
    shown_.assign(rowWords * kScreenHeight, 0);
    repaint_ = true;
  }
  int first = 0, last = kScreenHeight - 1;
  auto same = [&](int y) {
    if (rowsChanged && !rowsChanged[y]) return true;
    return std::memcmp(pixels + y * rowWords, shown_.data() + y * rowWords, rowWords * 2) == 0;
  };
  if (!repaint_) {
    while (first <= last && same(first)) ++first;
    if (first > last) return;
    while (same(last)) --last;
  }
  const size_t from = static_cast<size_t>(first) * rowWords;
  const size_t words = static_cast<size_t>(last - first + 1) * rowWords;
  std::memcpy(shown_.data() + from, pixels + from, words * 2);
  SDL_Rect band{0, first, kScreenWidth, last - first + 1};
  SDL_UpdateTexture(texture_, &band, pixels + from, kScreenWidth * 2);
  repaint_ = false;
  // Letterbox by hand rather than with a renderer logical size, so that SDL leaves the
  // coordinates of input events alone and MapToScreen is the one mapping.
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  float scale =
      std::min(static_cast<float>(w) / kScreenWidth, static_cast<float>(h) / kScreenHeight);
  SDL_Rect dst;
  dst.w = static_cast<int>(kScreenWidth * scale);
  dst.h = static_cast<int>(kScreenHeight * scale);
  dst.x = (w - dst.w) / 2;
  dst.y = (h - dst.h) / 2;
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
  SDL_RenderPresent(renderer_);
}

}  // namespace platform
