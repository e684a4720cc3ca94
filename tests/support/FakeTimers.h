#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Timers.h"

namespace vimbrel::testing {

// System timers on a virtual clock. Ticks come in time order (ties in the
// order the timers were started) and repeat until stopped, as real ones do.
class FakeTimers final : public TimerService {
 public:
  // Called with every error that escapes a tick, as the program's error box
  // would be.
  std::function<void(const std::exception&)> on_error;
  // Start refuses a timer while this returns true.
  std::function<bool(std::uint32_t interval)> refuse;
  // The ticks of a timer with an interval for which this returns true never
  // come, though it runs.
  std::function<bool(std::uint32_t interval)> withhold;

  bool StartTimer(TimerSink& sink, std::uint32_t interval_ms) override;
  void StopTimer(TimerSink& sink) override;

  std::uint64_t Now() const { return now_; }
  // Delivers every tick due up to now + ms, then sets the clock there, or
  // leaves it later where a tick that advanced it itself left it.
  void Advance(std::uint64_t ms);
  // Delivers the next tick only; false when no timer runs.
  bool RunNext();
  // The time of the next tick, or UINT64_MAX.
  std::uint64_t NextDue() const;
  std::size_t RunningCount() const { return running_.size(); }
  bool IsRunning(const TimerSink& sink) const { return running_.count(&sink) != 0; }

 private:
  struct Running {
    std::uint32_t interval;
    std::uint64_t due;
    std::uint64_t order;
  };
  TimerSink* Earliest() const;
  void Deliver(TimerSink& sink);

  std::map<const TimerSink*, Running> running_;
  std::uint64_t now_ = 0;
  std::uint64_t next_order_ = 0;
};

// The wall clock on the timers' virtual time: `start` when it is 0, within
// one day.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(const FakeTimers& timers) : timers_(timers) {}
  LocalTime Now() override {
    LocalTime now = start;
    const std::uint64_t seconds =
        timers_.Now() / 1000 + start.hour * 3600u + start.minute * 60u + start.second;
    now.hour = static_cast<int>(seconds / 3600 % 24);
    now.minute = static_cast<int>(seconds / 60 % 60);
    now.second = static_cast<int>(seconds % 60);
    return now;
  }
  std::uint64_t SteadyMilliseconds() override { return timers_.Now(); }
  LocalTime start{2026, 12, 9, 6, 0, 0};

 private:
  const FakeTimers& timers_;
};

}  // namespace vimbrel::testing
