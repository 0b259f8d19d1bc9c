#include "shell/eventlog.h"

#include <cstdarg>
#include <cstdio>

#include "shell/system.h"

namespace {

FILE* gLog = nullptr;
constexpr int kBufferSize = 1000;  // a prefix or a message is cut to 999 characters

// Writes the formatted text, cut to the buffer, and returns how much was written.
size_t WriteCut(char* buffer, int written) {
  if (written < 0) return 0;
  size_t length = written >= kBufferSize ? kBufferSize - 1 : static_cast<size_t>(written);
  std::fwrite(buffer, 1, length, gLog);
  return length;
}

}  // namespace

int CreateSystemFolders() {
  int result = 0;
  for (const char* folder : {"~system", "~system/logs", "~system/upload"}) {
    if (Sys().CreateFolder(folder) == platform::FolderResult::Failed) result = -1;
  }
  return result;
}

int OpenLog() {
  if (gLog) std::fclose(gLog);
  gLog = Sys().OpenFile(kLogPath, "w");
  if (!gLog) return -1;
  LogMessage("Strikora Vexal Version %s - Start of Log\n\n", kVersionText);
  return 0;
}

int CloseLog() {
  if (!gLog) return -1;
  std::fclose(gLog);
  gLog = nullptr;
  return 0;
}

bool LogIsOpen() {
  return gLog != nullptr;
}

int LogMessage(const char* format, ...) {
  if (!format || !gLog) return 0;
  platform::LocalTime t = Sys().GetLocalTime();
  char buffer[kBufferSize];
  WriteCut(buffer, std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d %02d:%02d:%02d - ", t.day,
                                 t.month, t.year, t.hour, t.minute, t.second));
  va_list args;
  va_start(args, format);
  int written = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  size_t length = WriteCut(buffer, written);
  std::fflush(gLog);
  Sys().OutputDebugString(std::string_view(buffer, length));
  return 0;
}
