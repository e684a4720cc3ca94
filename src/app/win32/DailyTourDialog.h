#pragma once

#include <windows.h>

#include "app/DailyTourForm.h"
#include "app/win32/Application.h"

namespace vimbrel::win32 {

// The dialog "毎日の巡回": modal over the program's windows, with the state of
// the task, a time picker and the buttons 登録, 登録を消す and 閉じる (Esc).
// What it shows and does is DailyTourForm's; errors go to the error box.
class DailyTourDialog {
 public:
  static constexpr wchar_t kClassName[] = L"TDailyTourForm";
  // Ids of its controls.
  enum ControlId : int {
    kRegisterButton = IDOK,
    kCloseButton = IDCANCEL,
    kStateText = 100,
    kTaskNameField = 101,
    kTimePicker = 102,
    kBrowserText = 103,
    kPageTimeText = 104,
    kDeleteButton = 105,
  };

  // Reads the registration, then shows the dialog over `owner` until it is
  // closed. Raises, showing nothing, when the registration cannot be read.
  // `font` and `text_height` are the main window's: the layout scales as its
  // does.
  static void Run(Application& application, HWND owner, DailyTourForm& form, HFONT font,
                  int text_height);

 private:
  struct State;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static void OnCreate(State& state);
  static void OnCommand(State& state, int id, int code);
  static void OnActivate(State& state, WORD activation);
  static LRESULT OnGetDefId(const State& state);
  static void Show(State& state, const DailyTourView& view);
};

}  // namespace vimbrel::win32
