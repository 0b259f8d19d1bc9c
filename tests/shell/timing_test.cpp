// Waits, deadlines, the tween and the random numbers, timed exactly on the virtual clock.
#include "shell/timing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "game/touch_wait.h"
#include "platform/headless/headless_platform.h"
#include "shell/entry.h"
#include "shell/system.h"

namespace {

class TimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystem(&system_);
    TouchX = TouchY = -1;
  }
  void TearDown() override { SetSystem(nullptr); }
  platform::HeadlessPlatform system_;  // clock at 0, one ms further on every read
};

TEST(Random, FollowsTheSpecifiedGenerator) {
  SeedRandom(1);
  std::vector<int> got;
  for (int i = 0; i < 5; ++i) got.push_back(NextRandom());
  EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(Random, BelowAndPercentBounds) {
  SeedRandom(12345);
  for (int i = 0; i < 2000; ++i) {
    EXPECT_EQ(RandomBelow(0), 0u);
    EXPECT_EQ(RandomBelow(1), 0u);
    EXPECT_LT(RandomBelow(70000), 32768u);  // the generator has 15 bits
    EXPECT_FALSE(RandomPercent(0));
    EXPECT_FALSE(RandomPercent(-5));
    EXPECT_TRUE(RandomPercent(100));
  }
  SeedRandom(1);
  EXPECT_EQ(RandomBelow(10), 41u % 10);
  EXPECT_EQ(RandomPercent(68), static_cast<int>(18467 % 100) < 68);
}

TEST(Random, ShuffleIsAForwardFisherYatesPermutation) {
  std::vector<int32_t> values(20);
  std::iota(values.begin(), values.end(), 100);
  SeedRandom(7);
  ShuffleInts(values.data(), 20);
  std::vector<int32_t> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  std::vector<int32_t> expected(20);
  std::iota(expected.begin(), expected.end(), 100);
  EXPECT_EQ(sorted, expected);
  EXPECT_NE(values, expected);

  // The same swaps by hand: j = i + RandomBelow(count - i).
  std::vector<int32_t> byHand = expected;
  SeedRandom(7);
  for (int i = 0; i < 19; ++i) std::swap(byHand[i], byHand[i + RandomBelow(20 - i)]);
  EXPECT_EQ(values, byHand);

  SeedRandom(7);
  int32_t one = 5;
  ShuffleInts(&one, 1);
  ShuffleInts(nullptr, 0);
  EXPECT_EQ(one, 5);
  EXPECT_EQ(NextRandom(), (7u * 214013u + 2531011u) >> 16 & 0x7FFF);  // nothing drawn
}

TEST_F(TimingTest, DeadlinesCompareUnsigned) {
  system_.SetStep(0);
  system_.SetTime(1000);
  uint32_t deadline;
  TimerStart(deadline, 500);
  EXPECT_EQ(deadline, 1500u);
  system_.SetTime(1499);
  EXPECT_FALSE(TimerExpired(deadline));
  system_.SetTime(1500);
  EXPECT_TRUE(TimerExpired(deadline));
  TimerNow(deadline);
  EXPECT_EQ(deadline, 1500u);
  // A deadline set just before the clock goes round expires after it, not 49.7 days on;
  // and a wait across the wrap lasts its time.
  system_.SetTime(0xFFFFFF00u);
  TimerStart(deadline, 100);
  system_.SetTime(0xFFFFFF63u);
  EXPECT_FALSE(TimerExpired(deadline));
  system_.SetTime(5);
  EXPECT_TRUE(TimerExpired(deadline));
  system_.SetTime(0xFFFFFFF0u);
  system_.SetStep(1);
  uint32_t before = system_.Now();
  PumpWait(100);
  EXPECT_GE(system_.Now() - before, 100u);
  EXPECT_LT(system_.Now() - before, 110u);
}

TEST_F(TimingTest, TweenScalesElapsedTimeAndClampsAtTheEnd) {
  system_.SetStep(0);
  system_.SetTime(0xFFFFFF00u);  // across the clock's wrap: the elapsed time is a difference
  TweenStart(500);
  system_.SetTime(0xFFFFFF00u + 250);
  EXPECT_EQ(TweenValue(216), 108u);
  EXPECT_FALSE(TweenDone());
  system_.SetTime(0xFFFFFF00u + 500);
  EXPECT_EQ(TweenValue(216), 216u);
  EXPECT_TRUE(TweenDone());  // TweenValue saw the end
  system_.SetTime(0xFFFFFF00u + 900);
  EXPECT_EQ(TweenValue(92), 92u);

  TweenStart(0);
  EXPECT_EQ(TweenValue(165), 165u);
  EXPECT_TRUE(TweenDone());
}

TEST_F(TimingTest, TweenDoneAloneLagsOneCall) {
  system_.SetStep(0);
  TweenStart(300);
  system_.SetTime(299);
  EXPECT_FALSE(TweenDone());
  system_.SetTime(300);
  EXPECT_FALSE(TweenDone());  // sees the end, reports it next time
  EXPECT_TRUE(TweenDone());
}

TEST_F(TimingTest, AnimationLoopDrawsAFinalFrameAtFullValue) {
  TweenStart(800);
  std::vector<uint32_t> frames;
  do {
    frames.push_back(TweenValue(100));
  } while (!TweenDone());
  ASSERT_GE(frames.size(), 2u);
  EXPECT_EQ(frames.back(), 100u);
  EXPECT_TRUE(std::is_sorted(frames.begin(), frames.end()));
}

TEST_F(TimingTest, WaitOrTouchIgnoresEarlierTouchesAndStopsAtTheFirstNewOne) {
  system_.Touch(10, 20);  // made before the wait
  system_.ScheduleTouch(300, 123, 45);
  system_.ScheduleTouch(400, 200, 46);
  EXPECT_EQ(WaitOrTouch(1000), 123);
  EXPECT_EQ(TouchY, 45);  // left pending for the caller
  EXPECT_LT(system_.Now(), 400u);

  EXPECT_EQ(WaitOrTouch(1000), 200);  // the next wait ends at the touch made at 400
  EXPECT_GE(system_.Now(), 400u);

  // No touch: the full wait, result 1.
  uint32_t before = system_.Now();
  EXPECT_EQ(WaitOrTouch(500), 1);
  EXPECT_GE(system_.Now() - before, 500u);
  EXPECT_EQ(TouchX, -1);
}

TEST_F(TimingTest, PumpWaitDispatchesAtOnceThenEvery250ms) {
  std::vector<uint32_t> pumps;
  system_.SetDriver([&](platform::HeadlessPlatform& p) { pumps.push_back(p.Now()); });
  uint32_t start = system_.Now();
  PumpWait(600);
  ASSERT_EQ(pumps.size(), 3u);
  EXPECT_LE(pumps[0] - start, 3u);
  EXPECT_GE(pumps[1] - pumps[0], 250u);
  EXPECT_LE(pumps[1] - pumps[0], 252u);
  EXPECT_GE(pumps[2] - pumps[1], 250u);
  EXPECT_GE(system_.Now() - start, 600u);
  EXPECT_LE(system_.Now() - start, 603u);
}

TEST_F(TimingTest, PumpWaitLeavesTouchesQueuedBetweenDispatches) {
  system_.ScheduleTouch(100, 50, 60);
  PumpWait(200);  // dispatched at 0 only
  EXPECT_EQ(TouchX, -1);
  PumpMessages();
  EXPECT_EQ(TouchX, 50);
  EXPECT_EQ(TouchY, 60);
}

TEST_F(TimingTest, IgnoreInputForThrowsAwayTouchesDuringTheWait) {
  system_.ScheduleTouch(100, 300, 300);
  IgnoreInputFor(200);
  PumpMessages();
  EXPECT_EQ(TouchX, -1);
  EXPECT_GE(system_.Now(), 200u);

  // Only the low 16 bits of the duration count.
  uint32_t start = system_.Now();
  IgnoreInputFor(65536 + 40);
  EXPECT_LT(system_.Now() - start, 100u);
}

TEST_F(TimingTest, FlushInputDropsQueuedPressesWithoutDispatching) {
  system_.Touch(1, 2);
  system_.Touch(3, 4);
  TouchX = 9;
  FlushInput();
  EXPECT_EQ(TouchX, -1);
  EXPECT_EQ(TouchY, -1);
  PumpMessages();
  EXPECT_EQ(TouchX, -1);
}

}  // namespace
