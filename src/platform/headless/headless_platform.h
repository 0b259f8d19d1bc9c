// The headless backend: a virtual millisecond clock that moves by itself on every read,
// scripted touches at virtual times, a driver called whenever the game pumps an empty
// queue, an in-memory screen that can be written out as PNG, and recorded message
// boxes and debug output. Faults can be injected so that failure paths run.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/headless_sound_device.h"
#include "platform/platform.h"

namespace platform {

// Thrown out of the clock when the virtual time passes the run's limit.
struct VirtualTimeLimit {
  uint32_t limitMs;
};

struct HeadlessFaults {
  bool window = false;   // the window cannot be created
  bool socket = false;   // no socket can be made
  bool display = false;  // the display cannot be opened
  bool font = false;     // no system font can be made
};

class HeadlessPlatform : public Platform {
 public:
  struct Options {
    uint32_t startMs = 0;  // the clock's first reading
    uint32_t stepMs = 1;   // how far every reading moves it on
    // Local time at virtual 0 ms; the local clock runs with the virtual one.
    LocalTime localBase{2026, 12, 8, 12, 0, 0};
    std::optional<uint32_t> limitMs;  // virtual time past which the run stops
    bool blind = false;               // see Platform::Blind
    // When the program says it waits for a deadline (WaitingUntil) and its next pump finds
    // no message, the clock moves straight on to the last reading before the deadline, or
    // before the next scripted touch, scheduled action or driver's wake-up if one comes
    // first. The program then reads what it would have read reading by reading: the run
    // is the same, without the idle readings in between.
    bool skipIdle = false;
    // Log lines of error priority also go to standard error (the simulator's runs).
    bool echoErrors = false;
  };

  using Driver = std::function<void(HeadlessPlatform&)>;

  HeadlessPlatform();
  explicit HeadlessPlatform(Options options);

  bool CreateMainWindow() override;
  bool PeekMessage(Message& out) override;
  void QueueEmpty() override;
  uint32_t TimeGetTime() override;
  void WaitingUntil(uint32_t clockValue) override;
  LocalTime GetLocalTime() override;
  void OutputDebugString(std::string_view text) override;
  void MessageBox(std::string_view text, std::string_view title) override;
  [[noreturn]] void ExitProcess(int code) override;
  bool OpenDisplay() override;
  void CloseDisplay() override;
  void ShowFrame(const uint16_t* pixels, const uint8_t* rowsChanged) override;
  bool Blind() const override { return options_.blind; }
  HeadlessSoundDevice& Sound() override { return sound_; }
  SystemFontHandle CreateFont(int height, int weight, std::string* error) override;
  int SocketCreate() override;
  bool SocketConnect(int sock, const std::string& host, uint16_t port) override;
  long SocketSend(int sock, const void* data, size_t size) override;
  void SocketClose(int sock) override;
  FILE* OpenFile(std::string_view path, const char* mode) override;
  FolderResult CreateFolder(std::string_view path) override;

  // Test and bot controls.
  uint32_t Now() const { return now_; }  // reads without moving the clock
  void SetTime(uint32_t ms) { now_ = ms; }
  void SetStep(uint32_t ms) { step_ = ms; }
  void ScheduleTouch(uint32_t atMs, int x, int y);
  void PostMessage(const Message& m) { queue_.push_back(m); }
  void Touch(int x, int y);  // a press arriving now
  void SetDriver(Driver driver) { driver_ = std::move(driver); }
  // From within the driver: the clock may not skip past this reading before the driver
  // has been called again (with skipIdle). Each call of the driver starts without one.
  void WakeDriverAt(uint32_t clockValue);
  // Called with the virtual time each time it passes atMs (once).
  void ScheduleAt(uint32_t atMs, std::function<void(HeadlessPlatform&)> action);
  HeadlessFaults& Faults() { return faults_; }
  // The operator's stop request, as a signal makes it on the shipped program.
  void RequestStop() { stopRequested_ = true; }
  bool StopRequested() override { return stopRequested_; }

  // What happened.
  bool WindowCreated() const { return windowCreated_; }
  bool DisplayOpen() const { return displayOpen_; }
  size_t FramesShown() const { return framesShown_; }
  // The last frame shown, empty until one has been.
  const std::vector<uint16_t>& Screen() const { return screen_; }
  const std::vector<std::string>& DebugOutput() const { return debug_; }
  struct Box {
    std::string text, title;
  };
  const std::vector<Box>& MessageBoxes() const { return boxes_; }
  size_t QueuedMessages() const { return queue_.size(); }
  // Every call the program made through the seam, in order, apart from the clock and
  // the queue: "CreateMainWindow", "SocketConnect ok", "Send TERM\r\n", "Debug ..."...
  const std::vector<std::string>& Calls() const { return calls_; }
  // Whether each frame shown is kept for Screen() (the default); a long run that looks at
  // no screens saves copying every frame.
  void KeepScreen(bool keep) { keepScreen_ = keep; }
  // Drops what was recorded so far (calls, debug output, message boxes, sound events), so
  // that a long run of games keeps only what happened since.
  void ForgetHistory();

 private:
  void DeliverDueTouches();
  void RunDueActions();
  void SkipIdleTime();

  Options options_;
  uint32_t now_;
  uint32_t step_;
  uint64_t elapsed_ = 0;  // total virtual ms since start, for the limit and local time
  std::optional<uint32_t> waitingUntil_;  // the deadline waited for since the last reading
  std::optional<uint64_t> driverWake_;    // elapsed ms the driver wants to be called by
  HeadlessFaults faults_;
  bool windowCreated_ = false;
  bool displayOpen_ = false;
  size_t framesShown_ = 0;
  bool keepScreen_ = true;
  bool stopRequested_ = false;
  std::vector<uint16_t> screen_;
  struct Scheduled {
    uint64_t at;
    int x, y;
  };
  std::deque<Scheduled> touches_;  // in time order
  struct Action {
    uint64_t at;
    std::function<void(HeadlessPlatform&)> run;
  };
  std::vector<Action> actions_;
  std::deque<Message> queue_;
  Driver driver_;
  bool inDriver_ = false;
  bool inAction_ = false;
  std::vector<std::string> debug_;
  std::vector<Box> boxes_;
  std::vector<std::string> calls_;
  HeadlessSoundDevice sound_{*this};
};

// One RGB565 pixel widened to 8 bits a channel, as the PNG writer stores it.
void WidenRgb565(uint16_t pixel, uint8_t rgb[3]);

// Writes an RGB565 picture as a 24-bit PNG; false with a reason on failure.
bool WritePng565(const std::string& path, const uint16_t* pixels, int width, int height,
                 std::string* error);

}  // namespace platform
