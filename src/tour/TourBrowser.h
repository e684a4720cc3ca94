#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tour/BrowserSession.h"
#include "tour/BrowserWindow.h"

namespace vimbrel {

// The browser as the tour works it, one row after another: open the row's
// address, bring the browser's window to the front, send the row's keys, quit,
// and close the windows that are left.
class TourBrowser {
 public:
  virtual ~TourBrowser() = default;
  // Raises the browser's errors; the tour then halts.
  virtual void OpenBrowser(std::string url) = 0;
  virtual void QuitBrowser() = 0;
  // Whether the browser's window was found (and brought to the front).
  virtual bool BringBrowserToFront() = 0;
  // Raises EConvertError for a count that is not a number, before any key.
  virtual RowKeys SendRowKeys(int row) = 0;
  // Whether a window was left to close (and was sent Alt+F4).
  virtual bool CloseBrowserFrame() = 0;
  // The caption of a window that is still open, touching none; none when
  // every window has closed.
  virtual std::optional<std::string> WindowLeftOpen() = 0;
  // The pages of the row's windows are read through `page` from now on; none
  // reads nothing.
  virtual void ReadPages(PageView* page) = 0;
  // The captions of the row's windows, the one that got the keys first;
  // touching none.
  virtual std::vector<std::string> WindowCaptions() = 0;
  // The row's windows and the keys sent to them.
  virtual BrowserWindow& Window() = 0;
  // Until the next OpenBrowser, the row's windows are those open now: one
  // that opens later is not the row's, and QuitBrowser leaves it alone.
  virtual void FixRowWindows() = 0;
};

// Internet Explorer through its automation object, and its "IEFrame" windows.
class InternetExplorer final : public TourBrowser {
 public:
  InternetExplorer(BrowserSession& session, BrowserWindow& window)
      : session_(session), window_(window) {}
  void OpenBrowser(std::string url) override { session_.OpenBrowser(std::move(url)); }
  void QuitBrowser() override { session_.QuitBrowser(); }
  bool BringBrowserToFront() override { return window_.BringBrowserToFront(); }
  RowKeys SendRowKeys(int row) override { return window_.SendRowKeys(row); }
  bool CloseBrowserFrame() override { return window_.CloseBrowserFrame(); }
  std::optional<std::string> WindowLeftOpen() override { return window_.FrameLeftOpen(); }
  void ReadPages(PageView* page) override { window_.ReadPages(page); }
  std::vector<std::string> WindowCaptions() override { return window_.FrameCaptions(); }
  BrowserWindow& Window() override { return window_; }
  // QuitBrowser closes the session's own browser alone.
  void FixRowWindows() override {}

 private:
  BrowserSession& session_;
  BrowserWindow& window_;
};

}  // namespace vimbrel
