#include "platform/win32/Win32Desktop.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

bool ClassIs(HWND window, const char* class_name) {
  char name[256];
  int length = GetClassNameA(window, name, sizeof name);
  // Without regard to case, as FindWindowA finds a class.
  return length > 0 && lstrcmpiA(name, class_name) == 0;
}

struct WindowSearch {
  const char* class_name;
  std::vector<TopLevelWindow> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<WindowSearch*>(search_address);
  if (!ClassIs(window, search.class_name)) return TRUE;
  // GetWindowTextW reads another program's caption without sending it a
  // message, so a window that hangs cannot hold the search up.
  wchar_t caption[2];
  search.found.push_back({reinterpret_cast<WindowHandle>(window), IsWindowVisible(window) != FALSE,
                          GetWindow(window, GW_OWNER) != nullptr,
                          GetWindowTextW(window, caption, 2) > 0});
  return TRUE;
}

}  // namespace

WindowHandle Win32Desktop::FindTopLevelWindow(const char* class_name) {
  return reinterpret_cast<WindowHandle>(FindWindowA(class_name, nullptr));
}

std::vector<TopLevelWindow> Win32Desktop::TopLevelWindows(const char* class_name) {
  WindowSearch search{class_name, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Win32Desktop::SetForegroundWindow(WindowHandle window) {
  ::SetForegroundWindow(ToWindow(window));
}

WindowHandle Win32Desktop::ForegroundWindow() {
  return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

bool Win32Desktop::HasClass(WindowHandle window, const char* class_name) {
  return ClassIs(ToWindow(window), class_name);
}

std::string Win32Desktop::Caption(WindowHandle window) {
  // GetWindowTextW, unlike WM_GETTEXT, cannot hang on a window that does not
  // answer; it reads no more than this of another program's caption.
  wchar_t caption[512];
  const int length = GetWindowTextW(ToWindow(window), caption, 512);
  return length > 0 ? NarrowCp932(std::wstring_view(caption, static_cast<std::size_t>(length)))
                    : std::string();
}

void Win32Desktop::RequestClose(WindowHandle window) {
  PostMessageW(ToWindow(window), WM_CLOSE, 0, 0);
}

void Win32Desktop::ProcessMessages() {
  if (loop_.process) loop_.process();
}

bool Win32Desktop::WaitProcessingMessages(std::uint32_t ms) {
  if (loop_.process_for) return loop_.process_for(ms);
  Sleep(ms);
  return true;
}

void Win32Desktop::KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) {
  keybd_event(virtual_key, 0, flags, 0);
}

}  // namespace vimbrel::win32
