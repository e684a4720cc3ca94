// Tours that meet faults: a browser process that dies in each state of a row,
// a browser frame that will not close while the user works in a window of
// their own, and Wine's own Internet Explorer, which lacks what the tour sets.
#include "BrowserTour.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "app/ErrorBox.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "support/Sjis.h"
#include "tour/BrowserSession.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

constexpr std::initializer_list<const char*> kRowEvents = {"invoke Navigate", "activate",
                                                           "invoke Quit", "close"};

// The box's texts for the statuses that the program takes for a browser that
// has gone (RPC_S_SERVER_UNAVAILABLE, RPC_S_CALL_FAILED, RPC_E_DISCONNECTED
// and the like, all of facility RPC, ITF or WIN32).
std::vector<std::string> ServerGoneBoxTexts() {
  std::vector<std::string> texts;
  for (std::uint32_t status = 0x80010000u; status < 0x80080000u; ++status) {
    const auto code = static_cast<std::int32_t>(status);
    if (IsDisconnectedStatus(code)) texts.push_back(ErrorBoxText(win32::OleErrorMessage(code)));
  }
  return texts;
}

const std::vector<std::string> kRowFinished = {NavigateTo("page1.htm"), "activate link2",
                                               "invoke Quit flags=1 named=- args=-", "close Quit"};

// ---------------------------------------------------------------------------
// The browser ends in the middle of a row: its process is ended, or the user
// closes its window.

void CloseTheFrame(DWORD) {
  PostMessageW(FindWindowW(browser::kFrameClass, nullptr), WM_CLOSE, 0, 0);
}

struct KillPoint {
  const char* name;
  // Long enough that the browser is ended, or the program activated by
  // WaitUntilBroughtToFront, well inside the wait however busy the machine:
  // three seconds for a call. The close wait repeats while the frame stays.
  const char* page_time;
  bool refuse_close;
  // Waits until the row is in the state in which the browser is ended.
  bool (BrowserTourTest::*reach)();
  void (*end)(DWORD browser_process);
  enum class Then {
    // The tour goes on with the next row (here the end of the list).
    GoesOn,
    // Quitting the dead browser fails in the error box, and the tour halts.
    QuitFails,
    // Frame wait looks for a frame until stopped; the browser is still held,
    // so the next tour's navigation fails in the error box.
    SearchesUntilStopped,
  } then;
};

void PrintTo(const KillPoint& point, std::ostream* out) { *out << point.name; }

class TourFaultTest : public BrowserTourTest, public ::testing::WithParamInterface<KillPoint> {
 protected:
  // The error box for a call to a browser whose process has ended, dismissed.
  // Which status the call returns depends on when Wine's COM notices that the
  // process has gone; the box shows the system's text for one of those that
  // say so, with its "." appended.
  void ExpectDisconnectedBox() {
    MessageBoxView box = Program().WaitForMessageBox();
    const std::vector<std::string> texts = ServerGoneBoxTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), box.Text()), texts.end())
        << Readable(box.Text());
    EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
    box.Press(IDOK);
    EXPECT_EQ(TourCaption(), texts::kTourRunning);
  }
};

TEST_P(TourFaultTest, TheNextTourCreatesANewBrowser) {
  const KillPoint& point = GetParam();
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n"));
  WaitWholePageDisplayTimes();
  SetBrowserSetting(browser::kRefuseClose, point.refuse_close ? 1 : 0);
  Start().MainWindow();
  SetPageTime(point.page_time);

  StartTour();
  ASSERT_TRUE((this->*point.reach)());
  point.end(BrowserProcesses().back());
  switch (point.then) {
    case KillPoint::Then::GoesOn:
      EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 10s)) << Readable(TourCaption());
      ExpectNoMessageBox();
      break;
    case KillPoint::Then::QuitFails:
      ExpectDisconnectedBox();
      StopTour(2s);
      break;
    case KillPoint::Then::SearchesUntilStopped:
      // A search or two later: no error, no end.
      Sleep(4000);
      ExpectNoMessageBox();
      EXPECT_EQ(TourCaption(), texts::kTourRunning);
      StopTour(10s);
      StartTour();
      ExpectDisconnectedBox();
      StopTour(2s);
      break;
  }
  ASSERT_FALSE(Program().HasExited());
  ExpectNoMessageBox();

  // A browser closed by its user ends its process by itself.
  ASSERT_TRUE(WaitUntilNoBrowserRuns());
  SetBrowserSetting(browser::kRefuseClose, 0);
  const std::size_t browsers = BrowserProcesses().size();
  SetPageTime("1");
  StartTour();
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 20s)) << Readable(TourCaption());
  ExpectNoMessageBox();
  ASSERT_EQ(BrowserProcesses().size(), browsers + 1);
  EXPECT_EQ(LogOfBrowser(browsers, kRowEvents), kRowFinished);
  CloseExpectingCleanExit();
}

const KillPoint kKillPoints[] = {
    {"FrameWait", "3", false, &BrowserTourTest::WaitUntilNavigated, EndProcess,
     KillPoint::Then::SearchesUntilStopped},
    {"KeysWait", "3", false, &BrowserTourTest::WaitUntilBroughtToFront, EndProcess,
     KillPoint::Then::QuitFails},
    {"DisplayWait", "3", false, &BrowserTourTest::WaitUntilKeysSent, EndProcess,
     KillPoint::Then::QuitFails},
    // The browser took "Quit" but its frame stayed; once it has gone the
    // tour goes on.
    {"CloseWait", "1", true, &BrowserTourTest::WaitUntilCloseRefused, EndProcess,
     KillPoint::Then::GoesOn},
    // A browser whose window has gone ends its process.
    {"ClosedByTheUserInDisplayWait", "3", false, &BrowserTourTest::WaitUntilKeysSent, CloseTheFrame,
     KillPoint::Then::QuitFails},
};

INSTANTIATE_TEST_SUITE_P(BrowserEnded, TourFaultTest, ::testing::ValuesIn(kKillPoints),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A frame that refuses to close while the user works in a window of their own.

// The user's own window beside the tour: a top-level window with an edit
// field, which records every key that reaches either.
class UserWindow {
 public:
  UserWindow() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kClassName;
    RegisterClassExW(&window_class);
    top_ = CreateWindowExW(0, kClassName, L"The user's own work", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           40, 500, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    field_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                             8, 8, 360, 120, top_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(top_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(field_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    field_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(field_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProc)));
    Pump();
  }
  ~UserWindow() {
    if (IsWindow(top_)) DestroyWindow(top_);
    Pump();
  }
  UserWindow(const UserWindow&) = delete;
  UserWindow& operator=(const UserWindow&) = delete;

  // The user clicks back into the field.
  void TakeForeground() {
    SetForegroundWindow(top_);
    SetFocus(field_);
    Pump();
  }
  bool InFront() const { return GetForegroundWindow() == top_ && GetFocus() == field_; }
  // Keys reach the windows only as this thread handles its messages.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  const std::vector<std::string>& Keys() const { return keys_; }
  std::wstring FieldText() const {
    wchar_t text[256] = {};
    GetWindowTextW(field_, text, 256);
    return text;
  }

 private:
  static constexpr wchar_t kClassName[] = L"VimbrelTestUserWindow";

  void Record(UINT message, WPARAM key) {
    const char* kind = nullptr;
    switch (message) {
      case WM_KEYDOWN:
        kind = "keydown";
        break;
      case WM_SYSKEYDOWN:
        kind = "syskeydown";
        break;
      case WM_CHAR:
        kind = "char";
        break;
      case WM_SYSCHAR:
        kind = "syschar";
        break;
      default:
        return;
    }
    char line[32];
    std::snprintf(line, sizeof line, "%s %02X", kind, static_cast<unsigned>(key));
    keys_.push_back(line);
  }
  static UserWindow* Of(HWND window) {
    return reinterpret_cast<UserWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (UserWindow* self = Of(window)) self->Record(message, wparam);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  static LRESULT CALLBACK FieldProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    UserWindow* self = Of(window);
    self->Record(message, wparam);
    return CallWindowProcW(self->field_proc_, window, message, wparam, lparam);
  }

  HWND top_ = nullptr;
  HWND field_ = nullptr;
  WNDPROC field_proc_ = nullptr;
  std::vector<std::string> keys_;
};

class TourBesideUserWindowTest : public BrowserTourTest {};

TEST_F(TourBesideUserWindowTest, NoKeyReachesTheUsersWindowWhileAFrameWillNotClose) {
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n"));
  SetBrowserSetting(browser::kRefuseClose, 1);
  Start().MainWindow();
  SetPageTime("1");
  UserWindow user;

  StartTour();
  // The user goes back to their own window while the tour waits to send the
  // row's keys to the browser that it has just brought to the front.
  ASSERT_TRUE(WaitUntilNavigated());
  user.TakeForeground();
  ASSERT_TRUE(WaitUntil(
      [&] {
        user.Pump();
        return BrowserInFront();
      },
      10s));
  user.TakeForeground();
  EXPECT_TRUE(user.InFront());

  // The browser takes "Quit" but its frame stays: the tour goes on closing it
  // every half second, bringing it to the front each time, while the user
  // keeps clicking back into their window, between tries: the tour presses
  // Alt+F4 right after it has seen its frame in front, and a click between
  // the two would send it to the user's window.
  for (std::size_t tries = 1; tries <= 4; ++tries) {
    ASSERT_TRUE(WaitUntil(
        [&] {
          user.Pump();
          return BrowserLog({"close refused"}).size() >= tries;
        },
        10s));
    user.TakeForeground();
  }
  user.Pump();
  EXPECT_EQ(TourCaption(), texts::kTourRunning);
  EXPECT_EQ(user.Keys(), std::vector<std::string>{});
  EXPECT_EQ(user.FieldText(), L"");

  // Once the frame has gone the row is done and the tour ends by itself.
  EndProcess(BrowserProcesses().back());
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 10s)) << Readable(TourCaption());
  ExpectNoMessageBox();
  user.Pump();
  EXPECT_EQ(user.Keys(), std::vector<std::string>{});
  CloseExpectingCleanExit();
}

// ---------------------------------------------------------------------------
// Wine's own Internet Explorer, with the test browser out of the way.

// The class that Wine registers for "InternetExplorer.Application".
constexpr wchar_t kWineBrowserClass[] = L"{0002DF01-0000-0000-C000-000000000046}";

// Ends every process of Wine's browser, which serves the automation object,
// and sees its frames go.
void EndWineBrowsers() {
  for (DWORD process : ProcessesNamed(L"iexplore.exe")) EndProcess(process);
  EXPECT_TRUE(WaitUntil([] { return !AnyBrowserFrame(); }, 10s)) << "a browser frame is left";
}

class WineBrowserTourTest : public TourProgramTest {
 public:
  static void SetUpTestSuite() {
    test_browser_was_registered_ = ProgIdClass() == browser::kClsid;
    RunTestBrowser(L"/UnregServer");
  }
  static void TearDownTestSuite() {
    if (test_browser_was_registered_) {
      EXPECT_EQ(RunTestBrowser(L"/RegServer"), 0u);
    }
  }

 protected:
  void SetUp() override { ASSERT_EQ(ProgIdClass(), kWineBrowserClass); }
  void TearDown() override { EndWineBrowsers(); }

 private:
  static bool test_browser_was_registered_;
};

bool WineBrowserTourTest::test_browser_was_registered_ = false;

TEST_F(WineBrowserTourTest, HaltsOnTheFirstSizeItLacksOrLogsItWhenStartedWithTour) {
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,about:blank,1,0\r\n"));
  Start().MainWindow();

  StartTour();
  // Wine's browser has no "Height": an exception with the status E_NOTIMPL
  // and no description, so the box shows the system's text for E_NOTIMPL.
  MessageBoxView box = Program().WaitForMessageBox();
  EXPECT_EQ(box.Text(), Sjis("未実装です。.")) << Readable(box.Text());
  EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
  box.Press(IDOK);
  Sleep(1000);
  ExpectNoMessageBox();
  EXPECT_EQ(TourCaption(), texts::kTourRunning);

  StopTour(2s);
  ExpectNoMessageBox();
  CloseExpectingCleanExit();

  // Started with /tour, the same error goes to the log instead of a box and
  // ends the row only. Its Quit fails too, which the row's line does not
  // repeat; the frame that will not close is given up on and the program
  // ends by itself.
  EndWineBrowsers();
  Start(std::nullopt, L"/tour /wait=1");
  ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 60s));
  EXPECT_EQ(Program().WaitForExitCode(), 1u);
  // The log holds both tours: only the one that /tour started has an exit code.
  EXPECT_EQ(LogOf(folder_), (std::vector<std::string>{
                                Sjis("巡回開始\tInternet Explorer\t6秒\t1行"),
                                Sjis("1\tabout:blank\tエラー\t未実装です。."),
                                Sjis("巡回終了\t停止\t0/1行送信"),
                                Sjis("巡回開始\tInternet Explorer\t1秒\t1行"),
                                Sjis("1\tabout:blank\tエラー\t未実装です。."),
                                Sjis("1\tabout:blank\t未終了\tWine Internet Explorer"),
                                Sjis("巡回終了\t完了\t0/1行送信\t終了コード 1"),
                            }));
}

}  // namespace
}  // namespace vimbrel::e2e
