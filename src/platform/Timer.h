#pragma once

#include <cstdint>
#include <functional>

#include "platform/Timers.h"

namespace vimbrel {

// A timer component: while it is enabled with a non-zero interval and a
// handler, a system timer calls OnTimer at every expiry.
class TTimer final : private TimerSink {
 public:
  TTimer(TimerService& service, std::uint32_t interval_ms)
      : service_(service), interval_(interval_ms) {}
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  // Setting the value it already has changes nothing. Raises EOutOfResources
  // ("タイマーを取得できません") when the system refuses a timer; Enabled then
  // stays true with no timer running.
  void SetEnabled(bool enabled);

  std::uint32_t Interval() const { return interval_; }
  // A different interval restarts a running timer. Raises like SetEnabled.
  void SetInterval(std::uint32_t interval_ms);

  // Whether a system timer is running for it: false while disabled, and also
  // when the system refused the last start.
  bool Running() const { return running_; }

  std::function<void()> OnTimer;

 private:
  void UpdateTimer();
  void OnTimerTick() override;

  TimerService& service_;
  std::uint32_t interval_;
  bool enabled_ = false;
  bool running_ = false;
};

}  // namespace vimbrel
