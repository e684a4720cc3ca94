#pragma once

#include "platform/Clock.h"

namespace vimbrel::win32 {

// The system's local time, and the milliseconds it has been running since it
// started.
class Win32Clock final : public Clock {
 public:
  LocalTime Now() override;
  std::uint64_t SteadyMilliseconds() override;
};

}  // namespace vimbrel::win32
