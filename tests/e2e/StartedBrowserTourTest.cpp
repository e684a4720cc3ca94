// Tours in a browser that /browser= names: the Chromium test browser, which
// hands every new window to a copy of itself already running, keeps hidden
// windows and pop-ups of its class, and may show a window of the user's own.
#include <sstream>

#include "BrowserTour.h"
#include "platform/Texts.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::wstring ChromiumPath() { return WindowsPathOf(VIMBREL_CHROMIUM_TEST_BROWSER_PATH); }

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
        for (const wchar_t* program : {L"msedge.exe", L"chrome.exe"}) {
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

}  // namespace
}  // namespace vimbrel::e2e
