#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace vimbrel::win32 {

LocalTime Win32Clock::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint64_t Win32Clock::SteadyMilliseconds() {
  // In units of 100 ns, without the time the system slept or hibernated.
  ULONGLONG interrupt_time = 0;
  QueryUnbiasedInterruptTime(&interrupt_time);
  return interrupt_time / 10000;
}

}  // namespace vimbrel::win32
