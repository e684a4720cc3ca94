#include "app/TryRowForm.h"

#include <algorithm>
#include <exception>

#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "tour/BrowserSession.h"
#include "tour/ReadIntField.h"
#include "tour/TourSequencer.h"

namespace vimbrel {

namespace {
constexpr int kAddressCol = 1;
constexpr int kTabCountCol = 2;
constexpr int kReverseTabCountCol = 3;
constexpr std::uint32_t kKeysWaitMs = 500;
constexpr int kMostTabs = 200;

std::string KeysText(const RowKeys& keys) {
  if (keys.reverse_tabs > 0)
    return cp932::FormatInt(texts::kTryRowKeysReverseTabs, keys.reverse_tabs);
  return cp932::FormatInt(texts::kTryRowKeysTabs, keys.tabs);
}

std::string FoundText(const RowKeys& keys) {
  if (keys.focus.kind == PageFocus::Kind::Unknown) return KeysText(keys) + texts::kTryRowNotTold;
  return KeysText(keys) + FocusText(keys.focus);
}
}  // namespace

// Marks an action as running, and tells the dialog when it starts and ends.
class TryRowForm::Busy {
 public:
  explicit Busy(TryRowForm& form) : form_(form), errors_(std::uncaught_exceptions()) {
    form_.view_.busy = true;
    form_.view_.count_found = false;
    form_.found_count_ = 0;
    form_.Show(texts::kTryRowOpening);
  }
  ~Busy() {
    form_.view_.busy = false;
    // The error box tells what went wrong.
    if (std::uncaught_exceptions() > errors_) form_.view_.result.clear();
    try {
      if (form_.closing_) {
        form_.CloseOpenedWindows();
      } else {
        // The user may open windows of their own while they look: those
        // are never closed here.
        form_.parts_.browser.FixRowWindows();
      }
    } catch (const std::exception&) {
      // What was opened is let go as it is.
    }
    if (form_.parts_.changed) form_.parts_.changed();
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  TryRowForm& form_;
  int errors_;  // on their way out when it began
};

TryRowForm::TryRowForm(Parts parts, int row) : parts_(std::move(parts)), row_(row) {
  view_.row = cp932::FillText(texts::kTryRowNumber, std::to_string(row));
  view_.address = parts_.grid.Cell(kAddressCol, row);
  view_.browser = parts_.browser_name;
  view_.tabs = parts_.grid.Cell(kTabCountCol, row);
  view_.reverse_tabs = parts_.grid.Cell(kReverseTabCountCol, row);
  parts_.browser.ReadPages(&parts_.page);
}

TryRowForm::~TryRowForm() { parts_.browser.ReadPages(nullptr); }

void TryRowForm::SendKeysClick() {
  if (view_.busy || closing_) return;
  // The counts before anything opens, as a tour row reads them before its
  // keys.
  const int tabs = ReadIntField(parts_.grid.Cell(kTabCountCol, row_));
  if (tabs <= 0) ReadIntField(parts_.grid.Cell(kReverseTabCountCol, row_));
  Busy busy(*this);
  if (!OpenRowWindow()) return;
  const RowKeys keys = parts_.browser.Window().PressRowKeys(row_, false);
  if (closing_) return;
  if (!keys.sent) return Show(cp932::FillText(texts::kTryRowNotInFront, keys.front_caption));
  Show(FoundText(keys));
}

void TryRowForm::SearchClick(std::string_view text) {
  if (view_.busy || closing_) return;
  if (text.empty()) return Show(texts::kTryRowNoSearchText);
  Busy busy(*this);
  if (!OpenRowWindow()) return;
  BrowserWindow& window = parts_.browser.Window();
  std::optional<PageFocus> focus = window.ReadFocus();
  if (!focus || closing_) return;
  if (focus->kind == PageFocus::Kind::Unknown) return Show(texts::kTryRowSearchNeedsTelling);
  for (int count = 1; count <= kMostTabs; ++count) {
    Show(cp932::FormatInt(texts::kTryRowSearching, count));
    focus = window.PressTab();
    if (closing_) return;
    if (!focus) {
      const WindowHandle front = parts_.desktop.ForegroundWindow();
      return Show(cp932::FillText(texts::kTryRowNotInFront, parts_.desktop.Caption(front)));
    }
    if (focus->kind == PageFocus::Kind::Unknown) return Show(texts::kTryRowSearchNeedsTelling);
    if (focus->kind == PageFocus::Kind::OutsidePage) break;
    if (FocusHolds(*focus, text)) {
      RowKeys found;
      found.tabs = count;
      found.focus = *focus;
      found_count_ = count;
      view_.count_found = true;
      return Show(FoundText(found));
    }
  }
  Show(texts::kTryRowNotFound);
}

void TryRowForm::UseCountClick() {
  if (view_.busy || !view_.count_found) return;
  view_.tabs = std::to_string(found_count_);
  parts_.edit_cell(kTabCountCol, row_, view_.tabs);
}

void TryRowForm::CloseClick() {
  closing_ = true;
  if (!view_.busy) CloseOpenedWindows();
}

bool TryRowForm::OpenRowWindow() {
  const std::uint32_t page_ms = PageDisplayInterval(parts_.page_time_field.Text());
  CloseOpenedWindows();
  opened_ = true;
  parts_.browser.OpenBrowser(view_.address);
  // As an unattended tour row waits: its page looked at until it has loaded,
  // its window searched for three times at the most.
  LoadWait wait(page_ms);
  WindowHandle window = 0;
  for (int search = 0; search < kUnattendedTour.frame_searches; ++search) {
    const std::uint64_t due = parts_.clock.SteadyMilliseconds() + page_ms;
    bool on_time = false;  // the search was due, and put off
    for (bool search_now = false; !search_now;) {
      if (!Wait(LoadWait::kLookMs)) return false;
      const std::uint64_t now = parts_.clock.SteadyMilliseconds();
      const PageLoad load = LookAtRowPage(parts_.browser.Window(), window, wait, now);
      if (!on_time && now >= due) {
        on_time = true;
        search_now = wait.SearchOnTime(now, load);
      } else {
        search_now = wait.SearchEarly(now, load);
      }
    }
    if (parts_.browser.BringBrowserToFront()) return Wait(kKeysWaitMs);
    wait.NotFound();
    window = 0;
  }
  Show(texts::kTryRowNoWindow);
  return false;
}

void TryRowForm::CloseOpenedWindows() {
  if (!opened_) return;
  opened_ = false;
  try {
    parts_.browser.QuitBrowser();
  } catch (const EOleSysError& error) {
    // Closed by the user already: nothing is left to close.
    if (!IsDisconnectedStatus(error.ErrorCode())) throw;
  }
}

bool TryRowForm::Wait(std::uint32_t ms) {
  if (closing_ || !parts_.desktop.WaitProcessingMessages(ms)) {
    closing_ = true;
    return false;
  }
  return !closing_;
}

void TryRowForm::Show(std::string result) {
  view_.result = std::move(result);
  if (parts_.changed) parts_.changed();
}

}  // namespace vimbrel
