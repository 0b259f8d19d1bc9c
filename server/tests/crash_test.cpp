// moneyd killed with SIGKILL at random moments while a client adds credits one by one, and
// started again each time: no acknowledged addition may be lost and none applied twice.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

constexpr int kAdditions = 2000;
constexpr int kKillOneIn = 40;  // about fifty kills in a run

int64_t CreditsOf(const std::string& reply) {
  return reply.rfind("CTEL,", 0) == 0 ? atoll(reply.c_str() + 5) : -1;
}

TEST(MoneydCrash, KilledAndRestartedLosesAndDoublesNothing) {
  TempDir dir;
  const std::string db = dir.File("money.db");
  const std::string log = dir.File("moneyd.log");
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);

  Daemon daemon;
  ASSERT_TRUE(daemon.Start({"--db", db}, log));
  auto conn = std::make_unique<Conn>(daemon.port());
  int64_t acknowledged = 0;  // additions answered with CTEL
  int64_t credits = 0;       // the credits as last seen
  int kills = 0;
  int unanswered = 0;      // additions in flight when the server died
  int in_flight_kept = 0;  // ... of which the server had committed

  for (int i = 0; i < kAdditions; ++i) {
    ASSERT_TRUE(conn->Send("CADD,1\r\n")) << "addition " << i;
    const bool kill_now = random() % kKillOneIn == 0;
    if (kill_now) {
      // Before the change is committed, during it, or after it and its reply.
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
      daemon.Stop(SIGKILL);
      ++kills;
    }
    const std::string reply = conn->ReadLine();
    if (!reply.empty()) {
      // An answer always tells the truth, even one that got out just before the kill.
      ASSERT_EQ(CreditsOf(reply), credits + 1) << "addition " << i << ": " << reply;
      credits += 1;
      ++acknowledged;
    } else {
      ASSERT_TRUE(kill_now) << "addition " << i << " went unanswered";
      ++unanswered;
    }
    if (!kill_now) continue;

    ASSERT_TRUE(daemon.Start({"--db", db}, log)) << "restart " << kills;
    conn = std::make_unique<Conn>(daemon.port());
    const int64_t now = CreditsOf(conn->Exchange("CGET\r\n"));
    // The one in flight may have been committed before the kill; nothing else may differ.
    if (reply.empty()) {
      ASSERT_TRUE(now == credits || now == credits + 1) << now << " after " << credits;
      in_flight_kept += now == credits + 1;
    } else {
      ASSERT_EQ(now, credits);
    }
    credits = now;
  }
  conn->Close();
  ASSERT_EQ(daemon.Stop(SIGTERM), 0);

  // Where the kills fell: after the reply, or before it with or without the commit.
  RecordProperty("kills", kills);
  RecordProperty("kills_after_reply", kills - unanswered);
  RecordProperty("kills_after_commit_before_reply", in_flight_kept);
  RecordProperty("kills_before_commit", unanswered - in_flight_kept);
  EXPECT_GT(kills, 0);
  EXPECT_GE(credits, acknowledged);
  EXPECT_LE(credits, acknowledged + unanswered);
  EXPECT_LE(credits, kAdditions);

  // The journal holds exactly one CADD entry per addition applied, and adds up.
  money::Ledger ledger;
  std::string error;
  ASSERT_TRUE(money::OpenLedger(db, money::OpenMode::kExisting, ledger, error)) << error;
  money::Totals totals;
  ASSERT_TRUE(money::ReadTotals(ledger, totals, error)) << error;
  EXPECT_EQ(totals.credits, credits);
  int64_t cadd_entries = 0;
  ASSERT_TRUE(money::ForEachJournalRow(
      ledger, 0, [&](const money::JournalRow& row) { cadd_entries += row.kind == "CADD"; }, error));
  money::CloseLedger(ledger);
  EXPECT_EQ(cadd_entries, credits);

  const ProgramResult verify = RunMoneyctl(db, {"verify"});
  EXPECT_EQ(verify.exit_code, 0) << verify.out << verify.err;
}

}  // namespace
}  // namespace money_test
