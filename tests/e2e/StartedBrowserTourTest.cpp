// Tours in a browser that is started as a program, chosen in the window or by
// /browser=: the Chromium and Firefox test browsers, which hand every new
// window to a copy of themselves already running, keep hidden windows and
// pop-ups of their class, and may show a window of the user's own.
#include <map>
#include <sstream>

#include "BrowserTour.h"
#include "UserInput.h"
#include "app/ErrorBox.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Files.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::wstring ChromiumPath() { return WindowsPathOf(VIMBREL_CHROMIUM_TEST_BROWSER_PATH); }
std::wstring FirefoxPath() { return WindowsPathOf(VIMBREL_FIREFOX_TEST_BROWSER_PATH); }
const std::wstring kSettings = L"vimbrel.ini";

// How the test browser logs a text: its UTF-16 units in hexadecimal.
std::string Units(std::wstring_view text) {
  std::string units;
  char unit[8];
  for (wchar_t character : text) {
    std::snprintf(unit, sizeof unit, "%s%04X", units.empty() ? "" : ",", unsigned(character));
    units += unit;
  }
  return units;
}

// Every row's address reaches the browser whole, as the one argument after
// "--": one that looks like a switch, and one with quotes, backslashes (the
// last before the closing quote), blanks and double-byte characters ("表"
// ends in the byte of a backslash). Each is toured with its keys.
const char kRows[] =
    "No,URL,タブ数,逆タブ数\r\n"
    "1,--gpu-launcher=calc,2,0\r\n"
    "2,\"a \"\"b\"\" C:\\dir\\ 検索表\\\",0,1\r\n"
    "3,page3.htm,3,0\r\n";
const std::wstring kAddresses[] = {L"--gpu-launcher=calc", L"a \"b\" C:\\dir\\ 検索表\\",
                                   L"page3.htm"};

class StartedBrowserTourTest : public BrowserTourTest {
 protected:
  void TearDown() override {
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const wchar_t* program : {L"msedge.exe", L"chrome.exe", L"firefox.exe"}) {
          RegDeleteKeyExW(hive, (kAppPaths + program).c_str(), view, 0);
        }
      }
    }
    BrowserTourTest::TearDown();
  }

  static void Register(HKEY hive, REGSAM view, const wchar_t* program, DWORD type,
                       const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, (kAppPaths + program).c_str(), 0, nullptr, 0, KEY_WRITE | view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }

  // What the log tells of the browser window that opened `address`, in
  // order, keys by their virtual-key codes: "open key 9 key 13 close".
  std::string Story(std::wstring_view address) const {
    std::string window, story = "open";
    for (const std::string& line : BrowserLog()) {
      std::istringstream words(line);
      std::string kind, name, rest;
      words >> kind >> name >> rest;
      if (kind == "open" && rest == Units(address)) window = name;
      if (!window.empty() && name == window && kind != "open")
        story += " " + kind + (rest.empty() ? "" : " " + rest);
    }
    return window.empty() ? "" : story;
  }
  static std::string ArgumentsFor(std::wstring_view address) {
    return "args [" + Units(L"--new-window") + "] [" + Units(L"--") + "] [" + Units(address) + "]";
  }
  static std::string FirefoxArgumentsFor(std::wstring_view address) {
    return "args [" + Units(L"-new-window") + "] [" + Units(address) + "]";
  }

  HWND BrowserList() { return Program().Control(ui::kBrowserList, ui::kComboBoxClass); }
  std::string ShownBrowser() { return Cp932TextOf(BrowserList()); }
  // Picks item `index` of the browser drop-down as a user does: a click opens
  // its list, or from the keyboard, TAB from the page display time field
  // reaches it and Alt+Down opens it; the arrow keys go to the item, and
  // Enter takes it.
  void PickBrowser(int index, bool keyboard) {
    const HWND list = BrowserList();
    const int from = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    Program().Activate();
    if (keyboard) {
      ClickCentreOf(Program().Control(ui::kPageTimeEdit, ui::kEditClass));
      PressKey(VK_TAB);
      const auto focused = [list] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info) &&
               info.hwndFocus == list;
      };
      ASSERT_TRUE(WaitUntil(focused, 10s));
      PressKey(VK_DOWN, {VK_MENU});
    } else {
      ClickCentreOf(list);
    }
    const auto dropped = [list] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    ASSERT_TRUE(WaitUntil(dropped, 10s));
    for (int at = from; at != index; at += index > from ? 1 : -1) {
      PressKey(index > from ? VK_DOWN : VK_UP);
    }
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !dropped(); }, 10s));
  }
};

// Named by its path, with a window of the user's own open in the browser; or
// as Edge, registered for the user (where it is looked for first) as a path
// to expand in quotes, with the machine's registration naming none.
class StartedBrowserRowsTest : public StartedBrowserTourTest,
                               public ::testing::WithParamInterface<bool> {};

TEST_P(StartedBrowserRowsTest, EveryRowGetsAWindowOfItsOwnAndTheUsersWindowNothing) {
  const bool users_window = GetParam();
  const std::string list = Sjis(kRows);
  folder_.WriteListFile(list);
  const std::wstring path = ChromiumPath();
  SetEnvironmentVariableW(L"VIMBREL_TEST_BROWSERS", path.substr(0, path.rfind(L'\\')).c_str());
  Register(HKEY_CURRENT_USER, 0, L"msedge.exe", REG_EXPAND_SZ,
           L"\"%VIMBREL_TEST_BROWSERS%\\chromiumtestbrowser.exe\"");
  Register(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"msedge.exe", REG_SZ, L"C:\\no\\msedge.exe");
  std::optional<RunningProgram> users;
  std::vector<std::string> starts;
  if (users_window) {
    users.emplace(path, std::nullopt, L"--new-window -- user.htm");
    ASSERT_TRUE(WaitUntil([&] { return !Story(L"user.htm").empty(); }, 20s));
    starts.push_back(ArgumentsFor(L"user.htm"));
  }

  Start(std::nullopt, users_window ? L"/tour \"/browser=" + path + L"\"" : L"-BROWSER=Edge -TOUR");
  SetWindowTextW(Program().Control(ui::kPageTimeEdit, ui::kEditClass), L"1");
  EXPECT_TRUE(WaitUntil([&] { return Program().HasExited(); }, 60s));
  EXPECT_EQ(Program().WaitForExitCode(), 0u);

  for (const std::wstring& address : kAddresses) starts.push_back(ArgumentsFor(address));
  EXPECT_EQ(BrowserLog({"args "}), starts);
  // Two TABs, Shift+TAB, three TABs, each with Enter; the window that Enter
  // opened on page3.htm is the row's too.
  EXPECT_EQ(Story(kAddresses[0]), "open key 9 key 9 key 13 close");
  EXPECT_EQ(Story(kAddresses[1]), "open key 16 key 9 key 13 close");
  EXPECT_EQ(Story(kAddresses[2]), "open key 9 key 9 key 9 key 13 close");
  EXPECT_EQ(Story(L"opened.htm"), "open close");
  // What each row's Enter reached, and its windows afterwards.
  const std::vector<std::string> log = LogOf(folder_);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[1], Sjis("1\t--gpu-launcher=calc\t送信\tTAB×2 Enter\tリンク「リンク2」 "
                         "--gpu-launcher=calc#link2\t--gpu-launcher=calc"));
  EXPECT_EQ(log[2],
            Sjis("2\ta \"b\" C:\\dir\\ 検索表\\\t送信\tShift+TAB×1 Enter\tリンク「リンク4」 a "
                 "\"b\" C:\\dir\\ 検索表\\#link4\ta \"b\" C:\\dir\\ 検索表\\"));
  EXPECT_EQ(log[3], Sjis("3\tpage3.htm\t送信\tTAB×3 Enter\tリンク「リンク3」 page3.htm#link3\t"
                         "page3.htm / opened.htm"));
  if (users_window) {
    EXPECT_EQ(Story(L"user.htm"), "open");
    EXPECT_TRUE(IsWindowVisible(FindWindowW(L"Chrome_WidgetWin_1", L"user.htm")));
  }
  EXPECT_EQ(folder_.ReadListFile(), list);
}

INSTANTIATE_TEST_SUITE_P(Tour, StartedBrowserRowsTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "ByPathBesideTheUsersWindow" : "AsEdgeFromAppPaths";
});

// A browser that is not there, or no program: the box names it, the tour
// halts, and the program stays open with its list as it was.
TEST_F(StartedBrowserTourTest, AMissingBrowserHaltsTheTourInTheErrorBox) {
  const std::string list = Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n");
  folder_.WriteListFile(list);
  const std::tuple<const wchar_t*, std::string, bool> cases[] = {
      {L"/browser=Z:\\no\\such\\browser.exe",
       Sjis("ブラウザー 'Z:\\no\\such\\browser.exe' が見つかりません."), true},
      {L"/browser=chrome", Sjis("ブラウザー 'chrome.exe' が見つかりません."), true},
      // Registered for a 32-bit Chrome, where it has gone since.
      {L"/browser=chrome", Sjis("ブラウザー 'C:\\no\\chrome.exe' が見つかりません."), true},
      // Then the system's reason follows, which names the file too.
      {L"/browser=C:\\windows\\win.ini",
       Sjis("ブラウザー 'C:\\windows\\win.ini' を起動できません: C:\\windows\\win.ini"), false},
  };
  for (const auto& [arguments, text, whole] : cases) {
    if (text.find("C:\\no\\chrome.exe") != std::string::npos) {
      Register(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"chrome.exe", REG_SZ, L"C:\\no\\chrome.exe");
    }
    Start(std::nullopt, arguments).MainWindow();
    StartTour();
    MessageBoxView box = Program().WaitForMessageBox();
    EXPECT_EQ(whole ? box.Text() : box.Text().substr(0, text.size()), text) << Readable(box.Text());
    EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
    box.Press(IDOK);
    EXPECT_EQ(TourCaption(), texts::kTourRunning);
    CloseExpectingCleanExit();
    EXPECT_EQ(folder_.ReadListFile(), list);
  }
}

// The drop-down shows Internet Explorer with nothing saved and no Edge, Edge
// where it is registered; a pick is kept beside the list for the next start,
// whose tour takes it, with the drop-down disabled meanwhile. /browser= is
// for one start only, and a pick that cannot be kept goes back.
TEST_F(StartedBrowserTourTest, TheBrowserChosenInTheWindowIsKeptAndToured) {
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,1,0\r\n"));
  Start().MainWindow();
  EXPECT_EQ(ShownBrowser(), "Internet Explorer");
  CloseExpectingCleanExit();

  Register(HKEY_CURRENT_USER, 0, L"msedge.exe", REG_SZ, ChromiumPath());
  Register(HKEY_CURRENT_USER, 0, L"chrome.exe", REG_SZ, ChromiumPath());
  Start().MainWindow();
  EXPECT_EQ(ShownBrowser(), "Microsoft Edge");
  PickBrowser(2, /*keyboard=*/true);
  const std::string chrome = "[Vimbrel]\r\nBrowser=chrome\r\n";
  EXPECT_TRUE(WaitUntil([&] { return folder_.ReadFile(kSettings) == chrome; }, 10s));
  CloseExpectingCleanExit();

  Start().MainWindow();
  EXPECT_EQ(ShownBrowser(), "Google Chrome");
  SetPageTime("1");
  StartTour();
  EXPECT_FALSE(IsWindowEnabled(BrowserList()));
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 30s)) << Readable(TourCaption());
  EXPECT_TRUE(IsWindowEnabled(BrowserList()));
  EXPECT_EQ(Story(L"page1.htm"), "open key 9 key 13 close");
  ASSERT_FALSE(LogOf(folder_).empty());
  EXPECT_EQ(LogOf(folder_)[0], Sjis("巡回開始\tChrome\t1秒\t1行"));
  CloseExpectingCleanExit();

  Start(std::nullopt, L"/browser=IE").MainWindow();
  EXPECT_EQ(ShownBrowser(), "Internet Explorer");
  CloseExpectingCleanExit();
  EXPECT_EQ(folder_.ReadFile(kSettings), chrome);

  Start().MainWindow();
  {
    const win32::FileHandle held = folder_.HoldFile(kSettings, GENERIC_READ | GENERIC_WRITE, 0);
    PickBrowser(3, /*keyboard=*/false);
    MessageBoxView box = Program().WaitForMessageBox();
    EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
    EXPECT_EQ(box.Text(),
              ErrorBoxText(win32::Win32Files().SystemErrorText(ERROR_SHARING_VIOLATION)))
        << Readable(box.Text());
    box.Press(IDOK);
  }
  EXPECT_EQ(ShownBrowser(), "Google Chrome");
  EXPECT_EQ(folder_.ReadFile(kSettings), chrome);
  CloseExpectingCleanExit();
}

// Firefox, saved as the choice, under /tour: each row in a window of its
// own, the user's window untouched, and a row that Firefox would read as a
// switch refused before any browser starts.
TEST_F(StartedBrowserTourTest, FirefoxToursEveryRowItCanTakeInAWindowOfItsOwn) {
  folder_.WriteListFile(Sjis(
      "No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n2,\"-profile x\",1,0\r\n3,page2.htm,0,1\r\n"));
  folder_.WriteFile(kSettings, "[Vimbrel]\r\nBrowser=firefox\r\n");
  Register(HKEY_LOCAL_MACHINE, 0, L"firefox.exe", REG_SZ, FirefoxPath());
  RunningProgram users(FirefoxPath(), std::nullopt, L"-new-window user.htm");
  ASSERT_TRUE(WaitUntil([&] { return !Story(L"user.htm").empty(); }, 20s));

  Start(std::nullopt, L"/tour /wait=1");
  EXPECT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 60s));
  EXPECT_EQ(Program().WaitForExitCode(), 1u);

  EXPECT_EQ(BrowserLog({"args "}), (std::vector<std::string>{FirefoxArgumentsFor(L"user.htm"),
                                                             FirefoxArgumentsFor(L"page1.htm"),
                                                             FirefoxArgumentsFor(L"page2.htm")}));
  EXPECT_EQ(Story(L"page1.htm"), "open key 9 key 9 key 13 close");
  EXPECT_EQ(Story(L"page2.htm"), "open key 16 key 9 key 13 close");
  EXPECT_EQ(Story(L"user.htm"), "open");
  EXPECT_TRUE(IsWindowVisible(FindWindowW(L"MozillaWindowClass", L"user.htm")));
  EXPECT_EQ(
      LogOf(folder_),
      (std::vector<std::string>{
          Sjis("巡回開始\tFirefox\t1秒\t3行"),
          // The link's name comes back empty at its first read.
          Sjis("1\tpage1.htm\t送信\tTAB×2 Enter\tリンク「リンク2」 page1.htm#link2\tpage1.htm"),
          Sjis("2\t-profile x\tエラー\tアドレス '-profile x' は Firefox に渡せません."),
          Sjis("3\tpage2.htm\t送信\tShift+TAB×1 Enter\tリンク「リンク4」 page2.htm#link4\t"
               "page2.htm"),
          Sjis("巡回終了\t完了\t2/3行送信\t終了コード 1")}));
}

// A browser whose page does not answer within the bound, and a tour with
// ReadPages=0, log the focus as not known and keep their rows' bounds; the
// latter asks the browser nothing.
TEST_F(StartedBrowserTourTest, APageThatIsNotReadLogsItsFocusAsNotKnown) {
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n"));
  for (const bool read : {false, true}) {
    SCOPED_TRACE(read ? "a page that does not answer" : "ReadPages=0");
    folder_.WriteFile(kSettings, read ? "" : "[Vimbrel]\r\nReadPages=0\r\n");
    SetBrowserSetting(browser::kAccessibleHangMs, read ? 5000u : 0u);
    const auto started = std::chrono::steady_clock::now();
    Start(std::nullopt, L"/tour /wait=1 \"/browser=" + ChromiumPath() + L"\"");
    ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 60s));
    EXPECT_EQ(Program().WaitForExitCode(), 0u);
    // 5 page display times and 11.5 seconds at most, and the program's start.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s + 11500ms + 5s);
    const std::vector<std::string> log = LogOf(folder_);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], Sjis("1\tpage1.htm\t送信\tTAB×2 Enter\t(不明)\tpage1.htm"));
    EXPECT_EQ(BrowserLog({"getobject"}).empty(), !read);
    ASSERT_TRUE(WaitUntilNoBrowserRuns());
  }
}

// 試す... opens この行を試す for the current row: キーを送る leaves the row's
// window open, with its keys' focus shown, until the next action; 探す finds
// how many TABs reach a link's text, この回数にする writes that into タブ数,
// which the program then asks to save, and a text that is not there is not
// found; 閉じる closes the windows it opened. Its buttons are pressed as a
// screen reader does, whatever window is in front.
TEST_F(StartedBrowserTourTest, TryingARowShowsWhereItsKeysLandAndFindsACount) {
  constexpr int kSendKeysButton = 105, kSearchField = 106, kSearchButton = 107, kResultText = 108,
                kUseCountButton = 109;
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n"));
  Register(HKEY_CURRENT_USER, 0, L"msedge.exe", REG_SZ, ChromiumPath());
  Start(std::nullopt, L"/wait=1 /browser=edge").MainWindow();
  Program().ClickButton(ui::kTryRowButton);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (dialog = FindTopLevel(Program().ProcessId(), ui::kTryRowClass, true)); }, 20s));
  const auto press = [&](int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
  const auto shows = [&](const std::string& result) {
    const bool shown = WaitUntil(
        [&] { return Cp932TextOf(GetDlgItem(dialog, kResultText)) == Sjis(result); }, 30s);
    EXPECT_TRUE(shown) << Readable(Cp932TextOf(GetDlgItem(dialog, kResultText)));
    return shown;
  };

  press(kSendKeysButton);
  ASSERT_TRUE(shows("TAB×2: リンク「リンク2」 page1.htm#link2"));
  EXPECT_EQ(Story(L"page1.htm"), "open key 9 key 9");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kUseCountButton)));

  SetWindowTextW(GetDlgItem(dialog, kSearchField), L"LINK3");
  press(kSearchButton);
  ASSERT_TRUE(shows("TAB×3: リンク「リンク3」 page1.htm#link3"));
  EXPECT_EQ(BrowserLog({"close "}).size(), 1u);  // the first window, as the search began
  // For the picture, the browser's windows out of the way.
  for (HWND window = FindWindowW(L"Chrome_WidgetWin_1", nullptr); window;
       window = FindWindowExW(nullptr, window, L"Chrome_WidgetWin_1", nullptr)) {
    if (!IsWindowVisible(window)) continue;
    ShowWindow(window, GetWindow(window, GW_OWNER) ? SW_HIDE : SW_MINIMIZE);
  }
  SetForegroundWindow(dialog);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 10s));
  Program().Screenshot(L"try-row");
  press(kUseCountButton);

  SetWindowTextW(GetDlgItem(dialog, kSearchField), L"nothere");
  press(kSearchButton);
  EXPECT_TRUE(shows("見つかりません"));
  press(IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
  EXPECT_TRUE(WaitUntil([] { return !FindWindowW(L"Chrome_WidgetWin_1", L"page1.htm"); }, 10s));
  ExpectNoMessageBox();
  CloseExpectingPrompt().Press(IDYES);
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  EXPECT_EQ(folder_.ReadListFile(), Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,3,0\r\n"));
}

// Pages that tell when they have loaded get their keys a second after, however
// long the page display time is; one still loading when that is over is
// waited for, and the log says so. With ReadPages=0 every row waits its whole
// page display time, as pages that do not tell.
class LoadingPageTest : public StartedBrowserTourTest,
                        public ::testing::WithParamInterface<bool> {};

TEST_P(LoadingPageTest, KeysGoOnceThePageHasLoaded) {
  const bool read = GetParam();
  folder_.WriteListFile(
      Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n2,page2.htm,1,0\r\n3,slow.htm?load=8000,1,"
           "0\r\n"));
  if (!read) WaitWholePageDisplayTimes();
  SetBrowserSetting(browser::kLoadMs, 1000);
  SetBrowserSetting(browser::kLogTimes, 1);
  Start(std::nullopt, L"/tour /wait=6 \"/browser=" + ChromiumPath() + L"\"");
  ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 120s));
  EXPECT_EQ(Program().WaitForExitCode(), 0u);

  // From each row's window's opening to its first key, in seconds.
  std::map<std::string, long long> opened;
  std::vector<double> waited;
  for (const LogLine& line : TimedBrowserLog()) {
    std::istringstream words(line.text);
    std::string kind, window;
    words >> kind >> window;
    if (kind == "open") opened[window] = line.micros;
    if (kind == "key" && opened.count(window)) {
      waited.push_back((line.micros - opened[window]) / 1e6);
      opened.erase(window);
    }
  }
  ASSERT_EQ(waited.size(), 3u);
  const std::vector<std::string> log = LogOf(folder_);
  if (read) {
    EXPECT_LT(waited[0], 3.0);
    EXPECT_LT(waited[1], 3.0);
    EXPECT_GE(waited[2], 8.0);
    ASSERT_EQ(log.size(), 6u);
    const std::string loading = Sjis("3\tslow.htm?load=8000\t読み込み中\t");
    ASSERT_EQ(log[3].rfind(loading, 0), 0u) << Readable(log[3]);
    const int seconds = std::stoi(log[3].substr(loading.size()));
    EXPECT_GE(seconds, 7);
    EXPECT_LT(seconds, 12);
  } else {
    for (double seconds : waited) EXPECT_GE(seconds, 5.5);
    EXPECT_EQ(log.size(), 5u);
  }
}

INSTANTIATE_TEST_SUITE_P(Tour, LoadingPageTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "PagesRead" : "ReadPagesOff";
});

}  // namespace
}  // namespace vimbrel::e2e
