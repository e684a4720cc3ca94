#pragma once

#include "platform/Clock.h"

namespace vimbrel::win32 {

// The system's local time.
class Win32Clock final : public Clock {
 public:
  LocalTime Now() override;
};

}  // namespace vimbrel::win32
