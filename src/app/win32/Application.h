#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string_view>

#include "platform/Ui.h"
#include "platform/win32/Guard.h"

namespace vimbrel::win32 {

// The application object: its own top-level window of zero size, which
// carries the title, the taskbar entry and the icon and owns the main window;
// the message loop; and the error box through which every error that escapes
// a handler reaches the user.
class Application {
 public:
  explicit Application(HINSTANCE instance);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return window_; }
  void SetTitle(std::string_view title);  // code page 932

  // The main window, which the loop shows and whose dialog keys it handles.
  void SetMainWindow(HWND window) { main_window_ = window; }
  HWND MainWindow() const { return main_window_; }

  // Shows the main window as `show_command` asks, then dispatches messages
  // until the program is told to end. `when_idle`, if any, runs once inside
  // the error guard, the first time no message is waiting after the show.
  void Run(int show_command, std::function<void()> when_idle = {});
  // Handles every message waiting in the queue, then returns. A quit request
  // met here ends the loop once control is back in Run.
  void ProcessMessages();
  // Handles messages as they come for `ms` milliseconds; false, at once, once
  // a quit request has been met.
  bool ProcessMessagesFor(DWORD ms);
  void Terminate();
  // The taskbar entry and the main window go to an icon together, and come
  // back together.
  void Minimize();
  void Restore();

  // Cancels any mouse capture and shows `error` in the error box.
  void HandleException(const std::exception& error);
  ErrorSink Errors() {
    return [this](const std::exception& error) { HandleException(error); };
  }

  // A modal box owned by the application window, with every other window of
  // the program disabled while it is up.
  int ShowModalBox(std::string_view text, std::string_view caption, UINT flags);
  // Shows `window`, a dialog of the program, and handles messages until
  // `closed` holds or the window is gone, with every other window of the
  // program disabled and the dialog keys going to it. The caller destroys it
  // afterwards, once the window that was active before is active again.
  void RunModal(HWND window, const std::function<bool()>& closed);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Dispatch(MSG& message);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND main_window_ = nullptr;
  HWND modal_window_ = nullptr;  // the dialog that RunModal shows, whose keys it is
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  bool terminated_ = false;
  bool main_hidden_ = false;  // hidden by Minimize, shown again by Restore
};

// The boxes the main window's logic asks for, shown through the application.
class Win32MessageBoxes final : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(Application& application) : application_(application) {}
  void ShowError(std::string_view text, std::string_view caption) override;
  BoxAnswer AskYesNoCancel(std::string_view text, std::string_view caption) override;

 private:
  Application& application_;
};

}  // namespace vimbrel::win32
