// The money rules and the journal audit, without the database.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// A settlement pays what a game owes: 1..100000p, never held back by the credits' display
// limit, refused only outside that range or when the total would no longer fit.
TEST(Rules, SettlementsPayWhatIsOwed) {
  struct Case {
    Kind kind;
    Totals before;
    int64_t amount;
    std::optional<Delta> delta;
  };
  const Case cases[] = {
      {Kind::kRefund, {9999, 0}, 100, Delta{100, 0}},
      {Kind::kRefund, {0, 0}, 100000, Delta{100000, 0}},
      {Kind::kPayCredits, {20000, 7}, 1, Delta{1, 0}},
      {Kind::kPayBank, {9999, 50}, 2500, Delta{0, 2500}},
      {Kind::kRefund, {0, 0}, 0, std::nullopt},
      {Kind::kPayBank, {0, 0}, 100001, std::nullopt},
      {Kind::kPayCredits, {0, 0}, -3, std::nullopt},
      {Kind::kPayCredits, {INT64_MAX - 5, 0}, 6, std::nullopt},
      {Kind::kPayBank, {0, INT64_MAX}, 1, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto decision = Decide(c.kind, c.before, c.amount);
    ASSERT_EQ(decision.has_value(), c.delta.has_value()) << KindName(c.kind) << " " << c.amount;
    if (decision) {
      EXPECT_EQ(decision->delta, *c.delta) << KindName(c.kind);
      EXPECT_EQ(decision->amount, c.amount);
    }
    EXPECT_TRUE(ChangesMoney(c.kind));
  }
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
  for (const Kind kind : {Kind::kStart, Kind::kStop, Kind::kConnect, Kind::kTerm, Kind::kDisconnect,
                          Kind::kAddCredits, Kind::kAddBank, Kind::kUseCredits, Kind::kInsert,
                          Kind::kCashout, Kind::kRefund, Kind::kPayBank, Kind::kPayCredits}) {
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

// Chains the rows as the ledger does (or as someone rewriting the whole journal would).
void Rechain(std::vector<JournalRow>& rows) {
  std::string previous = kChainStart;
  for (JournalRow& row : rows) previous = row.hash = ChainHash(previous, row);
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
    row.time = "2026-01-01 00:00:0" + std::to_string(rows.size() % 10) + ".000";
    rows.push_back(row);
  }
  Rechain(rows);
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
    {Kind::kInsert, 100},     {Kind::kRefund, 50},   {Kind::kPayBank, 200},
    {Kind::kPayCredits, 10}};

TEST(Audit, AHonestJournalAddsUp) {
  const auto rows = Journal(kDay);
  const Audit audit = AuditOf(rows, rows.back().after);
  EXPECT_EQ(audit.problem_count, 0) << (audit.problems.empty() ? "" : audit.problems[0]);
  EXPECT_EQ(audit.entries, static_cast<int64_t>(rows.size()));
  EXPECT_EQ(audit.sum, (Totals{160, 200}));
}

TEST(Audit, FindsTotalsThatDoNotMatchTheJournal) {
  const auto rows = Journal(kDay);
  const Audit audit = AuditOf(rows, Totals{161, 200});
  EXPECT_EQ(audit.problem_count, 1);
}

TEST(Audit, FindsAChangeThatTheRulesWouldNotMake) {
  auto rows = Journal(kDay);
  rows[3].change = Delta{-40, -10};  // the first stake, taken partly from an empty bank
  rows[3].after = Apply(rows[2].after, rows[3].change);
  Rechain(rows);
  const Audit audit = AuditOf(rows, rows.back().after);
  EXPECT_GE(audit.problem_count, 1);
  EXPECT_NE(audit.problems[0].find("entry 4"), std::string::npos) << audit.problems[0];
}

TEST(Audit, FindsAnEntryWhoseTotalsDrift) {
  auto rows = Journal(kDay);
  rows[4].after.bank += 1;
  Rechain(rows);
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
  Rechain(rows);
  const Audit audit = AuditOf(rows, Totals{});
  EXPECT_EQ(audit.problem_count, 50);
  EXPECT_EQ(audit.problems.size(), kAuditProblemsKept);
}

// Tampering that the money rules alone cannot see: the totals are made to match.
struct Tampering {
  const char* name;
  std::function<void(std::vector<JournalRow>&)> apply;
  const char* expected;  // the first problem
  int64_t first_tampered;
};

class AuditChain : public ::testing::TestWithParam<Tampering> {};

TEST_P(AuditChain, NamesTheEntry) {
  auto rows = Journal(kDay);
  GetParam().apply(rows);
  Totals sum;
  for (const JournalRow& row : rows) sum = Apply(sum, row.change);
  const Audit audit = AuditOf(rows, sum);
  // The money rules may see more where the totals were not covered up; the chain names the
  // entry.
  EXPECT_NE(std::find(audit.problems.begin(), audit.problems.end(), GetParam().expected),
            audit.problems.end())
      << ::testing::PrintToString(audit.problems);
  EXPECT_EQ(audit.first_tampered, GetParam().first_tampered);
}

// A prize that was never won, made to look like the entry after `prior`.
JournalRow Invented(const JournalRow& prior) {
  JournalRow row;
  row.seq = prior.seq + 1;
  row.time = prior.time;
  row.kind = "CADD";
  row.client = 1;
  row.amount = 5000;
  row.change = Delta{5000, 0};
  row.after = Apply(prior.after, row.change);
  return row;
}

INSTANTIATE_TEST_SUITE_P(
    , AuditChain,
    ::testing::Values(
        Tampering{"AnEditedAmount",
                  [](auto& rows) {
                    // BADD 300 made 3000, consistent in itself.
                    rows[4].amount = rows[4].change.bank = rows[4].after.bank = 3000;
                  },
                  "entry 5 (BADD 3000) was edited: its contents do not match its hash", 5},
        Tampering{"ARowInsertedWithItsOwnHash",
                  [](auto& rows) {
                    JournalRow row = Invented(rows[4]);
                    row.hash = ChainHash(rows[4].hash, row);
                    rows.insert(rows.begin() + 5, row);
                    for (size_t i = 6; i < rows.size(); ++i) ++rows[i].seq;
                  },
                  "entry 6 (CADD 5000) was inserted: the entry after it is chained to the one "
                  "before it",
                  6},
        Tampering{"ARowAddedByHandAtTheEnd",
                  [](auto& rows) { rows.push_back(Invented(rows.back())); },
                  "entry 14 (CADD 5000) was added by hand: it carries no hash", 14},
        Tampering{"ARowRemoved", [](auto& rows) { rows.erase(rows.begin() + 3); },  // a stake of 50
                  "entry 4 was removed: entry 5 (BADD 300) is chained to an entry that is no "
                  "longer there",
                  4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Audit, ChecksTheNotedHead) {
  const auto rows = Journal(kDay);
  const ChainHead noted{6, rows[5].hash};
  struct Case {
    std::vector<JournalRow> rows;
    ChainHead head;
    bool matches;
    const char* problem;
  };
  auto rewritten = rows;
  rewritten[2].detail = "from elsewhere";
  Rechain(rewritten);  // consistent in itself, but not the journal that was noted
  const std::vector<JournalRow> shortened(rows.begin(), rows.begin() + 5);
  for (const Case& c : std::vector<Case>{
           {rows, noted, true, ""},
           {rewritten, noted, false, "journal up to it was rewritten"},
           {shortened, noted, false, "is not in the journal (its last entry is 5)"}}) {
    Audit audit;
    audit.head = c.head;
    for (const JournalRow& row : c.rows) AuditRow(audit, row);
    FinishAudit(audit, c.rows.back().after);
    EXPECT_EQ(audit.head_matches, c.matches) << c.problem;
    if (!c.matches) {
      ASSERT_EQ(audit.problem_count, 1);
      EXPECT_NE(audit.problems[0].find(c.problem), std::string::npos) << audit.problems[0];
    }
  }
}

TEST(Audit, ReadsANotedHead) {
  const std::string hash(64, 'a');
  ChainHead head;
  EXPECT_TRUE(ParseChainHead("12:" + std::string(64, 'A'), head));
  EXPECT_EQ(head.seq, 12);
  EXPECT_EQ(head.hash, hash);
  for (const std::string& bad :
       {"12:" + hash.substr(1), "0:" + hash, "012:" + hash, ":" + hash, "12" + hash, "1x:" + hash,
        "12:" + hash + "0", "12:" + std::string(63, 'a') + "g"}) {
    EXPECT_FALSE(ParseChainHead(bad, head)) << bad;
  }
}

}  // namespace
}  // namespace money

namespace money {
namespace {

// A checkpoint's sums by kind are read back from the database: exactly what was written, and
// nothing else.
TEST(Checkpoint, SumsByKindReadBackAndNothingElse) {
  KindSums sums;
  for (size_t i = 0; i < sums.size(); ++i) {
    sums[i] = KindSum{static_cast<int64_t>(i), -static_cast<int64_t>(i) * 1000};
  }
  const std::string text = KindSumsText(sums);
  KindSums back;
  ASSERT_TRUE(ParseKindSums(text, back)) << text;
  EXPECT_EQ(back, sums);
  const KindSums untouched = back;
  for (const std::string& bad : std::vector<std::string>{
           std::string(), text + ",", text.substr(1), "CUSE 1 2",
           text.substr(0, text.size() - 1) + "x", "BADD 0 0," + text.substr(text.find(',') + 1),
           text + ",CUSE 1 1", "CUSE 99999999999999999999 0" + text.substr(text.find(','))}) {
    EXPECT_FALSE(ParseKindSums(bad, back)) << bad;
    EXPECT_EQ(back, untouched);
  }
  Audit audit;
  audit.previous_seq = 7;
  audit.previous_hash = std::string(64, 'a');
  audit.kind_sums = sums;
  Checkpoint c = CheckpointOf(audit, kChainStart, "2026-01-01 00:00:00.000");
  EXPECT_EQ(c.hash, CheckpointHash(c));
  EXPECT_EQ(CheckpointMismatch(audit, c), "");
  c.kind_sums[0].pence += 1;
  EXPECT_NE(c.hash, CheckpointHash(c));
  EXPECT_NE(CheckpointMismatch(audit, c).find("records sums by kind"), std::string::npos);
}

}  // namespace
}  // namespace money
