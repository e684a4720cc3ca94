#pragma once

#include <cstdint>

namespace vimbrel {

// A moment in the user's local time.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The wall clock, as the user's records are kept in it, and a steady one for
// how long something takes.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Milliseconds since some fixed moment, never set back or forward with the
  // wall clock, and standing still while the system sleeps: nothing of the
  // program moves then either. Any thread may ask.
  virtual std::uint64_t SteadyMilliseconds() = 0;
};

}  // namespace vimbrel
