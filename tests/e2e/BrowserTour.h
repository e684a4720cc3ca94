#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ProgramTest.h"
#include "TestBrowserSettings.h"

namespace vimbrel::e2e {

namespace browser = testbrowser;

// Runs the test browser with one switch (/RegServer, /UnregServer) and
// returns its exit code.
DWORD RunTestBrowser(const std::wstring& command_switch);
// The class that "InternetExplorer.Application" names now.
std::wstring ProgIdClass();
// Whether any top-level window of class "IEFrame" is on the desktop.
bool AnyBrowserFrame();
// Ends a process as the task manager does and waits until it has gone.
void EndProcess(DWORD process_id);
// Whether a process of either test browser is running, one that quit or was
// ended included until Wine has torn it down.
bool AnyTestBrowserRuns();
// How the test browser logs a navigation: the address as UTF-16 code units.
std::string NavigateTo(const std::string& address);
// The program's tour log beside the list in `folder`, as a viewer that
// follows it reads it: its lines, each without its time and CR LF.
std::vector<std::string> LogOf(const ProgramFolder& folder);

// One line of the browser log and the time it was written, in microseconds of
// the performance counter (0 unless the browsers were told to log times).
struct LogLine {
  long long micros = 0;
  std::string text;
};

// How a button is pressed: with the mouse, which brings the program to the
// front, or as a screen reader presses it (BM_CLICK), which leaves the front
// to whatever window has it.
enum class Press { Mouse, Accessibility };

// The program driven through its tour button and page display time.
class TourProgramTest : public ProgramTest {
 protected:
  // Types `seconds` over the page display time, as the user does.
  void SetPageTime(const std::string& seconds);
  HWND TourButton();
  HWND DailyTourButton();  // usable only while the tour is idle
  std::string TourCaption();
  bool WaitForCaption(const char* caption, std::chrono::milliseconds timeout);
  // Waits until `done`, failing the test for any message box meanwhile: an
  // unattended tour never shows one.
  bool WaitWithNoBox(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Clicks "巡回" and sees the tour run.
  void StartTour();
  // Presses "中止": the button reads "中止中", disabled, until the stop has
  // been taken, then "巡回", enabled, within `timeout`.
  void StopTour(std::chrono::milliseconds timeout, Press press = Press::Mouse);
};

// Tours of the program against the test browser, which stands in for
// Internet Explorer in the test prefix and logs what it is asked and which
// keys it gets. Browsers that a case leaves behind go with the case.
class BrowserTourTest : public TourProgramTest {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  // Each waits until the tour's row has got so far, and tells whether it did.
  // The row's address has reached the browser: frame wait.
  bool WaitUntilNavigated();
  // The tour has brought the browser to the front after navigating: keys
  // wait. The browser comes to the front by itself as it is shown, so the
  // program is brought to the front in between: well inside the frame wait,
  // or the browser stays behind it and gets no keys.
  bool WaitUntilBroughtToFront();
  // The row's keys have reached the browser: display wait.
  bool WaitUntilKeysSent();
  // The browser has refused to close: close wait, repeated.
  bool WaitUntilCloseRefused();

 protected:
  void SetUp() override;
  void TearDown() override;

  // Tours from now on wait whole page display times before their keys, as
  // pages that do not tell when they have loaded have them (ReadPages=0): for
  // a case that acts inside a wait of that length.
  void WaitWholePageDisplayTimes();
  // A setting that browser processes started from now on take up.
  void SetBrowserSetting(const wchar_t* name, DWORD value);
  void SetBrowserSetting(const wchar_t* name, const std::wstring& value);

  std::vector<LogLine> TimedBrowserLog() const;
  std::vector<std::string> BrowserLog() const;
  // The lines that begin with one of `kinds`, in order.
  std::vector<std::string> BrowserLog(std::initializer_list<const char*> kinds) const;
  // The lines of one browser process, from its start to the next start of a
  // browser: the tour's browsers run one after the other.
  std::vector<std::string> LogOfBrowser(std::size_t index,
                                        std::initializer_list<const char*> kinds) const;
  // Ids of the browser processes started so far, in order.
  std::vector<DWORD> BrowserProcesses() const;
  // Waits until `count` lines begin with `kind`.
  bool WaitForBrowserLog(const char* kind, std::size_t count, std::chrono::milliseconds timeout);
  // The frame of the newest browser is the foreground window.
  bool BrowserInFront() const;
  // Waits until every browser process has gone, so that the next browser
  // is not started while Wine is still tearing the last one down.
  bool WaitUntilNoBrowserRuns();

 private:
  static bool registered_;
};

}  // namespace vimbrel::e2e
