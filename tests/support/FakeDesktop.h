#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DesktopLock.h"
#include "platform/Watchdog.h"

namespace vimbrel::testing {

// Top-level windows of other programs, the foreground and the keyboard, with
// every key event recorded. A frame that has the foreground closes on Alt+F4
// unless told to stay.
class FakeDesktop final : public Desktop {
 public:
  struct Window {
    WindowHandle handle;
    std::string class_name;
    bool stays_open = false;
    bool visible = true;
    bool owned = false;
    std::string caption = "page";
  };
  struct KeyEventRecord {
    std::uint8_t key;
    std::uint32_t flags;
    bool operator==(const KeyEventRecord& other) const {
      return key == other.key && flags == other.flags;
    }
  };

  std::vector<Window> windows;
  WindowHandle foreground = 0;
  bool refuse_foreground = false;
  std::vector<KeyEventRecord> key_events;
  // "find", "foreground N", "process", "close N", "wait MS"
  std::vector<std::string> log;
  std::function<void()> on_process_messages;
  std::function<void(std::uint32_t ms)> on_wait;
  bool program_ending = false;  // every wait returns false at once

  WindowHandle AddWindow(const std::string& class_name, bool stays_open = false);
  WindowHandle AddWindow(Window window);  // its handle is given here
  bool Exists(WindowHandle handle) const;

  WindowHandle FindTopLevelWindow(const char* class_name) override;
  std::vector<TopLevelWindow> TopLevelWindows(const char* class_name) override;
  void SetForegroundWindow(WindowHandle window) override;
  WindowHandle ForegroundWindow() override { return foreground; }
  bool HasClass(WindowHandle window, const char* class_name) override;
  std::string Caption(WindowHandle window) override;
  void RequestClose(WindowHandle window) override;
  void ProcessMessages() override;
  bool WaitProcessingMessages(std::uint32_t ms) override;
  void KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) override;

 private:
  void Remove(WindowHandle handle);
  WindowHandle next_handle_ = 100;
  bool alt_down_ = false;
};

// The lock of one tour at a time, which another copy of the program may hold.
class FakeDesktopLock final : public DesktopLock {
 public:
  bool TryAcquire() override {
    if (!held_elsewhere) held = true;
    return held;
  }
  void Release() override { held = false; }

  bool held_elsewhere = false;
  bool held = false;
};

// The watchdog without a thread: a test asks in its place, at the times it
// chooses.
class FakeWatchdog final : public Watchdog {
 public:
  void Start(std::function<std::optional<int>()> asked) override { hung = std::move(asked); }
  void Stop() noexcept override { hung = nullptr; }
  void BrowserWindow(WindowHandle window) noexcept override { windows.push_back(window); }
  // The exit code the program would end with now; none while it goes on.
  std::optional<int> Check() { return hung ? hung() : std::nullopt; }

  std::function<std::optional<int>()> hung;  // while it watches
  std::vector<WindowHandle> windows;
};

}  // namespace vimbrel::testing
