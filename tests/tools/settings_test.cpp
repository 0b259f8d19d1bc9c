// The installed settings file's lines, as moneyctl and meters read them.
#include "cli/settings.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolSettings, ReadsKeyEqualsValueLines) {
  struct Row {
    const char* text;
    const char* key;
    const char* value;
  };
  const Row rows[] = {
      {"ledger = /var/lib/strikora-money/money.db\n", "ledger", "/var/lib/strikora-money/money.db"},
      {"  game_dir=/var/lib/strikora  \r\n", "game_dir", "/var/lib/strikora"},
      {"# ledger = /commented/out\n", "ledger", ""},
      {"ledger = /a # the first\nledger = /b\n", "ledger", "/b"},
      {"ledgers = /other\n", "ledger", ""},
      {"ledger /no/equals\n", "ledger", ""},
      {"game_dir = /g\nledger = /l", "ledger", "/l"},
      {"", "ledger", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(cli::SettingIn(row.text, row.key), row.value) << row.text;
}

// A build from source reads no settings file: its tools look beside themselves.
TEST(ToolSettings, ABuildFromSourceHasNoInstalledSettings) {
  EXPECT_EQ(cli::InstalledSetting("ledger"), "");
}

}  // namespace
