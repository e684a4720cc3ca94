#include "tour/TourSequencer.h"

#include "list/StringGrid.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/Ui.h"
#include "tour/BrowserSession.h"
#include "tour/BrowserWindow.h"
#include "tour/ReadIntField.h"

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
  ~ChainStep() { --tour_.chain_depth_; }
  ChainStep(const ChainStep&) = delete;
  ChainStep& operator=(const ChainStep&) = delete;

 private:
  TourSequencer& tour_;
};

TourSequencer::TourSequencer(const Parts& parts)
    : timStop(parts.timers, kStepInterval),
      timRow(parts.timers, kStepInterval),
      timIEFront(parts.timers, kLayoutPageInterval),
      timTAB(parts.timers, kStepInterval),
      timIEend(parts.timers, kLayoutPageInterval),
      timIESubend(parts.timers, kStepInterval),
      parts_(parts) {
  timStop.OnTimer = [this] { timStopTimer(); };
  timRow.OnTimer = [this] { timRowTimer(); };
  timIEFront.OnTimer = [this] { timIEFrontTimer(); };
  timTAB.OnTimer = [this] { timTABTimer(); };
  timIEend.OnTimer = [this] { timIEendTimer(); };
  timIESubend.OnTimer = [this] { timIESubendTimer(); };
}

void TourSequencer::Button5Click() {
  if (parts_.tour_button.Caption() == texts::kTourIdle) {
    parts_.tour_button.SetCaption(texts::kTourRunning);
    StopRequested = false;
    CurrentRow = 1;
    Arm(timRow, kStepInterval);
  } else {
    // The poll first: a stop that gets no timer leaves the button usable
    // instead of disabled with nothing left to enable it again.
    Arm(timStop, kStepInterval);
    parts_.tour_button.SetCaption(texts::kTourStopping);
    parts_.tour_button.SetEnabled(false);
    StopRequested = true;
  }
}

void TourSequencer::timStopTimer() {
  if (StopRequested && ChainHalted()) StopRequested = false;
  // A pending stop keeps the timer running rather than arming it again, so
  // that the poll never depends on the system granting a new timer.
  if (StopRequested) return;
  timStop.SetEnabled(false);
  parts_.tour_button.SetCaption(texts::kTourIdle);
  parts_.tour_button.SetEnabled(true);
}

void TourSequencer::timRowTimer() {
  ChainStep step(*this);
  timRow.SetEnabled(false);
  if (StopRequested) {
    StopRequested = false;
    return;
  }
  if (CurrentRow >= parts_.grid.RowCount()) {
    parts_.tour_button.SetCaption(texts::kTourIdle);
    return;
  }
  parts_.browser.OpenBrowser(parts_.grid.Cell(kAddressCol, CurrentRow));
  Arm(timIEFront, PageDisplayInterval());
}

void TourSequencer::timIEFrontTimer() {
  ChainStep step(*this);
  timIEFront.SetEnabled(false);
  if (parts_.browser_window.BringBrowserToFront()) {
    Arm(timTAB, kStepInterval);
  } else if (StopRequested) {
    StopRequested = false;
  } else {
    Arm(timIEFront, timIEFront.Interval());
  }
}

void TourSequencer::timTABTimer() {
  ChainStep step(*this);
  timTAB.SetEnabled(false);
  parts_.browser_window.SendRowKeys(CurrentRow);
  Arm(timIEend, PageDisplayInterval());
}

void TourSequencer::timIEendTimer() {
  ChainStep step(*this);
  timIEend.SetEnabled(false);
  parts_.browser.QuitBrowser();
  Arm(timIESubend, kStepInterval);
}

void TourSequencer::timIESubendTimer() {
  ChainStep step(*this);
  timIESubend.SetEnabled(false);
  if (parts_.browser_window.CloseBrowserFrame()) {
    Arm(timIESubend, kStepInterval);
  } else if (StopRequested) {
    StopRequested = false;
  } else {
    ++CurrentRow;
    Arm(timRow, kStepInterval);
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
  std::int32_t seconds = ReadIntField(parts_.page_time.Text());
  if (seconds <= 0 || seconds > kMaxPageSeconds) {
    throw EConvertError(cp932::FormatInt(texts::kErrorPageTimeRange, seconds));
  }
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

bool TourSequencer::ChainHalted() const {
  if (chain_depth_ > 0) return false;
  for (const TTimer* timer : {&timRow, &timIEFront, &timTAB, &timIEend, &timIESubend}) {
    if (timer->Running()) return false;
  }
  return true;
}

}  // namespace vimbrel
