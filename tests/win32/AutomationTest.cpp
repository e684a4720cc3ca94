// The browser session over real automation calls under Wine: against the test
// browser (a local server that logs what reaches it) and against Wine's own
// Internet Explorer.
#include "platform/win32/Win32Automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "TestBrowserSettings.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32PageReader.h"
#include "support/Sjis.h"
#include "support/WindowQueries.h"
#include "tour/BrowserSession.h"

namespace vimbrel::win32 {
namespace {

using testing::Sjis;
namespace browser = testbrowser;

// ---------------------------------------------------------------------------
// Helpers

// A test that hangs (a server that never answers) fails the run instead of
// blocking it.
class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  explicit Watchdog(DWORD limit_ms) : limit_ms_(limit_ms) {}
  ~Watchdog() override { Disarm(); }

  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    CreateTimerQueueTimer(&timer_, nullptr, Expired, this, limit_ms_, 0, WT_EXECUTEONLYONCE);
  }
  void OnTestEnd(const ::testing::TestInfo&) override { Disarm(); }

 private:
  static void CALLBACK Expired(void* self, BOOLEAN) {
    auto* watchdog = static_cast<Watchdog*>(self);
    std::fprintf(stderr, "\n%s did not finish within %lu ms: stopped\n", watchdog->name_.c_str(),
                 static_cast<unsigned long>(watchdog->limit_ms_));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  void Disarm() {
    if (timer_) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    timer_ = nullptr;
  }

  DWORD limit_ms_;
  HANDLE timer_ = nullptr;
  std::string name_;
};

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Handles this thread's messages while waiting, as the program's loop would.
void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

template <typename Condition>
bool WaitUntil(Condition&& condition, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    PumpMessages();
    Sleep(20);
  }
  return true;
}

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path, length);
  return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::wstring TestBrowserPath(const char* relative = VIMBREL_TEST_BROWSER) {
  std::wstring path = ModuleDirectory() + WidenCp932(relative);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// Runs the test browser with one switch and returns its exit code.
DWORD RunTestBrowser(const std::wstring& command_switch) {
  std::wstring command = L"\"" + TestBrowserPath() + L"\" " + command_switch;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return GetLastError();
  }
  Handle process_handle(process.hProcess);
  Handle thread_handle(process.hThread);
  DWORD exit_code = WAIT_TIMEOUT;
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exit_code);
  }
  return exit_code;
}

bool AnyTestBrowserRuns() {
  const std::wstring path = TestBrowserPath();
  return !testing::ProcessesNamed(path.substr(path.rfind(L'\\') + 1)).empty();
}

// The class that "InternetExplorer.Application" names now.
std::wstring ProgIdClass() {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(browser::kProgId, &clsid))) return L"";
  wchar_t text[40];
  StringFromGUID2(clsid, text, 40);
  return text;
}

bool AnyBrowserFrame() { return FindWindowW(browser::kFrameClass, nullptr) != nullptr; }

// The frame window of one browser process; null when it has none (any more).
// Frames of other browsers on the desktop are not mistaken for it.
HWND FrameOf(DWORD process) { return testing::FindTopLevel(process, browser::kFrameClass, false); }

// Asks every browser frame on the desktop to close and waits until none is
// left: what one test leaves open must not meet the next.
bool CloseBrowserFrames() {
  return WaitUntil(
      [] {
        HWND frame = FindWindowW(browser::kFrameClass, nullptr);
        if (frame) PostMessageW(frame, WM_CLOSE, 0, 0);
        return frame == nullptr;
      },
      15000);
}

// The test browser as one test sees it: the settings its processes start
// with, and the log they write. Every browser process that the test started
// is gone when this object is.
class TestBrowserControl {
 public:
  TestBrowserControl() {
    // A browser that an earlier test quit or ended may still be on its way
    // out; Wine may then fail to start the next one.
    EXPECT_TRUE(WaitUntil([] { return !AnyTestBrowserRuns(); }, 60000))
        << "a test browser is still running";
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    log_path_ = std::wstring(directory) + L"vimbrel-testbrowser-" +
                std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log_path_.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, browser::kSettingsKey);
    RegCreateKeyExW(HKEY_CURRENT_USER, browser::kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                    &settings_, nullptr);
    Set(browser::kLogFile, log_path_);
  }
  TestBrowserControl(const TestBrowserControl&) = delete;
  TestBrowserControl& operator=(const TestBrowserControl&) = delete;
  ~TestBrowserControl() {
    for (DWORD id : ProcessIds()) {
      Handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
      if (!process.get()) continue;
      if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), 1);
        EXPECT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0) << "it did not end";
      }
    }
    RegCloseKey(settings_);
    RegDeleteTreeW(HKEY_CURRENT_USER, browser::kSettingsKey);
    DeleteFileW(log_path_.c_str());
  }

  void Set(const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(settings_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  void Set(const wchar_t* name, DWORD value) {
    RegSetValueExW(settings_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  }

  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream file(NarrowCp932(log_path_));
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  // What the clients asked of the browsers: creations, lookups, calls and the
  // failures answered.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const std::string& line : Log()) {
      for (const char* kind : {"create", "lookup ", "invoke ", "status "}) {
        if (line.rfind(kind, 0) == 0) calls.push_back(line);
      }
    }
    return calls;
  }
  std::vector<DWORD> ProcessIds() const {
    std::vector<DWORD> ids;
    for (const std::string& line : Log()) {
      if (line.rfind("start ", 0) == 0) ids.push_back(std::stoul(line.substr(6)));
    }
    return ids;
  }
  bool WaitForLine(const std::string& wanted, DWORD timeout_ms = 10000) const {
    return WaitUntil(
        [&] {
          const auto lines = Log();
          return std::find(lines.begin(), lines.end(), wanted) != lines.end();
        },
        timeout_ms);
  }

 private:
  std::wstring log_path_;
  HKEY settings_ = nullptr;
};

std::string LocaleText() {
  char text[16];
  std::snprintf(text, sizeof text, "%04lX", static_cast<unsigned long>(GetThreadLocale()));
  return text;
}

// The log lines of looking a member up and putting a value into it.
std::vector<std::string> PutLines(const std::string& name, const std::string& value) {
  return {"lookup " + name + " lcid=" + LocaleText(),
          "invoke " + name + " flags=4 named=-3 args=" + value};
}

std::vector<std::string> MethodLines(const std::string& name, const std::string& args) {
  return {"lookup " + name + " lcid=" + LocaleText(),
          "invoke " + name + " flags=1 named=- args=" + args};
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> CreationLines() {
  return Concat({{"create"},
                 PutLines("Height", "VT_I4:400"),
                 PutLines("Width", "VT_I4:600"),
                 PutLines("MenuBar", "VT_I4:1"),
                 PutLines("StatusBar", "VT_I4:1"),
                 PutLines("ToolBar", "VT_I4:1"),
                 PutLines("Visible", "VT_BOOL:-1")});
}

std::string NavigateArgs(std::wstring_view address) {
  std::string hex;
  for (wchar_t unit : address) {
    char text[8];
    std::snprintf(text, sizeof text, "%s%04X", hex.empty() ? "" : ",", static_cast<unsigned>(unit));
    hex += text;
  }
  return "VT_BSTR|VT_BYREF:" + hex;
}

// ---------------------------------------------------------------------------
// Against the test browser

class TestBrowserSession : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    registered_ = RunTestBrowser(L"/RegServer") == 0 && ProgIdClass() == browser::kClsid;
  }
  static void TearDownTestSuite() { EXPECT_EQ(RunTestBrowser(L"/UnregServer"), 0u); }

 protected:
  void SetUp() override {
    ASSERT_TRUE(registered_) << "the test browser could not be registered";
    ASSERT_TRUE(apartment_.Initialized());
  }

  ComApartment apartment_;
  TestBrowserControl control_;
  Win32Automation automation_;
  Win32Desktop desktop_{{}};
  BrowserSession session_{automation_, desktop_};

 private:
  static bool registered_;
};

bool TestBrowserSession::registered_ = false;

TEST_F(TestBrowserSession, FirstOpenCreatesPutsSixPropertiesInOrderThenNavigates) {
  // A Japanese address whose second bytes include 0x5C ("ソ", "表").
  const std::string address = Sjis("http://例え.jp/ソフト/表?q=巡回");
  const std::wstring wide = L"http://\u4F8B\u3048.jp/\u30BD\u30D5\u30C8/\u8868?q=\u5DE1\u56DE";

  session_.OpenBrowser(address);

  EXPECT_EQ(control_.Calls(),
            Concat({CreationLines(), MethodLines("Navigate", NavigateArgs(wide))}));
  EXPECT_TRUE(session_.Held());
  const std::vector<DWORD> processes = control_.ProcessIds();
  ASSERT_EQ(processes.size(), 1u);
  HWND frame = FrameOf(processes[0]);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsWindowVisible(frame));
}

TEST_F(TestBrowserSession, AddressDecidesBetweenNavigateAndGohome) {
  struct Case {
    std::string address;
    std::vector<std::string> sent;
  };
  const Case cases[] = {
      {"", MethodLines("Gohome", "-")},
      {" ", MethodLines("Navigate", NavigateArgs(L" "))},
      {"   ", MethodLines("Navigate", NavigateArgs(L"   "))},
      {"about:blank", MethodLines("Navigate", NavigateArgs(L"about:blank"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("address '" + c.address + "'");
    TestBrowserControl control;
    BrowserSession session(automation_, desktop_);
    session.OpenBrowser(c.address);
    EXPECT_EQ(control.Calls(), Concat({CreationLines(), c.sent}));
  }
}

TEST_F(TestBrowserSession, SecondOpenWithoutQuitOnlyNavigates) {
  session_.OpenBrowser("a");
  session_.OpenBrowser("b");

  EXPECT_EQ(control_.Calls(), Concat({CreationLines(), MethodLines("Navigate", NavigateArgs(L"a")),
                                      MethodLines("Navigate", NavigateArgs(L"b"))}));
  EXPECT_EQ(control_.ProcessIds().size(), 1u);
}

TEST_F(TestBrowserSession, QuitClosesTheBrowserAndTheNextOpenCreatesAnother) {
  session_.OpenBrowser("a");
  session_.QuitBrowser();

  EXPECT_FALSE(session_.Held());
  EXPECT_TRUE(control_.WaitForLine("close Quit"));
  EXPECT_TRUE(control_.WaitForLine("exit"));

  session_.OpenBrowser("b");
  EXPECT_EQ(control_.Calls(), Concat({CreationLines(), MethodLines("Navigate", NavigateArgs(L"a")),
                                      MethodLines("Quit", "-"), CreationLines(),
                                      MethodLines("Navigate", NavigateArgs(L"b"))}));
  const std::vector<DWORD> processes = control_.ProcessIds();
  ASSERT_EQ(processes.size(), 2u);
  EXPECT_NE(processes[0], processes[1]);
}

TEST_F(TestBrowserSession, ReleasingWithoutQuitLeavesTheBrowserOpen) {
  session_.OpenBrowser("a");
  session_.Browser.reset();

  EXPECT_TRUE(control_.WaitForLine("release"));
  EXPECT_EQ(control_.Calls(),
            Concat({CreationLines(), MethodLines("Navigate", NavigateArgs(L"a"))}));
  Sleep(300);
  EXPECT_NE(FrameOf(control_.ProcessIds().at(0)), nullptr);
  const auto log = control_.Log();
  EXPECT_EQ(std::find(log.begin(), log.end(), "exit"), log.end());
}

TEST_F(TestBrowserSession, UnknownMemberNameIsRefusedWithTheNameAsSent) {
  control_.Set(browser::kUnknownMember, L"Gohome");
  session_.OpenBrowser("a");

  try {
    session_.OpenBrowser("");
    FAIL() << "no error";
  } catch (const EOleError& error) {
    EXPECT_EQ(dynamic_cast<const EOleSysError*>(&error), nullptr);
    EXPECT_EQ(error.Message(),
              Sjis("メソッド 'Gohome' はオートメーション オブジェクトでサポートしていません"));
  }
  EXPECT_TRUE(session_.Held());
  const auto calls = control_.Calls();
  EXPECT_EQ(calls.back(), "lookup Gohome lcid=" + LocaleText());
}

// How a failing member is reported, by what the server answers. The system's
// texts are written out as Wine gives them under the Japanese locale (code
// page 932), on both builds; the program cuts trailing blanks and ASCII dots,
// so the full-width stop stays.
struct FailureCase {
  const char* label;
  HRESULT status;
  std::optional<std::wstring> description;  // DISP_E_EXCEPTION only
  HRESULT scode;
  WORD wcode;
  bool server_exception;
  HRESULT code;
  std::string message;
};

std::vector<FailureCase> FailureCases() {
  const HRESULT exception = DISP_E_EXCEPTION;
  return {
      {"failure status without system text", static_cast<HRESULT>(0x80041234), std::nullopt, 0, 0,
       false, static_cast<HRESULT>(0x80041234), Sjis("OLE エラー 80041234")},
      {"positive status", 0x00041234, std::nullopt, 0, 0, false, 0x00041234,
       Sjis("OLE エラー 00041234")},
      {"failure status with system text", E_OUTOFMEMORY, std::nullopt, 0, 0, false, E_OUTOFMEMORY,
       Sjis("メモリが不足しています。")},
      {"description cut of line break and full stop", exception, L"Navigation refused.\r\n",
       static_cast<HRESULT>(0x80041001), 0, true, static_cast<HRESULT>(0x80041001),
       "Navigation refused"},
      {"Japanese description", exception,
       L"\u30DA\u30FC\u30B8\u3092\u8868\u793A\u3067\u304D\u307E\u305B\u3093. ", E_FAIL, 0, true,
       E_FAIL, Sjis("ページを表示できません")},
      {"description ending in a full-width full stop keeps it", exception, L"\u5931\u6557\u3002",
       E_FAIL, 0, true, E_FAIL, Sjis("失敗。")},
      {"empty description", exception, L"", static_cast<HRESULT>(0x80041002), 0, true,
       static_cast<HRESULT>(0x80041002), Sjis("OLE エラー 80041002")},
      {"no description", exception, std::nullopt, E_ACCESSDENIED, 0, true, E_ACCESSDENIED,
       Sjis("アクセスが拒否されました。")},
      {"description of blanks and dots only", exception, L" .\r\n",
       static_cast<HRESULT>(0x80041003), 0, true, static_cast<HRESULT>(0x80041003),
       Sjis("OLE エラー 80041003")},
      {"only wCode", exception, L"", 0, 0x1234, true, static_cast<HRESULT>(0x80041234),
       Sjis("OLE エラー 80041234")},
      {"neither code", exception, L"refused", 0, 0, true, exception, "refused"},
  };
}

TEST_F(TestBrowserSession, FailingMemberRaisesPerWhatTheServerAnswered) {
  for (const FailureCase& c : FailureCases()) {
    SCOPED_TRACE(c.label);
    TestBrowserControl control;
    control.Set(browser::kFailMember, L"Navigate");
    control.Set(browser::kFailStatus, static_cast<DWORD>(c.status));
    control.Set(browser::kFailScode, static_cast<DWORD>(c.scode));
    control.Set(browser::kFailWCode, static_cast<DWORD>(c.wcode));
    if (c.description) control.Set(browser::kFailDescription, *c.description);
    BrowserSession session(automation_, desktop_);
    try {
      session.OpenBrowser("a");
      ADD_FAILURE() << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_EQ(dynamic_cast<const EOleException*>(&error) != nullptr, c.server_exception);
      EXPECT_EQ(static_cast<std::uint32_t>(error.ErrorCode()), static_cast<std::uint32_t>(c.code));
      EXPECT_EQ(error.Message(), c.message);
    }
    EXPECT_TRUE(session.Held());
  }
}

TEST_F(TestBrowserSession, FailedPutStopsConfigurationForGood) {
  control_.Set(browser::kFailMember, L"Width");
  control_.Set(browser::kFailStatus, 0x80041234ul);
  EXPECT_THROW(session_.OpenBrowser("a"), EOleSysError);
  EXPECT_TRUE(session_.Held());

  session_.OpenBrowser("b");
  EXPECT_EQ(control_.Calls(), Concat({{"create"},
                                      PutLines("Height", "VT_I4:400"),
                                      PutLines("Width", "VT_I4:600"),
                                      {"status 80041234"},
                                      MethodLines("Navigate", NavigateArgs(L"b"))}));
}

TEST_F(TestBrowserSession, FailedQuitKeepsTheBrowser) {
  control_.Set(browser::kFailMember, L"Quit");
  control_.Set(browser::kFailScode, static_cast<DWORD>(E_NOTIMPL));
  session_.OpenBrowser("a");

  EXPECT_THROW(session_.QuitBrowser(), EOleException);
  EXPECT_TRUE(session_.Held());
  session_.OpenBrowser("b");
  EXPECT_EQ(control_.ProcessIds().size(), 1u);
}

// A browser that has gone away: its process killed, or its window closed.
TEST_F(TestBrowserSession, BrowserThatWentAwayIsReportedOnceThenCreatedAnew) {
  struct Case {
    const char* label;
    void (*end)(DWORD process, HWND frame);
  };
  const Case cases[] = {
      {"process killed",
       [](DWORD process, HWND) {
         Handle handle(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process));
         TerminateProcess(handle.get(), 1);
         WaitForSingleObject(handle.get(), 5000);
       }},
      {"window closed", [](DWORD, HWND frame) { PostMessageW(frame, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TestBrowserControl control;
    BrowserSession session(automation_, desktop_);
    session.OpenBrowser("a");
    const DWORD process = control.ProcessIds().at(0);
    c.end(process, FrameOf(process));
    ASSERT_TRUE(WaitUntil([process] { return FrameOf(process) == nullptr; }, 10000));

    try {
      session.OpenBrowser("b");
      ADD_FAILURE() << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_TRUE(IsDisconnectedStatus(error.ErrorCode()))
          << std::hex << static_cast<std::uint32_t>(error.ErrorCode());
    }
    EXPECT_FALSE(session.Held());

    // A browser whose window was closed ends its process by itself.
    ASSERT_TRUE(WaitUntil([] { return !AnyTestBrowserRuns(); }, 60000));
    session.OpenBrowser("c");
    EXPECT_EQ(control.ProcessIds().size(), 2u);
  }
}

TEST_F(TestBrowserSession, SlowBrowserIsWaitedFor) {
  control_.Set(browser::kStartDelayMs, 1500ul);
  control_.Set(browser::kCallDelayMs, 100ul);
  session_.OpenBrowser("a");
  EXPECT_EQ(control_.Calls(),
            Concat({CreationLines(), MethodLines("Navigate", NavigateArgs(L"a"))}));
}

// The frame as the tour's keystrokes meet it: brought to the front, then given
// system-wide key events.
class TestBrowserFrame : public TestBrowserSession {
 protected:
  HWND OpenInFront() {
    session_.OpenBrowser("a");
    HWND frame = FrameOf(control_.ProcessIds().at(0));
    SetForegroundWindow(frame);
    EXPECT_TRUE(WaitUntil([frame] { return GetForegroundWindow() == frame; }, 5000));
    return frame;
  }

  static void Press(std::initializer_list<BYTE> keys) {
    for (BYTE key : keys) keybd_event(key, 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
      keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    }
  }

  // The log lines of keys going down, focus moves, activations and closing.
  std::vector<std::string> FrameEvents() const {
    std::vector<std::string> events;
    for (const std::string& line : control_.Log()) {
      for (const char* kind : {"keydown ", "syskeydown ", "focus ", "activate ", "close "}) {
        if (line.rfind(kind, 0) == 0) events.push_back(line);
      }
    }
    return events;
  }
};

TEST_F(TestBrowserFrame, TabShiftTabAndEnterMoveBetweenAndActivateLinks) {
  OpenInFront();
  Press({VK_TAB});
  Press({VK_TAB});
  Press({VK_TAB});
  Press({VK_SHIFT, VK_TAB});
  Press({VK_RETURN});

  ASSERT_TRUE(control_.WaitForLine("activate link2"));
  EXPECT_EQ(FrameEvents(),
            (std::vector<std::string>{"keydown 09", "focus link1", "keydown 09", "focus link2",
                                      "keydown 09", "focus link3", "keydown 10", "keydown 09",
                                      "focus link2", "keydown 0D", "activate link2"}));
}

TEST_F(TestBrowserFrame, ShiftTabFromThePageReachesTheLastLink) {
  OpenInFront();
  Press({VK_SHIFT, VK_TAB});
  Press({VK_RETURN});

  ASSERT_TRUE(control_.WaitForLine("activate link" + std::to_string(browser::kLinkCount)));
}

TEST_F(TestBrowserFrame, AltF4AndQuitCloseTheFrameUnlessItRefuses) {
  struct Case {
    bool refuse;
    bool by_quit;
    const char* logged;
  };
  const Case cases[] = {
      {false, false, "close SC_CLOSE"},
      {true, false, "close refused SC_CLOSE"},
      {true, true, "close refused Quit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    TestBrowserControl control;
    if (c.refuse) control.Set(browser::kRefuseClose, 1ul);
    BrowserSession session(automation_, desktop_);
    session.OpenBrowser("a");
    HWND frame = FrameOf(control.ProcessIds().at(0));
    if (c.by_quit) {
      session.QuitBrowser();
    } else {
      SetForegroundWindow(frame);
      ASSERT_TRUE(WaitUntil([frame] { return GetForegroundWindow() == frame; }, 5000));
      Press({VK_MENU, VK_F4});
    }
    ASSERT_TRUE(control.WaitForLine(c.logged));
    if (c.refuse) {
      Sleep(300);
      EXPECT_TRUE(IsWindow(frame));
    } else {
      EXPECT_TRUE(WaitUntil([frame] { return !IsWindow(frame); }, 5000));
      EXPECT_TRUE(control.WaitForLine("exit"));
    }
  }
}

// ---------------------------------------------------------------------------
// The page reader against the test browsers, in processes of their own, each
// answering as its family does

struct Family {
  const char* name;
  BrowserFamily family;
  const char* program;  // none: Internet Explorer, through automation
  const wchar_t* window_class;
  const wchar_t* address_switch;
  bool no_page_window = false;
};

const Family kFamilies[] = {
    {"Internet Explorer", BrowserFamily::InternetExplorer, nullptr, browser::kFrameClass, L""},
    {"Chromium", BrowserFamily::Chromium, VIMBREL_CHROMIUM_TEST_BROWSER, L"Chrome_WidgetWin_1",
     L"--new-window --"},
    {"Chromium without a page window", BrowserFamily::Chromium, VIMBREL_CHROMIUM_TEST_BROWSER,
     L"Chrome_WidgetWin_1", L"--new-window --", true},
    {"Firefox", BrowserFamily::Firefox, VIMBREL_FIREFOX_TEST_BROWSER, L"MozillaWindowClass",
     L"-new-window"},
};

class PageReaderTest : public TestBrowserFrame {
 protected:
  // The family's browser at `address`, in front.
  WindowHandle Open(const Family& family, BrowserSession& session, TestBrowserControl& control,
                    const std::wstring& address) {
    control.Set(browser::kNoPageWindow, family.no_page_window ? 1ul : 0ul);
    if (family.program) {
      std::wstring command =
          L"\"" + TestBrowserPath(family.program) + L"\" " + family.address_switch + L" " + address;
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
      Handle process_handle(process.hProcess), thread_handle(process.hThread);
    } else {
      session.OpenBrowser(NarrowCp932(address));
    }
    HWND window = nullptr;
    const wchar_t* caption = family.program ? address.c_str() : nullptr;
    EXPECT_TRUE(
        WaitUntil([&] { return (window = FindWindowW(family.window_class, caption)); }, 10000));
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([window] { return GetForegroundWindow() == window; }, 5000));
    return reinterpret_cast<WindowHandle>(window);
  }

  // Until the browser has taken `count` TABs, after which it answers with
  // the focus they moved.
  static bool TabsTaken(const TestBrowserControl& control, long count) {
    const auto tab = [](const std::string& line) {
      return line == "keydown 09" || (line.rfind("key ", 0) == 0 && line.back() == '9');
    };
    return WaitUntil(
        [&] {
          const auto log = control.Log();
          return std::count_if(log.begin(), log.end(), tab) >= count;
        },
        10000);
  }
};

TEST_F(PageReaderTest, EachFamilyTellsItsPageTheFocusedLinkAndAFocusOutside) {
  for (const Family& family : kFamilies) {
    SCOPED_TRACE(family.name);
    TestBrowserControl control;
    BrowserSession session(automation_, desktop_);
    const WindowHandle window = Open(family, session, control, L"page1.htm");
    Win32PageReader reader;

    // Chromium's document has no children until the reader asks for them.
    DocumentFacts document = reader.Document(window, family.family);
    EXPECT_TRUE(document.told);
    EXPECT_EQ(document.has_children, family.family != BrowserFamily::Chromium);
    reader.SwitchOn(window, family.family);
    ASSERT_TRUE(WaitUntil(
        [&] {
          document = reader.Document(window, family.family);
          return document.has_children &&
                 (document.load_completed || family.family != BrowserFamily::Chromium);
        },
        5000));
    EXPECT_EQ(document.document.role, accessible::kRoleDocument);
    EXPECT_EQ(document.document.value, "page1.htm");
    EXPECT_EQ(document.document.state & accessible::kStateBusy, 0u);
    EXPECT_EQ(reader.Focus(window, family.family).where, FocusFacts::Where::Page);

    Press({VK_TAB});
    Press({VK_TAB});
    ASSERT_TRUE(TabsTaken(control, 2));
    FocusFacts focus = reader.Focus(window, family.family);
    if (family.family == BrowserFamily::Firefox) {
      // Firefox fills its cache as it is read.
      EXPECT_EQ(focus.element.name + focus.element.value, "");
      focus = reader.Focus(window, family.family);
    }
    EXPECT_EQ(focus.where, FocusFacts::Where::Element);
    EXPECT_EQ(focus.element.role, accessible::kRoleLink);
    EXPECT_EQ(focus.element.name, Sjis("リンク2"));
    EXPECT_EQ(focus.element.value, "page1.htm#link2");

    // Past the last link, the address bar.
    for (int tab = 0; tab < 3; ++tab) Press({VK_TAB});
    ASSERT_TRUE(TabsTaken(control, 5));
    EXPECT_EQ(reader.Focus(window, family.family).where, FocusFacts::Where::OutsidePage);
  }
}

TEST_F(PageReaderTest, APageTellsThatItLoadsUntilItHasLoaded) {
  for (const Family& family : kFamilies) {
    SCOPED_TRACE(family.name);
    TestBrowserControl control;
    control.Set(browser::kLoadMs, 4000ul);
    BrowserSession session(automation_, desktop_);
    // The setting, or the address for a time of its own.
    const WindowHandle window =
        Open(family, session, control, family.program ? L"slow.htm?load=4000" : L"slow.htm");
    Win32PageReader reader;
    reader.SwitchOn(window, family.family);
    const auto loaded = [&] {
      const DocumentFacts document = reader.Document(window, family.family);
      return family.family == BrowserFamily::Chromium
                 ? document.load_completed
                 : document.told && !(document.document.state & accessible::kStateBusy);
    };
    EXPECT_FALSE(loaded());
    EXPECT_TRUE(WaitUntil(loaded, 15000));
  }
}

// A call that the browser does not answer holds its thread, not the caller:
// the window is not asked again meanwhile, others are.
TEST_F(PageReaderTest, ABrowserThatDoesNotAnswerIsNotToldWithinTheBound) {
  control_.Set(browser::kAccessibleHangMs, 600ul);
  const WindowHandle hung = Open(kFamilies[1], session_, control_, L"page1.htm");
  auto reader = std::make_unique<Win32PageReader>();
  const auto took = [](auto call) {
    const DWORD start = GetTickCount();
    call();
    return GetTickCount() - start;
  };
  for (DWORD bound : {PageReader::kBoundMs, PageReader::kBoundMs / 4}) {
    DocumentFacts document;
    document.told = true;
    EXPECT_LE(took([&] { document = reader->Document(hung, BrowserFamily::Chromium); }),
              bound + 500);
    EXPECT_FALSE(document.told);
  }
  control_.Set(browser::kAccessibleHangMs, 0ul);
  const WindowHandle other = Open(kFamilies[3], session_, control_, L"page2.htm");
  EXPECT_EQ(reader->Focus(other, BrowserFamily::Firefox).where, FocusFacts::Where::Page);
  EXPECT_LE(took([&] { reader.reset(); }), 500u);
}

// ---------------------------------------------------------------------------
// The call mechanism in process, with a dispatch object of the test's own

class InProcessServer final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override {
    ids[0] = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO* exception, UINT*) override {
    if (!defer) {
      // What arrived, last argument first as it stands in the list.
      arguments.clear();
      for (UINT i = 0; i < params->cArgs; ++i) {
        const VARIANTARG& value = params->rgvarg[i];
        std::wstring text = L"vt=" + std::to_wstring(V_VT(&value)) + L":";
        if (V_VT(&value) == VT_I4) text += std::to_wstring(V_I4(&value));
        if (V_VT(&value) == VT_BOOL) text += std::to_wstring(V_BOOL(&value));
        if (V_VT(&value) == (VT_BSTR | VT_BYREF)) text += *V_BSTRREF(&value);
        arguments.push_back(text);
      }
      call_flags = flags;
      return S_OK;
    }
    *exception = EXCEPINFO{};
    exception->pfnDeferredFillIn = FillIn;
    return DISP_E_EXCEPTION;
  }

  ULONG references = 1;
  bool defer = true;
  WORD call_flags = 0;
  std::vector<std::wstring> arguments;

 private:
  static HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* exception) {
    exception->scode = static_cast<HRESULT>(0x80041005);
    exception->bstrDescription = SysAllocString(L"filled in later.");
    return S_OK;
  }
};

TEST(DispatchObject, DeferredExceptionIsFilledInAndTheReferenceReleased) {
  InProcessServer server;
  {
    std::unique_ptr<AutomationObject> object = AdoptDispatch(&server);
    try {
      object->Invoke("Anything", InvokeKind::Method, {});
      ADD_FAILURE() << "no error";
    } catch (const EOleException& error) {
      EXPECT_EQ(static_cast<std::uint32_t>(error.ErrorCode()), 0x80041005u);
      EXPECT_EQ(error.Message(), "filled in later");
    }
  }
  EXPECT_EQ(server.references, 0u);
}

TEST(DispatchObject, ArgumentsArePassedLastFirstWithTheirTypes) {
  InProcessServer server;
  server.defer = false;
  std::unique_ptr<AutomationObject> object = AdoptDispatch(&server);
  object->Invoke("Anything", InvokeKind::Method,
                 {AutomationArg::Int32(-7), AutomationArg::Bool(false),
                  AutomationArg::StringByRef(Sjis("表示"))});

  EXPECT_EQ(server.call_flags, DISPATCH_METHOD);
  EXPECT_EQ(server.arguments,
            (std::vector<std::wstring>{L"vt=16392:\u8868\u793A", L"vt=11:0", L"vt=3:-7"}));
}

TEST(DispatchObject, NoObjectIsRefusedBeforeAnyCall) {
  std::unique_ptr<AutomationObject> object = AdoptDispatch(nullptr);
  try {
    object->Invoke("Quit", InvokeKind::Method, {});
    FAIL() << "no error";
  } catch (const EOleError& error) {
    EXPECT_EQ(error.Message(), Sjis("バリアントはオートメーション オブジェクトを参照していません"));
  }
}

// A ProgID that the system does not know fails in the lookup; one that names
// a class that is not registered fails in the creation. Neither is taken for
// registered, Internet Explorer's is.
TEST(Win32Automation, CreationFailuresRaiseTheSystemStatus) {
  const std::wstring dangling = L"Software\\Classes\\Vimbrel.AutomationTest.Dangling";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (dangling + L"\\CLSID").c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring clsid = L"{0D5A41C3-6F0E-4B57-8E0A-2C7B9D1E3F60}";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                 static_cast<DWORD>((clsid.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  // Wine has no system text for either status.
  struct Case {
    const char* prog_id;
    HRESULT status;
    const char* message;
  };
  const Case cases[] = {
      {"Vimbrel.AutomationTest.Unknown", CO_E_CLASSSTRING, "OLE エラー 800401F3"},
      {"Vimbrel.AutomationTest.Dangling", REGDB_E_CLASSNOTREG, "OLE エラー 80040154"},
  };
  ComApartment apartment;
  Win32Automation automation;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prog_id);
    EXPECT_FALSE(automation.IsRegistered(c.prog_id));
    try {
      automation.CreateObject(c.prog_id);
      ADD_FAILURE() << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_EQ(static_cast<std::uint32_t>(error.ErrorCode()),
                static_cast<std::uint32_t>(c.status));
      EXPECT_EQ(error.Message(), Sjis(c.message));
    }
  }
  EXPECT_TRUE(automation.IsRegistered("InternetExplorer.Application"));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, dangling.c_str());
}

// The apartment is left only when entering it succeeded: a thread that was
// in the multithreaded apartment before stays there.
TEST(ComApartment, UninitialisesOnlyWhatItInitialised) {
  std::thread([] {
    {
      ComApartment outer;
      ComApartment inner;
      EXPECT_TRUE(outer.Initialized());
      EXPECT_TRUE(inner.Initialized());
    }
    // Both left again: the thread may now enter another kind of apartment.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment refused;
      EXPECT_FALSE(refused.Initialized());
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

// ---------------------------------------------------------------------------
// Against Wine's own Internet Explorer, which has no window size or bars and
// cannot quit: its failures come back as server exceptions without a text.

class WineBrowserSession : public ::testing::Test {
 public:
  static void SetUpTestSuite() { RunTestBrowser(L"/UnregServer"); }

 protected:
  void SetUp() override {
    ASSERT_TRUE(apartment_.Initialized());
    ASSERT_NE(ProgIdClass(), browser::kClsid) << "the test browser is still registered";
  }
  void TearDown() override { EXPECT_TRUE(CloseBrowserFrames()); }

  static void ExpectNotImplemented(const EOleException& error) {
    EXPECT_EQ(static_cast<std::uint32_t>(error.ErrorCode()), static_cast<std::uint32_t>(E_NOTIMPL));
    EXPECT_EQ(error.Message(), Sjis("未実装です。"));
  }

  ComApartment apartment_;
  Win32Automation automation_;
  Win32Desktop desktop_{{}};
};

TEST_F(WineBrowserSession, HeightPutFailsAndTheBrowserStaysHeld) {
  BrowserSession session(automation_, desktop_);
  try {
    session.OpenBrowser("about:blank");
    ADD_FAILURE() << "no error";
  } catch (const EOleException& error) {
    ExpectNotImplemented(error);
  }
  EXPECT_TRUE(session.Held());

  try {
    session.QuitBrowser();
    ADD_FAILURE() << "no error";
  } catch (const EOleException& error) {
    ExpectNotImplemented(error);
  }
  EXPECT_TRUE(session.Held());
}

TEST_F(WineBrowserSession, MembersItHasTakeTheCallsAsSent) {
  std::unique_ptr<AutomationObject> browser =
      automation_.CreateObject("InternetExplorer.Application");
  browser->Invoke("MenuBar", InvokeKind::PropertyPut, {AutomationArg::Int32(1)});
  browser->Invoke("Visible", InvokeKind::PropertyPut, {AutomationArg::Bool(true)});
  browser->Invoke("Navigate", InvokeKind::Method,
                  {AutomationArg::StringByRef(Sjis("about:blank"))});
  EXPECT_TRUE(WaitUntil(AnyBrowserFrame, 10000));
  EXPECT_THROW(browser->Invoke("Gohomex", InvokeKind::Method, {}), EOleError);
}

}  // namespace
}  // namespace vimbrel::win32

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new vimbrel::win32::Watchdog(60000));
  return RUN_ALL_TESTS();
}
