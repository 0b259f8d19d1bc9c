#include "shell/system.h"

#include <cstdio>
#include <cstdlib>

namespace system_detail {
platform::Platform* installed = nullptr;

void NoneInstalled() {
  std::fputs("strikora: no platform installed\n", stderr);
  std::abort();
}
}  // namespace system_detail

void SetSystem(platform::Platform* system) {
  system_detail::installed = system;
}
