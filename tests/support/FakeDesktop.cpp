#include "support/FakeDesktop.h"

#include <algorithm>

namespace vimbrel::testing {

WindowHandle FakeDesktop::AddWindow(const std::string& class_name, bool stays_open) {
  return AddWindow({0, class_name, stays_open});
}

WindowHandle FakeDesktop::AddWindow(Window window) {
  window.handle = next_handle_++;
  windows.push_back(std::move(window));
  return windows.back().handle;
}

bool FakeDesktop::Exists(WindowHandle handle) const {
  return std::any_of(windows.begin(), windows.end(),
                     [handle](const Window& window) { return window.handle == handle; });
}

WindowHandle FakeDesktop::FindTopLevelWindow(const char* class_name) {
  log.push_back("find");
  for (const Window& window : windows) {
    if (window.class_name == class_name) return window.handle;
  }
  return 0;
}

std::vector<TopLevelWindow> FakeDesktop::TopLevelWindows(const char* class_name) {
  std::vector<TopLevelWindow> found;
  for (const Window& window : windows) {
    if (window.class_name != class_name) continue;
    found.push_back({window.handle, window.visible, window.owned, !window.caption.empty()});
  }
  return found;
}

void FakeDesktop::SetForegroundWindow(WindowHandle window) {
  log.push_back("foreground " + std::to_string(window));
  if (!refuse_foreground && Exists(window)) foreground = window;
}

bool FakeDesktop::HasClass(WindowHandle window, const char* class_name) {
  for (const Window& candidate : windows) {
    if (candidate.handle == window) return candidate.class_name == class_name;
  }
  return false;
}

std::string FakeDesktop::Caption(WindowHandle window) {
  for (const Window& candidate : windows) {
    if (candidate.handle == window) return candidate.caption;
  }
  return std::string();
}

void FakeDesktop::RequestClose(WindowHandle window) {
  log.push_back("close " + std::to_string(window));
  for (const Window& candidate : windows) {
    if (candidate.handle == window && !candidate.stays_open) {
      Remove(window);
      return;
    }
  }
}

void FakeDesktop::ProcessMessages() {
  log.push_back("process");
  if (on_process_messages) on_process_messages();
}

bool FakeDesktop::WaitProcessingMessages(std::uint32_t ms) {
  log.push_back("wait " + std::to_string(ms));
  if (program_ending) return false;
  if (on_wait) on_wait(ms);
  return !program_ending;
}

void FakeDesktop::KeyEvent(std::uint8_t virtual_key, std::uint32_t flags) {
  key_events.push_back({virtual_key, flags});
  if (virtual_key == 0x12) alt_down_ = flags == 0;
  if (virtual_key == 0x73 && flags == 0 && alt_down_) {
    for (const Window& window : windows) {
      if (window.handle == foreground && !window.stays_open) {
        Remove(foreground);
        break;
      }
    }
  }
}

void FakeDesktop::Remove(WindowHandle handle) {
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [handle](const Window& window) { return window.handle == handle; }),
                windows.end());
  if (foreground == handle) foreground = 0;
}

}  // namespace vimbrel::testing
