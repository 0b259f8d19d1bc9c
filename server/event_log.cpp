#include "server/event_log.h"

#include <cstdarg>
#include <ctime>

namespace money {

namespace {
FILE* gStream = stderr;
}  // namespace

void SetEventLogStream(FILE* stream) {
  gStream = stream;
}

void LogEvent(const char* format, ...) {
  if (!gStream) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  char stamp[32];
  strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);

  char message[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  // One write per line, so that lines never mix.
  fprintf(gStream, "moneyd: %s.%03ldZ %s\n", stamp, now.tv_nsec / 1000000, message);
  fflush(gStream);
}

}  // namespace money
