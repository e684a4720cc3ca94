#include "tour/TourSequencer.h"

#include <stdexcept>

#include "list/StringGrid.h"
#include "platform/DesktopLock.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/Ui.h"
#include "tour/ReadIntField.h"
#include "tour/TourBrowser.h"

namespace vimbrel {

namespace {
constexpr std::uint32_t kStepInterval = 500;
constexpr std::uint32_t kLayoutPageInterval = 6000;
constexpr int kAddressCol = 1;
}  // namespace

class TourSequencer::ChainStep {
 public:
  explicit ChainStep(TourSequencer& tour) : tour_(tour) {
    ++tour_.chain_depth_;
    tour_.ReportMove();
  }
  ~ChainStep() {
    --tour_.chain_depth_;
    tour_.ReportTourRow();
    tour_.ReportMove();
  }
  ChainStep(const ChainStep&) = delete;
  ChainStep& operator=(const ChainStep&) = delete;

 private:
  TourSequencer& tour_;
};

class TourSequencer::BrowserCall {
 public:
  explicit BrowserCall(TourSequencer& tour) : tour_(tour) { tour_.ReportMove(); }
  ~BrowserCall() { tour_.ReportMove(); }
  BrowserCall(const BrowserCall&) = delete;
  BrowserCall& operator=(const BrowserCall&) = delete;

  TourBrowser* operator->() const { return tour_.browser_; }

 private:
  TourSequencer& tour_;
};

TourSequencer::BrowserCall TourSequencer::Browser() { return BrowserCall(*this); }

void TourSequencer::ReportMove() noexcept {
  if (!parts_.progress) return;
  if (row_) {
    parts_.progress->Moved(CurrentRow, row_->end.address);
  } else {
    parts_.progress->Moved(CurrentRow, std::string());
  }
}

TourSequencer::TourSequencer(const Parts& parts)
    : StopPollTimer(parts.timers, kStepInterval),
      RowWaitTimer(parts.timers, kStepInterval),
      FrameWaitTimer(parts.timers, kLayoutPageInterval),
      KeysWaitTimer(parts.timers, kStepInterval),
      DisplayWaitTimer(parts.timers, kLayoutPageInterval),
      CloseWaitTimer(parts.timers, kStepInterval),
      PageLookTimer(parts.timers, LoadWait::kLookMs),
      parts_(parts),
      browser_(&parts.browser) {
  StopPollTimer.OnTimer = [this] { StopPollElapsed(); };
  RowWaitTimer.OnTimer = [this] { RowWaitElapsed(); };
  FrameWaitTimer.OnTimer = [this] { FrameWaitElapsed(); };
  KeysWaitTimer.OnTimer = [this] { KeysWaitElapsed(); };
  DisplayWaitTimer.OnTimer = [this] { DisplayWaitElapsed(); };
  CloseWaitTimer.OnTimer = [this] { CloseWaitElapsed(); };
  PageLookTimer.OnTimer = [this] { PageLookElapsed(); };
}

void TourSequencer::TourClick() {
  if (Idle()) {
    Start(kAttendedTour);
  } else {
    // The poll first: a stop that gets no timer leaves the button usable
    // instead of disabled with nothing left to enable it again.
    Arm(StopPollTimer, kStepInterval);
    ShowTourState(texts::kTourStopping);
    parts_.tour_button.SetEnabled(false);
    StopRequested = true;
  }
}

void TourSequencer::Start(const TourPolicy& policy) {
  if (!parts_.lock.TryAcquire()) throw Exception(texts::kErrorOtherTourRunning);
  policy_ = policy;
  touring_ = true;
  row_.reset();
  ShowTourState(texts::kTourRunning);
  StopRequested = false;
  CurrentRow = 1;
  parts_.observer.OnTourStarted();
  Guarded([this] { Arm(RowWaitTimer, kStepInterval); });
  ReportTourRow();
  ReportMove();
}

bool TourSequencer::Idle() const { return parts_.tour_button.Caption() == texts::kTourIdle; }

void TourSequencer::UseBrowser(TourBrowser& browser) {
  if (!Idle()) throw std::logic_error("the browser changes only between tours");
  browser_ = &browser;
}

void TourSequencer::EndAtExit() {
  for (TTimer* timer : {&RowWaitTimer, &FrameWaitTimer, &PageLookTimer, &KeysWaitTimer,
                        &DisplayWaitTimer, &CloseWaitTimer}) {
    timer->SetEnabled(false);
  }
  EndTour(TourEnd::Closed);
  ReportTourRow();
}

void TourSequencer::StopPollElapsed() {
  if (StopRequested && ChainHalted()) StopRequested = false;
  // A pending stop keeps the timer running rather than arming it again, so
  // that the poll never depends on the system granting a new timer.
  if (StopRequested) return;
  StopPollTimer.SetEnabled(false);
  ShowTourState(texts::kTourIdle);
  parts_.tour_button.SetEnabled(true);
}

void TourSequencer::RowWaitElapsed() {
  ChainStep step(*this);
  RowWaitTimer.SetEnabled(false);
  if (StopRequested) {
    StopRequested = false;
    EndTour(TourEnd::Stopped);
    return;
  }
  if (CurrentRow >= parts_.grid.RowCount()) {
    ShowTourState(texts::kTourIdle);
    EndTour(TourEnd::Finished);
    return;
  }
  // Read once, here: opening the browser lets other handlers edit the grid.
  Row& row = RowState();
  Guarded([this, &row] {
    Browser()->OpenBrowser(row.end.address);
    const std::uint32_t page_ms = PageDisplayInterval();
    if (browser_->Window().ReadsPages()) {
      row.load_wait.emplace(page_ms);
      Arm(PageLookTimer, LoadWait::kLookMs);
    }
    Arm(FrameWaitTimer, page_ms);
  });
}

void TourSequencer::FrameWaitElapsed() {
  ChainStep step(*this);
  FrameWaitTimer.SetEnabled(false);
  Guarded([this] {
    Row& row = RowState();
    // A page still loading puts the search off; a look brings it on.
    if (row.load_wait &&
        !row.load_wait->SearchOnTime(parts_.clock.SteadyMilliseconds(), LookAtPage(row))) {
      return;
    }
    SearchForFrame(row);
  });
}

void TourSequencer::PageLookElapsed() {
  if (!row_ || !row_->load_wait) return PageLookTimer.SetEnabled(false);
  Guarded([this] {
    Row& row = *row_;
    // The timer goes on ticking: no new timer is asked of the system.
    const PageLoad load = LookAtPage(row);
    if (!row.load_wait->SearchEarly(parts_.clock.SteadyMilliseconds(), load)) return;
    // The search is a step of the tour's, as at the end of the frame wait.
    ChainStep step(*this);
    SearchForFrame(row);
  });
}

PageLoad TourSequencer::LookAtPage(Row& row) {
  // Part of the frame wait, not a step that moves the tour on: every read is
  // bounded, and a tour whose steps no longer come is hung however its page
  // is looked at.
  return LookAtRowPage(browser_->Window(), row.window, *row.load_wait,
                       parts_.clock.SteadyMilliseconds());
}

void TourSequencer::SearchForFrame(Row& row) {
  FrameWaitTimer.SetEnabled(false);
  PageLookTimer.SetEnabled(false);
  ++row.frame_searches;
  if (Browser()->BringBrowserToFront()) {
    if (row.load_wait) {
      row.end.loading_seconds = row.load_wait->LoadingSeconds(parts_.clock.SteadyMilliseconds());
    }
    Arm(KeysWaitTimer, kStepInterval);
  } else if (StopRequested) {
    StopRequested = false;
    row.end.outcome = RowOutcome::Stopped;
    EndRow();
    EndTour(TourEnd::Stopped);
  } else if (policy_.frame_searches != 0 && row.frame_searches >= policy_.frame_searches) {
    row.end.outcome = RowOutcome::NotFound;
    QuitRowBrowser();
    Arm(CloseWaitTimer, kStepInterval);
  } else {
    if (row.load_wait) {
      // Looked for afresh, from the next look on.
      row.load_wait->NotFound();
      row.window = 0;
      Arm(PageLookTimer, LoadWait::kLookMs);
    }
    Arm(FrameWaitTimer, FrameWaitTimer.Interval());
  }
}

void TourSequencer::KeysWaitElapsed() {
  ChainStep step(*this);
  KeysWaitTimer.SetEnabled(false);
  Guarded([this] {
    Row& row = RowState();
    row.end.keys = Browser()->SendRowKeys(CurrentRow);
    row.end.outcome = row.end.keys.sent ? RowOutcome::Sent : RowOutcome::HeldBack;
    Arm(DisplayWaitTimer, PageDisplayInterval());
  });
}

void TourSequencer::DisplayWaitElapsed() {
  ChainStep step(*this);
  DisplayWaitTimer.SetEnabled(false);
  Guarded([this] {
    RowState().end.captions = Browser()->WindowCaptions();
    QuitRowBrowser();
    Arm(CloseWaitTimer, kStepInterval);
  });
}

void TourSequencer::CloseWaitElapsed() {
  ChainStep step(*this);
  CloseWaitTimer.SetEnabled(false);
  Guarded([this] {
    Row& row = RowState();
    ++row.close_ticks;
    if (policy_.close_ticks != 0 && row.close_ticks >= policy_.close_ticks) {
      row.end.left_open = Browser()->WindowLeftOpen();
      if (row.end.left_open) return FinishRow();
    }
    if (Browser()->CloseBrowserFrame()) {
      Arm(CloseWaitTimer, kStepInterval);
    } else {
      FinishRow();
    }
  });
}

template <typename Step>
void TourSequencer::Guarded(Step&& step) {
  try {
    step();
  } catch (const std::exception& error) {
    OnStepError(error);
  }
}

void TourSequencer::OnStepError(const std::exception& error) {
  // An error in a look ends the frame wait with it.
  FrameWaitTimer.SetEnabled(false);
  PageLookTimer.SetEnabled(false);
  // A row's first error is the one that ended it.
  if (row_ && row_->end.outcome != RowOutcome::Error) {
    row_->end.outcome = RowOutcome::Error;
    row_->end.error = MessageOf(error);
  }
  if (!policy_.carries_on_after_errors) {
    if (row_) EndRow();
    EndTour(TourEnd::Halted);
    throw;
  }
  if (row_) {
    AbandonRow();
  } else {
    EndTour(TourEnd::Halted);
  }
}

void TourSequencer::AbandonRow() {
  if (!row_->quit) {
    try {
      QuitRowBrowser();
    } catch (const std::exception&) {
      // The row's line tells its first error; the windows are closed all the same.
    }
  }
  try {
    Arm(CloseWaitTimer, kStepInterval);
  } catch (const std::exception&) {
    // Without a timer no tour can go on.
    EndRow();
    EndTour(TourEnd::Halted);
  }
}

TourSequencer::Row& TourSequencer::RowState() {
  if (!row_) {
    row_.emplace();
    row_->end.row = CurrentRow;
    row_->end.address = parts_.grid.Cell(kAddressCol, CurrentRow);
  }
  return *row_;
}

void TourSequencer::QuitRowBrowser() {
  RowState().quit = true;
  Browser()->QuitBrowser();
}

void TourSequencer::FinishRow() {
  EndRow();
  if (StopRequested) {
    StopRequested = false;
    EndTour(TourEnd::Stopped);
  } else {
    ++CurrentRow;
    Arm(RowWaitTimer, kStepInterval);
  }
}

void TourSequencer::EndRow() {
  // Once the program has ended the tour, what its last step finishes is not
  // reported.
  if (touring_) parts_.observer.OnRowEnded(row_->end);
  row_.reset();
  PageLookTimer.SetEnabled(false);
}

void TourSequencer::EndTour(TourEnd how) {
  if (!touring_) return;
  touring_ = false;
  parts_.lock.Release();
  parts_.observer.OnTourEnded(how);
}

void TourSequencer::Arm(TTimer& timer, std::uint32_t interval_ms) {
  // Disabled first, so that a timer left enabled by a refused start is
  // started again rather than taken as running.
  timer.SetEnabled(false);
  timer.SetInterval(interval_ms);
  if (parts_.progress) parts_.progress->Waits(interval_ms);
  timer.SetEnabled(true);
}

std::uint32_t TourSequencer::PageDisplayInterval() const {
  return vimbrel::PageDisplayInterval(parts_.page_time_field.Text());
}

void TourSequencer::ShowTourState(const char* caption) {
  const bool was_idle = Idle();
  parts_.tour_button.SetCaption(caption);
  if (Idle() != was_idle) parts_.observer.OnTourIdleChanged(!was_idle);
}

void TourSequencer::ReportTourRow() noexcept {
  const std::int32_t row = ChainHalted() ? 0 : CurrentRow;
  if (row == reported_row_) return;
  reported_row_ = row;
  parts_.observer.OnTourRowChanged(row);
}

bool TourSequencer::ChainHalted() const {
  if (chain_depth_ > 0) return false;
  for (const TTimer* timer : {&RowWaitTimer, &FrameWaitTimer, &PageLookTimer, &KeysWaitTimer,
                              &DisplayWaitTimer, &CloseWaitTimer}) {
    if (timer->Running()) return false;
  }
  return true;
}

}  // namespace vimbrel
