#pragma once

#include <windows.h>

#include <memory>

#include "app/MainForm.h"
#include "app/TryRowForm.h"
#include "app/win32/Application.h"

namespace vimbrel::win32 {

// The dialog "この行を試す": modal over the program's windows, with the row,
// the browser and the counts, the buttons キーを送る, 探す (after its text
// field), この回数にする and 閉じる (Esc), and what the last of them came to.
// What it shows and does is TryRowForm's; errors go to the error box.
class TryRowDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TTryRowForm";
  // Ids of its controls.
  enum ControlId : int {
    kCloseButton = IDCANCEL,
    kRowText = 100,
    kAddressField = 101,
    kBrowserText = 102,
    kTabsText = 103,
    kReverseTabsText = 104,
    kSendKeysButton = 105,
    kSearchField = 106,
    kSearchButton = 107,
    kResultText = 108,
    kUseCountButton = 109,
  };

  // Shows the dialog for the grid's current row over `owner` until it is
  // closed. `font` and `text_height` are the main window's: the layout
  // scales as its does.
  static void Run(Application& application, HWND owner, MainForm& form, HFONT font,
                  int text_height);

 private:
  struct State;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static void OnCreate(State& state);
  static void OnCommand(State& state, int id, int code);
  static void OnActivate(State& state, WORD activation);
  static LRESULT OnGetDefId(const State& state);
  static void Show(State& state);
};

}  // namespace vimbrel::win32
