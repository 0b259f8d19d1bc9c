#include "cli/cli.h"

#include <cstdio>
#include <string_view>

#include "cli/version.h"

namespace cli {

const char* Version() {
  return STRIKORA_VERSION;
}

bool HelpOrVersion(int argc, char** argv, const char* program, void (*print_usage)(FILE*),
                   int& status) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      print_usage(stdout);
      status = std::fflush(stdout) == 0 ? 0 : 1;
      return true;
    }
    if (arg == "--version") {
      std::printf("%s %s\n", program, Version());
      status = std::fflush(stdout) == 0 ? 0 : 1;
      return true;
    }
  }
  return false;
}

bool HelpOrVersion(int argc, char** argv, const char* program, const std::string& usage,
                   int& status) {
  static const std::string* text = nullptr;
  text = &usage;
  return HelpOrVersion(
      argc, argv, program, [](FILE* to) { std::fputs(text->c_str(), to); }, status);
}

int UsageError(const char* program, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program, problem.c_str(),
               program);
  return kExitUsage;
}

}  // namespace cli
