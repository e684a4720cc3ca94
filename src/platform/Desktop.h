#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vimbrel {

// An opaque top-level window of any process; 0 is no window.
using WindowHandle = std::uintptr_t;

// Virtual-key codes and key event flags of the synthetic keyboard input.
namespace keys {
constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kReturn = 0x0D;
constexpr std::uint8_t kShift = 0x10;
constexpr std::uint8_t kMenu = 0x12;  // Alt
constexpr std::uint8_t kF4 = 0x73;
constexpr std::uint32_t kKeyDown = 0;
constexpr std::uint32_t kKeyUp = 2;
}  // namespace keys

// A top-level window as a search for a browser's window sees it.
struct TopLevelWindow {
  WindowHandle handle = 0;
  bool visible = false;
  bool owned = false;        // it belongs to another window, as a pop-up does
  bool has_caption = false;  // its title is not empty
};

// The desktop beyond the program's own windows: other programs' top-level
// windows, the foreground, and system-wide keyboard input.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // A top-level window of that class (visible or not, any process), or 0.
  virtual WindowHandle FindTopLevelWindow(const char* class_name) = 0;
  // Every top-level window of that class (visible or not, any process).
  virtual std::vector<TopLevelWindow> TopLevelWindows(const char* class_name) = 0;
  // The system may refuse; the result is not reported.
  virtual void SetForegroundWindow(WindowHandle window) = 0;
  virtual WindowHandle ForegroundWindow() = 0;
  virtual bool HasClass(WindowHandle window, const char* class_name) = 0;
  // The window's caption as code page 932 text, read without sending the
  // window a message; empty for no window.
  virtual std::string Caption(WindowHandle window) = 0;
  // Asks the window to close (WM_CLOSE), without waiting.
  virtual void RequestClose(WindowHandle window) = 0;
  // Handles every message waiting in the program's own queue, as the main loop
  // would, until it is empty.
  virtual void ProcessMessages() = 0;
  // Waits `ms` milliseconds, handling the program's messages as they come, as
  // the main loop would. False, at once, once the program has been told to
  // end: what the caller was about to do is no longer wanted.
  virtual bool WaitProcessingMessages(std::uint32_t ms) = 0;
  // One key event into the system's input stream (scan code 0, no extra info).
  virtual void KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) = 0;
};

}  // namespace vimbrel
