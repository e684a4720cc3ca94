#pragma once

#include <functional>

#include "platform/Desktop.h"

namespace vimbrel::win32 {

// Other programs' windows and the keyboard, through user32. Handling the
// program's messages belongs to the application, which passes it in.
class Win32Desktop final : public Desktop {
 public:
  struct MessageLoop {
    std::function<void()> process;  // what is waiting
    // What comes for a while; false once the program is told to end.
    std::function<bool(std::uint32_t ms)> process_for;
  };
  explicit Win32Desktop(MessageLoop loop) : loop_(std::move(loop)) {}

  WindowHandle FindTopLevelWindow(const char* class_name) override;
  std::vector<TopLevelWindow> TopLevelWindows(const char* class_name) override;
  void SetForegroundWindow(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool HasClass(WindowHandle window, const char* class_name) override;
  std::string Caption(WindowHandle window) override;
  void RequestClose(WindowHandle window) override;
  void ProcessMessages() override;
  bool WaitProcessingMessages(std::uint32_t ms) override;
  void KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) override;

 private:
  MessageLoop loop_;
};

}  // namespace vimbrel::win32
