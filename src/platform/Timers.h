#pragma once

#include <cstdint>

namespace vimbrel {

// Receives the ticks of one system timer.
class TimerSink {
 public:
  virtual void OnTimerTick() = 0;

 protected:
  ~TimerSink() = default;
};

// System timers that deliver their ticks through the user-interface thread's
// message queue, one tick per expiry, until stopped.
class TimerService {
 public:
  virtual ~TimerService() = default;
  // Starts the sink's timer, or restarts it with a fresh period. Returns false
  // when the system refuses a timer.
  virtual bool StartTimer(TimerSink& sink, std::uint32_t interval_ms) = 0;
  // Stops the sink's timer; no tick reaches it afterwards.
  virtual void StopTimer(TimerSink& sink) = 0;
};

}  // namespace vimbrel
