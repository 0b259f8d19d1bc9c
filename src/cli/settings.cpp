#include "cli/settings.h"

#include <cstdio>

namespace cli {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string SettingIn(std::string_view text, std::string_view key) {
  std::string value;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = line.substr(0, line.find('#'));
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    // The last line that sets the key wins.
    if (Trim(line.substr(0, equals)) == key) value = Trim(line.substr(equals + 1));
  }
  return value;
}

std::string InstalledSetting(std::string_view key) {
#ifdef STRIKORA_SETTINGS_FILE
  FILE* f = std::fopen(STRIKORA_SETTINGS_FILE, "rb");
  if (!f) return "";
  // A settings file is a few lines: more than 64 KiB is not read.
  std::string text(64 * 1024, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  return SettingIn(text, key);
#else
  (void)key;
  return "";
#endif
}

}  // namespace cli
