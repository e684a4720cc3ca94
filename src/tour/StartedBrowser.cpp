#include "tour/StartedBrowser.h"

#include <algorithm>

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {

// The class of every top-level window of a browser of the family.
constexpr char kChromiumWindowClass[] = "Chrome_WidgetWin_1";
constexpr char kFirefoxWindowClass[] = "MozillaWindowClass";

std::vector<std::string> ChromiumArguments(std::string url) {
  std::vector<std::string> arguments = {"--new-window"};
  if (!url.empty()) {
    arguments.push_back("--");
    arguments.push_back(std::move(url));
  }
  return arguments;
}

std::vector<std::string> FirefoxArguments(std::string url) {
  const std::size_t first = url.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && (url[first] == '-' || url[first] == '/')) {
    throw EBrowserError(cp932::FillText(texts::kErrorFirefoxAddress, url));
  }
  return {"-new-window", url.empty() ? std::string("about:blank") : std::move(url)};
}

}  // namespace

void StartedBrowser::OpenBrowser(std::string url) {
  std::vector<std::string> arguments =
      firefox_ ? FirefoxArguments(std::move(url)) : ChromiumArguments(std::move(url));
  const Path program = Program();
  std::vector<WindowHandle> before;
  for (const TopLevelWindow& window : desktop_.TopLevelWindows(WindowClass())) {
    before.push_back(window.handle);
  }
  before_row_ = std::move(before);
  fixed_.reset();
  programs_.Start(program, arguments);
}

void StartedBrowser::QuitBrowser() {
  for (WindowHandle window : RowWindows()) desktop_.RequestClose(window);
}

const char* StartedBrowser::WindowClass() const {
  return firefox_ ? kFirefoxWindowClass : kChromiumWindowClass;
}

Path StartedBrowser::Program() {
  if (const char* registered = RegisteredProgramOf(browser_.kind)) {
    std::optional<Path> program = programs_.Registered(registered);
    if (!program) throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotFound, registered));
    return *program;
  }
  if (browser_.program.empty()) {
    throw EBrowserError(cp932::FillText(texts::kErrorBrowserNotFound, ""));
  }
  return browser_.program;
}

std::vector<WindowHandle> StartedBrowser::RowWindows() {
  std::vector<WindowHandle> row_windows;
  if (!before_row_) return row_windows;
  for (const TopLevelWindow& window : desktop_.TopLevelWindows(WindowClass())) {
    const bool was_there =
        std::find(before_row_->begin(), before_row_->end(), window.handle) != before_row_->end();
    const bool fixed_out =
        fixed_ && std::find(fixed_->begin(), fixed_->end(), window.handle) == fixed_->end();
    if (!was_there && !fixed_out && window.visible && !window.owned && window.has_caption) {
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
