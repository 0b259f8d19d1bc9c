// The statistics record: its bytes, its date, its oddities, and rewrites that survive a
// crash at any instant.
#include "accounting/record_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "temp_dir.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class RecordFile : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetGameDir(dir_.Path());
    SetSystem(&system_);
    ResetAccounting();
  }
  void TearDown() override { SetSystem(nullptr); }
  std::string Path() const { return dir_ / "data/Zemblar.rec"; }
  std::string Bytes() const { return ReadFile(Path()); }

  testing_support::TempDir dir_;
  platform::HeadlessPlatform system_;  // local date 8 December 2026
};

TEST_F(RecordFile, NoFileStartsFromZeroAndTheFirstSaveWritesTodaysDate) {
  LoadRecord();
  EXPECT_FLOAT_EQ(Balances[0], 0.0f);
  EXPECT_EQ(Cashpot, 100);
  SaveRecord();
  std::string b = Bytes();
  ASSERT_EQ(b.size(), 168u + 53u + 20u + 8u);
  EXPECT_EQ(b.substr(168), std::string(kRecordBuildText) + " - Inf File Written 12/08/26");
}

TEST_F(RecordFile, NumbersAreLittleEndianAtTheirOffsets) {
  Balances[0] = -10.0f;
  Balances[1] = 2.5f;
  Meters[0] = 0x01020304;
  Meters[38] = -2;
  Cashpot = 105;
  SaveRecord();
  std::string b = Bytes();
  EXPECT_EQ(b.substr(0, 4), std::string("\x00\x00\x20\xC1", 4));
  EXPECT_EQ(b.substr(4, 4), std::string("\x00\x00\x20\x40", 4));
  EXPECT_EQ(b.substr(8, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(b.substr(8 + 38 * 4, 4), std::string("\xFE\xFF\xFF\xFF", 4));
  EXPECT_EQ(b.substr(164, 4), std::string("\x69\x00\x00\x00", 4));

  ResetAccounting();
  LoadRecord();
  EXPECT_FLOAT_EQ(Balances[0], -10.0f);
  EXPECT_FLOAT_EQ(Balances[1], 2.5f);
  EXPECT_EQ(Meters[0], 0x01020304);
  EXPECT_EQ(Meters[38], -2);
  EXPECT_EQ(Cashpot, 105);
}

TEST_F(RecordFile, TheFirstWritingsDateIsKeptAndABrokenOneReplaced) {
  std::filesystem::create_directory(dir_ / "data");
  RecordImage old;
  old.dateWord = "01/29/07";
  WriteFile(Path(), EncodeRecord(old));
  LoadRecord();
  SaveRecord();
  EXPECT_EQ(Bytes().substr(Bytes().size() - 8), "01/29/07");

  std::string noDate = EncodeRecord(old);
  noDate.resize(noDate.size() - 9);  // "... - Inf File Written"
  WriteFile(Path(), noDate);
  SaveRecord();
  EXPECT_EQ(Bytes().substr(Bytes().size() - 8), "12/08/26");
}

TEST_F(RecordFile, ATinyFileIsDeletedAndTheAccountingStartsAfresh) {
  std::filesystem::create_directory(dir_ / "data");
  WriteFile(Path(), "0123456789");
  std::filesystem::permissions(Path(), std::filesystem::perms::owner_read);
  Meters[3] = 9;
  LoadRecord();
  EXPECT_FALSE(std::filesystem::exists(Path()));
  EXPECT_EQ(Meters[3], 0);
  EXPECT_EQ(Cashpot, 100);
}

TEST_F(RecordFile, AShortFileFillsOnlyTheItemsItHolds) {
  std::filesystem::create_directory(dir_ / "data");
  RecordImage full;
  full.balances[0] = 7.0f;
  for (int i = 0; i < kMeterCount; ++i) full.meters[i] = i + 1;
  full.cashpot = 555;
  full.dateWord = "01/01/26";
  WriteFile(Path(), EncodeRecord(full).substr(0, 100));
  LoadRecord();
  EXPECT_FLOAT_EQ(Balances[0], 7.0f);
  EXPECT_EQ(Meters[22], 23);
  EXPECT_EQ(Meters[23], 0);
  EXPECT_EQ(Meters[38], 0);
  EXPECT_EQ(Cashpot, 0);
}

TEST_F(RecordFile, AReadOnlyRecordIsStillRewritten) {
  SaveRecord();
  std::filesystem::permissions(Path(), std::filesystem::perms::owner_read);
  Meters[0] = 77;
  SaveRecord();
  ResetAccounting();
  LoadRecord();
  EXPECT_EQ(Meters[0], 77);
}

// A writer killed between any two steps of a rewrite leaves the old record or the new.
TEST_F(RecordFile, ACrashAtAnyStepOfARewriteLeavesOldOrNew) {
  Meters[0] = 1;
  SaveRecord();
  const std::string oldBytes = Bytes();
  Meters[0] = 2;
  Cashpot = 300;
  RecordImage fresh;
  fresh.meters[0] = 2;
  fresh.cashpot = 300;
  fresh.dateWord = "12/08/26";
  const std::string newBytes = EncodeRecord(fresh);

  static int killAt;
  for (killAt = platform::kWriteOpened; killAt <= platform::kWriteDone + 1; ++killAt) {
    WriteFile(Path(), oldBytes);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      system_.SetAtomicWriteHook([](int step) {
        if (step == killAt) ::kill(::getpid(), SIGKILL);
      });
      SaveRecord();
      ::_exit(0);
    }
    int status;
    ::waitpid(child, &status, 0);
    std::string now = Bytes();
    if (killAt <= platform::kWriteFlushed)
      EXPECT_EQ(now, oldBytes) << "killed at step " << killAt;
    else
      EXPECT_EQ(now, newBytes) << "killed at step " << killAt;
  }
}

TEST_F(RecordFile, RandomKillsDuringRepeatedRewritesNeverTearTheRecord) {
  SaveRecord();
  std::mt19937 random(7);
  for (int round = 0; round < 25; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int32_t k = 1;; ++k) {
        Meters[0] = k;
        Meters[1] = 2 * k;
        SaveRecord();
      }
    }
    ::usleep(std::uniform_int_distribution<useconds_t>(200, 5000)(random));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::string b = Bytes();
    ASSERT_EQ(b.size(), 249u) << "round " << round;
    RecordImage image;
    DecodeRecordItems(reinterpret_cast<const uint8_t*>(b.data()), b.size(), image);
    EXPECT_EQ(image.meters[1], 2 * image.meters[0]) << "round " << round;
    EXPECT_EQ(b.substr(168, 53), kRecordBuildText);
  }
}

TEST(RecordBytes, DecodingIsBoundedByWhatIsThere) {
  RecordImage image;
  image.cashpot = 42;
  std::string bytes(170, '\x01');
  EXPECT_EQ(DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), 6, image), 1);
  EXPECT_EQ(image.meters[0], 0);
  EXPECT_EQ(DecodeRecordItems(reinterpret_cast<const uint8_t*>(bytes.data()), 170, image), 42);
  EXPECT_EQ(image.cashpot, 0x01010101);
  EXPECT_EQ(DecodeRecordDateWord(reinterpret_cast<const uint8_t*>("ab cd"), 5), "ab");
  EXPECT_EQ(DecodeRecordDateWord(reinterpret_cast<const uint8_t*>(" Written"), 8), "Written");
  EXPECT_TRUE(IsRecordDateWord("12/31/99"));
  EXPECT_FALSE(IsRecordDateWord("Written"));
  EXPECT_FALSE(IsRecordDateWord("12-31-99"));
}

}  // namespace
