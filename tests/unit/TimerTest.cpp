#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Exception.h"
#include "support/FakeTimers.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeTimers;
using testing::Sjis;

// A timer that records the virtual time of each of its ticks.
class TimerTest : public ::testing::Test {
 protected:
  TimerTest() {
    timer.OnTimer = [this] { ticks.push_back(timers.Now()); };
  }

  std::vector<std::uint64_t> TicksUntil(std::uint64_t time) {
    timers.Advance(time - timers.Now());
    return ticks;
  }

  FakeTimers timers;
  TTimer timer{timers, 500};
  std::vector<std::uint64_t> ticks;
};

using Ticks = std::vector<std::uint64_t>;

TEST_F(TimerTest, RepeatsEveryIntervalWhileEnabled) {
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TicksUntil(1000), Ticks{});
  timer.SetEnabled(true);
  EXPECT_EQ(TicksUntil(2600), (Ticks{1500, 2000, 2500}));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(TicksUntil(5000), (Ticks{1500, 2000, 2500}));
}

TEST_F(TimerTest, EnablingAgainDoesNotRestartTheRunningPeriod) {
  timer.SetEnabled(true);
  timers.Advance(300);
  timer.SetEnabled(true);
  EXPECT_EQ(TicksUntil(600), Ticks{500});
}

TEST_F(TimerTest, EnablingAfterDisablingStartsAFreshPeriod) {
  timer.SetEnabled(true);
  timers.Advance(300);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_EQ(TicksUntil(799), Ticks{});
  EXPECT_EQ(TicksUntil(800), Ticks{800});
}

TEST_F(TimerTest, ADifferentIntervalRestartsOnlyAnEnabledTimer) {
  timer.SetEnabled(true);
  timers.Advance(300);
  timer.SetInterval(500);  // equal: the period runs on
  EXPECT_EQ(TicksUntil(500), Ticks{500});
  timers.Advance(100);
  timer.SetInterval(1000);
  EXPECT_EQ(TicksUntil(1599), Ticks{500});
  EXPECT_EQ(TicksUntil(1600), (Ticks{500, 1600}));

  timer.SetEnabled(false);
  timer.SetInterval(200);
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(TicksUntil(3000), (Ticks{500, 1600}));
  timer.SetEnabled(true);
  EXPECT_EQ(TicksUntil(3200), (Ticks{500, 1600, 3200}));
}

TEST_F(TimerTest, IntervalZeroNeverTicks) {
  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(TicksUntil(100000), Ticks{});
  timer.SetInterval(500);
  EXPECT_EQ(TicksUntil(100500), Ticks{100500});
}

TEST_F(TimerTest, ARefusedTimerStaysEnabledWithoutRunning) {
  bool refusing = true;
  timers.refuse = [&refusing](std::uint32_t) { return refusing; };
  try {
    timer.SetEnabled(true);
    ADD_FAILURE() << "no error";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message(), Sjis("タイマーを取得できません"));
  }
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Running());

  refusing = false;
  timer.SetEnabled(true);  // already enabled: nothing starts
  EXPECT_EQ(TicksUntil(5000), Ticks{});
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Running());
  EXPECT_EQ(TicksUntil(5500), Ticks{5500});

  refusing = true;
  EXPECT_THROW(timer.SetInterval(700), EOutOfResources);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(TicksUntil(9000), Ticks{5500});
}

TEST_F(TimerTest, DestroyingATimerStopsIt) {
  {
    TTimer other(timers, 100);
    other.OnTimer = [] {};
    other.SetEnabled(true);
    EXPECT_EQ(timers.RunningCount(), 1u);
  }
  EXPECT_EQ(timers.RunningCount(), 0u);
}

}  // namespace
}  // namespace vimbrel
