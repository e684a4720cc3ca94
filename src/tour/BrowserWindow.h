#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/PageReader.h"
#include "tour/PageFocus.h"
#include "tour/PageLoad.h"

namespace vimbrel {

class StringGrid;

// Which top-level windows are the browser's frames.
class BrowserFrames {
 public:
  // A frame to bring to the front or to close; 0 when there is none.
  virtual WindowHandle FindFrame() = 0;
  virtual bool IsFrame(WindowHandle window) = 0;
  // Every frame that is open, in the order the desktop has them.
  virtual std::vector<WindowHandle> OpenFrames() = 0;

 protected:
  ~BrowserFrames() = default;
};

// Internet Explorer's frames: any top-level window of class "IEFrame", by its
// class alone, whoever opened it.
class InternetExplorerFrames final : public BrowserFrames {
 public:
  explicit InternetExplorerFrames(Desktop& desktop) : desktop_(desktop) {}
  WindowHandle FindFrame() override;
  bool IsFrame(WindowHandle window) override;
  // The visible ones.
  std::vector<WindowHandle> OpenFrames() override;

 private:
  Desktop& desktop_;
};

// What SendRowKeys did with a row's keys.
struct RowKeys {
  // Whether they were sent; false when they were held back because no frame
  // of the browser was in front.
  bool sent = false;
  std::int32_t tabs = 0;          // TAB presses before Enter
  std::int32_t reverse_tabs = 0;  // Shift+TAB presses before Enter
  // Held back: the caption of the window that was in front; empty if none.
  std::string front_caption;
  // Sent: what had the focus in the page when Enter was pressed.
  PageFocus focus;
};

// The browser's frame window and the key presses sent to it.
class BrowserWindow {
 public:
  // Internet Explorer's frames.
  BrowserWindow(Desktop& desktop, const StringGrid& grid)
      : desktop_(desktop),
        grid_(grid),
        internet_explorer_(desktop),
        frames_(internet_explorer_),
        family_(BrowserFamily::InternetExplorer) {}
  BrowserWindow(Desktop& desktop, const StringGrid& grid, BrowserFrames& frames,
                BrowserFamily family)
      : desktop_(desktop),
        grid_(grid),
        internet_explorer_(desktop),
        frames_(frames),
        family_(family) {}
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;

  // The frames' pages are read through `page` from now on (their reading
  // switched on as a frame is found, the focus read before Enter); none
  // reads nothing. What the browsers announce is heard from now on, before
  // the frames to read open.
  void ReadPages(PageView* page) {
    page_ = page;
    if (page_) page_->Listen();
  }
  bool ReadsPages() const { return page_ != nullptr; }

  // A frame, as BringBrowserToFront would find it; 0 when there is none.
  WindowHandle FindFrame() { return frames_.FindFrame(); }
  // Switches on the reading of the page in `frame`, once for each frame.
  void SwitchOn(WindowHandle frame);
  // Whether the page in `frame` has loaded, as far as it tells; unknown when
  // pages are not read.
  PageLoad LoadOf(WindowHandle frame);

  // Finds a frame and makes it the foreground window, then handles the
  // program's waiting messages. Whether a frame was found.
  bool BringBrowserToFront();
  // TAB pressed as often as the row's TAB count says, or else Shift+TAB as
  // often as its reverse TAB count says, then Enter. Raises EConvertError for
  // a count that is not a number, before any key is sent. While pages are
  // read, Enter waits until the page has taken the keys before it, and goes
  // only while a frame is still in front.
  RowKeys SendRowKeys(int row);
  // As SendRowKeys, with Enter only when `enter` says so.
  RowKeys PressRowKeys(int row, bool enter);
  // One TAB, while a frame has the foreground, and what has the focus then
  // (unknown when pages are not read); none when no frame is in front, or
  // the program is ending.
  std::optional<PageFocus> PressTab();
  // What has the focus in the page of the frame in front, or else of a
  // frame; unknown when pages are not read or there is no frame. None when
  // the program is ending.
  std::optional<PageFocus> ReadFocus();
  // The captions of the open frames, the one that got the last keys first;
  // touching none.
  std::vector<std::string> FrameCaptions();
  // Brings a frame to the front and closes it with Alt+F4. Whether one was
  // found.
  bool CloseBrowserFrame();
  // The caption of a frame that is still open, touching none; none when no
  // frame is left.
  std::optional<std::string> FrameLeftOpen();

 private:
  // Keys are sent only while a browser frame has the foreground: typed into
  // another window they could destroy the user's work.
  bool BrowserIsForeground();
  void Press(std::uint8_t key);
  void PressWith(std::uint8_t modifier, std::uint8_t key);

  // Held back: the window in front, and its caption.
  void HoldBack(RowKeys& row_keys);

  Desktop& desktop_;
  const StringGrid& grid_;
  InternetExplorerFrames internet_explorer_;
  BrowserFrames& frames_;
  BrowserFamily family_;
  PageView* page_ = nullptr;
  WindowHandle switched_on_ = 0;  // the frame whose reading was switched on last
  WindowHandle keys_window_ = 0;  // the frame that got the last keys
};

// A look at a row's window and its page during the wait before its keys: the
// window is looked for until it is found (`found`), and its reading switched
// on then. Whether its page has loaded.
PageLoad LookAtRowPage(BrowserWindow& window, WindowHandle& found, LoadWait& wait,
                       std::uint64_t now);

}  // namespace vimbrel
