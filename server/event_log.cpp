#include "server/event_log.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdlib>
#include <ctime>
#include <string>

namespace money {

namespace {

FILE* gStream = stderr;
int gJournald = -1;  // not yet known

void Write(int priority, const char* format, va_list args) {
  if (!gStream) return;
  if (gJournald < 0) gJournald = JournaldReads(gStream) ? 1 : 0;
  char message[1024];
  vsnprintf(message, sizeof message, format, args);
  // One write per line, so that lines never mix.
  if (gJournald) {
    fprintf(gStream, "<%d>%s\n", priority, message);
  } else {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);
    fprintf(gStream, "moneyd: %s.%03ldZ %s\n", stamp, now.tv_nsec / 1000000, message);
  }
  fflush(gStream);
}

}  // namespace

void SetEventLogStream(FILE* stream) {
  gStream = stream;
  gJournald = -1;
}

bool JournaldReads(FILE* stream) {
  const char* names = getenv("JOURNAL_STREAM");
  if (names == nullptr || stream == nullptr) return false;
  struct stat info {};
  if (fstat(fileno(stream), &info) != 0) return false;
  const std::string expected = std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
                               std::to_string(static_cast<unsigned long long>(info.st_ino));
  return expected == names;
}

void LogEventAt(int priority, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(priority, format, args);
  va_end(args);
}

void LogEvent(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(kLogInfo, format, args);
  va_end(args);
}

}  // namespace money
