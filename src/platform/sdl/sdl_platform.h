// The shipped backend: SDL2 underneath. A full-screen window with an 800x600 logical
// size, letterboxed; presses and finger touches delivered as left-button messages in
// 800x600 coordinates; a close request delivered as the destroy message.
//
// STRIKORA_WINDOWED=1 in the environment opens an 800x600 window on the desktop instead
// of taking the whole screen (for developers).
//
// As a service: SIGPIPE is ignored (a log reader that went away must not end a game);
// SIGTERM, SIGINT and SIGHUP ask the program to stop; the clock counts from the machine's
// boot; a machine with no display refuses to open a window rather than play unseen; and
// only the first finger down presses, until it is lifted.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/audio/sdl_sound_device.h"
#include "platform/platform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform {

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;

  bool CreateMainWindow() override;
  bool PeekMessage(Message& out) override;
  void QueueEmpty() override;
  uint32_t TimeGetTime() override;
  LocalTime GetLocalTime() override;
  void OutputDebugString(std::string_view text) override;
  void MessageBox(std::string_view text, std::string_view title) override;
  [[noreturn]] void ExitProcess(int code) override;
  bool OpenDisplay() override;
  void CloseDisplay() override;
  void ShowFrame(const uint16_t* pixels, const uint8_t* rowsChanged) override;
  SoundDevice& Sound() override { return sound_; }
  bool StopRequested() override;

 private:
  bool MapToScreen(float windowX, float windowY, int& x, int& y) const;

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SdlSoundDevice sound_;
  // The picture last presented, and whether the window must be drawn again whatever the
  // picture (a new texture, a window shown, exposed or resized): a frame that changed
  // nothing is neither uploaded nor rendered.
  std::vector<uint16_t> shown_;
  bool repaint_ = true;
  bool fingerDown_ = false;
  int64_t finger_ = 0;  // the finger that presses while fingerDown_
};

}  // namespace platform
