// The time a tour spends per row beyond its waits, against the test browser.
// A figure, not a test: `make bench` runs it with
//
//   e2e_tests.exe --gtest_also_run_disabled_tests --gtest_filter=TourBench.*
//
// A row's cycle from one RowWaitTimer tick to the next is 2N + 1.5 seconds of
// timers (N the page display time, no frame searched twice, no frame left to
// close); everything beyond is overhead. The browsers log the time of each
// event, so the cycle is measured from one navigation to the next.
#include <chrono>
#include <cstdio>
#include <numeric>

#include "BrowserTour.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "tour/BrowserSession.h"

namespace vimbrel::e2e {
namespace {

constexpr int kRows = 6;
constexpr int kPageSeconds = 1;

double Now() {
  using Milliseconds = std::chrono::duration<double, std::milli>;
  return Milliseconds(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Mean(const std::vector<double>& values) {
  if (values.empty()) return 0;
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// When each row's events reached its browser, in milliseconds.
struct RowTimes {
  double start = 0;     // the browser process is running
  double created = 0;   // the object has been handed to the program
  double navigate = 0;  // the address has arrived
  double key = 0;       // the first key of the row has arrived
  double quit = 0;      // "Quit" has arrived
};

class TourBench : public BrowserTourTest {
 protected:
  std::vector<RowTimes> RowsFromLog() const {
    std::vector<RowTimes> rows;
    for (const LogLine& line : TimedBrowserLog()) {
      const double at = static_cast<double>(line.micros) / 1000.0;
      const auto is = [&](const char* kind) { return line.text.rfind(kind, 0) == 0; };
      if (is("start ")) rows.emplace_back().start = at;
      if (rows.empty()) continue;
      RowTimes& row = rows.back();
      if (is("create")) row.created = at;
      if (is("invoke Navigate")) row.navigate = at;
      if ((is("keydown") || is("syskeydown")) && row.key == 0) row.key = at;
      if (is("invoke Quit")) row.quit = at;
    }
    return rows;
  }
};

TEST_F(TourBench, DISABLED_OverheadPerRow) {
  std::string list = "No,URL,x,y\r\n";
  for (int row = 1; row <= kRows; ++row) {
    list += std::to_string(row) + ",page" + std::to_string(row) + ".htm,2,0\r\n";
  }
  folder_.WriteListFile(list);
  SetBrowserSetting(browser::kLogTimes, 1);
  Start().MainWindow();
  SetPageTime(std::to_string(kPageSeconds));

  StartTour();
  ASSERT_TRUE(WaitForCaption(texts::kTourIdle, std::chrono::seconds(kRows * 10)));
  ExpectNoMessageBox();
  const std::vector<RowTimes> rows = RowsFromLog();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));

  const double timers_ms = 2000.0 * kPageSeconds + 1500.0;
  std::vector<double> cycles, creation, to_key, to_quit, quit_to_start;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    creation.push_back(rows[row].navigate - rows[row].start);
    // Frame wait and keys wait: N + 0.5 s of timers.
    to_key.push_back(rows[row].key - rows[row].navigate - (1000.0 * kPageSeconds + 500));
    // Display wait: N s.
    to_quit.push_back(rows[row].quit - rows[row].key - 1000.0 * kPageSeconds);
    if (row + 1 == rows.size()) break;
    cycles.push_back(rows[row + 1].navigate - rows[row].navigate);
    // Close wait and row wait: 1 s of timers, then the next browser starts.
    quit_to_start.push_back(rows[row + 1].start - rows[row].quit - 1000.0);
  }
  const double overhead = Mean(cycles) - timers_ms;
  std::printf("tour, %d rows, page display time %d s: cycle %.0f ms, of which timers %.0f ms\n",
              kRows, kPageSeconds, Mean(cycles), timers_ms);
  std::printf("tour overhead per row: %.0f ms (rows: ", overhead);
  for (double cycle : cycles) std::printf("%.0f ", cycle - timers_ms);
  std::printf("ms)\n");
  std::printf("  navigation to first key, beyond N + 0.5 s: %.1f ms\n", Mean(to_key));
  std::printf("  first key to Quit, beyond N:              %.1f ms\n", Mean(to_quit));
  std::printf("  Quit to the next browser's start, beyond 1 s: %.1f ms\n", Mean(quit_to_start));
  std::printf("  browser start to navigation:              %.1f ms\n", Mean(creation));
  EXPECT_GT(overhead, -100.0);
  EXPECT_LT(overhead, 10000.0);
  CloseExpectingCleanExit();

  // The same browser calls made here, outside the program, with nothing else
  // in between: what opening and quitting a browser costs under Wine.
  win32::ComApartment apartment;
  win32::Win32Automation automation;
  std::vector<double> opens, quits;
  for (int round = 0; round < 3; ++round) {
    BrowserSession session(automation);
    double start = Now();
    session.OpenBrowser("page.htm");
    opens.push_back(Now() - start);
    start = Now();
    session.QuitBrowser();
    quits.push_back(Now() - start);
    ASSERT_TRUE(WaitUntil([] { return !AnyBrowserFrame(); }, 5s));
  }
  std::printf("the test browser from here: OpenBrowser %.1f ms, QuitBrowser %.1f ms\n", Mean(opens),
              Mean(quits));
  std::printf("tour overhead per row beyond opening and quitting the browser: %.0f ms\n",
              overhead - Mean(opens) - Mean(quits));
}

}  // namespace
}  // namespace vimbrel::e2e
