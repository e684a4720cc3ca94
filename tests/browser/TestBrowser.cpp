#include "TestBrowser.h"

#include <cstdio>

#include "platform/win32/Msaa.h"

namespace vimbrel::testbrowser {

namespace {

constexpr int kFirstLinkId = 100;
constexpr UINT_PTR kIdleTimer = 1;
// A process that COM started but that no client took an object from goes
// away by itself.
constexpr UINT kIdleTimeoutMs = 60000;
// How long a process whose frame "Quit" closed waits at most for its client
// to let go of the object.
constexpr UINT kQuitLingerMs = 10000;
// How long a process that serves every client waits for the next one.
constexpr UINT kOneProcessLingerMs = 3000;

}  // namespace

void EventLog::Write(std::string_view line) const {
  if (path_.empty()) return;
  std::string text;
  if (timed_) {
    // Taken before the file is opened: the time of the event, not of the
    // writing.
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const long long micros = counter.QuadPart / frequency.QuadPart * 1000000 +
                             counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
    text = "@" + std::to_string(micros) + " ";
  }
  text += line;
  text += '\n';
  // A test reading the log shares it for reading only: the line waits until
  // the test has read, rather than being lost.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (const DWORD start = GetTickCount();; Sleep(5)) {
    file = CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    if (GetTickCount() - start > 5000) break;
  }
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string HexUnits(std::wstring_view text) {
  std::string hex;
  for (wchar_t unit : text) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%s%04X", hex.empty() ? "" : ",",
                  static_cast<unsigned>(unit));
    hex += buffer;
  }
  return hex;
}

TestBrowser::TestBrowser(HINSTANCE instance, Settings settings)
    : instance_(instance),
      settings_(std::move(settings)),
      log_(settings_.log_file, settings_.log_times) {}

bool TestBrowser::CreateFrame() {
  WNDCLASSEXW frame_class{};
  frame_class.cbSize = sizeof frame_class;
  frame_class.lpfnWndProc = FrameProc;
  frame_class.hInstance = instance_;
  frame_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frame_class.lpszClassName = kFrameClass;
  if (!RegisterClassExW(&frame_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  frame_class.lpfnWndProc = ServerProc;
  frame_class.lpszClassName = win32::msaa::kInternetExplorerPageClass;
  if (!RegisterClassExW(&frame_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  quit_requested_ = system_close_ = closed_by_quit_ = false;
  focus_to_restore_ = nullptr;
  frame_ =
      CreateWindowExW(0, kFrameClass, L"Vimbrel test browser", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance_, this);
  if (!frame_) return false;
  address_ = CreateWindowExW(0, L"STATIC", L"about:blank", WS_CHILD | WS_VISIBLE, 8, 8, 600, 20,
                             frame_, nullptr, instance_, nullptr);
  CreateWindowExW(0, win32::msaa::kInternetExplorerPageClass, nullptr, WS_CHILD | WS_VISIBLE, 8, 76,
                  600, 300, frame_, nullptr, instance_, nullptr);
  NewPage(L"about:blank");
  for (int link = 0; link < kLinkCount; ++link) {
    const std::wstring caption = L"link" + std::to_wstring(link + 1);
    links_[link] = CreateWindowExW(
        0, L"BUTTON", caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 8 + link * 110, 40, 100, 28,
        frame_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstLinkId + link)), instance_,
        nullptr);
  }
  SetTimer(frame_, kIdleTimer, kIdleTimeoutMs, nullptr);
  return true;
}

bool TestBrowser::ReadyForObject() {
  if (object_) return false;
  if (frame_) return !object_seen_;
  if (!settings_.one_process || !CreateFrame()) return false;
  object_seen_ = false;
  if (end_timer_) KillTimer(nullptr, end_timer_);
  end_timer_ = 0;
  return true;
}

void TestBrowser::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && !message.hwnd && message.wParam == end_timer_) {
      KillTimer(nullptr, end_timer_);
      end_timer_ = 0;
      if (!frame_) PostQuitMessage(0);
      continue;
    }
    if (HandleKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TestBrowser::ObjectCreated(IUnknown* object) {
  object_ = object;
  object_seen_ = true;
  log_.Write("create");
}

void TestBrowser::ObjectReleased() {
  object_ = nullptr;
  log_.Write("release");
  // A browser whose window has gone, or that was never shown, has nothing
  // left to do once its last client has gone; a shown one stays until its
  // window is closed.
  if (!frame_) {
    EndProcess();
    return;
  }
  if (!IsWindowVisible(frame_)) {
    log_.Write("close release");
    DestroyWindow(frame_);
  }
}

void TestBrowser::SetHeight(int height) {
  RECT rect;
  GetWindowRect(frame_, &rect);
  SetWindowPos(frame_, nullptr, 0, 0, rect.right - rect.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TestBrowser::SetWidth(int width) {
  RECT rect;
  GetWindowRect(frame_, &rect);
  SetWindowPos(frame_, nullptr, 0, 0, width, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TestBrowser::SetVisible(bool visible) {
  ShowWindow(frame_, visible ? SW_SHOWNORMAL : SW_HIDE);
}

void TestBrowser::ShowAddress(const std::wstring& address) {
  SetWindowTextW(address_, address.c_str());
  NewPage(address);
  if (!address.empty() && address == settings_.refuse_close_at) settings_.refuse_close = true;
}

void TestBrowser::NewPage(const std::wstring& address) {
  page_ = std::make_shared<Page>(address, L"Vimbrel test browser", LoadMs(address, settings_));
  page_->focus_as_child_id = true;
  // The focus starts on the new page itself.
  focus_to_restore_ = nullptr;
  if (FocusedLink() >= 0 || (address_ && GetFocus() == address_)) SetFocus(frame_);
}

void TestBrowser::Quit() {
  // Like the real browser, the window closes a little after the call has
  // returned.
  quit_requested_ = true;
  PostMessageW(frame_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TestBrowser::FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* browser = reinterpret_cast<TestBrowser*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!browser) return DefWindowProcW(window, message, wparam, lparam);
  return browser->HandleFrameMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK TestBrowser::ServerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* browser =
      reinterpret_cast<TestBrowser*>(GetWindowLongPtrW(GetParent(window), GWLP_USERDATA));
  if (!browser || message != WM_GETOBJECT) return DefWindowProcW(window, message, wparam, lparam);
  return AnswerGetObject(browser->page_, false, wparam, lparam, browser->settings_, browser->log_);
}

LRESULT TestBrowser::HandleFrameMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int link = LOWORD(wparam) - kFirstLinkId;
      if (link < 0 || link >= kLinkCount) break;
      if (HIWORD(wparam) == BN_SETFOCUS) {
        log_.Write("focus link" + std::to_string(link + 1));
        page_->focus = link;
      }
      if (HIWORD(wparam) == BN_CLICKED) Activate(link);
      return 0;
    }
    case WM_ACTIVATE:
      // The focused link survives a trip to another window, as in a page.
      if (LOWORD(wparam) == WA_INACTIVE) {
        focus_to_restore_ = FocusedLink() >= 0 ? GetFocus() : nullptr;
      } else if (focus_to_restore_) {
        SetFocus(focus_to_restore_);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) system_close_ = true;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_TIMER:
      if (wparam == kIdleTimer) {
        KillTimer(window, kIdleTimer);
        if (!object_seen_) {
          log_.Write("close idle");
          DestroyWindow(window);
        }
        return 0;
      }
      break;
    case WM_DESTROY:
      FrameDestroyed();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool TestBrowser::HandleKey(const MSG& message) {
  const char* kind = nullptr;
  switch (message.message) {
    case WM_KEYDOWN:
      kind = "keydown";
      break;
    case WM_KEYUP:
      kind = "keyup";
      break;
    case WM_SYSKEYDOWN:
      kind = "syskeydown";
      break;
    case WM_SYSKEYUP:
      kind = "syskeyup";
      break;
    default:
      return false;
  }
  char line[32];
  std::snprintf(line, sizeof line, "%s %02X", kind, static_cast<unsigned>(message.wParam));
  log_.Write(line);
  if (message.message != WM_KEYDOWN || !frame_) return false;
  if (message.hwnd != frame_ && !IsChild(frame_, message.hwnd)) return false;
  if (message.wParam == VK_TAB) {
    MoveFocus(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (message.wParam == VK_RETURN) {
    Activate(page_->focus < kLinkCount ? page_->focus : -1);
    return true;
  }
  return false;
}

int TestBrowser::FocusedLink() const {
  const HWND focus = GetFocus();
  for (int link = 0; link < kLinkCount; ++link) {
    if (focus && links_[link] == focus) return link;
  }
  return -1;
}

void TestBrowser::MoveFocus(bool backwards) {
  page_->MoveFocus(backwards);
  SetFocus(page_->focus == Page::kOutside ? address_ : links_[page_->focus]);
}

void TestBrowser::Activate(int link) {
  log_.Write(link < 0 ? std::string("activate none") : "activate link" + std::to_string(link + 1));
}

void TestBrowser::Close() {
  closed_by_quit_ = quit_requested_;
  const char* how = quit_requested_ ? "Quit" : system_close_ ? "SC_CLOSE" : "WM_CLOSE";
  quit_requested_ = false;
  system_close_ = false;
  if (settings_.refuse_close) {
    log_.Write(std::string("close refused ") + how);
    return;
  }
  log_.Write(std::string("close ") + how);
  DestroyWindow(frame_);
}

void TestBrowser::FrameDestroyed() {
  frame_ = nullptr;
  if (object_ && closed_by_quit_) {
    // Wine sends the answer to "Quit" from another thread once the call has
    // returned, and it is lost if the process ends first: the process ends
    // once its client, answered, lets go of the object.
    EndProcessIn(kQuitLingerMs);
    return;
  }
  // Clients of a browser whose window has gone get the disconnection at their
  // next call, as with a browser the user closed.
  if (IUnknown* object = object_) {
    object->AddRef();
    CoDisconnectObject(object, 0);
    object->Release();
  }
  EndProcess();
}

void TestBrowser::EndProcess() {
  if (settings_.one_process) {
    EndProcessIn(kOneProcessLingerMs);
  } else {
    PostQuitMessage(0);
  }
}

void TestBrowser::EndProcessIn(UINT ms) {
  if (end_timer_) KillTimer(nullptr, end_timer_);
  end_timer_ = SetTimer(nullptr, 0, ms, nullptr);
}

}  // namespace vimbrel::testbrowser
