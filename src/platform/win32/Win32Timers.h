#pragma once

#include <windows.h>

#include <map>

#include "platform/Timers.h"
#include "platform/win32/Guard.h"

namespace vimbrel::win32 {

// System timers (SetTimer) on a message-only window of their own; each tick is
// one WM_TIMER message handled inside the error guard.
class Win32Timers final : public TimerService {
 public:
  explicit Win32Timers(ErrorSink on_error);
  ~Win32Timers() override;
  Win32Timers(const Win32Timers&) = delete;
  Win32Timers& operator=(const Win32Timers&) = delete;

  bool StartTimer(TimerSink& sink, std::uint32_t interval_ms) override;
  void StopTimer(TimerSink& sink) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);

  HWND window_ = nullptr;
  ErrorSink on_error_;
  // A fresh id per start, so that a tick still queued for a stopped timer
  // finds no sink.
  std::map<UINT_PTR, TimerSink*> sinks_;
  std::map<const TimerSink*, UINT_PTR> ids_;
  UINT_PTR next_id_ = 1;
};

}  // namespace vimbrel::win32
