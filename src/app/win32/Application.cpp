#include "app/win32/Application.h"

#include <utility>
#include <vector>

#include "app/ErrorBox.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TApplication";

// Disables the enabled, visible top-level windows of this thread for as long
// as it lives, and gives the activation back afterwards.
class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND except) : active_(GetActiveWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : disabled_) {
      if (window != except) EnableWindow(window, FALSE);
    }
  }
  ~TaskWindowsDisabled() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
    if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
  }
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      reinterpret_cast<TaskWindowsDisabled*>(self)->disabled_.push_back(window);
    }
    return TRUE;
  }
  HWND active_;
  std::vector<HWND> disabled_;
};

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
  icon_ = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 32, 32, 0));
  small_icon_ = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 16, 16, 0));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = icon_;
  window_class.hIconSm = small_icon_;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);
  // Zero size at the centre of the screen: it only carries the taskbar entry.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  window_ = CreateWindowExW(0, kClassName, L"",
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, 0, 0, nullptr, nullptr, instance, this);
}

Application::~Application() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (icon_ != nullptr) DestroyIcon(icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
}

void Application::SetTitle(std::string_view title) {
  SetWindowTextW(window_, WidenCp932(title).c_str());
}

void Application::Run(int show_command, std::function<void()> when_idle) {
  if (main_window_ != nullptr) {
    // The taskbar entry appears without taking the first ShowWindow, which
    // the system may replace with the show command the program was started
    // with.
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    switch (show_command) {
      case SW_SHOWMINNOACTIVE:
        // Only the taskbar entry, as an icon; restoring it shows the window.
        ShowWindow(window_, SW_SHOWMINNOACTIVE);
        main_hidden_ = true;
        break;
      case SW_SHOWMAXIMIZED:
        ShowWindow(main_window_, SW_SHOWMAXIMIZED);
        break;
      default:
        ShowWindow(main_window_, SW_SHOWNORMAL);
        break;
    }
    if (IsWindowVisible(main_window_)) UpdateWindow(main_window_);
  }
  MSG message;
  while (!terminated_) {
    if (when_idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      CallGuarded(Errors(), 0, [idle = std::exchange(when_idle, nullptr)] {
        idle();
        return LRESULT{0};
      });
      continue;
    }
    BOOL result = GetMessageW(&message, nullptr, 0, 0);
    if (result <= 0) break;
    Dispatch(message);
  }
}

void Application::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      continue;
    }
    Dispatch(message);
  }
}

bool Application::ProcessMessagesFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    ProcessMessages();
    const DWORD waited = GetTickCount() - start;
    if (terminated_) return false;
    if (waited >= ms) return true;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms - waited, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void Application::Dispatch(MSG& message) {
  // Also while a dialog's action waits, handling messages.
  HWND dialog = modal_window_ != nullptr ? modal_window_ : main_window_;
  if (dialog != nullptr && IsDialogMessageW(dialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Application::Terminate() { PostQuitMessage(0); }

void Application::Minimize() {
  // The taskbar entry goes to an icon and the main window hides with it; the
  // main window comes back when the entry is restored.
  ShowWindow(window_, SW_MINIMIZE);
  if (main_window_ != nullptr && IsWindowVisible(main_window_)) {
    ShowWindow(main_window_, SW_HIDE);
    main_hidden_ = true;
  }
}

void Application::Restore() {
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
  if (main_hidden_ && main_window_ != nullptr) {
    main_hidden_ = false;
    ShowWindow(main_window_, SW_SHOW);
    SetActiveWindow(main_window_);
  }
}

void Application::HandleException(const std::exception& error) {
  if (GetCapture() != nullptr) ReleaseCapture();
  Win32MessageBoxes boxes(*this);
  ShowErrorBox(boxes, error);
}

int Application::ShowModalBox(std::string_view text, std::string_view caption, UINT flags) {
  TaskWindowsDisabled disabled(window_);
  return MessageBoxW(window_, WidenCp932(text).c_str(), WidenCp932(caption).c_str(), flags);
}

void Application::RunModal(HWND window, const std::function<bool()>& closed) {
  TaskWindowsDisabled disabled(window);
  const HWND outer = std::exchange(modal_window_, window);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (!closed() && IsWindow(window)) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      terminated_ = true;  // the loop in Run ends too
      break;
    }
    Dispatch(message);
  }
  modal_window_ = outer;
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return CallGuarded(self->Errors(), 0, [&] { return self->OnMessage(message, wparam, lparam); });
}

LRESULT Application::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      // Activation through the taskbar entry goes on to the main window.
      if (LOWORD(wparam) != WA_INACTIVE && main_window_ != nullptr &&
          IsWindowEnabled(main_window_) && IsWindowVisible(main_window_)) {
        SetActiveWindow(main_window_);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      switch (wparam & 0xFFF0) {
        case SC_CLOSE:
          if (main_window_ != nullptr) PostMessageW(main_window_, WM_CLOSE, 0, 0);
          return 0;
        case SC_MINIMIZE:
          Minimize();
          return 0;
        case SC_RESTORE:
          Restore();
          return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) {
        terminated_ = true;
        Terminate();
      }
      return 0;
    case WM_CLOSE:
      if (main_window_ != nullptr) PostMessageW(main_window_, WM_CLOSE, 0, 0);
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void Win32MessageBoxes::ShowError(std::string_view text, std::string_view caption) {
  application_.ShowModalBox(text, caption, MB_OK | MB_ICONSTOP);
}

BoxAnswer Win32MessageBoxes::AskYesNoCancel(std::string_view text, std::string_view caption) {
  HWND owner = application_.MainWindow();
  int answer = MessageBoxW(owner, WidenCp932(text).c_str(), WidenCp932(caption).c_str(),
                           MB_YESNOCANCEL | MB_DEFBUTTON1);
  switch (answer) {
    case IDYES:
      return BoxAnswer::Yes;
    case IDNO:
      return BoxAnswer::No;
    case IDCANCEL:
      return BoxAnswer::Cancel;
    default:
      return BoxAnswer::None;
  }
}

}  // namespace vimbrel::win32
