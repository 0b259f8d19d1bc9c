#include "server/options.h"

#include <unistd.h>

#include <charconv>
#include <climits>

namespace money {

bool ParseWhole(std::string_view text, int64_t min, int64_t max, int64_t& value) {
  int64_t parsed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, parsed);
  if (text.empty() || ec != std::errc() || stop != end || parsed < min || parsed > max) {
    return false;
  }
  value = parsed;
  return true;
}

bool ParseMoneydOptions(int argc, char** argv, MoneydOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--relaxed-durability") {
      options.relaxed_durability = true;
      continue;
    }
    if (arg == "--init") {
      options.init = true;
      continue;
    }
    std::string_view value;
    const size_t equals = arg.find('=');
    if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      error = std::string(arg) + " needs a value";
      return false;
    }
    int64_t number = 0;
    if (arg == "--port") {
      if (!ParseWhole(value, 0, 65535, number)) {
        error = "--port takes 0..65535, not \"" + std::string(value) + "\"";
        return false;
      }
      options.port = static_cast<int>(number);
    } else if (arg == "--db") {
      if (value.empty()) {
        error = "--db needs a file name";
        return false;
      }
      options.db_path = value;
    } else if (arg == "--allow-user" || arg == "--allow-group") {
      if (value.empty()) {
        error = std::string(arg) + " needs a name";
        return false;
      }
      (arg == "--allow-user" ? options.allow_users : options.allow_groups).emplace_back(value);
    } else if (arg == "--bind") {
      options.bind = value;
    } else if (arg == "--demo-credit") {
      if (!ParseWhole(value, 0, 9999, number)) {
        error = "--demo-credit takes 0..9999 pence, not \"" + std::string(value) + "\"";
        return false;
      }
      options.demo_credit = number;
    } else {
      error = "unknown option " + std::string(arg);
      return false;
    }
  }
  return true;
}

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash + 1);
}

std::string DefaultDatabasePath() {
  return ProgramFolder() + kDatabaseName;
}

}  // namespace money
