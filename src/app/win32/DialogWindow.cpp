#include "app/win32/DialogWindow.h"

#include <stdexcept>

#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}  // namespace

HWND CreateDialogWindow(Application& application, HWND owner, const wchar_t* class_name,
                        WNDPROC window_proc, std::string_view caption, SIZE client, void* state) {
  HINSTANCE instance = application.Instance();
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name;
  RegisterClassExW(&window_class);  // fails harmlessly from the second time on

  RECT outer{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  RECT over{};
  GetWindowRect(owner, &over);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  HWND window =
      CreateWindowExW(kExStyle, class_name, WidenCp932(caption).c_str(), kStyle,
                      (over.left + over.right - width) / 2, (over.top + over.bottom - height) / 2,
                      width, height, owner, nullptr, instance, state);
  if (window == nullptr) throw std::runtime_error("cannot create a dialog window");
  return window;
}

void KeepDialogFocus(HWND dialog, WORD activation, HWND& focused, HWND fallback) {
  if (activation == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus)) focused = focus;
    return;
  }
  const bool usable = focused != nullptr && IsWindowEnabled(focused);
  SetFocus(usable ? focused : fallback);
}

LRESULT DefaultButtonOf(HWND dialog, int fallback_id) {
  HWND focus = GetFocus();
  int id = fallback_id;
  if (focus != nullptr && GetParent(focus) == dialog &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    id = GetDlgCtrlID(focus);
  }
  return MAKELRESULT(id, DC_HASDEFID);
}

}  // namespace vimbrel::win32
