#include "shell/eventlog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

constexpr const char* kLogFolder = "~system/logs";
constexpr size_t kOldLogsKept = 100;
constexpr long long kOldLogsBytes = 16ll << 20;

// The time stamp that opens a log's first line, "DD/MM/YYYY HH:MM:SS", as "YYYYMMDD-HHMMSS";
// empty when the file does not start with one.
std::string StartOfLog(const char* path) {
  char head[20] = {};
  FILE* f = Sys().OpenFile(path, "rb");
  if (!f) return "";
  size_t got = std::fread(head, 1, 19, f);
  std::fclose(f);
  int day, month, year, hour, minute, second;
  if (got != 19 || std::sscanf(head, "%2d/%2d/%4d %2d:%2d:%2d", &day, &month, &year, &hour, &minute,
                               &second) != 6)
    return "";
  char word[64];
  std::snprintf(word, sizeof word, "%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute,
                second);
  return word;
}

// The previous run's log is kept under its start time; the oldest kept logs go once there
// are more than kOldLogsKept of them or they take more than kOldLogsBytes.
void KeepPreviousLog() {
  if (Sys().FileSize(kLogPath) <= 0) return;
  std::string start = StartOfLog(kLogPath);
  if (start.empty()) {
    platform::LocalTime t = Sys().GetLocalTime();
    char word[64];
    std::snprintf(word, sizeof word, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    start = word;
  }
  std::string name = std::string(kLogFolder) + "/SKV-" + start + ".txt";
  // Starts within one second are numbered -02, -03...: the names sort in the order of the runs.
  for (int n = 2; Sys().FileSize(name) >= 0 && n < 100; ++n) {
    char suffix[16];  // n < 100: "-NN"
    std::snprintf(suffix, sizeof suffix, "-%02d", n);
    name = std::string(kLogFolder) + "/SKV-" + start + suffix + ".txt";
  }
  Sys().RenameFile(kLogPath, name);

  std::vector<platform::Platform::FileEntry> old;
  for (auto& f : Sys().ListFiles(kLogFolder))
    if (f.name.rfind("SKV-", 0) == 0 && f.name.size() > 8) old.push_back(f);
  // Newest first; a name without its number is the first of its second.
  auto stem = [](const std::string& n) { return n.substr(0, n.size() - 4); };
  std::sort(old.begin(), old.end(),
            [&stem](const auto& a, const auto& b) { return stem(a.name) > stem(b.name); });
  long long bytes = 0;
  for (size_t i = 0; i < old.size(); ++i) {
    bytes += old[i].size;
    if (i >= kOldLogsKept || bytes > kOldLogsBytes)
      Sys().RemoveFile(std::string(kLogFolder) + "/" + old[i].name);
  }
}

// Lines an operator must act on are errors for the system's log; failures that leave the
// game playing are warnings; the rest is information.
int PriorityOf(const char* text) {
  static const char* const kErrors[] = {"PAYMENT NOT",      "STAKE NOT",      "GAME INTERRUPTED",
                                        "GAME NOT SETTLED", "DISPLAY FAILED", "RECORD NOT",
                                        "GAME JOURNAL NOT", "error"};
  static const char* const kWarnings[] = {"graphic ", "Question pack", "RECORD WRITTEN AGAIN",
                                          "STOP REQUESTED"};
  for (const char* e : kErrors)
    if (std::strncmp(text, e, std::strlen(e)) == 0) return 3;
  for (const char* w : kWarnings)
    if (std::strncmp(text, w, std::strlen(w)) == 0) return 4;
  return 6;
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
  gLog = nullptr;
  KeepPreviousLog();
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
  // The copy carries the line's priority in the form the system's log reads on standard
  // error ("<3>" for an error), and no time stamp: the reader adds its own.
  char priority[8];
  std::snprintf(priority, sizeof priority, "<%d>", PriorityOf(buffer));
  Sys().OutputDebugString(priority + std::string(buffer, length));
  return 0;
}
