// The money rules and the journal audit, without the database.
#include <gtest/gtest.h>

#include "server/audit.h"
#include "server/money_rules.h"

namespace money {
namespace {

Delta DeltaOf(Kind kind, Totals before, int64_t amount) {
  const auto decision = Decide(kind, before, amount);
  EXPECT_TRUE(decision.has_value());
  return decision ? decision->delta : Delta{-999, -999};
}

TEST(Rules, StakeComesFromCreditsFirstThenBank) {
  EXPECT_EQ(DeltaOf(Kind::kUseCredits, {100, 500}, 50), (Delta{-50, 0}));
  EXPECT_EQ(DeltaOf(Kind::kUseCredits, {30, 500}, 50), (Delta{-30, -20}));
  EXPECT_EQ(DeltaOf(Kind::kUseCredits, {0, 500}, 50), (Delta{0, -50}));
  EXPECT_EQ(DeltaOf(Kind::kUseCredits, {20, 30}, 50), (Delta{-20, -30}));
}

TEST(Rules, StakeIsRefusedWhenCreditsAndBankAreShort) {
  EXPECT_FALSE(Decide(Kind::kUseCredits, {20, 29}, 50));
  EXPECT_FALSE(Decide(Kind::kUseCredits, {0, 0}, 1));
  EXPECT_FALSE(Decide(Kind::kUseCredits, {100, 0}, 0));
  EXPECT_FALSE(Decide(Kind::kUseCredits, {100, 0}, -5));
}

TEST(Rules, PrizesAreAddedWhateverTheTotals) {
  EXPECT_EQ(DeltaOf(Kind::kAddCredits, {9999, 0}, 100000), (Delta{100000, 0}));
  EXPECT_EQ(DeltaOf(Kind::kAddBank, {0, 123456789}, 300), (Delta{0, 300}));
  EXPECT_FALSE(Decide(Kind::kAddCredits, {0, 0}, 0));
  EXPECT_FALSE(Decide(Kind::kAddBank, {0, 0}, -1));
  EXPECT_FALSE(Decide(Kind::kAddCredits, {INT64_MAX - 5, 0}, 6));
}

TEST(Rules, InsertStopsAtTheCreditLimit) {
  EXPECT_EQ(DeltaOf(Kind::kInsert, {9899, 0}, 100), (Delta{100, 0}));
  EXPECT_FALSE(Decide(Kind::kInsert, {9900, 0}, 100));
  EXPECT_EQ(DeltaOf(Kind::kInsert, {0, 50000}, 9999), (Delta{9999, 0}));
  EXPECT_FALSE(Decide(Kind::kInsert, {0, 0}, 10000));
  EXPECT_FALSE(Decide(Kind::kInsert, {0, 0}, 0));
  // Prizes may have taken the credits past the limit: nothing more goes in then.
  EXPECT_FALSE(Decide(Kind::kInsert, {20000, 0}, 1));
}

TEST(Rules, CashoutPaysEverything) {
  const auto decision = Decide(Kind::kCashout, {1234, 500}, 0);
  ASSERT_TRUE(decision);
  EXPECT_EQ(decision->amount, 1734);
  EXPECT_EQ(decision->delta, (Delta{-1234, -500}));
  EXPECT_EQ(Decide(Kind::kCashout, {0, 0}, 0)->amount, 0);
}

TEST(Rules, EventsChangeNothing) {
  for (const Kind kind :
       {Kind::kStart, Kind::kStop, Kind::kConnect, Kind::kTerm, Kind::kDisconnect}) {
    EXPECT_EQ(DeltaOf(kind, {10, 20}, 0), (Delta{0, 0}));
    EXPECT_FALSE(Decide(kind, {10, 20}, 5));
    EXPECT_FALSE(ChangesMoney(kind));
  }
}

TEST(Rules, KindNamesReadBack) {
  for (const Kind kind :
       {Kind::kStart, Kind::kStop, Kind::kConnect, Kind::kTerm, Kind::kDisconnect,
        Kind::kAddCredits, Kind::kAddBank, Kind::kUseCredits, Kind::kInsert, Kind::kCashout}) {
    EXPECT_EQ(KindFromName(KindName(kind)), kind);
  }
  EXPECT_FALSE(KindFromName("cadd"));
}

TEST(Rules, PoundsAndPence) {
  EXPECT_EQ(Pounds(0), "\u00a30.00");
  EXPECT_EQ(Pounds(5), "\u00a30.05");
  EXPECT_EQ(Pounds(1234), "\u00a312.34");
  EXPECT_EQ(Pounds(-5), "-\u00a30.05");
  EXPECT_EQ(PoundsAndPence(250), "\u00a32.50 (250p)");
}

// A journal made the way the ledger makes it.
std::vector<JournalRow> Journal(const std::vector<std::pair<Kind, int64_t>>& steps) {
  std::vector<JournalRow> rows;
  Totals totals;
  for (const auto& [kind, amount] : steps) {
    const auto decision = Decide(kind, totals, amount);
    if (!decision) continue;
    totals = Apply(totals, decision->delta);
    JournalRow row;
    row.seq = static_cast<int64_t>(rows.size()) + 1;
    row.kind = KindName(kind);
    row.amount = decision->amount;
    row.change = decision->delta;
    row.after = totals;
    rows.push_back(row);
  }
  return rows;
}

Audit AuditOf(const std::vector<JournalRow>& rows, Totals recorded) {
  Audit audit;
  for (const JournalRow& row : rows) AuditRow(audit, row);
  FinishAudit(audit, recorded);
  return audit;
}

const std::vector<std::pair<Kind, int64_t>> kDay = {
    {Kind::kStart, 0},        {Kind::kInsert, 500},  {Kind::kConnect, 0},
    {Kind::kUseCredits, 50},  {Kind::kAddBank, 300}, {Kind::kAddCredits, 25},
    {Kind::kUseCredits, 600}, {Kind::kTerm, 0},      {Kind::kCashout, 0},
    {Kind::kInsert, 100}};

TEST(Audit, AHonestJournalAddsUp) {
  const auto rows = Journal(kDay);
  const Audit audit = AuditOf(rows, rows.back().after);
  EXPECT_EQ(audit.problem_count, 0) << (audit.problems.empty() ? "" : audit.problems[0]);
  EXPECT_EQ(audit.entries, static_cast<int64_t>(rows.size()));
  EXPECT_EQ(audit.sum, (Totals{100, 0}));
}

TEST(Audit, FindsTotalsThatDoNotMatchTheJournal) {
  const auto rows = Journal(kDay);
  const Audit audit = AuditOf(rows, Totals{101, 0});
  EXPECT_EQ(audit.problem_count, 1);
}

TEST(Audit, FindsAChangeThatTheRulesWouldNotMake) {
  auto rows = Journal(kDay);
  rows[3].change = Delta{-40, -10};  // the first stake, taken partly from an empty bank
  rows[3].after = Apply(rows[2].after, rows[3].change);
  const Audit audit = AuditOf(rows, rows.back().after);
  EXPECT_GE(audit.problem_count, 1);
  EXPECT_NE(audit.problems[0].find("entry 4"), std::string::npos) << audit.problems[0];
}

TEST(Audit, FindsAnEntryWhoseTotalsDrift) {
  auto rows = Journal(kDay);
  rows[4].after.bank += 1;
  const Audit audit = AuditOf(rows, rows.back().after);
  // Noticed where it starts and where it ends, not at every entry in between.
  EXPECT_EQ(audit.problem_count, 2);
}

TEST(Audit, FindsUnknownKindsAndKeepsOnlyTheFirstProblems) {
  std::vector<JournalRow> rows(50);
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].seq = static_cast<int64_t>(i) + 1;
    rows[i].kind = "GIFT";
  }
  const Audit audit = AuditOf(rows, Totals{});
  EXPECT_EQ(audit.problem_count, 50);
  EXPECT_EQ(audit.problems.size(), kAuditProblemsKept);
}

}  // namespace
}  // namespace money
