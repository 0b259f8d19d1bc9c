// The shipped program: the SDL backend and the money server on this machine.
#include "platform/sdl/sdl_platform.h"
#include "shell/entry.h"

int main() {
  platform::SdlPlatform system;
  return StrikoraMain(system, ServerAddress{"127.0.0.1", 6667});
}
