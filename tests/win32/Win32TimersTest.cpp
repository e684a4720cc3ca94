#include "platform/win32/Win32Timers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Timer.h"

namespace vimbrel::win32 {
namespace {

// Dispatches messages until `done` holds or `ms` have passed.
void PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  MSG message;
  while (!done() && GetTickCount() - start < ms) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

class Win32TimersTest : public ::testing::Test {
 protected:
  std::vector<std::string> errors;
  Win32Timers timers{[this](const std::exception& error) { errors.push_back(error.what()); }};
};

TEST_F(Win32TimersTest, TicksThroughTheMessageLoopUntilDisabled) {
  TTimer timer(timers, 30);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Running());
  PumpUntil([&] { return ticks >= 3; }, 3000);
  EXPECT_EQ(ticks, 3);
  PumpUntil([] { return false; }, 150);
  EXPECT_EQ(ticks, 3);  // nothing after it was disabled
  EXPECT_FALSE(timer.Running());
}

TEST_F(Win32TimersTest, AnErrorInATickGoesToTheSinkAndTheTimerGoesOn) {
  TTimer timer(timers, 20);
  int ticks = 0;
  timer.OnTimer = [&] {
    ++ticks;
    throw std::runtime_error("tick " + std::to_string(ticks));
  };
  timer.SetEnabled(true);
  PumpUntil([&] { return ticks >= 2; }, 3000);
  timer.SetEnabled(false);
  ASSERT_GE(errors.size(), 2u);
  EXPECT_EQ(errors[0], "tick 1");
  EXPECT_EQ(errors[1], "tick 2");
}

TEST_F(Win32TimersTest, AStoppedTimerGetsNoTickThatWasAlreadyDue) {
  TTimer first(timers, 10);
  TTimer second(timers, 10);
  int first_ticks = 0;
  int second_ticks = 0;
  // Whichever ticks first stops the other, whose expiry may already be due.
  first.OnTimer = [&] {
    ++first_ticks;
    second.SetEnabled(false);
    first.SetEnabled(false);
  };
  second.OnTimer = [&] {
    ++second_ticks;
    first.SetEnabled(false);
    second.SetEnabled(false);
  };
  first.SetEnabled(true);
  second.SetEnabled(true);
  Sleep(50);  // both due
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(first_ticks + second_ticks, 1);
}

TEST_F(Win32TimersTest, DestroyingATimerStopsIt) {
  int ticks = 0;
  {
    TTimer timer(timers, 10);
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(true);
  }
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace vimbrel::win32
