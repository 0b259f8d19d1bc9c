// The platform the program is running on. The entry point installs it before anything
// else; every subsystem reaches the machine through Sys().
#pragma once

#include "platform/platform.h"

platform::Platform& Sys();
void SetSystem(platform::Platform* system);
