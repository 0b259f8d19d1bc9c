// moneyd killed with SIGKILL at random moments while clients add credits and bank one penny at
// a time, and started again each time: no acknowledged addition may be lost, none applied
// twice, and the journal must still verify. With several clients at once their changes share
// commits, so a kill may fall in the middle of a transaction that holds several of them.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "server/ledger.h"
#include "support.h"

namespace money_test {
namespace {

struct CrashCase {
  const char* name;
  int clients;      // even ones send CADD,1, odd ones BADD,1
  int steps;        // in each step every client sends one addition and reads its reply
  int kill_one_in;  // the chance of a kill in a step: about fifty kills in a run
};

// The total a reply tells, or -1 for anything but the expected kind of reply.
int64_t TotalIn(const std::string& reply, bool bank) {
  const char* prefix = bank ? "BTEL," : "CTEL,";
  return reply.rfind(prefix, 0) == 0 ? atoll(reply.c_str() + 5) : -1;
}

int64_t Ask(Conn& conn, bool bank) {
  return TotalIn(conn.Exchange(bank ? "BGET\r\n" : "CGET\r\n"), bank);
}

class MoneydCrash : public ::testing::TestWithParam<CrashCase> {};

TEST_P(MoneydCrash, KilledAndRestartedLosesAndDoublesNothing) {
  const CrashCase& c = GetParam();
  TempDir dir;
  const std::string db = dir.File("money.db");
  const std::string log = dir.File("moneyd.log");
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);

  Daemon daemon;
  ASSERT_TRUE(daemon.Start({"--db", db}, log));
  std::vector<std::unique_ptr<Conn>> conns;
  auto connect_all = [&] {
    conns.clear();
    for (int i = 0; i < c.clients; ++i) conns.push_back(std::make_unique<Conn>(daemon.port()));
  };
  connect_all();
  const int adders[2] = {(c.clients + 1) / 2, c.clients / 2};  // of credits, of bank
  int64_t totals[2] = {0, 0};                                  // credits and bank as last known
  int64_t acknowledged[2] = {0, 0};                            // additions answered
  int64_t unanswered[2] = {0, 0};  // additions in flight when the server died
  int64_t kept[2] = {0, 0};        // ... of which the server had committed
  int kills = 0;

  for (int step = 0; step < c.steps; ++step) {
    for (int i = 0; i < c.clients; ++i) {
      ASSERT_TRUE(conns[i]->Send(i % 2 ? "BADD,1\r\n" : "CADD,1\r\n")) << "step " << step;
    }
    const bool kill_now = static_cast<int>(random() % c.kill_one_in) == 0;
    if (kill_now) {
      // Before the changes are committed, during it, or after it and some replies; half the
      // kills come within the first 300 us, where a fast disk is still committing.
      const unsigned longest_us = random() % 2 ? 4000 : 300;
      std::this_thread::sleep_for(std::chrono::microseconds(random() % longest_us));
      daemon.Stop(SIGKILL);
      ++kills;
    }
    int64_t in_flight[2] = {0, 0};
    std::set<int64_t> seen[2];
    for (int i = 0; i < c.clients; ++i) {
      const bool bank = i % 2;
      const std::string reply = conns[i]->ReadLine();
      if (reply.empty()) {
        ASSERT_TRUE(kill_now) << "step " << step << ": client " << i << " went unanswered";
        ++in_flight[bank];
        continue;
      }
      // An answer always tells the truth, even one that got out just before the kill: the
      // total after this step's additions of its kind that came before it.
      const int64_t total = TotalIn(reply, bank);
      ASSERT_GT(total, totals[bank]) << "step " << step << ", client " << i << ": " << reply;
      ASSERT_LE(total, totals[bank] + adders[bank]) << "step " << step << ": " << reply;
      ASSERT_TRUE(seen[bank].insert(total).second) << "step " << step << ": told twice " << reply;
      ++acknowledged[bank];
    }
    if (!kill_now) {
      for (int b = 0; b < 2; ++b) totals[b] += adders[b];
      continue;
    }

    ASSERT_TRUE(daemon.Start({"--db", db}, log)) << "restart " << kills;
    connect_all();
    for (int b = 0; b < 2; ++b) {
      const int64_t now = Ask(*conns[0], b == 1);
      // Every acknowledged one is there; of those in flight, any number may have been kept.
      const int64_t answered = adders[b] - in_flight[b];
      ASSERT_GE(now, totals[b] + answered) << (b ? "bank" : "credits") << ", step " << step;
      ASSERT_LE(now, totals[b] + adders[b]) << (b ? "bank" : "credits") << ", step " << step;
      // A total that was told is there, with every change it counted.
      if (!seen[b].empty()) {
        ASSERT_GE(now, *seen[b].rbegin());
      }
      unanswered[b] += in_flight[b];
      kept[b] += now - totals[b] - answered;
      totals[b] = now;
    }
  }
  conns.clear();
  ASSERT_EQ(daemon.Stop(SIGTERM), 0);

  // Where the kills fell: after the replies, or before them with or without the commit.
  RecordProperty("kills", kills);
  RecordProperty("in_flight_kept", static_cast<int>(kept[0] + kept[1]));
  RecordProperty("in_flight_lost",
                 static_cast<int>(unanswered[0] + unanswered[1] - kept[0] - kept[1]));
  EXPECT_GT(kills, 0);
  for (int b = 0; b < 2; ++b) {
    EXPECT_GE(totals[b], acknowledged[b]);
    EXPECT_LE(totals[b], acknowledged[b] + unanswered[b]);
    EXPECT_EQ(totals[b], acknowledged[b] + kept[b]);
  }

  // The journal holds exactly one entry per addition applied, and adds up.
  money::Ledger ledger;
  std::string error;
  ASSERT_TRUE(money::OpenLedger(db, money::OpenMode::kExisting, ledger, error)) << error;
  money::Totals stored;
  ASSERT_TRUE(money::ReadTotals(ledger, stored, error)) << error;
  EXPECT_EQ(stored.credits, totals[0]);
  EXPECT_EQ(stored.bank, totals[1]);
  int64_t entries[2] = {0, 0};
  ASSERT_TRUE(money::ForEachJournalRow(
      ledger, 0,
      [&](const money::JournalRow& row) {
        entries[0] += row.kind == "CADD";
        entries[1] += row.kind == "BADD";
      },
      error));
  money::CloseLedger(ledger);
  EXPECT_EQ(entries[0], totals[0]);
  EXPECT_EQ(entries[1], totals[1]);

  const ProgramResult verify = RunMoneyctl(db, {"verify"});
  EXPECT_EQ(verify.exit_code, 0) << verify.out << verify.err;
}

INSTANTIATE_TEST_SUITE_P(Clients, MoneydCrash,
                         ::testing::Values(CrashCase{"OneClient", 1, 2000, 40},
                                           CrashCase{"FourClients", 4, 600, 12}),
                         [](const ::testing::TestParamInfo<CrashCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace money_test
