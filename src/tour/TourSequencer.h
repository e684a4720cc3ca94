#pragma once

#include <cstdint>

#include "platform/Timer.h"

namespace vimbrel {

class Button;
class StringGrid;
class TextField;
class TourBrowser;

// What the tour tells its window. Called as a handler of the tour ends, also
// when an error is on its way out of it, so neither may raise.
class TourObserver {
 public:
  // The row the tour is working on: CurrentRow while a tour runs, 0 once it
  // is idle, its stop has been taken, or it has halted.
  virtual void OnTourRowChanged(std::int32_t row) = 0;
  // The tour went past the last row and is idle again, by itself.
  virtual void OnTourFinished() = 0;

 protected:
  ~TourObserver() = default;
};

// Walks the data rows of the list on six timers. For each row: open its
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
    TourBrowser& browser;
    TourObserver& observer;
  };
  explicit TourSequencer(const Parts& parts);

  // The tour button: starts a tour when idle, asks a running one to stop.
  void TourClick();
  // No tour runs or waits for its stop: the tour button would start one.
  bool Idle() const;

  void StopPollElapsed();
  void RowWaitElapsed();
  void FrameWaitElapsed();
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

 private:
  // Marks a chain handler as running, also while it handles waiting messages.
  class ChainStep;

  // Arms a timer afresh: its first tick comes one interval from now.
  void Arm(TTimer& timer, std::uint32_t interval_ms);
  // The page display time in milliseconds. Raises EConvertError, or
  // EConvertError for a time that no timer can wait (0 or less, too long).
  std::uint32_t PageDisplayInterval() const;
  // No chain timer will tick and no chain handler is running: the tour was
  // halted by an error.
  bool ChainHalted() const;
  // Tells the observer the row the tour now works on, when that changed.
  void ReportTourRow() noexcept;

  Parts parts_;
  int chain_depth_ = 0;
  std::int32_t reported_row_ = 0;
};

}  // namespace vimbrel
