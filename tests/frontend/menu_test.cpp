// The menu, the rules screen and the panels, end to end against a real money server.
#include <algorithm>

#include "accounting/record_file.h"
#include "frontend/buttons.h"
#include "frontend_fixture.h"

namespace {

RecordImage ReadRecord(const std::string& path) {
  std::string bytes = testing_support::ReadFile(path);
  RecordImage r;
  DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), r);
  return r;
}

TEST_F(FrontendTest, CreditAndBankTogetherPayForAGame) {
  Money({"insert", "30"});
  ASSERT_EQ(Exchange("BADD,20\r\n"), "BTEL,20\r\n");
  std::vector<uint16_t> menu, after;
  Keep(2500, menu);
  Touch(3000, kStartX, kStartY);
  // Nobody plays the game: its waits run out and it is lost. The menu comes back after it.
  uint32_t serial = 0, menus = 0, since = 0;
  system_.SetDriver([&](platform::HeadlessPlatform& p) {
    if (ActiveButtonWait() != MenuButtons) return;
    if (ButtonWaitSerial() != serial) {
      serial = ButtonWaitSerial();
      ++menus;
      since = p.Now();
    }
    if (menus == 2 && after.empty() && p.Now() - since >= 1500) after = p.Screen();
  });
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("menu-30p-and-20p", menu), "");
  std::string status = Money({"status"});
  EXPECT_NE(status.find("credits: £0.00 (0p)"), std::string::npos) << status;
  EXPECT_NE(status.find("bank:    £0.00 (0p)"), std::string::npos) << status;
  RecordImage record = ReadRecord(dir_ / "data/Zemblar.rec");
  EXPECT_EQ(record.meters[0], 1);
  int started = 0;
  for (int i = 1; i <= 7; ++i) started += record.meters[i];
  EXPECT_EQ(started, 1);
  // The menu came back after the game: the insert-money sign now, as the money is gone.
  EXPECT_EQ(testing_support::CompareWithGolden("menu-no-money", after), "");
}

// A bank of 100.00 or more (a cashpot, or prizes) is money the player can play with.
TEST_F(FrontendTest, ABankOf100PoundsOrMorePaysForAGame) {
  ASSERT_EQ(Exchange("BADD,10000\r\n"), "BTEL,10000\r\n");
  Touch(3000, kStartX, kStartY);
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  std::string status = Money({"status"});
  EXPECT_NE(status.find("bank:    £99.50 (9950p)"), std::string::npos) << status;
  EXPECT_EQ(ReadRecord(dir_ / "data/Zemblar.rec").meters[0], 1);
}

TEST_F(FrontendTest, WithoutMoneyStartIsIgnoredUntilCreditArrives) {
  std::vector<uint16_t> sign, afterInsert;
  Keep(2500, sign);
  Touch(3000, kStartX, kStartY);  // ignored: nothing to pay with
  system_.ScheduleAt(5000, [this](platform::HeadlessPlatform&) { Money({"insert", "100"}); });
  Keep(5200, afterInsert);
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("menu-no-money", sign), "");
  EXPECT_EQ(testing_support::CompareWithGolden("menu-after-insert", afterInsert), "");
  std::string journal = JournalWith("TERM");
  EXPECT_EQ(journal.find("CUSE"), std::string::npos) << journal;
  EXPECT_NE(journal.find("TERM"), std::string::npos) << journal;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "data/Zemblar.rec"));  // no game, no record
}

TEST_F(FrontendTest, TheRulesEndOnATouchInTheirAreaOnly) {
  Money({"insert", "100"});
  std::vector<uint16_t> rules, stillRules, menuAgain;
  Touch(3000, kRulesX, kRulesY);
  Keep(5500, rules);
  Touch(6000, 325, 400);  // just outside the area
  Touch(6500, 400, 580);  // on the Back button's picture, below the area
  Keep(7500, stillRules);
  Touch(8000, 330, 355);
  Keep(10000, menuAgain);
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("rules", rules), "");
  EXPECT_EQ(stillRules, rules);
  EXPECT_EQ(testing_support::CompareWithGolden("menu-one-pound", menuAgain), "");
  EXPECT_EQ(Money({"journal"}).find("CUSE"), std::string::npos);
}

TEST_F(FrontendTest, TheRulesEndAloneAfter35Seconds) {
  std::vector<uint16_t> rules, menuAgain;
  Touch(3000, kRulesX, kRulesY);
  Keep(38000, rules);
  Keep(41500, menuAgain);
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_EQ(testing_support::CompareWithGolden("rules", rules), "");
  EXPECT_EQ(testing_support::CompareWithGolden("menu-no-money", menuAgain), "");
  EXPECT_GT(r.elapsedMs, 3000u + 35000u + 30000u);  // then 30 s untouched on the menu
}

TEST_F(FrontendTest, ThirtySecondsUntouchedCloseTheProgram) {
  sim::RunResult r = Run();
  EXPECT_EQ(r.exitCode, kExitNormal);
  EXPECT_GE(r.elapsedMs, 30000u);
  EXPECT_LT(r.elapsedMs, 34000u);
  EXPECT_NE(JournalWith("TERM").find("TERM"), std::string::npos);
  std::string log = testing_support::ReadFile(dir_ / "~system/logs/SKV.txt");
  EXPECT_NE(log.find("Closing log"), std::string::npos);
}

}  // namespace
