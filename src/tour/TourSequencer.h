#pragma once

#include <cstdint>

#include "platform/Timer.h"

namespace vimbrel {

class BrowserSession;
class BrowserWindow;
class Button;
class StringGrid;
class TextField;

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
    BrowserSession& browser;
    BrowserWindow& browser_window;
  };
  explicit TourSequencer(const Parts& parts);

  // The tour button: starts a tour when idle, asks a running one to stop.
  void TourClick();

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

  Parts parts_;
  int chain_depth_ = 0;
};

}  // namespace vimbrel
