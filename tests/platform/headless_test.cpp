// The headless backend's virtual clock, scheduled touches, driver and PNG output.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_platform.h"
#include "temp_dir.h"

namespace {

using platform::HeadlessPlatform;

TEST(HeadlessClock, StartsWhereToldAndMovesByItsStepOnEveryRead) {
  HeadlessPlatform::Options o;
  o.startMs = 0xFFFFFFFEu;
  o.stepMs = 3;
  HeadlessPlatform p(o);
  EXPECT_EQ(p.TimeGetTime(), 0xFFFFFFFEu);
  EXPECT_EQ(p.TimeGetTime(), 1u);  // wraps like the 32-bit millisecond clock
  EXPECT_EQ(p.Now(), 4u);
}

TEST(HeadlessClock, LocalTimeRunsWithVirtualTime) {
  HeadlessPlatform::Options o;
  o.stepMs = 1000;
  o.localBase = {2026, 12, 31, 23, 59, 59};
  HeadlessPlatform p(o);
  p.TimeGetTime();
  platform::LocalTime t = p.GetLocalTime();
  EXPECT_EQ(t.year, 2027);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.second, 0);
}

TEST(HeadlessClock, TheLimitStopsTheRun) {
  HeadlessPlatform::Options o;
  o.stepMs = 10;
  o.limitMs = 25;
  HeadlessPlatform p(o);
  p.TimeGetTime();
  p.TimeGetTime();
  EXPECT_THROW(p.TimeGetTime(), platform::VirtualTimeLimit);
}

TEST(HeadlessInput, TouchesArriveInTimeOrderWhenDue) {
  HeadlessPlatform p;
  p.ScheduleTouch(20, 7, 8);
  p.ScheduleTouch(10, 5, 6);
  platform::Message m;
  EXPECT_FALSE(p.PeekMessage(m));
  p.SetTime(0);
  for (int i = 0; i < 15; ++i) p.TimeGetTime();
  ASSERT_TRUE(p.PeekMessage(m));
  EXPECT_EQ(m.lParam, platform::PackPoint(5, 6));
  EXPECT_FALSE(p.PeekMessage(m));
  for (int i = 0; i < 10; ++i) p.TimeGetTime();
  ASSERT_TRUE(p.PeekMessage(m));
  EXPECT_EQ(m.kind, platform::MessageKind::LeftButtonDown);
  EXPECT_EQ(m.lParam, platform::PackPoint(7, 8));
}

TEST(HeadlessInput, TheDriverDecidesAtAnEmptyQueueButNeverReentrantly) {
  HeadlessPlatform p;
  int calls = 0;
  p.SetDriver([&](HeadlessPlatform& self) {
    ++calls;
    self.QueueEmpty();  // a driver that pumps does not recurse
    self.Touch(1, 2);
  });
  p.QueueEmpty();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(p.QueuedMessages(), 1u);
}

TEST(HeadlessScreen, WritesTheScreenAsPng) {
  testing_support::TempDir dir;
  std::vector<uint16_t> frame(800 * 600, 0xF800);  // pure red
  std::string error;
  ASSERT_TRUE(platform::WritePng565(dir / "red.png", frame.data(), 800, 600, &error)) << error;
  std::string png = testing_support::ReadFile(dir / "red.png");
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_FALSE(platform::WritePng565(dir / "missing/x.png", frame.data(), 800, 600, &error));
  EXPECT_NE(error.find("missing/x.png"), std::string::npos);
}

}  // namespace
