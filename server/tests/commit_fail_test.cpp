// A commit whose sync fails: moneyd under a shim that makes fsync and fdatasync fail on
// demand. Nobody is told anything about a change whose commit may or may not be on disk.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(MoneydCommitFails, NoReplyTheProcessEndsAndTheRestartAddsUp) {
  TempDir dir;
  const std::string db = dir.File("money.db");
  const std::string log = dir.File("moneyd.log");
  const std::string trigger = dir.File("fail-now");
  Daemon daemon;
  ASSERT_TRUE(
      daemon.Start({"--db", db, "--demo-credit", "300"}, log, /*init=*/true,
                   {std::string("LD_PRELOAD=") + FSYNC_FAIL_SHIM, "FSYNC_FAIL_WHEN=" + trigger}))
      << ReadFile(log);
  Conn game(daemon.port());
  Conn other(daemon.port());
  // Both connections are taken and journalled while the disk still works.
  ASSERT_EQ(game.Exchange("CGET\r\n"), "CTEL,300\r\n");
  ASSERT_EQ(other.Exchange("BGET\r\n"), "BTEL,0\r\n");

  std::ofstream(trigger).close();
  ASSERT_TRUE(game.Send("BADD,100\r\n"));
  // No FAIL, no BTEL: the connection just closes, and so does everyone else's.
  EXPECT_EQ(game.ReadLine(), "");
  EXPECT_TRUE(other.ClosedByServer());
  EXPECT_EQ(daemon.Wait(), money::kExitCommitUnknown);
  const std::string said = ReadFile(log);
  EXPECT_NE(said.find("COMMIT FAILED - outcome unknown - closing down: "), std::string::npos)
      << said;
  EXPECT_EQ(said.find("client 1: BADD,100 ->"), std::string::npos) << said;

  // Started again without the shim: the write-ahead log is recovered, and whatever it held,
  // the journal and the totals agree.
  ASSERT_TRUE(daemon.Start({"--db", db}, log, /*init=*/false)) << ReadFile(log);
  Conn after(daemon.port());
  const std::string bank = after.Exchange("BGET\r\n");
  after.Close();
  EXPECT_EQ(daemon.Stop(SIGTERM), 0);
  const ProgramResult verified = RunMoneyctl(db, {"verify", "--full"});
  EXPECT_EQ(verified.exit_code, 0) << verified.out;
  const ProgramResult journal = RunMoneyctl(db, {"journal"});
  const bool kept = journal.out.find("BADD") != std::string::npos;
  EXPECT_EQ(bank, kept ? "BTEL,100\r\n" : "BTEL,0\r\n") << journal.out;
  std::cout << "after the restart the BADD whose sync failed was "
            << (kept ? "on disk after all (the write-ahead log held its commit): bank 100p"
                     : "not on disk: bank 0p")
            << "; verify --full passes\n";
  RecordProperty("badd_kept", kept ? "yes" : "no");
}

}  // namespace
}  // namespace money_test
