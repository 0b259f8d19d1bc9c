// moneyd's command line.
#include "server/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace money {
namespace {

bool Parse(std::vector<const char*> args, MoneydOptions& options, std::string& error) {
  args.insert(args.begin(), "moneyd");
  return ParseMoneydOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options,
                            error);
}

TEST(Options, DefaultToPort6667AndMoneyDbBesideTheProgram) {
  MoneydOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, options, error)) << error;
  EXPECT_EQ(options.port, 6667);
  EXPECT_EQ(options.bind, "127.0.0.1");
  EXPECT_EQ(options.demo_credit, 0);
  EXPECT_EQ(options.db_path, "");
  // Beside the running program, wherever it was started from.
  const std::filesystem::path path = DefaultDatabasePath();
  EXPECT_EQ(path.filename(), "money.db");
  EXPECT_EQ(path.parent_path(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

TEST(Options, TakeValuesAfterASpaceOrAnEqualsSign) {
  MoneydOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--port", "0", "--db=/x/m.db", "--demo-credit=500"}, options, error));
  EXPECT_EQ(options.port, 0);
  EXPECT_EQ(options.db_path, "/x/m.db");
  EXPECT_EQ(options.demo_credit, 500);
  for (const auto& bad : std::vector<std::vector<const char*>>{{"--port", "-1"},
                                                               {"--port", "6667x"},
                                                               {"--db", ""},
                                                               {"--demo-credit", "10000"},
                                                               {"--verbose"},
                                                               {"--port"}}) {
    MoneydOptions ignored;
    EXPECT_FALSE(Parse(bad, ignored, error)) << bad[0];
  }
}

}  // namespace
}  // namespace money
