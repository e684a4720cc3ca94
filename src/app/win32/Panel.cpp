#include "app/win32/Panel.h"

#include <memory>

#include "platform/win32/Handle.h"

namespace vimbrel::win32 {

struct Panel::State {
  Style style;
  ErrorSink on_error;
  GdiObject brush;
};

void Panel::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);
}

HWND Panel::Create(HWND parent, const RECT& bounds, Style style, ErrorSink on_error) {
  auto state = std::make_unique<State>();
  state->brush.Reset(CreateSolidBrush(style.background));
  state->style = std::move(style);
  state->on_error = std::move(on_error);
  HWND window = CreateWindowExW(
      WS_EX_CONTROLPARENT, kClassName, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds.left, bounds.top,
      bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), state.get());
  if (window != nullptr) state.release();  // owned by the window from now on
  return window;
}

void Panel::OnPaint(HWND window, State& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(state.brush.Get()));
  RECT bevel = client;
  DrawEdge(dc, &bevel, BDR_RAISEDINNER, BF_RECT);

  int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  if (!state.style.caption.empty()) {
    SelectObject(dc, state.style.font);
    DrawTextW(dc, state.style.caption.c_str(), static_cast<int>(state.style.caption.size()),
              &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  for (const Picture& picture : state.style.pictures) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture.bitmap);
    BitBlt(dc, picture.at.x, picture.at.y, picture.size.cx, picture.size.cy, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  for (const Label& label : state.style.labels) {
    RECT bounds = label.bounds;
    if (label.opaque) {
      SetBkColor(dc, label.background);
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bounds, nullptr, 0, nullptr);
    }
    SelectObject(dc, label.font);
    DrawTextW(dc, label.text.c_str(), static_cast<int>(label.text.size()), &bounds,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  RestoreDC(dc, saved);
  EndPaint(window, &paint);
}

LRESULT CALLBACK Panel::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete state;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return CallGuarded(state->on_error, 0, [&]() -> LRESULT {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
      case WM_PAINT:
        OnPaint(window, *state);
        return 0;
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_VSCROLL:
      case WM_HSCROLL:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        return SendMessageW(GetParent(window), message, wparam, lparam);
    }
    return DefWindowProcW(window, message, wparam, lparam);
  });
}

}  // namespace vimbrel::win32
