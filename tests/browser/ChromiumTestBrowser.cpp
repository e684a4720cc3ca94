// A stand-in for a browser of the Chromium family in a test prefix, started as
// `chromiumtestbrowser.exe --new-window -- ADDRESS`; built with
// VIMBREL_TEST_FIREFOX, one for Firefox, `firefox.exe -new-window ADDRESS`,
// whose windows are of class "MozillaWindowClass". Like Chromium it hands
// the address to a copy of itself that is already running and ends at once;
// the running copy opens a window of class "Chrome_WidgetWin_1" for it, with
// an owned pop-up of that class above it, and ends when its last page has
// closed. A copy keeps a hidden window of that class, made after its first
// page. Enter on "page3.htm" opens a page of its own, as
// a link with a target does. TAB and Shift+TAB move the page's focus.
// It logs, to the test browser's log file:
// "start PID", "args [HEX]...", "open WINDOW HEX", "key WINDOW VK",
// "close WINDOW", "getobject OBJID".
//
// The page's document: Chromium's in a child window of class
// "Chrome_RenderWidgetHostHWND" (or, with NoPageWindow, in the top-level
// window's tree), without children until a WM_GETOBJECT of object id 1 and a
// read of its name have switched the process's pages on, 300 ms later; then
// each page fires the load-complete event when it has loaded. Firefox's is
// the EMBEDS relation of its top-level window's root, and the first read of
// each link's name or value comes back empty.
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "PageAccessible.h"
#include "TestBrowser.h"
#include "platform/win32/Msaa.h"

namespace vimbrel::testbrowser {
namespace {

#ifdef VIMBREL_TEST_FIREFOX
constexpr bool kFirefox = true;
constexpr wchar_t kClass[] = L"MozillaWindowClass";
constexpr wchar_t kHostTitle[] = L"Vimbrel test Firefox";
// The address is the argument after it.
constexpr wchar_t kAddressFollows[] = L"-new-window";
#else
constexpr bool kFirefox = false;
constexpr wchar_t kClass[] = L"Chrome_WidgetWin_1";
// The hidden window through which a running copy takes addresses.
constexpr wchar_t kHostTitle[] = L"Vimbrel test Chromium";
constexpr wchar_t kAddressFollows[] = L"--";
#endif
constexpr UINT_PTR kLoadTimer = 1;      // on a page's accessible window
constexpr UINT_PTR kSwitchOnTimer = 2;  // on the host window
constexpr UINT kSwitchOnMs = 300;

namespace msaa = vimbrel::win32::msaa;

struct PageWindow {
  bool opens_page;  // Enter opens a page of its own
  std::shared_ptr<Page> page;
  HWND accessible;  // the window that hands out its objects
};

class Chromium {
 public:
  Chromium(HINSTANCE instance, const Settings& settings, const EventLog& log)
      : instance_(instance), settings_(settings), log_(log) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = kClass;
    RegisterClassExW(&window_class);
    window_class.lpszClassName = msaa::kChromiumPageClass;
    RegisterClassExW(&window_class);
  }

  void Open(const std::wstring& address) {
    const HWND frame = Create(address, WS_OVERLAPPEDWINDOW, nullptr);
    // Its objects are asked for as soon as its windows can be found.
    const DWORD load_ms = LoadMs(address, settings_);
    PageWindow& page = pages_[frame];
    page = {address == L"page3.htm", std::make_shared<Page>(address, address, load_ms), frame};
    log_.Write("open " + Name(frame) + " " + HexUnits(address));
#ifdef VIMBREL_TEST_FIREFOX
    page.page->first_read_empty = true;
#else
    page.page->content = switched_on_;
    page.page->on_name_read = [this] { NameRead(); };
    if (!settings_.no_page_window) {
      page.accessible = CreateWindowExW(0, msaa::kChromiumPageClass, nullptr, WS_CHILD | WS_VISIBLE,
                                        0, 0, 480, 280, frame, nullptr, instance_, this);
    }
    SetTimer(page.accessible, kLoadTimer, load_ms, nullptr);
#endif
    // In front, it has all its windows.
    ShowWindow(frame, SW_SHOWNORMAL);
    ShowWindow(Create(L"pop-up", WS_POPUP | WS_CAPTION, frame), SW_SHOWNOACTIVATE);
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
    if (page == pages_.end()) return;
    if (message.wParam == VK_TAB) page->second.page->MoveFocus(GetKeyState(VK_SHIFT) < 0);
    if (page->second.opens_page && message.wParam == VK_RETURN) Open(L"opened.htm");
  }

  // Chromium fills its pages in a moment after a program asked for them.
  void NameRead() {
    if (std::exchange(switch_asked_, false) && !switched_on_) {
      SetTimer(host_, kSwitchOnTimer, kSwitchOnMs, nullptr);
    }
  }
  void SwitchOn() {
    switched_on_ = true;
    for (auto& [frame, page] : pages_) {
      page.page->content = true;
      if (!page.page->Loading()) FireLoadComplete(page.accessible);
    }
  }
  void FireLoadComplete(HWND window) {
    NotifyWinEvent(msaa::kEventDocumentLoadComplete, window, OBJID_CLIENT, CHILDID_SELF);
  }

  LRESULT AccessibleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const HWND frame = GetAncestor(window, GA_ROOT);
    const auto found = pages_.find(frame);
    // Chromium's page window answers; its top-level window only without one.
    if (found == pages_.end() || (window == frame) != (kFirefox || settings_.no_page_window)) {
      return DefWindowProcW(window, message, wparam, lparam);
    }
    if (message == WM_TIMER) {
      KillTimer(window, kLoadTimer);
      if (switched_on_) FireLoadComplete(window);
      return 0;
    }
    switch_asked_ |= !kFirefox && lparam == msaa::kChromiumSwitchOnObjectId;
    return AnswerGetObject(found->second.page, window == frame, wparam, lparam, settings_, log_);
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Chromium*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && (message == WM_GETOBJECT || (message == WM_TIMER && wparam == kLoadTimer))) {
      return self->AccessibleMessage(window, message, wparam, lparam);
    }
    if (self && window == self->host_ && message == WM_TIMER && wparam == kSwitchOnTimer) {
      KillTimer(window, kSwitchOnTimer);
      self->SwitchOn();
      return 0;
    }
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
  const Settings& settings_;
  const EventLog& log_;
  HWND host_ = nullptr;
  std::map<HWND, PageWindow> pages_;
  bool switch_asked_ = false;  // a WM_GETOBJECT of object id 1 came
  bool switched_on_ = false;
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
  // Its accessible objects live in this thread's apartment.
  const HRESULT com = CoInitialize(nullptr);
  {
    Chromium browser(instance, settings, log);
    browser.Open(address);
    browser.Run();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
