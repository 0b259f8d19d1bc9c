// The platform the program is running on. The entry point installs it before anything
// else; every subsystem reaches the machine through Sys().
#pragma once

#include "platform/platform.h"

namespace system_detail {
extern platform::Platform* installed;
[[noreturn]] void NoneInstalled();
}  // namespace system_detail

// Inline: every draw of every frame goes through it.
inline platform::Platform& Sys() {
  if (!system_detail::installed) system_detail::NoneInstalled();
  return *system_detail::installed;
}
void SetSystem(platform::Platform* system);
