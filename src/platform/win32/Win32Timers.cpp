#include "platform/win32/Win32Timers.h"

#include <stdexcept>

namespace vimbrel::win32 {

namespace {
constexpr wchar_t kClassName[] = L"VimbrelTimers";
}

Win32Timers::Win32Timers(ErrorSink on_error) : on_error_(std::move(on_error)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);  // fails harmlessly when already registered
  window_ =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (window_ == nullptr) throw std::runtime_error("cannot create the timer window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Timers::~Win32Timers() {
  for (const auto& [id, sink] : sinks_) KillTimer(window_, id);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool Win32Timers::StartTimer(TimerSink& sink, std::uint32_t interval_ms) {
  StopTimer(sink);
  UINT_PTR id = next_id_++;
  if (SetTimer(window_, id, interval_ms, nullptr) == 0) return false;
  sinks_[id] = &sink;
  ids_[&sink] = id;
  return true;
}

void Win32Timers::StopTimer(TimerSink& sink) {
  auto found = ids_.find(&sink);
  if (found == ids_.end()) return;
  KillTimer(window_, found->second);
  sinks_.erase(found->second);
  ids_.erase(found);
}

void Win32Timers::OnTimer(UINT_PTR id) {
  auto found = sinks_.find(id);
  if (found == sinks_.end()) {
    KillTimer(window_, id);
    return;
  }
  TimerSink* sink = found->second;
  CallGuarded(on_error_, 0, [sink] {
    sink->OnTimerTick();
    return LRESULT{0};
  });
}

LRESULT CALLBACK Win32Timers::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Timers*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_TIMER && self != nullptr) {
    self->OnTimer(static_cast<UINT_PTR>(wparam));
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vimbrel::win32
