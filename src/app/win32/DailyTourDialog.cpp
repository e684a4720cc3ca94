#include "app/win32/DailyTourDialog.h"

#include <commctrl.h>

#include <string>

#include "app/win32/DialogWindow.h"
#include "platform/Texts.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

// The layout at a text height of 12, scaled as the main window's.
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 188;

// Where a control goes, at a text height of 12.
struct Box {
  int x, y, width, height;
};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

struct DailyTourDialog::State {
  Application& application;
  DailyTourForm& form;
  DailyTourView view;  // as it opened
  HFONT font;
  int text_height;
  HWND window = nullptr;
  HWND focused = nullptr;  // the control to give the focus back to
  bool closed = false;

  int Scale(int value) const { return MulDiv(value, text_height, 12); }
  HWND Control(int id) const { return GetDlgItem(window, id); }
};

void DailyTourDialog::Run(Application& application, HWND owner, DailyTourForm& form, HFONT font,
                          int text_height) {
  State state{application, form, form.Read(), font, text_height};
  INITCOMMONCONTROLSEX common{sizeof common, ICC_DATE_CLASSES};
  InitCommonControlsEx(&common);
  HWND window =
      CreateDialogWindow(application, owner, kClassName, WindowProc, texts::kDailyTourCaption,
                         {state.Scale(kClientWidth), state.Scale(kClientHeight)}, &state);
  DialogWindowScope scope(window);
  application.RunModal(window, [&state] { return state.closed; });
}

void DailyTourDialog::OnCreate(State& state) {
  HINSTANCE instance = state.application.Instance();
  auto child = [&](const wchar_t* class_name, const std::wstring& text, DWORD style, Box box,
                   int id) {
    HWND control = CreateWindowExW(
        0, class_name, text.c_str(), WS_CHILD | WS_VISIBLE | style, state.Scale(box.x),
        state.Scale(box.y), state.Scale(box.width), state.Scale(box.height), state.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    return control;
  };
  // Creation order is tab order: the picker, then the three buttons.
  constexpr DWORD kText = SS_LEFT | SS_NOPREFIX;
  child(L"STATIC", L"", kText, {16, 12, 368, 16}, kStateText);
  child(L"STATIC", WidenCp932(texts::kDailyTourTaskName), kText, {16, 36, 368, 14}, -1);
  child(L"EDIT", L"", ES_READONLY | ES_AUTOHSCROLL, {16, 52, 368, 16}, kTaskNameField);
  child(L"STATIC", WidenCp932(texts::kDailyTourTime), kText, {16, 82, 40, 14}, -1);
  HWND picker = child(DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN,
                      {60, 78, 72, 22}, kTimePicker);
  child(L"STATIC", L"", kText, {16, 110, 368, 14}, kBrowserText);
  child(L"STATIC", L"", kText, {16, 128, 368, 14}, kPageTimeText);
  child(L"BUTTON", WidenCp932(texts::kDailyTourRegister), WS_TABSTOP | BS_DEFPUSHBUTTON,
        {104, 152, 88, 24}, kRegisterButton);
  child(L"BUTTON", WidenCp932(texts::kDailyTourDelete), WS_TABSTOP | BS_PUSHBUTTON,
        {200, 152, 88, 24}, kDeleteButton);
  child(L"BUTTON", WidenCp932(texts::kDailyTourClose), WS_TABSTOP | BS_PUSHBUTTON,
        {296, 152, 88, 24}, kCloseButton);

  SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
  SYSTEMTIME time;
  GetLocalTime(&time);
  time.wHour = static_cast<WORD>(state.view.time.hour);
  time.wMinute = static_cast<WORD>(state.view.time.minute);
  time.wSecond = 0;
  time.wMilliseconds = 0;
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  Show(state, state.view);
  state.focused = picker;
}

void DailyTourDialog::Show(State& state, const DailyTourView& view) {
  SetDlgItemTextW(state.window, kStateText, WidenCp932(view.state).c_str());
  SetDlgItemTextW(state.window, kTaskNameField, Wide(view.task_name).c_str());
  SetDlgItemTextW(state.window, kBrowserText, WidenCp932(view.browser).c_str());
  SetDlgItemTextW(state.window, kPageTimeText, WidenCp932(view.page_time).c_str());
  HWND remove = state.Control(kDeleteButton);
  // A button that goes grey takes no keys: the focus moves on first.
  if (!view.registered && GetFocus() == remove) SetFocus(state.Control(kRegisterButton));
  EnableWindow(remove, view.registered ? TRUE : FALSE);
}

void DailyTourDialog::OnCommand(State& state, int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kRegisterButton: {
      SYSTEMTIME time{};
      if (SendMessageW(state.Control(kTimePicker), DTM_GETSYSTEMTIME, 0,
                       reinterpret_cast<LPARAM>(&time)) != GDT_VALID) {
        return;
      }
      Show(state, state.form.RegisterClick({time.wHour, time.wMinute}));
      break;
    }
    case kDeleteButton:
      Show(state, state.form.DeleteClick());
      break;
    case kCloseButton:  // and Esc
      state.closed = true;
      break;
  }
}

void DailyTourDialog::OnActivate(State& state, WORD activation) {
  KeepDialogFocus(state.window, activation, state.focused, state.Control(kTimePicker));
}

LRESULT DailyTourDialog::OnGetDefId(const State& state) {
  // Enter presses the button that has the focus, and 登録 from elsewhere.
  return DefaultButtonOf(state.window, kRegisterButton);
}

LRESULT CALLBACK DailyTourDialog::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  State* state = DialogStateOf<State>(window, message, lparam);
  if (state == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return CallGuarded(state->application.Errors(), 0, [&]() -> LRESULT {
    switch (message) {
      case WM_CREATE:
        OnCreate(*state);
        return 0;
      case WM_COMMAND:
        OnCommand(*state, LOWORD(wparam), HIWORD(wparam));
        return 0;
      case WM_ACTIVATE:
        OnActivate(*state, LOWORD(wparam));
        return 0;
      case DM_GETDEFID:
        return OnGetDefId(*state);
      case WM_CLOSE:
        state->closed = true;
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  });
}

}  // namespace vimbrel::win32
