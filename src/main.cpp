// The shipped program: the SDL backend and the money server on this machine.
#include <string>

#include "cli/cli.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/entry.h"

namespace {

constexpr const char* kUsage =
    "usage: strikora [--help | --version]\n"
    "The game, full screen, working in the current folder (Graphic_resource/, sounds/,\n"
    "Questions/, data/ and ~system/), against the money server on 127.0.0.1:6667.\n"
    "exit: 0 normal end, 1 no socket, 2 no money server, 64 bad usage, 255 no window,\n"
    "250 no display, 249 no question pack, 248 no sound, 247 no game journal\n";

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "strikora", kUsage, status)) return status;
  if (argc > 1) return cli::UsageError("strikora", std::string("unknown argument ") + argv[1]);
  platform::SdlPlatform system;
  return StrikoraMain(system, ServerAddress{"127.0.0.1", 6667});
}
