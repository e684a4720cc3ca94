#pragma once

#include <windows.h>

#include <string>

#include "list/StringGrid.h"
#include "platform/win32/Guard.h"

namespace vimbrel::win32 {

// What the grid tells its owner.
class StringGridEvents {
 public:
  // The cell editor wrote its text back into the cell it is open on: at each
  // change of its text and each time it is taken off its cell.
  virtual void OnSetEditText(int col, int row, const std::string& value) = 0;

 protected:
  ~StringGridEvents() = default;
};

// The list grid: a window of its own class that shows a StringGrid model with
// a fixed header row and number column, lets the user drag column dividers in
// the header, and keeps an edit control open on the current cell.
class StringGridControl {
 public:
  static constexpr wchar_t kClassName[] = L"VimbrelStringGrid";

  struct Options {
    HFONT font = nullptr;  // not owned
    int row_height = StringGrid::kRowHeight;
    ErrorSink on_error;  // errors escaping handlers run inside the grid
  };

  // Registers the window class once per process.
  static void RegisterWindowClass(HINSTANCE instance);

  // Creates the grid as a child of `parent`. The model and the events must
  // outlive the window.
  static HWND Create(HWND parent, int control_id, const RECT& bounds, StringGrid& model,
                     StringGridEvents& events, const Options& options);

  // The edit control of the cell editor (null until the grid first had the
  // focus).
  static HWND Editor(HWND grid);
};

}  // namespace vimbrel::win32
