#include "platform/win32/Win32Desktop.h"

#include <windows.h>

namespace vimbrel::win32 {

namespace {
HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
}  // namespace

WindowHandle Win32Desktop::FindTopLevelWindow(const char* class_name) {
  return reinterpret_cast<WindowHandle>(FindWindowA(class_name, nullptr));
}

void Win32Desktop::SetForegroundWindow(WindowHandle window) {
  ::SetForegroundWindow(ToWindow(window));
}

WindowHandle Win32Desktop::ForegroundWindow() {
  return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

bool Win32Desktop::HasClass(WindowHandle window, const char* class_name) {
  char name[256];
  int length = GetClassNameA(ToWindow(window), name, sizeof name);
  // Without regard to case, as FindWindowA finds a class.
  return length > 0 && lstrcmpiA(name, class_name) == 0;
}

void Win32Desktop::RequestClose(WindowHandle window) {
  PostMessageW(ToWindow(window), WM_CLOSE, 0, 0);
}

void Win32Desktop::ProcessMessages() {
  if (process_messages_) process_messages_();
}

void Win32Desktop::KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) {
  keybd_event(virtual_key, 0, flags, 0);
}

}  // namespace vimbrel::win32
