#include "tour/StartedBrowser.h"

#include <algorithm>

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {

// The class of every top-level window of a Chromium browser.
constexpr char kWindowClass[] = "Chrome_WidgetWin_1";

struct RegisteredBrowser {
  const char* name;  // as /browser= gives it
  const char* program;
  const char* display_name;
};
constexpr RegisteredBrowser kRegisteredBrowsers[] = {{"edge", "msedge.exe", texts::kLogEdge},
                                                     {"chrome", "chrome.exe", texts::kLogChrome}};

}  // namespace

std::optional<std::string> RegisteredBrowserName(const Path& browser) {
  for (const RegisteredBrowser& registered : kRegisteredBrowsers) {
    if (EqualsIgnoringAsciiCase(browser, registered.name)) return registered.display_name;
  }
  return std::nullopt;
}

void StartedBrowser::OpenBrowser(std::string url) {
  const Path program = Program();
  std::vector<std::string> arguments = {"--new-window"};
  if (!url.empty()) {
    arguments.push_back("--");
    arguments.push_back(std::move(url));
  }
  std::vector<WindowHandle> before;
  for (const TopLevelWindow& window : desktop_.TopLevelWindows(kWindowClass)) {
    before.push_back(window.handle);
  }
  before_row_ = std::move(before);
  programs_.Start(program, arguments);
}

void StartedBrowser::QuitBrowser() {
  for (WindowHandle window : RowWindows()) desktop_.RequestClose(window);
}

Path StartedBrowser::Program() {
  for (const RegisteredBrowser& registered : kRegisteredBrowsers) {
    if (!EqualsIgnoringAsciiCase(browser_, registered.name)) continue;
    std::optional<Path> program = programs_.Registered(registered.program);
    if (!program) {
      throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotFound, registered.program));
    }
    return *program;
  }
  if (browser_.empty()) throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotFound, ""));
  return browser_;
}

std::vector<WindowHandle> StartedBrowser::RowWindows() {
  std::vector<WindowHandle> row_windows;
  if (!before_row_) return row_windows;
  for (const TopLevelWindow& window : desktop_.TopLevelWindows(kWindowClass)) {
    const bool was_there =
        std::find(before_row_->begin(), before_row_->end(), window.handle) != before_row_->end();
    if (!was_there && window.visible && !window.owned && window.has_caption) {
      row_windows.push_back(window.handle);
    }
  }
  return row_windows;
}

WindowHandle StartedBrowser::FindFrame() {
  const std::vector<WindowHandle> row_windows = RowWindows();
  return row_windows.empty() ? 0 : row_windows.front();
}

bool StartedBrowser::IsFrame(WindowHandle window) {
  const std::vector<WindowHandle> row_windows = RowWindows();
  return std::find(row_windows.begin(), row_windows.end(), window) != row_windows.end();
}

}  // namespace vimbrel
