#pragma once

#include "platform/Desktop.h"

namespace vimbrel {

class StringGrid;

// The browser's frame window (any top-level window of class "IEFrame") and the
// key presses sent to it.
class BrowserWindow {
 public:
  BrowserWindow(Desktop& desktop, const StringGrid& grid) : desktop_(desktop), grid_(grid) {}

  // Finds a frame and makes it the foreground window, then handles the
  // program's waiting messages. Whether a frame was found.
  bool BringBrowserToFront();
  // TAB pressed as often as the row's TAB count says, or else Shift+TAB as
  // often as its reverse TAB count says, then Enter. Raises EConvertError for
  // a count that is not a number, before any key is sent.
  void SendRowKeys(int row);
  // Brings a frame to the front and closes it with Alt+F4. Whether one was
  // found.
  bool CloseBrowserFrame();

 private:
  // Keys are sent only while a browser frame has the foreground: typed into
  // another program they could destroy the user's work.
  bool BrowserIsForeground();
  void Press(std::uint8_t key);
  void PressWith(std::uint8_t modifier, std::uint8_t key);

  Desktop& desktop_;
  const StringGrid& grid_;
};

}  // namespace vimbrel
