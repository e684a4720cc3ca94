#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Watchdog.h"
#include "platform/win32/Handle.h"

namespace vimbrel::win32 {

// The watchdog on a thread of its own, which waits on an event between its
// checks, so that it ends at once with the tour, and touches nothing of the
// tour but what `hung` reaches. It ends the program with TerminateProcess,
// not ExitProcess: the tour's thread is stuck in a call into the browser,
// maybe holding locks of COM's or of the runtime's that an orderly exit (DLL
// detach, the runtime's clean-up) would wait for. Every line of the log is on
// disk already, and the system lets the desktop lock go with the process.
class Win32Watchdog final : public Watchdog {
 public:
  Win32Watchdog();
  ~Win32Watchdog() override;
  Win32Watchdog(const Win32Watchdog&) = delete;
  Win32Watchdog& operator=(const Win32Watchdog&) = delete;

  void Start(std::function<std::optional<int>()> hung) override;
  void Stop() noexcept override;
  // The window's process, opened here and held, so that its id cannot come to
  // name another process by the time it is ended.
  void BrowserWindow(WindowHandle window) noexcept override;

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Watch();
  void EndProgram(int exit_code);

  std::function<std::optional<int>()> hung_;
  KernelObject stop_;  // set: the tour is over
  KernelObject thread_;
  // None when they could not be listed: then no process is taken for the
  // tour's own.
  std::optional<std::vector<DWORD>> running_at_start_;
  std::mutex browser_mutex_;
  KernelObject browser_;  // the tour's own browser process, to be ended
};

}  // namespace vimbrel::win32
