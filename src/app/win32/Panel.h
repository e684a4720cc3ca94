#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Guard.h"

namespace vimbrel::win32 {

// A panel: a background colour, a one-pixel raised bevel, an optional caption
// drawn centred under everything else, and window-less pictures and labels
// drawn in order over it. Notifications of its child controls go on to its
// parent.
class Panel {
 public:
  static constexpr wchar_t kClassName[] = L"TPanel";

  struct Picture {
    POINT at;
    HBITMAP bitmap;  // not owned
    SIZE size;
  };
  struct Label {
    RECT bounds;
    std::wstring text;
    HFONT font;  // not owned
    bool opaque;
    COLORREF background;
  };
  struct Style {
    COLORREF background;
    std::wstring caption;
    HFONT font;  // not owned
    std::vector<Picture> pictures;
    std::vector<Label> labels;
  };

  static void RegisterWindowClass(HINSTANCE instance);
  static HWND Create(HWND parent, const RECT& bounds, Style style, ErrorSink on_error);

 private:
  struct State;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static void OnPaint(HWND window, State& state);
};

}  // namespace vimbrel::win32
