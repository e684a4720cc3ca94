#include "app/win32/StringGridControl.h"

// Stand-in until the grid control lands: an empty sunken window.
namespace vimbrel::win32 {

void StringGridControl::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);
}

HWND StringGridControl::Create(HWND parent, int control_id, const RECT& bounds, StringGrid&,
                               StringGridEvents&, const Options&) {
  return CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                         bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                         GetModuleHandleW(nullptr), nullptr);
}

HWND StringGridControl::Editor(HWND) { return nullptr; }

}  // namespace vimbrel::win32
