// The layer that stands in for the operating system: window and input queue, the
// millisecond clock, local time, debug output, message box, files and folders, the
// TCP link and the screen. Game code reaches the machine only through this interface;
// the SDL backend ships, the headless backend runs tests, bots and screenshots.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/audio/sound_device.h"
#include "platform/display/display_device.h"
#include "platform/text/system_text.h"

namespace platform {

class AviFile;
struct AviStream;
class FrameReader;

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// The few window messages the game's window procedure looks at.
enum class MessageKind : uint8_t { LeftButtonDown, Destroy, Other };

struct Message {
  MessageKind kind = MessageKind::Other;
  // For LeftButtonDown: x in the low 16 bits, y in the high 16 bits (800x600 pixels).
  uint32_t lParam = 0;
};

inline uint32_t PackPoint(int x, int y) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x);
}

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum class FolderResult : uint8_t { Created, AlreadyExists, Failed };

// Ends the program on the headless backend where a real process would call exit():
// the runner catches it and reports the code.
struct ProcessExit {
  int code;
};

// The steps of WriteFileAtomically (AtomicWriteStep) are those of platform/atomic_file.h.

class Platform {
 public:
  virtual ~Platform();

  // Window and input.
  virtual bool CreateMainWindow() = 0;         // full screen, cursor hidden
  virtual bool PeekMessage(Message& out) = 0;  // takes the next waiting message
  virtual void QueueEmpty() = 0;               // the pump found nothing waiting

  // Whether the operator asked the program to stop (SIGTERM, SIGINT or SIGHUP on the
  // shipped program); it stops at the next point where no player's money is at stake.
  virtual bool StopRequested() { return false; }

  // Clock, time and diagnostics.
  virtual uint32_t TimeGetTime() = 0;
  // The program is about to pump its messages, doing nothing else, until the clock reads
  // `clockValue` (or a touch ends the wait). A real clock ignores it; a virtual one may
  // move straight there when nothing happens before.
  virtual void WaitingUntil(uint32_t clockValue) { (void)clockValue; }
  virtual LocalTime GetLocalTime() = 0;
  virtual void OutputDebugString(std::string_view text) = 0;
  virtual void MessageBox(std::string_view text, std::string_view title) = 0;
  // Ends the whole program at once with the given code (the runtime's exit).
  [[noreturn]] virtual void ExitProcess(int code) = 0;

  // Screen: the display device the game draws with; the backend opens the screen for
  // it and shows each flipped frame (kScreenWidth*kScreenHeight RGB565 pixels).
  DisplayDevice& Display() { return display_; }
  virtual bool OpenDisplay() = 0;
  virtual void CloseDisplay() = 0;
  // rowsChanged has one flag a row: 0 where the row is the same as in the frame shown
  // before, so a backend may leave it alone.
  virtual void ShowFrame(const uint16_t* pixels, const uint8_t* rowsChanged) = 0;
  // A blind screen, for simulations that look at none: the display device, when it opens,
  // and the clip frame readers are made to write no pixel (see DisplayDevice).
  virtual bool Blind() const { return false; }
  // A reader of a clip stream's frames, for the screen this platform has; null with the
  // reason when the stream cannot be read. The file must outlive it.
  virtual std::unique_ptr<FrameReader> OpenFrames(AviFile& file, const AviStream& stream,
                                                  std::string* why);

  // A font of the system's sans-serif face for text on the back buffer; null, with the
  // reason, when none can be made.
  virtual SystemFontHandle CreateFont(int height, int weight, std::string* error);

  // Sound: the device the game's sound buffers play on.
  virtual SoundDevice& Sound() = 0;

  // The TCP link to the money server: a POSIX socket on both backends.
  virtual int SocketCreate();  // -1 on failure
  virtual bool SocketConnect(int sock, const std::string& host, uint16_t port);
  virtual long SocketSend(int sock, const void* data, size_t size);
  virtual long SocketReceive(int sock, void* data, size_t size);
  virtual void SocketClose(int sock);
  // The local port the connected socket's requests come from (the money server's journal
  // names its clients by it); 0 when it cannot be told.
  virtual uint16_t SocketLocalPort(int sock);

  // Files relative to the game folder. Paths may use backslashes (the game's tables
  // do); they are turned into '/' here.
  virtual FILE* OpenFile(std::string_view path, const char* mode);
  virtual FolderResult CreateFolder(std::string_view path);
  // Size in bytes, -1 when the file cannot be looked at.
  virtual long long FileSize(std::string_view path);
  virtual bool RemoveFile(std::string_view path);
  // Renames a file within the game folder (over any file of the new name).
  virtual bool RenameFile(std::string_view from, std::string_view to);
  // The plain files of a folder with their sizes, in no particular order; empty when the
  // folder cannot be read.
  struct FileEntry {
    std::string name;
    long long size = 0;
  };
  virtual std::vector<FileEntry> ListFiles(std::string_view folder);
  virtual void MakeWritable(std::string_view path);
  // Replaces the file's contents so that a crash or power cut at any instant leaves
  // either the old file or the new one: the bytes go to a temporary file beside it,
  // which is flushed to disk and renamed over the old one.
  virtual bool WriteFileAtomically(std::string_view path, const void* data, size_t size,
                                   std::string* error);
  std::string ResolvePath(std::string_view path) const;
  const std::string& GameDir() const { return gameDir_; }
  void SetGameDir(std::string dir) { gameDir_ = std::move(dir); }
  // Whether written files are flushed to disk: always on the shipped program. Without,
  // WriteFileAtomically still writes a temporary file and renames it.
  virtual bool FlushFiles() const { return true; }
  // The wall clock in UTC milliseconds since 1970, for the journals' time stamps only (the
  // game's timing never reads it): the real time on both backends.
  static int64_t WallClockMs();

 protected:
  // WriteFileAtomically has done `step` (an AtomicWriteStep); a backend may stop there, as
  // the headless one does for crash tests.
  virtual void AtomicWriteStepDone(int step) { (void)step; }

 private:
  std::string gameDir_ = ".";
  DisplayDevice display_{*this};
};

}  // namespace platform
