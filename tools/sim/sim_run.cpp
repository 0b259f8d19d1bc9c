#include "sim_run.h"

#include <filesystem>
#include <sstream>

#include "platform/platform.h"

namespace sim {

bool ParseScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    char* end = nullptr;
    unsigned long at = std::strtoul(first.c_str(), &end, 10);
    if (*end != '\0' || first[0] == '-' || at > 0xFFFFFFFFul)
      return fail("expected a virtual time in ms, found \"" + first + "\"");
    std::string verb;
    words >> verb;
    ScriptStep step;
    step.kind = ScriptStep::Kind::Touch;
    step.atMs = static_cast<uint32_t>(at);
    if (verb == "touch") {
      if (!(words >> step.x >> step.y) || step.x < 0 || step.y < 0 ||
          step.x >= platform::kScreenWidth || step.y >= platform::kScreenHeight)
        return fail("touch needs x in 0..799 and y in 0..599");
    } else if (verb == "shot") {
      step.kind = ScriptStep::Kind::Shot;
      if (!(words >> step.name) || step.name.find('/') != std::string::npos)
        return fail("shot needs a plain file name");
    } else {
      return fail("unknown step \"" + verb + "\" (touch or shot)");
    }
    std::string extra;
    if (words >> extra) return fail("unexpected \"" + extra + "\"");
    steps.push_back(step);
  }
  return true;
}

std::optional<int> RunToExit(platform::HeadlessPlatform& system, const ServerAddress& server,
                             std::vector<std::string>& notes) {
  std::optional<int> code;
  try {
    code = StrikoraMain(system, server);
  } catch (const platform::ProcessExit& e) {
    code = e.code;
  } catch (const platform::VirtualTimeLimit& e) {
    notes.push_back("stopped: the run passed its virtual-time limit of " +
                    std::to_string(e.limitMs) + " ms");
  }
  EndOfProcess();
  return code;
}

RunResult RunProgram(platform::HeadlessPlatform& system, const ServerAddress& server,
                     const std::vector<ScriptStep>& steps, const std::string& shotsDir) {
  RunResult result;
  // The folder the shots go to is made, as any tool that writes into a named folder does.
  std::error_code madeError;
  if (!shotsDir.empty() && !std::filesystem::create_directories(shotsDir, madeError) && madeError)
    result.notes.push_back("shots folder " + shotsDir + ": " + madeError.message());
  for (const ScriptStep& step : steps) {
    if (step.kind == ScriptStep::Kind::Touch) {
      system.ScheduleTouch(step.atMs, step.x, step.y);
      continue;
    }
    system.ScheduleAt(step.atMs, [&result, step, shotsDir](platform::HeadlessPlatform& p) {
      std::string at = " at " + std::to_string(step.atMs) + " ms";
      if (p.Screen().empty()) {
        result.notes.push_back("shot " + step.name + at +
                               ": nothing on the screen yet (the display has not shown a frame)");
        return;
      }
      if (shotsDir.empty()) {
        result.notes.push_back("shot " + step.name + at + ": no --shots folder given");
        return;
      }
      std::string path = shotsDir + "/" + step.name + ".png", error;
      if (platform::WritePng565(path, p.Screen().data(), platform::kScreenWidth,
                                platform::kScreenHeight, &error))
        result.notes.push_back("shot " + step.name + at + ": " + path);
      else
        result.notes.push_back("shot " + step.name + at + ": " + error);
    });
  }
  uint32_t start = system.Now();
  result.exitCode = RunToExit(system, server, result.notes);
  result.elapsedMs = system.Now() - start;
  return result;
}

}  // namespace sim
