// The installed cabinet's settings file (/etc/strikora/strikora.conf in the package): where
// the ledger and the game's folder are, so that the operator's tools find them without being
// told. A build from source reads no such file: its tools look beside themselves.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// The value of `key` in a settings text: lines "key = value"; '#' starts a comment; blank
// lines are skipped. "" when the key is not there.
std::string SettingIn(std::string_view text, std::string_view key);

// The value of `key` in the installed settings file, "" when there is no file or no such key
// (and always in a build from source).
std::string InstalledSetting(std::string_view key);

}  // namespace cli
