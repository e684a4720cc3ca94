#include "tour/BrowserWindow.h"

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

bool BrowserWindow::BringBrowserToFront() {
  WindowHandle frame = frames_.FindFrame();
  if (frame == 0) return false;
  desktop_.SetForegroundWindow(frame);
  desktop_.ProcessMessages();
  return true;
}

void BrowserWindow::SendRowKeys(int row) {
  std::int32_t tabs = ReadIntField(grid_.Cell(kTabCountCol, row));
  std::int32_t reverse_tabs = tabs <= 0 ? ReadIntField(grid_.Cell(kReverseTabCountCol, row)) : 0;
  if (!BrowserIsForeground()) return;
  for (std::int32_t i = 0; i < tabs; ++i) Press(keys::kTab);
  for (std::int32_t i = 0; i < reverse_tabs; ++i) PressWith(keys::kShift, keys::kTab);
  Press(keys::kReturn);
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

}  // namespace vimbrel
