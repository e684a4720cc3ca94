#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// The controls and boxes of the main window that the program's logic reads and
// writes. All text is code page 932 bytes.

class Button {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;

 protected:
  ~Button() = default;
};

class TextField {
 public:
  virtual std::string Text() const = 0;

 protected:
  ~TextField() = default;
};

// A drop-down list that cannot be typed into. The user's pick reaches the
// program's logic as an event of the window.
class ChoiceList {
 public:
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  virtual void Select(int index) = 0;
  virtual void SetEnabled(bool enabled) = 0;

 protected:
  ~ChoiceList() = default;
};

// The main window itself.
class Window {
 public:
  // Asks the window to close as the user does, through its close query, once
  // the handler running now has returned.
  virtual void RequestClose() = 0;

 protected:
  ~Window() = default;
};

enum class BoxAnswer { Yes, No, Cancel, None };

class MessageBoxes {
 public:
  // The error box: OK and the stop icon, owned by the application window.
  virtual void ShowError(std::string_view text, std::string_view caption) = 0;
  // Yes, No and Cancel with Yes as the default, no icon, owned by the main
  // window. None when the box could not be shown.
  virtual BoxAnswer AskYesNoCancel(std::string_view text, std::string_view caption) = 0;

 protected:
  ~MessageBoxes() = default;
};

}  // namespace vimbrel
