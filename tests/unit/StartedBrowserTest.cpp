// A tour in a browser that /browser= names: the switches, the command line
// that starts the browser, and which windows the tour takes for the row's.
#include "tour/StartedBrowser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StartOptions.h"
#include "list/StringGrid.h"
#include "platform/CommandLine.h"
#include "platform/Exception.h"
#include "support/FakeBrowserPrograms.h"
#include "support/FakeDesktop.h"
#include "support/FakeFiles.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeDesktop;
using testing::Sjis;

constexpr char kClass[] = "Chrome_WidgetWin_1";
const Path kEdge = u"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe";
const Path kFirefox = u"C:\\Program Files\\Mozilla Firefox\\firefox.exe";

TEST(CommandLine, QuotesEachArgumentSoThatItIsReadBackWhole) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"\"\""},
      {u"--gpu-launcher=calc", u"\"--gpu-launcher=calc\""},
      {u"a b\tc", u"\"a b\tc\""},
      {u"say \"hi\"", u"\"say \\\"hi\\\"\""},
      {u"\" --gpu-launcher=calc \"", u"\"\\\" --gpu-launcher=calc \\\"\""},
      {u"C:\\dir\\file", u"\"C:\\dir\\file\""},  // backslashes alone stay
      {u"C:\\dir\\\\", u"\"C:\\dir\\\\\\\\\""},  // doubled before the closing quote
      {u"a\\\"b", u"\"a\\\\\\\"b\""},            // and before an escaped quote
      {u"http://例え.jp/検索?q=巡回 表\\", u"\"http://例え.jp/検索?q=巡回 表\\\\\""},
  };
  for (const auto& [argument, quoted] : cases) {
    EXPECT_EQ(QuoteArgument(argument), quoted);
    EXPECT_EQ(SplitCommandLine(u"p.exe\t" + quoted + u" " + quoted),
              (std::vector<std::u16string>{u"p.exe", argument, argument}));
  }
  EXPECT_EQ(CommandLineFor(u"C:\\Program Files\\b.exe", {u"--new-window", u"--", u"a.htm"}),
            u"\"C:\\Program Files\\b.exe\" --new-window -- \"a.htm\"");
}

TEST(CommandLine, SplitsAsCommandLineToArgvW) {
  const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
      {u"", {}},
      {u"p.exe", {u"p.exe"}},
      // The program's path ends at the next quote or blank, backslash or not.
      {u"\"C:\\Program Files\\v.exe\" /tour", {u"C:\\Program Files\\v.exe", u"/tour"}},
      {u"\"C:\\a b\\\" /tour", {u"C:\\a b\\", u"/tour"}},
      {u"\"C:\\v.exe\"/tour", {u"C:\\v.exe", u"/tour"}},
      {u"\"C:\\v.exe", {u"C:\\v.exe"}},
      {u"C:\\v\"x.exe /tour", {u"C:\\v\"x.exe", u"/tour"}},
      {u" /tour", {u"", u"/tour"}},
      // Blanks and tabs between words, none at the end; quotes anywhere in one.
      {u"p \t /tour \t", {u"p", u"/tour"}},
      {u"p \"/browser=C:\\Program Files\\b.exe\"", {u"p", u"/browser=C:\\Program Files\\b.exe"}},
      {u"p /browser=\"C:\\Program Files\\b.exe\" -tour",
       {u"p", u"/browser=C:\\Program Files\\b.exe", u"-tour"}},
      {u"p \"\" \"a", {u"p", u"", u"a"}},
      {u"p a\\\\\\\"b \\\\\"c d\"", {u"p", u"a\\\"b", u"\\c d"}},
      // Inside quotes, two quotes give a literal one and end the quoting.
      {u"p \"c\"\"d e\"", {u"p", u"c\"d", u"e"}},
      {u"p \"a\"\"\"b c\"", {u"p", u"a\"b c"}},
  };
  for (const auto& [line, words] : cases) EXPECT_EQ(SplitCommandLine(line), words);
}

TEST(StartOptions, ReadsTheSwitchesInAnyCaseAndOrder) {
  const std::optional<Path> none;
  const std::tuple<std::vector<Path>, bool, std::optional<Path>, std::optional<Path>> cases[] = {
      {{}, false, none, none},
      {{u"-TOUR"}, true, none, none},
      {{u"/Browser=edge", u"/tour"}, true, u"edge", none},
      {{u"/tour", u"-BROWSER=C:\\Program Files\\b.exe"}, true, u"C:\\Program Files\\b.exe", none},
      {{u"/browser=chrome", u"-browser=Edge"}, false, u"Edge", none},  // the last counts
      {{u"/browser="}, false, u"", none},
      {{u"browser=edge", u"/tours", u"/browser", u"tour", u"/wait"}, false, none, none},
      {{u"/WAIT=10", u"/tour"}, true, none, u"10"},
      {{u"-wait= 3x", u"/wait=abc"}, false, none, u"abc"},
  };
  for (const auto& [arguments, tour, browser, page_time] : cases) {
    const StartOptions options = ReadStartOptions(arguments);
    EXPECT_EQ(options.unattended_tour, tour);
    EXPECT_EQ(options.browser, browser);
    EXPECT_EQ(options.page_time, page_time);
  }
}

// What /browser= and the settings file name, and how the log and the window
// name it.
TEST(BrowserChoice, IsNamedAlikeByTheSwitchTheSettingsAndTheLog) {
  using Kind = BrowserChoice::Kind;
  testing::FakeFiles files;
  const std::tuple<Path, Kind, const char*, const char*, bool> cases[] = {
      {u"IE", Kind::InternetExplorer, "ie", "Internet Explorer", false},
      {u"edge", Kind::Edge, "edge", "Edge", false},
      {u"Chrome", Kind::Chrome, "chrome", "Chrome", false},
      {u"FIREFOX", Kind::Firefox, "firefox", "Firefox", true},
      {u"C:\\b\\brave.exe", Kind::Program, "C:\\b\\brave.exe", "C:\\b\\brave.exe", false},
      {u"D:/Mozilla/FireFox.EXE", Kind::Program, "D:/Mozilla/FireFox.EXE", "D:/Mozilla/FireFox.EXE",
       true},
      {u"C:\\firefox.exe.lnk", Kind::Program, "C:\\firefox.exe.lnk", "C:\\firefox.exe.lnk", false},
  };
  for (const auto& [name, kind, setting, log_name, firefox] : cases) {
    const BrowserChoice choice = BrowserChoiceFromSwitch(name);
    EXPECT_EQ(choice.kind, kind);
    EXPECT_EQ(SettingOf(choice, files), setting);
    EXPECT_EQ(LogNameOf(choice, files), log_name);
    EXPECT_EQ(IsFirefox(choice), firefox);
    EXPECT_EQ(BrowserChoiceFromSetting(setting, files), choice);
  }
  // A word the program does not know is no path; "表" ends in the byte of "\\".
  for (const char* unknown : {"opera", "", "brave.exe", "\x95\x5C"}) {
    EXPECT_EQ(BrowserChoiceFromSetting(unknown, files), std::nullopt) << unknown;
  }
}

class StartedBrowserTest : public ::testing::Test {
 protected:
  StartedBrowserTest() {
    grid.SetRowCount(2);
    grid.SetCell(2, 1, "1");  // one TAB, then Enter: 4 key events
    programs.registered["msedge.exe"] = kEdge;
    programs.registered["firefox.exe"] = kFirefox;
  }

  FakeDesktop desktop;
  testing::FakeBrowserPrograms programs;
  StringGrid grid;
};

TEST_F(StartedBrowserTest, StartsTheBrowserWithTheAddressAfterItsSwitches) {
  // The browser, the row's address, and the start (none when an error is due).
  const std::tuple<Path, std::string, decltype(programs.starts), std::string> cases[] = {
      {u"edge", "a.htm", {{kEdge, {"--new-window", "--", "a.htm"}}}, ""},
      {u"EDGE", "", {{kEdge, {"--new-window"}}}, ""},
      {u"D:\\b.exe", "--incognito", {{u"D:\\b.exe", {"--new-window", "--", "--incognito"}}}, ""},
      {u"chrome", "a.htm", {}, Sjis("ブラウザー 'chrome.exe' が見つかりません")},
      {u"", "a.htm", {}, Sjis("ブラウザー '' が見つかりません")},
      // Firefox takes the address as the argument after its switch, and has
      // no "--": what it would read as a switch is refused.
      {u"firefox", "a.htm", {{kFirefox, {"-new-window", "a.htm"}}}, ""},
      {u"Firefox", "", {{kFirefox, {"-new-window", "about:blank"}}}, ""},
      {u"firefox", "http://a/-b /c", {{kFirefox, {"-new-window", "http://a/-b /c"}}}, ""},
      {u"D:\\FIREFOX.exe",
       " -profile x",
       {},
       Sjis("アドレス ' -profile x' は Firefox に渡せません")},
      {u"firefox", "\t/safe-mode", {}, Sjis("アドレス '\t/safe-mode' は Firefox に渡せません")},
      {u"firefox", "--headless", {}, Sjis("アドレス '--headless' は Firefox に渡せません")},
  };
  for (const auto& [name, url, starts, error] : cases) {
    programs.starts.clear();
    StartedBrowser browser(desktop, programs, grid, BrowserChoiceFromSwitch(name));
    try {
      browser.OpenBrowser(url);
      EXPECT_EQ(error, "");
    } catch (const EBrowserError& raised) {
      EXPECT_EQ(raised.Message(), error);
    }
    EXPECT_EQ(programs.starts, starts);
  }
}

// The row's window is a visible, unowned window of the browser's class with a
// caption that came after the start; the user's own window of that class is
// never brought to the front, given keys or closed.
TEST_F(StartedBrowserTest, TakesOnlyAWindowThatCameAfterTheStartForTheRows) {
  for (const auto& [family, window_class] :
       {std::pair(u"edge", kClass), std::pair(u"firefox", "MozillaWindowClass")}) {
    const char* other_class = window_class == kClass ? "MozillaWindowClass" : kClass;
    const std::tuple<const char*, FakeDesktop::Window, bool> cases[] = {
        {"a page's window", {0, window_class}, true},
        {"hidden", {0, window_class, false, false}, false},
        {"a pop-up", {0, window_class, false, true, true}, false},
        {"without a caption", {0, window_class, false, true, false, ""}, false},
        {"of another class", {0, "IEFrame"}, false},
        {"of the other family", {0, other_class}, false},
    };
    for (const auto& [name, appears, is_rows] : cases) {
      SCOPED_TRACE(std::string(window_class) + ", " + name);
      desktop = FakeDesktop();
      const WindowHandle users = desktop.AddWindow(window_class);
      desktop.foreground = users;
      StartedBrowser browser(desktop, programs, grid, BrowserChoiceFromSwitch(family));
      EXPECT_FALSE(browser.BringBrowserToFront());  // no row yet
      WindowHandle appeared = 0;
      programs.on_start = [&, window = appears] { appeared = desktop.AddWindow(window); };
      browser.OpenBrowser("a.htm");

      EXPECT_EQ(browser.BringBrowserToFront(), is_rows);
      EXPECT_EQ(desktop.foreground, is_rows ? appeared : users);
      browser.SendRowKeys(1);
      browser.QuitBrowser();
      EXPECT_EQ(desktop.Exists(appeared), !is_rows);
      EXPECT_FALSE(browser.CloseBrowserFrame());
      EXPECT_TRUE(desktop.Exists(users));
      EXPECT_EQ(desktop.key_events.size(), is_rows ? 4u : 0u);
    }
  }
}

// Keys go to the row's window only while it has the foreground; one that
// stays when asked to close gets Alt+F4 at each close wait tick.
TEST_F(StartedBrowserTest, KeysAndAltF4GoOnlyToTheRowsWindows) {
  const WindowHandle users = desktop.AddWindow(kClass);
  StartedBrowser browser(desktop, programs, grid, BrowserChoiceFromSwitch(u"edge"));
  programs.on_start = [&] { desktop.AddWindow(kClass, /*stays_open=*/true); };
  browser.OpenBrowser("a.htm");
  ASSERT_TRUE(browser.BringBrowserToFront());
  desktop.foreground = users;  // the user went back to their own window
  browser.SendRowKeys(1);
  EXPECT_TRUE(desktop.key_events.empty());
  browser.QuitBrowser();
  EXPECT_TRUE(browser.CloseBrowserFrame());
  EXPECT_EQ(desktop.key_events.size(), 4u);  // Alt+F4
  desktop.windows.back().stays_open = false;
  EXPECT_TRUE(browser.CloseBrowserFrame());
  EXPECT_FALSE(browser.CloseBrowserFrame());
  EXPECT_TRUE(desktop.Exists(users));
}

}  // namespace
}  // namespace vimbrel
