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
  // change of its text by the user and each time it is taken off its cell
  // (then also when the text did not change). The model already holds `value`
  // when this is called. Cells the program writes never raise it.
  virtual void OnSetEditText(int col, int row, const std::string& value) = 0;

 protected:
  ~StringGridEvents() = default;
};

// The list grid: a window of its own class that shows a StringGrid model with
// a fixed header row and number column, lets the user drag column dividers in
// the header, and keeps an edit control open on the current cell.
//
// Layout: every cell is followed by a 1-pixel grid line, so a column takes
// its width + 1 pixels and a row `row_height` + 1. The header row never
// scrolls; the data rows scroll vertically (the scroll bar shows only when
// they do not fit). There is no horizontal scroll bar; when the current cell
// lies right of the client area the data columns shift left to show it.
//
// Focus: as soon as the grid gets the focus the editor opens on the current
// cell and takes the focus. The grid window keeps the focus itself only while
// the current cell is scrolled out of view (the editor is then hidden; typing
// brings it back).
//
// Write-back (OnSetEditText) happens at each EN_CHANGE the user causes; when
// a key moves the current cell (TAB/Shift+TAB, Up, Down, Page Up/Down, and
// Left/Home or Right/End when the caret is at the start or end of the text,
// the whole text is selected or Ctrl is held); at every mouse button press on
// the grid outside the editor once the editor is open (a press on the scroll
// bar is not on the grid); and when the grid window itself loses the focus to
// another window than the editor. A key that cannot move the cell (Up in row
// 1) does not take the editor off its cell and writes nothing back. Ctrl+Home
// / Ctrl+End go to the first / last cell, Ctrl+Up / Ctrl+Down to the first /
// last row, Ctrl+Page Up / Page Down to the first / last row in view; Esc
// during a divider drag puts the width back.
class StringGridControl {
 public:
  static constexpr wchar_t kClassName[] = L"TStringGrid";

  struct Options {
    HFONT font = nullptr;  // not owned; null: DEFAULT_GUI_FONT
    int row_height = StringGrid::kRowHeight;
    ErrorSink on_error;  // errors escaping handlers run inside the grid
  };

  // Registers the window class once per process (later calls do nothing).
  // Raises EOutOfResources when the system refuses the class.
  static void RegisterWindowClass(HINSTANCE instance);

  // Creates the grid as a child of `parent` (registering the class with the
  // program's module when that was not done yet). The model and the events
  // must outlive the window; the grid observes the model while it exists.
  // Returns null when the window could not be created.
  static HWND Create(HWND parent, int control_id, const RECT& bounds, StringGrid& model,
                     StringGridEvents& events, const Options& options);

  // The edit control of the cell editor (null until the grid first had the
  // focus).
  static HWND Editor(HWND grid);

  // The first data row shown below the header row.
  static int TopRow(HWND grid);
};

}  // namespace vimbrel::win32
