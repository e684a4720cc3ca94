#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/BrowserPrograms.h"
#include "platform/Desktop.h"
#include "tour/BrowserWindow.h"
#include "tour/TourBrowser.h"

namespace vimbrel {

// "Edge" or "Chrome" for a browser that /browser= names so (in any letter
// case); none for a program's path, which says what it is itself.
std::optional<std::string> RegisteredBrowserName(const Path& browser);

// A browser of the Chromium family (Edge, Chrome and their kin) that the tour
// starts as a program for every row, with a new window for the row's address.
// Such a browser hands the request to a copy of itself that is already
// running, so the row's window is told by having come after the start: a
// visible, unowned top-level window of the browser's class with a caption
// that was not there before. Every such window is the row's (one that a link
// opened, too): the keys go only to them, and they are closed at the row's
// end. Windows that were there before (the user's own) never get a key and
// are never closed.
class StartedBrowser final : public TourBrowser, private BrowserFrames {
 public:
  // `browser`: "edge" or "chrome" in any letter case, found where Windows
  // registers them, or else the path of the browser's program.
  StartedBrowser(Desktop& desktop, BrowserPrograms& programs, const StringGrid& grid, Path browser)
      : desktop_(desktop),
        programs_(programs),
        browser_(std::move(browser)),
        window_(desktop, grid, *this) {}

  // Starts `"<program>" --new-window -- "<url>"`, or only --new-window when
  // `url` is empty. The address comes after "--", so that no row can reach
  // the browser as one of its switches. Raises EBrowserError when the browser
  // is not there or does not start.
  void OpenBrowser(std::string url) override;
  // Asks every window of the row to close.
  void QuitBrowser() override;
  bool BringBrowserToFront() override { return window_.BringBrowserToFront(); }
  RowKeys SendRowKeys(int row) override { return window_.SendRowKeys(row); }
  bool CloseBrowserFrame() override { return window_.CloseBrowserFrame(); }
  std::optional<std::string> WindowLeftOpen() override { return window_.FrameLeftOpen(); }

 private:
  // The program to start, looked up afresh for every row.
  Path Program();
  // The row's windows: the browser's visible, unowned windows with a caption
  // that were not there when the row started. Hidden windows and pop-ups of
  // the class are the browser's own workings, not pages.
  std::vector<WindowHandle> RowWindows();
  WindowHandle FindFrame() override;
  bool IsFrame(WindowHandle window) override;

  Desktop& desktop_;
  BrowserPrograms& programs_;
  Path browser_;
  // The browser's windows, in any state, when the row started; none before
  // the first row.
  std::optional<std::vector<WindowHandle>> before_row_;
  BrowserWindow window_;
};

}  // namespace vimbrel
