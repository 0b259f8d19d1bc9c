// Replacing a whole file so that a crash leaves the old one or the new one, never a part:
// the bytes go to a temporary file beside it, which is flushed, closed and renamed over it,
// and the folder is flushed so that the rename lasts. The game's record and journal image,
// the meters' and moneyctl's Prometheus files all go through here.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// The steps of a write, each reported as it is done (for crash tests to stop at).
enum AtomicWriteStep { kWriteOpened, kWriteWrote, kWriteFlushed, kWriteRenamed, kWriteDone };

struct AtomicWriteOptions {
  const char* tempSuffix = ".new";  // the temporary file is the path with this added
  bool flush = true;                // false skips both flushes (simulations only)
  std::function<void(AtomicWriteStep)> stepDone;
};

// False, with the reason in `error` when given, and no temporary file left behind, when the
// file could not be replaced.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error,
                         const AtomicWriteOptions& options = {});

}  // namespace platform
