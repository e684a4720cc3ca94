#include "app/win32/TryRowDialog.h"

#include <string>

#include "app/win32/DialogWindow.h"
#include "platform/Cp932.h"
#include "platform/Texts.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

// The layout at a text height of 12, scaled as the main window's.
constexpr int kClientWidth = 440;
constexpr int kClientHeight = 252;

struct Box {
  int x, y, width, height;
};

// The buttons that start an action, and the field that goes with one.
constexpr int kActionControls[] = {TryRowDialog::kSendKeysButton, TryRowDialog::kSearchField,
                                   TryRowDialog::kSearchButton, TryRowDialog::kUseCountButton};

}  // namespace

struct TryRowDialog::State {
  Application& application;
  MainForm& main_form;
  HFONT font;
  int text_height;
  std::unique_ptr<TryRowForm> form;
  HWND window = nullptr;
  HWND focused = nullptr;  // the control to give the focus back to

  int Scale(int value) const { return MulDiv(value, text_height, 12); }
  HWND Control(int id) const { return GetDlgItem(window, id); }
};

void TryRowDialog::Run(Application& application, HWND owner, MainForm& main_form, HFONT font,
                       int text_height) {
  State state{application, main_form, font, text_height, nullptr};
  state.form = main_form.TryRowClick([&state] { Show(state); });
  HWND window =
      CreateDialogWindow(application, owner, kClassName, WindowProc, texts::kTryRowCaption,
                         {state.Scale(kClientWidth), state.Scale(kClientHeight)}, &state);
  DialogWindowScope scope(window);
  application.RunModal(window, [&state] { return state.form->Closed(); });
  // Its windows go with it, also when the program ends meanwhile.
  state.form->CloseClick();
}

void TryRowDialog::OnCreate(State& state) {
  HINSTANCE instance = state.application.Instance();
  auto child = [&](DWORD ex_style, const wchar_t* class_name, const std::wstring& text, DWORD style,
                   Box box, int id) {
    HWND control = CreateWindowExW(
        ex_style, class_name, text.c_str(), WS_CHILD | WS_VISIBLE | style, state.Scale(box.x),
        state.Scale(box.y), state.Scale(box.width), state.Scale(box.height), state.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    return control;
  };
  const TryRowView& view = state.form->View();
  constexpr DWORD kText = SS_LEFT | SS_NOPREFIX;
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
  // Creation order is tab order.
  child(0, L"STATIC", WidenCp932(view.row), kText, {16, 14, 60, 14}, kRowText);
  child(WS_EX_CLIENTEDGE, L"EDIT", WidenCp932(view.address), ES_READONLY | ES_AUTOHSCROLL,
        {80, 12, 344, 20}, kAddressField);
  child(0, L"STATIC", WidenCp932(cp932::FillText(texts::kDailyTourBrowser, view.browser)), kText,
        {16, 40, 408, 14}, kBrowserText);
  child(0, L"STATIC", WidenCp932(cp932::FillText(texts::kTryRowTabs, view.tabs)), kText,
        {16, 60, 140, 14}, kTabsText);
  child(0, L"STATIC", WidenCp932(cp932::FillText(texts::kTryRowReverseTabs, view.reverse_tabs)),
        kText, {160, 60, 140, 14}, kReverseTabsText);
  child(0, L"BUTTON", WidenCp932(texts::kTryRowSendKeys), kButton, {16, 82, 100, 24},
        kSendKeysButton);
  child(0, L"STATIC", WidenCp932(texts::kTryRowSearchLabel), kText, {16, 118, 408, 14}, -1);
  HWND search = child(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL,
                      {16, 134, 300, 22}, kSearchField);
  child(0, L"BUTTON", WidenCp932(texts::kTryRowSearch), kButton, {324, 133, 100, 24},
        kSearchButton);
  child(0, L"STATIC", L"", kText, {16, 166, 408, 40}, kResultText);
  child(0, L"BUTTON", WidenCp932(texts::kTryRowUseCount), kButton, {16, 214, 120, 24},
        kUseCountButton);
  child(0, L"BUTTON", WidenCp932(texts::kTryRowClose), kButton, {324, 214, 100, 24}, kCloseButton);
  Show(state);
  state.focused = search;
}

void TryRowDialog::Show(State& state) {
  if (state.window == nullptr) return;
  const TryRowView& view = state.form->View();
  SetDlgItemTextW(state.window, kResultText, WidenCp932(view.result).c_str());
  SetDlgItemTextW(state.window, kTabsText,
                  WidenCp932(cp932::FillText(texts::kTryRowTabs, view.tabs)).c_str());
  // A control that goes grey takes no keys: the focus moves to 閉じる first.
  HWND focus = GetFocus();
  for (int id : kActionControls) {
    const bool enabled = !view.busy && (id != kUseCountButton || view.count_found);
    if (!enabled && focus == state.Control(id)) SetFocus(state.Control(kCloseButton));
    EnableWindow(state.Control(id), enabled ? TRUE : FALSE);
  }
}

void TryRowDialog::OnCommand(State& state, int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kSendKeysButton:
      state.form->SendKeysClick();
      break;
    case kSearchButton: {
      HWND field = state.Control(kSearchField);
      std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
      text.resize(static_cast<std::size_t>(GetWindowTextW(field, text.data(), text.size())));
      state.form->SearchClick(NarrowCp932(text));
      break;
    }
    case kUseCountButton:
      state.form->UseCountClick();
      Show(state);
      break;
    case kCloseButton:  // and Esc
      state.form->CloseClick();
      break;
  }
}

void TryRowDialog::OnActivate(State& state, WORD activation) {
  KeepDialogFocus(state.window, activation, state.focused, state.Control(kCloseButton));
}

LRESULT TryRowDialog::OnGetDefId(const State& state) {
  // Enter presses the button that has the focus, and 探す from elsewhere.
  return DefaultButtonOf(state.window, kSearchButton);
}

LRESULT CALLBACK TryRowDialog::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
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
        state->form->CloseClick();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  });
}

}  // namespace vimbrel::win32
