// Runs a shell command and collects its exit status and everything it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testing_support {

struct Outcome {
  int status = -1;  // the exit status, -1 when killed by a signal
  std::string output;
};

inline Outcome RunCommand(const std::string& command) {
  Outcome o;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (!p) return o;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) o.output.append(buffer, n);
  int raw = ::pclose(p);
  o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return o;
}

}  // namespace testing_support
