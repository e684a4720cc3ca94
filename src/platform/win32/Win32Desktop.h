#pragma once

#include <functional>

#include "platform/Desktop.h"

namespace vimbrel::win32 {

// Other programs' windows and the keyboard, through user32. Handling the
// program's waiting messages belongs to the application, which passes it in.
class Win32Desktop final : public Desktop {
 public:
  explicit Win32Desktop(std::function<void()> process_messages)
      : process_messages_(std::move(process_messages)) {}

  WindowHandle FindTopLevelWindow(const char* class_name) override;
  std::vector<TopLevelWindow> TopLevelWindows(const char* class_name) override;
  void SetForegroundWindow(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  bool HasClass(WindowHandle window, const char* class_name) override;
  std::string Caption(WindowHandle window) override;
  void RequestClose(WindowHandle window) override;
  void ProcessMessages() override;
  void KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) override;

 private:
  std::function<void()> process_messages_;
};

}  // namespace vimbrel::win32
