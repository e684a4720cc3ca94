#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Desktop.h"

namespace vimbrel {

class StringGrid;

// Which top-level windows are the browser's frames.
class BrowserFrames {
 public:
  // A frame to bring to the front or to close; 0 when there is none.
  virtual WindowHandle FindFrame() = 0;
  virtual bool IsFrame(WindowHandle window) = 0;

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
};

// The browser's frame window and the key presses sent to it.
class BrowserWindow {
 public:
  // Internet Explorer's frames.
  BrowserWindow(Desktop& desktop, const StringGrid& grid)
      : desktop_(desktop), grid_(grid), internet_explorer_(desktop), frames_(internet_explorer_) {}
  BrowserWindow(Desktop& desktop, const StringGrid& grid, BrowserFrames& frames)
      : desktop_(desktop), grid_(grid), internet_explorer_(desktop), frames_(frames) {}
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;

  // Finds a frame and makes it the foreground window, then handles the
  // program's waiting messages. Whether a frame was found.
  bool BringBrowserToFront();
  // TAB pressed as often as the row's TAB count says, or else Shift+TAB as
  // often as its reverse TAB count says, then Enter. Raises EConvertError for
  // a count that is not a number, before any key is sent.
  RowKeys SendRowKeys(int row);
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

  Desktop& desktop_;
  const StringGrid& grid_;
  InternetExplorerFrames internet_explorer_;
  BrowserFrames& frames_;
};

}  // namespace vimbrel
