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
  // `desktop`: the program's messages are handled while a creation waits to
  // be tried again.
  BrowserSession(Automation& automation, Desktop& desktop)
      : automation_(automation), desktop_(desktop) {}

  // Creates and configures a browser when none is held, then sends it to `url`
  // ("Navigate"), or home ("Gohome") when `url` is empty. A creation that
  // meets a browser process that has died is tried once more, half a second
  // later. `url` is a copy of its own: the calls before "Navigate" let other
  // handlers run, which may change or remove the cell it came from.
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
  std::unique_ptr<AutomationObject> CreateBrowser();
  void TellWindow();
  // Raises what `call` raises; a reference whose browser has gone away is
  // dropped first, so that the next row creates a new browser.
  template <typename Call>
  void CallBrowser(Call&& call);

  Automation& automation_;
  Desktop& desktop_;
};

// Whether an automation status says that the object behind a reference has
// gone away (its process ended or it disconnected its clients).
bool IsDisconnectedStatus(std::int32_t status);
// Whether a creation that failed with `status` met a server process that has
// died, whose class the system may still offer for a moment: worth another
// try.
bool IsDeadServerStatus(std::int32_t status);

}  // namespace vimbrel
