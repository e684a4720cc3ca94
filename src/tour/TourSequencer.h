#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Timer.h"
#include "tour/BrowserWindow.h"
#include "tour/PageLoad.h"

namespace vimbrel {

class Button;
class DesktopLock;
class StringGrid;
class TextField;
class TourBrowser;

// How a row of the tour ended.
enum class RowOutcome {
  Sent,      // its keys were sent
  HeldBack,  // its keys were held back: the browser was not in front
  NotFound,  // the browser's window never appeared
  Error,     // an error ended it
  Stopped,   // a stop request ended it before its keys
};

// A row once it has ended.
struct RowEnd {
  std::int32_t row = 0;
  std::string address;  // as the row started with it
  RowOutcome outcome = RowOutcome::Stopped;
  RowKeys keys;       // Sent and HeldBack: what was sent, or what was in front
  std::string error;  // Error: the error's message
  // The caption of a window that was still open when the wait for the
  // windows to close gave up.
  std::optional<std::string> left_open;
  // The captions of the row's windows once the page display time after its
  // keys was over, the one that got the keys first.
  std::vector<std::string> captions;
  // The keys waited for the page to load beyond the page display time: the
  // seconds from its window's finding to their search.
  std::optional<int> loading_seconds;
};

// How a tour ended.
enum class TourEnd {
  Finished,  // it went past the last row
  Stopped,   // a stop request was taken
  Halted,    // an error halted it
  Closed,    // the program ended during it
};

// What a tour does when nobody watches it. A tour that the user started
// waits as long as its browser needs and halts in the error box on an error;
// one that runs unattended ends every row in bounded time and goes on.
struct TourPolicy {
  // An error ends its row only: the browser is quit and its windows closed as
  // at a row's end, and the tour goes on with the next row. Nothing is shown.
  bool carries_on_after_errors = false;
  // Searches for the row's window, one page display time apart, before the
  // row ends as not found; 0 for no limit.
  int frame_searches = 0;
  // Ticks of the wait for the row's windows to close before it gives up on
  // them; 0 for no limit.
  int close_ticks = 0;
};
inline constexpr TourPolicy kAttendedTour{};
inline constexpr TourPolicy kUnattendedTour{true, 3, 20};

// What the tour tells its window. Called as a handler of the tour ends, also
// when an error is on its way out of it, so none may raise.
class TourObserver {
 public:
  // The row the tour is working on: CurrentRow while a tour runs, 0 once it
  // is idle, its stop has been taken, or it has halted.
  virtual void OnTourRowChanged(std::int32_t row) = 0;
  // A tour has started, before its first row.
  virtual void OnTourStarted() = 0;
  virtual void OnRowEnded(const RowEnd& row) = 0;
  // The tour is over; after Finished it is idle again, by itself.
  virtual void OnTourEnded(TourEnd how) = 0;
  // The tour button would now start a tour (true), or a tour runs, has
  // halted or waits for its stop (false).
  virtual void OnTourIdleChanged(bool idle) = 0;

 protected:
  ~TourObserver() = default;
};

// Sees a tour move: each step of it begin and end (a chain handler, and each
// call it makes into the browser), and each wait it arms for the next step.
// Called on the tour's thread, also while an error is on its way out of a
// step, so none may raise.
class TourProgress {
 public:
  // `row` and `address`: what the tour works on, the address empty before
  // the row has begun.
  virtual void Moved(std::int32_t row, const std::string& address) noexcept = 0;
  virtual void Waits(std::uint32_t interval_ms) noexcept = 0;

 protected:
  ~TourProgress() = default;
};

// Walks the data rows of the list on seven timers. For each row: open its
// address, wait the page display time, bring the browser to the front, send
// the row's keys, wait again, quit the browser, close the frames left, and go
// on. The tour button's caption is the visible state.
class TourSequencer {
 public:
  struct Parts {
    TimerService& timers;
    Button& tour_button;
    const TextField& page_time_field;  // in seconds
    const StringGrid& grid;
    TourBrowser& browser;  // until UseBrowser
    TourObserver& observer;
    DesktopLock& lock;  // held from a tour's start until it is over
    Clock& clock;       // its steady time: how long pages take to load
    // Sees the tours move; none when nothing watches them.
    TourProgress* progress = nullptr;
  };
  explicit TourSequencer(const Parts& parts);

  // The tour button: starts a tour the user watches when idle, asks a running
  // one to stop.
  void TourClick();
  // Starts a tour from idle. Raises when another copy of the program tours.
  void Start(const TourPolicy& policy);
  // No tour runs or waits for its stop: the tour button would start one.
  bool Idle() const;
  // The browser of the tours from now on; only while idle, so that a tour's
  // browser never changes in the middle.
  void UseBrowser(TourBrowser& browser);
  // The program is ending: a tour still running ends here, and no step of it
  // runs any more.
  void EndAtExit();
  // The page display time in milliseconds. Raises EConvertError, or
  // EConvertError for a time that no timer can wait (0 or less, too long).
  std::uint32_t PageDisplayInterval() const;

  void StopPollElapsed();
  void RowWaitElapsed();
  void FrameWaitElapsed();
  void PageLookElapsed();
  void KeysWaitElapsed();
  void DisplayWaitElapsed();
  void CloseWaitElapsed();

  bool StopRequested = false;
  std::int32_t CurrentRow = 0;

  TTimer StopPollTimer;
  TTimer RowWaitTimer;
  TTimer FrameWaitTimer;
  TTimer KeysWaitTimer;
  TTimer DisplayWaitTimer;
  TTimer CloseWaitTimer;
  // While pages are read: the looks at the row's page during the frame wait,
  // which may bring its search forward, or put it off while the page loads.
  TTimer PageLookTimer;

 private:
  // Marks a chain handler as running, also while it handles waiting messages.
  class ChainStep;
  // One call into the browser, a step of its own for the tour's progress:
  // Browser()->OpenBrowser(url).
  class BrowserCall;
  BrowserCall Browser();
  void ReportMove() noexcept;

  // The row being worked on, from its start to its end. Made value-initialized
  // (false and zeros): default member initializers in a nested class would
  // keep std::optional from making one while this class is being defined.
  struct Row {
    RowEnd end;
    bool quit;  // the browser has been told to quit for it
    int frame_searches;
    int close_ticks;
    // While pages are read: the wait before the keys, and the window that a
    // look found.
    std::optional<LoadWait> load_wait;
    WindowHandle window;
  };

  // Runs a chain step; an error that escapes it ends the row (and halts the
  // tour, unless the policy carries on).
  template <typename Step>
  void Guarded(Step&& step);
  void OnStepError(const std::exception& error);
  // A look at the row's window and its page: whether it has loaded.
  PageLoad LookAtPage(Row& row);
  // Brings the row's window to the front for the keys, or searches again
  // later, or gives up; or takes a stop. The frame wait and its looks end.
  void SearchForFrame(Row& row);
  // An unattended row after an error: its browser is quit and its windows
  // are closed, and the tour goes on.
  void AbandonRow();
  // The row being worked on, begun with its address when it is missing.
  Row& RowState();
  void QuitRowBrowser();
  // The windows are closed (or given up on): the next row, or the stop.
  void FinishRow();
  void EndRow();
  void EndTour(TourEnd how);

  // Arms a timer afresh: its first tick comes one interval from now.
  void Arm(TTimer& timer, std::uint32_t interval_ms);
  // No chain timer will tick and no chain handler is running: the tour was
  // halted by an error.
  bool ChainHalted() const;
  // Tells the observer the row the tour now works on, when that changed.
  void ReportTourRow() noexcept;
  // The tour button's caption, and whether the tour is idle now, when that
  // changed.
  void ShowTourState(const char* caption);

  Parts parts_;
  TourBrowser* browser_;
  TourPolicy policy_;
  bool touring_ = false;  // started and not yet over
  std::optional<Row> row_;
  int chain_depth_ = 0;
  std::int32_t reported_row_ = 0;
};

}  // namespace vimbrel
