#include "tour/TourSequencer.h"

#include "list/StringGrid.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/Ui.h"
#include "tour/ReadIntField.h"
#include "tour/TourBrowser.h"

namespace vimbrel {

namespace {
constexpr std::uint32_t kStepInterval = 500;
constexpr std::uint32_t kLayoutPageInterval = 6000;
// The longest wait a system timer takes (USER_TIMER_MAXIMUM), in seconds.
constexpr std::int32_t kMaxPageSeconds = 0x7FFFFFFF / 1000;
constexpr int kAddressCol = 1;
}  // namespace

class TourSequencer::ChainStep {
 public:
  explicit ChainStep(TourSequencer& tour) : tour_(tour) { ++tour_.chain_depth_; }
  ~ChainStep() {
    --tour_.chain_depth_;
    tour_.ReportTourRow();
  }
  ChainStep(const ChainStep&) = delete;
  ChainStep& operator=(const ChainStep&) = delete;

 private:
  TourSequencer& tour_;
};

TourSequencer::TourSequencer(const Parts& parts)
    : StopPollTimer(parts.timers, kStepInterval),
      RowWaitTimer(parts.timers, kStepInterval),
      FrameWaitTimer(parts.timers, kLayoutPageInterval),
      KeysWaitTimer(parts.timers, kStepInterval),
      DisplayWaitTimer(parts.timers, kLayoutPageInterval),
      CloseWaitTimer(parts.timers, kStepInterval),
      parts_(parts) {
  StopPollTimer.OnTimer = [this] { StopPollElapsed(); };
  RowWaitTimer.OnTimer = [this] { RowWaitElapsed(); };
  FrameWaitTimer.OnTimer = [this] { FrameWaitElapsed(); };
  KeysWaitTimer.OnTimer = [this] { KeysWaitElapsed(); };
  DisplayWaitTimer.OnTimer = [this] { DisplayWaitElapsed(); };
  CloseWaitTimer.OnTimer = [this] { CloseWaitElapsed(); };
}

void TourSequencer::TourClick() {
  if (Idle()) {
    parts_.tour_button.SetCaption(texts::kTourRunning);
    StopRequested = false;
    CurrentRow = 1;
    Arm(RowWaitTimer, kStepInterval);
    ReportTourRow();
  } else {
    // The poll first: a stop that gets no timer leaves the button usable
    // instead of disabled with nothing left to enable it again.
    Arm(StopPollTimer, kStepInterval);
    parts_.tour_button.SetCaption(texts::kTourStopping);
    parts_.tour_button.SetEnabled(false);
    StopRequested = true;
  }
}

bool TourSequencer::Idle() const { return parts_.tour_button.Caption() == texts::kTourIdle; }

void TourSequencer::StopPollElapsed() {
  if (StopRequested && ChainHalted()) StopRequested = false;
  // A pending stop keeps the timer running rather than arming it again, so
  // that the poll never depends on the system granting a new timer.
  if (StopRequested) return;
  StopPollTimer.SetEnabled(false);
  parts_.tour_button.SetCaption(texts::kTourIdle);
  parts_.tour_button.SetEnabled(true);
}

void TourSequencer::RowWaitElapsed() {
  ChainStep step(*this);
  RowWaitTimer.SetEnabled(false);
  if (StopRequested) {
    StopRequested = false;
    return;
  }
  if (CurrentRow >= parts_.grid.RowCount()) {
    parts_.tour_button.SetCaption(texts::kTourIdle);
    parts_.observer.OnTourFinished();
    return;
  }
  // Read once, here: opening the browser lets other handlers edit the grid.
  parts_.browser.OpenBrowser(parts_.grid.Cell(kAddressCol, CurrentRow));
  Arm(FrameWaitTimer, PageDisplayInterval());
}

void TourSequencer::FrameWaitElapsed() {
  ChainStep step(*this);
  FrameWaitTimer.SetEnabled(false);
  if (parts_.browser.BringBrowserToFront()) {
    Arm(KeysWaitTimer, kStepInterval);
  } else if (StopRequested) {
    StopRequested = false;
  } else {
    Arm(FrameWaitTimer, FrameWaitTimer.Interval());
  }
}

void TourSequencer::KeysWaitElapsed() {
  ChainStep step(*this);
  KeysWaitTimer.SetEnabled(false);
  parts_.browser.SendRowKeys(CurrentRow);
  Arm(DisplayWaitTimer, PageDisplayInterval());
}

void TourSequencer::DisplayWaitElapsed() {
  ChainStep step(*this);
  DisplayWaitTimer.SetEnabled(false);
  parts_.browser.QuitBrowser();
  Arm(CloseWaitTimer, kStepInterval);
}

void TourSequencer::CloseWaitElapsed() {
  ChainStep step(*this);
  CloseWaitTimer.SetEnabled(false);
  if (parts_.browser.CloseBrowserFrame()) {
    Arm(CloseWaitTimer, kStepInterval);
  } else if (StopRequested) {
    StopRequested = false;
  } else {
    ++CurrentRow;
    Arm(RowWaitTimer, kStepInterval);
  }
}

void TourSequencer::Arm(TTimer& timer, std::uint32_t interval_ms) {
  // Disabled first, so that a timer left enabled by a refused start is
  // started again rather than taken as running.
  timer.SetEnabled(false);
  timer.SetInterval(interval_ms);
  timer.SetEnabled(true);
}

std::uint32_t TourSequencer::PageDisplayInterval() const {
  std::int32_t seconds = ReadIntField(parts_.page_time_field.Text());
  if (seconds <= 0 || seconds > kMaxPageSeconds) {
    throw EConvertError(cp932::FormatInt(texts::kErrorPageTimeRange, seconds));
  }
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

void TourSequencer::ReportTourRow() noexcept {
  const std::int32_t row = ChainHalted() ? 0 : CurrentRow;
  if (row == reported_row_) return;
  reported_row_ = row;
  parts_.observer.OnTourRowChanged(row);
}

bool TourSequencer::ChainHalted() const {
  if (chain_depth_ > 0) return false;
  for (const TTimer* timer :
       {&RowWaitTimer, &FrameWaitTimer, &KeysWaitTimer, &DisplayWaitTimer, &CloseWaitTimer}) {
    if (timer->Running()) return false;
  }
  return true;
}

}  // namespace vimbrel
