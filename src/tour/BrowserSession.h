#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Automation.h"
#include "platform/Desktop.h"

namespace vimbrel {

// The one Internet Explorer automation object that a tour works with.
class BrowserSession {
 public:
  explicit BrowserSession(Automation& automation) : automation_(automation) {}

  // Creates and configures a browser when none is held, then sends it to `url`
  // ("Navigate"), or home ("Gohome") when `url` is empty. `url` is a copy of
  // its own: the calls before "Navigate" let other handlers run, which may
  // change or remove the cell it came from.
  void OpenBrowser(std::string url);
  // Tells a held browser to quit and lets it go; nothing when none is held.
  void QuitBrowser();

  bool Held() const { return Browser != nullptr; }
  // Whether Windows registers Internet Explorer's automation object.
  bool Installed() const;

  // Empty, or the browser object with one reference.
  std::unique_ptr<AutomationObject> Browser;

  // When set, each browser is asked for its window ("HWND") as soon as it has
  // been created, and the answer goes here: 0 when it gave none. Unset, no
  // browser is asked, and the calls are only those above.
  std::function<void(WindowHandle)> window_watcher;

 private:
  void TellWindow();
  // Raises what `call` raises; a reference whose browser has gone away is
  // dropped first, so that the next row creates a new browser.
  template <typename Call>
  void CallBrowser(Call&& call);

  Automation& automation_;
};

// Whether an automation status says that the object behind a reference has
// gone away (its process ended or it disconnected its clients).
bool IsDisconnectedStatus(std::int32_t status);

}  // namespace vimbrel
