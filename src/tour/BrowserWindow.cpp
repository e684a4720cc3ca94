#include "tour/BrowserWindow.h"

#include <algorithm>

#include "list/StringGrid.h"
#include "tour/ReadIntField.h"

namespace vimbrel {

namespace {
constexpr char kFrameClass[] = "IEFrame";
constexpr int kTabCountCol = 2;
constexpr int kReverseTabCountCol = 3;
}  // namespace

WindowHandle InternetExplorerFrames::FindFrame() {
  return desktop_.FindTopLevelWindow(kFrameClass);
}

bool InternetExplorerFrames::IsFrame(WindowHandle window) {
  return desktop_.HasClass(window, kFrameClass);
}

std::vector<WindowHandle> InternetExplorerFrames::OpenFrames() {
  std::vector<WindowHandle> open;
  for (const TopLevelWindow& window : desktop_.TopLevelWindows(kFrameClass)) {
    if (window.visible) open.push_back(window.handle);
  }
  return open;
}

bool BrowserWindow::BringBrowserToFront() {
  WindowHandle frame = frames_.FindFrame();
  if (frame == 0) return false;
  // At once, so that the page has filled in what it tells by the keys.
  SwitchOn(frame);
  desktop_.SetForegroundWindow(frame);
  desktop_.ProcessMessages();
  return true;
}

void BrowserWindow::SwitchOn(WindowHandle frame) {
  if (!page_ || frame == switched_on_) return;
  page_->SwitchOn(frame, family_);
  switched_on_ = frame;
}

PageLoad BrowserWindow::LoadOf(WindowHandle frame) {
  if (!page_) return PageLoad::Unknown;
  return page_->Load(frame, family_);
}

RowKeys BrowserWindow::SendRowKeys(int row) { return PressRowKeys(row, true); }

RowKeys BrowserWindow::PressRowKeys(int row, bool enter) {
  RowKeys row_keys;
  row_keys.tabs = std::max(0, ReadIntField(grid_.Cell(kTabCountCol, row)));
  if (row_keys.tabs == 0) {
    row_keys.reverse_tabs = std::max(0, ReadIntField(grid_.Cell(kReverseTabCountCol, row)));
  }
  if (!BrowserIsForeground()) {
    HoldBack(row_keys);
    return row_keys;
  }
  keys_window_ = desktop_.ForegroundWindow();
  for (std::int32_t i = 0; i < row_keys.tabs; ++i) Press(keys::kTab);
  for (std::int32_t i = 0; i < row_keys.reverse_tabs; ++i) PressWith(keys::kShift, keys::kTab);
  if (page_) {
    std::optional<PageFocus> focus = page_->SettledFocus(keys_window_, family_);
    // The program is ending: the page gets nothing more from it.
    if (!focus) return row_keys;
    row_keys.focus = std::move(*focus);
    // The messages handled meanwhile may have brought another window forward.
    if (enter && !BrowserIsForeground()) {
      HoldBack(row_keys);
      return row_keys;
    }
  }
  if (enter) Press(keys::kReturn);
  row_keys.sent = true;
  return row_keys;
}

std::optional<PageFocus> BrowserWindow::PressTab() {
  if (!BrowserIsForeground()) return std::nullopt;
  keys_window_ = desktop_.ForegroundWindow();
  Press(keys::kTab);
  return ReadFocus();
}

std::optional<PageFocus> BrowserWindow::ReadFocus() {
  if (!page_) return PageFocus();
  const WindowHandle frame =
      BrowserIsForeground() ? desktop_.ForegroundWindow() : frames_.FindFrame();
  if (frame == 0) return PageFocus();
  return page_->SettledFocus(frame, family_);
}

void BrowserWindow::HoldBack(RowKeys& row_keys) {
  const WindowHandle front = desktop_.ForegroundWindow();
  if (front != 0) row_keys.front_caption = desktop_.Caption(front);
}

std::vector<std::string> BrowserWindow::FrameCaptions() {
  std::vector<WindowHandle> frames = frames_.OpenFrames();
  const auto keys_frame = std::find(frames.begin(), frames.end(), keys_window_);
  if (keys_frame != frames.end()) std::rotate(frames.begin(), keys_frame, keys_frame + 1);
  std::vector<std::string> captions;
  for (WindowHandle frame : frames) captions.push_back(desktop_.Caption(frame));
  return captions;
}

bool BrowserWindow::CloseBrowserFrame() {
  WindowHandle frame = frames_.FindFrame();
  if (frame == 0) return false;
  desktop_.SetForegroundWindow(frame);
  desktop_.ProcessMessages();
  if (BrowserIsForeground()) {
    PressWith(keys::kMenu, keys::kF4);
  } else {
    desktop_.RequestClose(frame);
  }
  return true;
}

std::optional<std::string> BrowserWindow::FrameLeftOpen() {
  const WindowHandle frame = frames_.FindFrame();
  if (frame == 0) return std::nullopt;
  return desktop_.Caption(frame);
}

bool BrowserWindow::BrowserIsForeground() {
  WindowHandle foreground = desktop_.ForegroundWindow();
  return foreground != 0 && frames_.IsFrame(foreground);
}

void BrowserWindow::Press(std::uint8_t key) {
  desktop_.KeyEvent(key, keys::kKeyDown);
  desktop_.KeyEvent(key, keys::kKeyUp);
}

void BrowserWindow::PressWith(std::uint8_t modifier, std::uint8_t key) {
  desktop_.KeyEvent(modifier, keys::kKeyDown);
  Press(key);
  desktop_.KeyEvent(modifier, keys::kKeyUp);
}

PageLoad LookAtRowPage(BrowserWindow& window, WindowHandle& found, LoadWait& wait,
                       std::uint64_t now) {
  if (found == 0) {
    found = window.FindFrame();
    if (found == 0) return PageLoad::Unknown;
    wait.Found(now);
    window.SwitchOn(found);
  }
  return window.LoadOf(found);
}

}  // namespace vimbrel
