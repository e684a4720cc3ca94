#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/BrowserPrograms.h"
#include "platform/Desktop.h"
#include "tour/BrowserChoice.h"
#include "tour/BrowserWindow.h"
#include "tour/TourBrowser.h"

namespace vimbrel {

// A browser that the tour starts as a program for every row, with a new
// window for the row's address: one of the Chromium family (Edge, Chrome and
// their kin) or Firefox. Such a browser hands the request to a copy of itself
// that is already running, so the row's window is told by having come after
// the start: a visible, unowned top-level window of the browser's class with
// a caption that was not there before. Every such window is the row's (one
// that a link opened, too): the keys go only to them, and they are closed at
// the row's end. Windows that were there before (the user's own) never get a
// key and are never closed.
class StartedBrowser final : public TourBrowser, private BrowserFrames {
 public:
  // `browser`: Edge, Chrome or Firefox, found where Windows registers them,
  // or a browser's program.
  StartedBrowser(Desktop& desktop, BrowserPrograms& programs, const StringGrid& grid,
                 BrowserChoice browser)
      : desktop_(desktop),
        programs_(programs),
        browser_(std::move(browser)),
        firefox_(IsFirefox(browser_)),
        window_(desktop, grid, *this, firefox_ ? BrowserFamily::Firefox : BrowserFamily::Chromium) {
  }

  // A browser of the Chromium family: `"<program>" --new-window -- "<url>"`,
  // or only --new-window when `url` is empty. The address comes after "--",
  // so that no row can reach the browser as one of its switches.
  // Firefox: `"<program>" -new-window "<url>"`, about:blank for an empty
  // `url`. Firefox has no "--" and takes an argument that begins with "-" or
  // "/" for a switch, so such an address is refused before anything starts.
  // Raises EBrowserError when the address is refused, or the browser is not
  // there or does not start.
  void OpenBrowser(std::string url) override;
  // Asks every window of the row to close.
  void QuitBrowser() override;
  bool BringBrowserToFront() override { return window_.BringBrowserToFront(); }
  RowKeys SendRowKeys(int row) override { return window_.SendRowKeys(row); }
  bool CloseBrowserFrame() override { return window_.CloseBrowserFrame(); }
  std::optional<std::string> WindowLeftOpen() override { return window_.FrameLeftOpen(); }
  void ReadPages(PageView* page) override { window_.ReadPages(page); }
  std::vector<std::string> WindowCaptions() override { return window_.FrameCaptions(); }
  BrowserWindow& Window() override { return window_; }
  void FixRowWindows() override { fixed_ = RowWindows(); }

 private:
  // The program to start, looked up afresh for every row.
  Path Program();
  // The row's windows: the browser's visible, unowned windows with a caption
  // that were not there when the row started. Hidden windows and pop-ups of
  // the class are the browser's own workings, not pages.
  std::vector<WindowHandle> RowWindows();
  WindowHandle FindFrame() override;
  bool IsFrame(WindowHandle window) override;
  std::vector<WindowHandle> OpenFrames() override { return RowWindows(); }

  Desktop& desktop_;
  BrowserPrograms& programs_;
  const char* WindowClass() const;

  BrowserChoice browser_;
  bool firefox_;
  // The browser's windows, in any state, when the row started; none before
  // the first row.
  std::optional<std::vector<WindowHandle>> before_row_;
  // The row's windows as FixRowWindows found them; none until it is called.
  std::optional<std::vector<WindowHandle>> fixed_;
  BrowserWindow window_;
};

}  // namespace vimbrel
