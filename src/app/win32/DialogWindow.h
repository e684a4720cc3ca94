#pragma once

#include <windows.h>

#include <string_view>

#include "app/win32/Application.h"

namespace vimbrel::win32 {

// What the program's own dialogs share: a window of the program's own class
// (not a system dialog, so that no one takes it for a message box), centred
// over the main window, whose focus comes back where it was and whose Enter
// presses the focused button.

// Creates the hidden dialog window of `class_name` with `caption` (code page
// 932) and a client area of `client` over `owner`; `state` reaches the window
// procedure as WM_NCCREATE's creation parameter. Raises when the window
// system refuses.
HWND CreateDialogWindow(Application& application, HWND owner, const wchar_t* class_name,
                        WNDPROC window_proc, std::string_view caption, SIZE client, void* state);

// WM_ACTIVATE: the control with the focus is noted as the dialog goes
// inactive, and gets it back as it comes back (`fallback` when it cannot
// take it any more).
void KeepDialogFocus(HWND dialog, WORD activation, HWND& focused, HWND fallback);

// DM_GETDEFID: the button that has the focus, and `fallback_id` from elsewhere.
LRESULT DefaultButtonOf(HWND dialog, int fallback_id);

// The state that a dialog's window procedure works on: its `window` set and
// kept with the window from WM_NCCREATE (the creation parameter) on, and let
// go at WM_NCDESTROY, where `window` goes back to null. Null before.
template <typename State>
State* DialogStateOf(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* state = static_cast<State*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    state->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  }
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state != nullptr && message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    state->window = nullptr;
  }
  return state;
}

// Destroys the dialog's window as the dialog's run ends, also on an error.
class DialogWindowScope {
 public:
  explicit DialogWindowScope(HWND window) : window_(window) {}
  ~DialogWindowScope() { DestroyWindow(window_); }
  DialogWindowScope(const DialogWindowScope&) = delete;
  DialogWindowScope& operator=(const DialogWindowScope&) = delete;

 private:
  HWND window_;
};

}  // namespace vimbrel::win32
