// Tours against the test browser: every row with its keys, stops, and counts
// or page display times that are no number.

#include "BrowserTour.h"
#include "platform/Texts.h"
#include "platform/win32/Wide.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

// What each browser was asked to show, which link the row's keys reached, and
// how it ended.
constexpr std::initializer_list<const char*> kRowEvents = {"invoke Navigate", "invoke Gohome",
                                                           "activate", "invoke Quit", "close"};

class TourTest : public BrowserTourTest {};

// Row 2's empty item leaves a single space in its address; row 3 has nothing
// after its number, so its address and both counts are empty.
const char kThreeRows[] =
    "No,URL,タブ数,逆タブ数\r\n"
    "1,page1.htm,2,0\r\n"
    "2,,0,1\r\n"
    "3\r\n";

TEST_F(TourTest, VisitsEveryRowWithItsKeysAndEndsByItself) {
  const std::string list = Sjis(kThreeRows);
  folder_.WriteListFile(list);
  Start().MainWindow();
  SetPageTime("1");

  StartTour();
  // Three rows of about 3.5 seconds each with a page display time of 1, and
  // time for Wine to start each browser.
  EXPECT_TRUE(WaitForCaption(texts::kTourIdle, 40s)) << Readable(TourCaption());
  ExpectNoMessageBox();
  EXPECT_TRUE(IsWindowEnabled(TourButton()));

  // A browser of its own for every row, quit at the row's end.
  ASSERT_EQ(BrowserProcesses().size(), 3u);
  // Two TABs from the page reach the second of its four links, one Shift+TAB
  // the last, and Enter alone activates none.
  EXPECT_EQ(LogOfBrowser(0, kRowEvents),
            (std::vector<std::string>{NavigateTo("page1.htm"), "activate link2",
                                      "invoke Quit flags=1 named=- args=-", "close Quit"}));
  EXPECT_EQ(LogOfBrowser(1, kRowEvents),
            (std::vector<std::string>{NavigateTo(" "), "activate link4",
                                      "invoke Quit flags=1 named=- args=-", "close Quit"}));
  EXPECT_EQ(LogOfBrowser(2, kRowEvents),
            (std::vector<std::string>{"invoke Gohome flags=1 named=- args=-", "activate none",
                                      "invoke Quit flags=1 named=- args=-", "close Quit"}));
  EXPECT_EQ(LogOfBrowser(2, {"lookup Navigate"}), std::vector<std::string>{});
  // Its pages are read through its page window alone: the automation object
  // gets the calls it always got.
  std::vector<std::string> lookups;
  for (const char* member :
       {"Height", "Width", "MenuBar", "StatusBar", "ToolBar", "Visible", "Navigate", "Quit"}) {
    lookups.push_back(std::string("lookup ") + member + " lcid=0411");
  }
  EXPECT_EQ(LogOfBrowser(0, {"lookup"}), lookups);
  EXPECT_FALSE(LogOfBrowser(0, {"getobject"}).empty());
  EXPECT_TRUE(WaitUntil([] { return !AnyBrowserFrame(); }, 3s)) << "a browser frame is left";

  // A tour changes nothing in the list: closing asks nothing.
  CloseExpectingCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), list);
}

// Started with /tour (in any case), the tour runs as if clicked, and the
// program ends when the tour has gone past its last row.
TEST_F(TourTest, StartedWithTourItRunsByItselfAndTheProgramEnds) {
  const std::string list = Sjis(kThreeRows);
  folder_.WriteListFile(list);
  Start(std::nullopt, L"-TOUR");
  // In front for a moment during the first page display time (6 seconds), to
  // show the row the tour is working on marked in the grid.
  ASSERT_TRUE(WaitUntilNavigated());
  Program().Activate();
  Program().Screenshot(L"tour-row-marked");
  SetWindowTextW(Program().Control(ui::kPageTimeEdit, ui::kEditClass), L"1");

  EXPECT_TRUE(WaitUntil([&] { return Program().HasExited(); }, 40s));
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  EXPECT_EQ(BrowserLog({"activate"}),
            (std::vector<std::string>{"activate link2", "activate link4", "activate none"}));
  EXPECT_FALSE(AnyBrowserFrame());
  EXPECT_EQ(folder_.ReadListFile(), list);
}

// Started with /tour, the tour waits for nobody: an error ends its row only,
// a window that will not close is given up on, and the program ends by
// itself with 1 when a row was not sent or left a window open. A second
// /tour meanwhile tours nothing and ends with 2.
TEST_F(TourTest, StartedWithTourEveryRowEndsByItselfAndTheLogSaysHow) {
  const std::string list = Sjis(
      "No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n2,page2.htm,1x,0\r\n"
      "3,stays.htm,1,0\r\n4,page4.htm,0,1\r\n");
  folder_.WriteListFile(list);
  SetBrowserSetting(browser::kRefuseCloseAt, std::wstring(L"stays.htm"));
  const auto started = std::chrono::steady_clock::now();
  Start(std::nullopt, L"/tour /wait=3");
  // The second program's window comes to the front as it starts: it starts
  // once the first row's keys are sent, seconds before a row needs its
  // browser in front again (row 2 fails before its keys).
  ASSERT_TRUE(WaitUntilKeysSent());

  ProgramFolder second;
  second.WriteListFile(list);
  RunningProgram second_tour(second.ProgramPath(), std::nullopt, L"/tour");
  EXPECT_EQ(second_tour.WaitForExitCode(), 2u);
  EXPECT_EQ(LogOf(second), std::vector<std::string>{
                               Sjis("巡回せず\tほかのビンブレルが巡回中なので巡回しません.")});

  // Once the tour has given up on it, the window that would not close goes
  // as a user would end it, so that the last row's windows can close.
  ASSERT_TRUE(WaitWithNoBox([&] { return LogOf(folder_).size() >= 5; }, 120s));
  EndProcess(BrowserProcesses().at(2));
  ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 120s));
  EXPECT_EQ(Program().WaitForExitCode(), 1u);
  // Each row within 4 page display times and 11.5 seconds, and a second or
  // two each for Wine to start its browser.
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4 * (4 * 3s + 11500ms) + 4 * 2s);

  EXPECT_EQ(LogOf(folder_), (std::vector<std::string>{
                                Sjis("巡回開始\tInternet Explorer\t3秒\t4行"),
                                Sjis("1\tpage1.htm\t送信\tTAB×2 Enter\tリンク「リンク2」 "
                                     "page1.htm#link2\tVimbrel test browser"),
                                Sjis("2\tpage2.htm\tエラー\t'01x' は整数ではありません."),
                                Sjis("3\tstays.htm\t送信\tTAB×1 Enter\tリンク「リンク1」 "
                                     "stays.htm#link1\tVimbrel test browser"),
                                Sjis("3\tstays.htm\t未終了\tVimbrel test browser"),
                                Sjis("4\tpage4.htm\t送信\tShift+TAB×1 Enter\tリンク「リンク4」 "
                                     "page4.htm#link4\tVimbrel test browser"),
                                Sjis("巡回終了\t完了\t3/4行送信\t終了コード 1"),
                            }));
  EXPECT_EQ(BrowserLog({"activate"}),
            (std::vector<std::string>{"activate link2", "activate link1", "activate link4"}));
  EXPECT_EQ(BrowserProcesses().size(), 4u);
  EXPECT_EQ(folder_.ReadListFile(), list);
}

// Started with /tour, a browser that stops answering in the middle of a call
// holds the tour for the page display time and a minute, no longer: the log
// says so, the program ends with 1, and the browser that its tour started
// goes with it. The desktop is free for the next /tour, also where one
// browser process serves every client, as Internet Explorer's does, whose
// class stays offered for a moment after the process has been ended.
class TourHangTest : public BrowserTourTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TourHangTest, StartedWithTourABrowserThatStopsAnsweringEndsTheProgramAndItsBrowser) {
  folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n2,page2.htm,0,1\r\n"));
  SetBrowserSetting(browser::kOneProcess, GetParam() ? 1u : 0u);
  SetBrowserSetting(browser::kHangMember, std::wstring(L"Navigate"));
  const auto started = std::chrono::steady_clock::now();
  Start(std::nullopt, L"/tour /wait=3");
  ASSERT_TRUE(WaitUntilNavigated());
  ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 90s));
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(Program().WaitForExitCode(), 1u);
  // From the start of the row's call, checked once a second, with the
  // program's start before it.
  EXPECT_GE(took, 63s);
  EXPECT_LT(took, 63s + 20s);
  EXPECT_TRUE(WaitUntil([] { return !AnyTestBrowserRuns(); }, 10s)) << "the browser is left";

  std::vector<std::string> log = LogOf(folder_);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], Sjis("巡回開始\tInternet Explorer\t3秒\t2行"));
  const std::string hung = Sjis("1\tpage1.htm\t応答なし\t");
  ASSERT_EQ(log[1].rfind(hung, 0), 0u) << Readable(log[1]);
  const int seconds = std::stoi(log[1].substr(hung.size()));
  EXPECT_EQ(log[1], hung + std::to_string(seconds) + Sjis("秒"));
  EXPECT_GE(seconds, 63);
  EXPECT_LT(seconds, 70);
  EXPECT_EQ(log[2], Sjis("巡回終了\t応答なし\t0/2行送信\t終了コード 1"));

  SetBrowserSetting(browser::kHangMember, std::wstring());
  Start(std::nullopt, L"/tour /wait=1");
  ASSERT_TRUE(WaitWithNoBox([&] { return Program().HasExited(); }, 60s));
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  log = LogOf(folder_);
  EXPECT_EQ(
      std::vector<std::string>(log.begin() + 3, log.end()),
      (std::vector<std::string>{Sjis("巡回開始\tInternet Explorer\t1秒\t2行"),
                                Sjis("1\tpage1.htm\t送信\tTAB×2 Enter\tリンク「リンク2」 "
                                     "page1.htm#link2\tVimbrel test browser"),
                                Sjis("2\tpage2.htm\t送信\tShift+TAB×1 Enter\tリンク「リンク4」 "
                                     "page2.htm#link4\tVimbrel test browser"),
                                Sjis("巡回終了\t完了\t2/2行送信\t終了コード 0")}));
}

INSTANTIATE_TEST_SUITE_P(Tour, TourHangTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "OneProcessForAll" : "ProcessPerObject");
});

// Started with /tour, a list file that was not read whole, or a page display
// time that the tour cannot use, tours nothing: no box, a line in the log,
// and the program ends with 2.
TEST_F(TourTest, StartedWithTourAListNotReadOrAPageTimeNotUsedToursNothing) {
  const std::string looked_for = win32::NarrowCp932(folder_.ListFilePath());
  const struct {
    const char* name;
    bool list;
    bool held;  // by another program, for writing
    const wchar_t* arguments;
    std::string logged;
  } cases[] = {
      {"a held list", true, true, L"/tour", Sjis("I/O エラー (32)")},
      {"no list", false, false, L"/tour",
       Sjis("巡回リスト '") + looked_for + Sjis("' が見つからないので巡回しません.")},
      {"a page time that is no number", true, false, L"/wait=abc /tour",
       Sjis("'0abc' は整数ではありません.")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.list) {
      folder_.WriteListFile(Sjis("No,URL,タブ数,逆タブ数\r\n1,page1.htm,2,0\r\n"));
    } else if (folder_.HasListFile()) {
      folder_.RemoveListFile();
    }
    win32::FileHandle other_program;
    if (c.held) other_program = folder_.HoldListFile();
    Start(std::nullopt, c.arguments);
    EXPECT_EQ(Program().WaitForExitCode(), 2u);
    EXPECT_EQ(LogOf(folder_).back(), Sjis("巡回せず\t") + c.logged)
        << Readable(LogOf(folder_).back());
  }
  EXPECT_EQ(LogOf(folder_).size(), 3u);
  EXPECT_TRUE(BrowserProcesses().empty());
}

// Two rows, of which only the first is reached in the cases below.
const char kTwoRows[] =
    "No,URL,タブ数,逆タブ数\r\n"
    "1,page1.htm,2,0\r\n"
    "2,page2.htm,0,1\r\n";

// When during a row the stop is asked for: the row is finished all the same.
struct StopPoint {
  const char* name;
  // Waits until the row is where the stop is asked for.
  bool (BrowserTourTest::*reach)();
  Press press;
  // The page display time: the press falls well inside the wait it is meant
  // for, however busy the machine, and never as the wait ends.
  const char* page_time;
};

void PrintTo(const StopPoint& point, std::ostream* out) { *out << point.name; }

class TourStopTest : public BrowserTourTest, public ::testing::WithParamInterface<StopPoint> {};

TEST_P(TourStopTest, FinishesTheRowAndGoesNoFurther) {
  folder_.WriteListFile(Sjis(kTwoRows));
  WaitWholePageDisplayTimes();
  Start().MainWindow();
  SetPageTime(GetParam().page_time);

  StartTour();
  ASSERT_TRUE((this->*GetParam().reach)());
  StopTour(30s, GetParam().press);
  ExpectNoMessageBox();

  EXPECT_EQ(BrowserLog(kRowEvents),
            (std::vector<std::string>{NavigateTo("page1.htm"), "activate link2",
                                      "invoke Quit flags=1 named=- args=-", "close Quit"}));
  // The tour is over: the next row is not opened.
  Sleep(1500);
  EXPECT_EQ(BrowserProcesses().size(), 1u);
  EXPECT_EQ(TourCaption(), texts::kTourIdle);
  CloseExpectingCleanExit();
}

// The page display times leave a press five seconds or more of its wait, ten
// times what a click takes on a quiet machine (the activation, then the
// button); KeysWait needs only the program's activation in the frame wait.
const StopPoint kStopPoints[] = {
    // The frame has not been brought to the front yet. As the wait ends it
    // comes over the button.
    {"FrameWait", &BrowserTourTest::WaitUntilNavigated, Press::Mouse, "6"},
    // The keys are sent half a second after the frame came to the front: a
    // click would take the front from it, a screen reader's press does not.
    {"KeysWait", &BrowserTourTest::WaitUntilBroughtToFront, Press::Accessibility, "3"},
    // The keys have been sent; the browser is quit when the wait is over,
    // and the next row opened a second later.
    {"DisplayWait", &BrowserTourTest::WaitUntilKeysSent, Press::Mouse, "4"},
};

INSTANTIATE_TEST_SUITE_P(Tour, TourStopTest, ::testing::ValuesIn(kStopPoints),
                         [](const auto& info) { return std::string(info.param.name); });

// The user closes the program during a row: nothing was edited, so it asks
// nothing and ends at once. The browser is let go without "Quit" and stays
// open, and gets no key once the program's window has gone.
struct ClosePoint {
  const char* name;
  // Waits until the row is where the program is closed.
  bool (BrowserTourTest::*reach)();
  // All that the browser got, the program's exit included.
  std::vector<std::string> browser_got;
  // The page display time, as for the stop points: Alt+F4 falls well inside
  // the wait.
  const char* page_time;
};

void PrintTo(const ClosePoint& point, std::ostream* out) { *out << point.name; }

class TourCloseTest : public BrowserTourTest, public ::testing::WithParamInterface<ClosePoint> {};

TEST_P(TourCloseTest, EndsAtOnceAndLetsTheBrowserGoWithoutQuit) {
  folder_.WriteListFile(Sjis(kTwoRows));
  WaitWholePageDisplayTimes();
  Start().MainWindow();
  SetPageTime(GetParam().page_time);

  StartTour();
  ASSERT_TRUE((this->*GetParam().reach)());
  CloseExpectingCleanExit();
  // Time for what was on its way to reach the browser.
  EXPECT_TRUE(WaitForBrowserLog("release", 1, 5s));
  Sleep(1500);
  EXPECT_EQ(BrowserLog({"invoke Navigate", "invoke Quit", "keydown", "syskeydown", "activate",
                        "close", "release"}),
            GetParam().browser_got);
  EXPECT_EQ(BrowserProcesses().size(), 1u);
  EXPECT_TRUE(AnyBrowserFrame());
}

const ClosePoint kClosePoints[] = {
    {"FrameWait", &BrowserTourTest::WaitUntilNavigated, {NavigateTo("page1.htm"), "release"}, "6"},
    {"DisplayWait",
     &BrowserTourTest::WaitUntilKeysSent,
     {NavigateTo("page1.htm"), "keydown 09", "keydown 09", "keydown 0D", "activate link2",
      "release"},
     "5"},
};

INSTANTIATE_TEST_SUITE_P(Tour, TourCloseTest, ::testing::ValuesIn(kClosePoints),
                         [](const auto& info) { return std::string(info.param.name); });

// A value that the tour reads as a number and that is none: the tour halts in
// the error box, and the button then stops it at once.
struct NoNumber {
  const char* name;
  const char* row;        // UTF-8 list line of the one row
  const char* page_time;  // typed into the field
  const char* box_text;   // UTF-8
};

void PrintTo(const NoNumber& value, std::ostream* out) { *out << value.name; }

class TourHaltTest : public BrowserTourTest, public ::testing::WithParamInterface<NoNumber> {};

TEST_P(TourHaltTest, HaltsInTheErrorBoxUntilStopped) {
  const NoNumber& value = GetParam();
  folder_.WriteListFile(Sjis(std::string("No,URL,タブ数,逆タブ数\r\n") + value.row + "\r\n"));
  Start().MainWindow();
  SetPageTime(value.page_time);

  StartTour();
  MessageBoxView box = Program().WaitForMessageBox();
  EXPECT_EQ(box.Text(), Sjis(value.box_text)) << Readable(box.Text());
  EXPECT_EQ(box.Caption(), texts::kApplicationTitle);
  box.Press(IDOK);
  // Halted: no step is left to run, and no key was sent.
  Sleep(1500);
  ExpectNoMessageBox();
  EXPECT_EQ(TourCaption(), texts::kTourRunning);
  EXPECT_TRUE(IsWindowEnabled(TourButton()));
  EXPECT_EQ(BrowserLog({"keydown", "syskeydown", "activate", "invoke Quit"}),
            std::vector<std::string>{});
  // The row's address was opened before the value was read.
  EXPECT_EQ(BrowserLog({"invoke Navigate"}), std::vector<std::string>{NavigateTo("page1.htm")});

  // The stop is taken at the next tick of its poll.
  StopTour(2s);
  ExpectNoMessageBox();
  CloseExpectingCleanExit();
}

// The conversion error shows the text converted, with the "0" put in front;
// the error box appends the ".".
const NoNumber kNoNumbers[] = {
    {"ReverseTabCount", "1,page1.htm,0,abc", "1", "'0abc' は整数ではありません."},
    {"ReverseTabCountWithDigit", "1,page1.htm,0,1x", "1", "'01x' は整数ではありません."},
    {"PageTime", "1,page1.htm,2,0", "abc", "'0abc' は整数ではありません."},
    // A page display time of 0 would arm a timer that never ticks.
    {"PageTimeZero", "1,page1.htm,2,0", "0",
     "ページ表示時間 0 秒は 1 から 2147483 秒までの範囲にありません."},
};

INSTANTIATE_TEST_SUITE_P(Tour, TourHaltTest, ::testing::ValuesIn(kNoNumbers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vimbrel::e2e
