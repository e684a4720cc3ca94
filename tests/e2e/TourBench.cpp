// The time a tour spends per row beyond its waits, against the test browser.
// A figure, not a test: `make bench` runs it with
//
//   e2e_tests.exe --gtest_also_run_disabled_tests --gtest_filter=TourBench.*
//
// A row's cycle from one RowWaitTimer tick to the next is 2N + 1.5 seconds of
// timers (N the page display time, no frame searched twice, no frame left to
// close) where the tour waits whole page display times (ReadPages=0);
// everything beyond is overhead. The browsers log the time of each
// event, so the cycle is measured from one navigation to the next. A bare
// client then makes the same calls of the same test browser in the same run;
// what the program takes beyond it is the program's share.
#include <chrono>
#include <cstdio>
#include <numeric>

#include "BrowserTour.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"

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

// The calls a row makes of its browser, straight through COM and nothing
// else: the class looked up, the object created, each member looked up and
// invoked as the tour does (five sizes and bars, Visible, Navigate; Quit).
class BareClient {
 public:
  BareClient() = default;
  BareClient(const BareClient&) = delete;
  BareClient& operator=(const BareClient&) = delete;
  ~BareClient() {
    if (browser_) browser_->Release();
  }

  void Open(const wchar_t* address) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(browser::kProgId, &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                               IID_IDispatch, reinterpret_cast<void**>(&browser_)),
              S_OK);
    for (const auto& [name, value] : {std::pair{L"Height", 400},
                                      {L"Width", 600},
                                      {L"MenuBar", 1},
                                      {L"StatusBar", 1},
                                      {L"ToolBar", 1}}) {
      VARIANTARG size;
      V_VT(&size) = VT_I4;
      V_I4(&size) = value;
      Call(name, DISPATCH_PROPERTYPUT, &size);
    }
    VARIANTARG visible;
    V_VT(&visible) = VT_BOOL;
    V_BOOL(&visible) = VARIANT_TRUE;
    Call(L"Visible", DISPATCH_PROPERTYPUT, &visible);
    BSTR text = SysAllocString(address);
    VARIANTARG where;
    V_VT(&where) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&where) = &text;
    Call(L"Navigate", DISPATCH_METHOD, &where);
    SysFreeString(text);
  }
  void Quit() {
    Call(L"Quit", DISPATCH_METHOD, nullptr);
    browser_->Release();
    browser_ = nullptr;
  }

 private:
  void Call(const wchar_t* name, WORD flags, VARIANTARG* argument) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID member = DISPID_UNKNOWN;
    ASSERT_EQ(browser_->GetIDsOfNames(IID_NULL, names, 1, GetThreadLocale(), &member), S_OK);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, argument ? 1u : 0u,
                      flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXPECT_EQ(browser_->Invoke(member, IID_NULL, 0, flags, &params, nullptr, nullptr, nullptr),
              S_OK);
  }

  IDispatch* browser_ = nullptr;
};

// When each row's events reached its browser, in milliseconds.
struct RowTimes {
  double start = 0;     // the browser process is running
  double offered = 0;   // it has offered its class
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
      if (is("offered")) row.offered = at;
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
  WaitWholePageDisplayTimes();
  SetBrowserSetting(browser::kLogTimes, 1);
  Start().MainWindow();
  SetPageTime(std::to_string(kPageSeconds));

  StartTour();
  ASSERT_TRUE(WaitForCaption(texts::kTourIdle, std::chrono::seconds(kRows * 10)));
  ExpectNoMessageBox();
  const std::vector<RowTimes> rows = RowsFromLog();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRows));

  const double timers_ms = 2000.0 * kPageSeconds + 1500.0;
  std::vector<double> cycles, to_key, to_quit, quit_to_start;
  for (std::size_t row = 0; row < rows.size(); ++row) {
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
  EXPECT_GT(overhead, -100.0);
  EXPECT_LT(overhead, 10000.0);
  CloseExpectingCleanExit();

  // The bare client, one browser after the other as the tour has them.
  win32::ComApartment apartment;
  std::vector<double> opens, quits;
  for (int round = 0; round < kRows; ++round) {
    BareClient client;
    double start = Now();
    client.Open(L"page.htm");
    ASSERT_FALSE(HasFatalFailure());
    opens.push_back(Now() - start);
    start = Now();
    client.Quit();
    quits.push_back(Now() - start);
    ASSERT_TRUE(WaitUntil([] { return !AnyBrowserFrame(); }, 5s));
  }
  std::printf("a bare client of the same browser: creation to navigation %.0f ms (rounds: ",
              Mean(opens));
  for (double open : opens) std::printf("%.0f ", open);
  std::printf("ms), Quit %.1f ms\n", Mean(quits));
  std::printf("the program's share per row, beyond the bare client: %.0f ms\n",
              overhead - Mean(opens) - Mean(quits));

  // Where a browser's creation goes, in the program's browsers and in the
  // bare client's, from the browsers' own log.
  const std::vector<RowTimes> all = RowsFromLog();
  ASSERT_EQ(all.size(), 2u * kRows);
  std::printf("%-36s %9s %12s\n", "each browser, mean", "program", "bare client");
  const auto phase = [&](const char* name, double RowTimes::*from, double RowTimes::*to) {
    std::vector<double> times[2];
    for (std::size_t row = 0; row < all.size(); ++row) {
      times[row / kRows].push_back(all[row].*to - all[row].*from);
    }
    std::printf("%-36s %6.1f ms %9.1f ms\n", name, Mean(times[0]), Mean(times[1]));
  };
  phase("  process start to class offered", &RowTimes::start, &RowTimes::offered);
  phase("  class offered to object created", &RowTimes::offered, &RowTimes::created);
  phase("  object created to navigation", &RowTimes::created, &RowTimes::navigate);
}

// A tour of 10 rows over pages that load in a second, at the default page
// display time, read (each row's keys a second after its page has loaded)
// and with ReadPages=0 (each row's keys after the whole page display time).
TEST_F(TourBench, DISABLED_PagesThatTellWhenTheyHaveLoaded) {
  constexpr int kLoadRows = 10;
  std::string list = "No,URL,x,y\r\n";
  for (int row = 1; row <= kLoadRows; ++row) list += std::to_string(row) + ",page.htm,2,0\r\n";
  folder_.WriteListFile(list);
  SetBrowserSetting(browser::kLoadMs, 1000);
  double seconds[2] = {};
  for (const bool read : {true, false}) {
    if (!read) WaitWholePageDisplayTimes();
    Start().MainWindow();
    const double start = Now();
    StartTour();
    ASSERT_TRUE(WaitForCaption(texts::kTourIdle, std::chrono::seconds(kLoadRows * 20)));
    seconds[read ? 0 : 1] = (Now() - start) / 1000;
    ExpectNoMessageBox();
    CloseExpectingCleanExit();
    ASSERT_TRUE(WaitUntilNoBrowserRuns());
  }
  std::printf(
      "tour of %d rows over pages that load in 1 s, page display time 6 s: read %.1f s, "
      "ReadPages=0 %.1f s, ratio %.2f\n",
      kLoadRows, seconds[0], seconds[1], seconds[0] / seconds[1]);
}

}  // namespace
}  // namespace vimbrel::e2e
