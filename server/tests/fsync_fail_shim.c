// Loaded into moneyd with LD_PRELOAD by the failed-commit test: fsync and fdatasync fail with
// EIO, as a failing disk makes them, once the file named by FSYNC_FAIL_WHEN exists.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

static int Failing(void) {
  const char* when = getenv("FSYNC_FAIL_WHEN");
  return when != NULL && access(when, F_OK) == 0;
}

typedef int (*SyncFunction)(int);

static int Sync(const char* name, int fd) {
  if (Failing()) {
    errno = EIO;
    return -1;
  }
  SyncFunction real = (SyncFunction)dlsym(RTLD_NEXT, name);
  if (real == NULL) {
    errno = ENOSYS;
    return -1;
  }
  return real(fd);
}

int fsync(int fd) {
  return Sync("fsync", fd);
}

int fdatasync(int fd) {
  return Sync("fdatasync", fd);
}
