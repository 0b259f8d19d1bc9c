// Runs the whole program on the headless backend: the core of strikora-sim, kept
// apart from its command line so that tests and bots can use it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "shell/entry.h"

namespace sim {

struct ScriptStep {
  enum class Kind { Touch, Shot } kind = Kind::Touch;
  uint32_t atMs = 0;
  int x = 0, y = 0;  // touch
  std::string name;  // shot
};

// Parses "<virtual ms> touch <x> <y>" and "<virtual ms> shot <name>" lines; blank
// lines and lines starting with '#' are skipped. False with "line N: reason" on error.
bool ParseScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error);

struct RunResult {
  std::optional<int> exitCode;  // empty when the virtual-time limit stopped the run
  uint32_t elapsedMs = 0;
  std::vector<std::string> notes;  // what the run reported along the way (shots written...)
};

// Runs the program to its end as a process would: its exit code, or none (with a note)
// when the virtual-time limit stopped it; the log and the connection are closed after.
std::optional<int> RunToExit(platform::HeadlessPlatform& system, const ServerAddress& server,
                             std::vector<std::string>& notes);

// Plays the program on the given headless platform; shots go to shotsDir (none when
// empty). The platform's options hold the virtual-time limit.
RunResult RunProgram(platform::HeadlessPlatform& system, const ServerAddress& server,
                     const std::vector<ScriptStep>& steps, const std::string& shotsDir);

}  // namespace sim
