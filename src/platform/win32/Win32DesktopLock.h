#pragma once

#include "platform/DesktopLock.h"
#include "platform/win32/Handle.h"

namespace vimbrel::win32 {

// A named mutex in the session's own namespace ("Local\"), so that every copy
// of the program that the user runs on this desktop sees the same one. The
// system lets it go when its holder ends, however it ends.
class Win32DesktopLock final : public DesktopLock {
 public:
  Win32DesktopLock();
  bool TryAcquire() override;
  void Release() override;

 private:
  KernelObject mutex_;
  bool held_ = false;
};

}  // namespace vimbrel::win32
