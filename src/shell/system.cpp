#include "shell/system.h"

#include <cstdio>
#include <cstdlib>

namespace {
platform::Platform* gSystem = nullptr;
}

platform::Platform& Sys() {
  if (!gSystem) {
    std::fputs("strikora: no platform installed\n", stderr);
    std::abort();
  }
  return *gSystem;
}

void SetSystem(platform::Platform* system) {
  gSystem = system;
}
