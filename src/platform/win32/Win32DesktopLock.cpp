#include "platform/win32/Win32DesktopLock.h"

namespace vimbrel::win32 {

namespace {
constexpr wchar_t kMutexName[] = L"Local\\Vimbrel.Tour";
}

Win32DesktopLock::Win32DesktopLock() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)) {}

bool Win32DesktopLock::TryAcquire() {
  if (held_) return true;
  // Without a mutex (the name taken by an object of another kind) the tour
  // runs unguarded rather than never.
  if (!mutex_.Valid()) return true;
  const DWORD result = WaitForSingleObject(mutex_.Get(), 0);
  // Abandoned: its holder ended without letting go, and it is ours now.
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return held_;
}

void Win32DesktopLock::Release() {
  if (!held_) return;
  held_ = false;
  ReleaseMutex(mutex_.Get());
}

}  // namespace vimbrel::win32
