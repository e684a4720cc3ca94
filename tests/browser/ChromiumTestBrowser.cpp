// A stand-in for a browser of the Chromium family in a test prefix, started as
// `chromiumtestbrowser.exe --new-window -- ADDRESS`; built with
// VIMBREL_TEST_FIREFOX, one for Firefox, `firefox.exe -new-window ADDRESS`,
// whose windows are of class "MozillaWindowClass". Like Chromium it hands
// the address to a copy of itself that is already running and ends at once;
// the running copy opens a window of class "Chrome_WidgetWin_1" for it, with
// an owned pop-up of that class above it, and ends when its last page has
// closed. A copy keeps a hidden window of that class, made after its first
// page. Enter on "page3.htm" opens a page of its own, as
// a link with a target does. It logs, to the test browser's log file:
// "start PID", "args [HEX]...", "open WINDOW HEX", "key WINDOW VK",
// "close WINDOW".
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>

#include "TestBrowser.h"

namespace vimbrel::testbrowser {
namespace {

#ifdef VIMBREL_TEST_FIREFOX
constexpr wchar_t kClass[] = L"MozillaWindowClass";
constexpr wchar_t kHostTitle[] = L"Vimbrel test Firefox";
// The address is the argument after it.
constexpr wchar_t kAddressFollows[] = L"-new-window";
#else
constexpr wchar_t kClass[] = L"Chrome_WidgetWin_1";
// The hidden window through which a running copy takes addresses.
constexpr wchar_t kHostTitle[] = L"Vimbrel test Chromium";
constexpr wchar_t kAddressFollows[] = L"--";
#endif

class Chromium {
 public:
  Chromium(HINSTANCE instance, const EventLog& log) : instance_(instance), log_(log) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = kClass;
    RegisterClassExW(&window_class);
  }

  void Open(const std::wstring& address) {
    const HWND frame = Create(address, WS_OVERLAPPEDWINDOW, nullptr);
    log_.Write("open " + Name(frame) + " " + HexUnits(address));
    ShowWindow(frame, SW_SHOWNORMAL);
    ShowWindow(Create(L"pop-up", WS_POPUP | WS_CAPTION, frame), SW_SHOWNOACTIVATE);
    pages_[frame] = address == L"page3.htm";
  }

  void Run() {
    host_ = Create(kHostTitle, WS_OVERLAPPEDWINDOW, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_KEYDOWN) LogKey(message);
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

 private:
  static std::string Name(HWND window) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(window));
  }

  HWND Create(const std::wstring& title, DWORD style, HWND owner) {
    return CreateWindowExW(0, kClass, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 480, 320,
                           owner, nullptr, instance_, this);
  }

  void LogKey(const MSG& message) {
    const HWND frame = GetAncestor(message.hwnd, GA_ROOT);
    log_.Write("key " + Name(frame) + " " + std::to_string(message.wParam));
    auto page = pages_.find(frame);
    if (page != pages_.end() && page->second && message.wParam == VK_RETURN) Open(L"opened.htm");
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Chromium*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && window == self->host_ && message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      self->Open({static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)});
      return TRUE;
    }
    const bool page = self && self->pages_.count(window) != 0;
    if (page && message == WM_CLOSE) self->log_.Write("close " + Name(window));
    if (page && message == WM_DESTROY) {
      self->pages_.erase(window);
      if (self->pages_.empty()) {
        // No address is taken from here on: the next start opens it itself.
        DestroyWindow(self->host_);
        PostQuitMessage(0);
      }
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HINSTANCE instance_;
  const EventLog& log_;
  HWND host_ = nullptr;
  std::map<HWND, bool> pages_;  // whether Enter opens a page of its own
};

}  // namespace
}  // namespace vimbrel::testbrowser

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  using namespace vimbrel::testbrowser;
  const Settings settings = Settings::Read();
  const EventLog log(settings.log_file, settings.log_times);
  log.Write("start " + std::to_string(GetCurrentProcessId()));
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string line = "args";
  std::wstring address = L"home";
  for (int i = 1; i < count; ++i) {
    line += " [" + HexUnits(arguments[i]) + "]";
    if (std::wstring(arguments[i - 1]) == kAddressFollows) address = arguments[i];
  }
  LocalFree(arguments);
  log.Write(line);
  if (HWND running = FindWindowW(kClass, kHostTitle)) {
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(address.size() * sizeof(wchar_t));
    data.lpData = address.data();
    DWORD_PTR taken = 0;
    if (SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG, 5000, &taken) &&
        taken) {
      return 0;
    }
  }
  Chromium browser(instance, log);
  browser.Open(address);
  browser.Run();
  return 0;
}
