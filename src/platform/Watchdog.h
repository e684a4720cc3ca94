#pragma once

#include <functional>
#include <optional>

#include "platform/Desktop.h"

namespace vimbrel {

// A thread of its own that ends the program when the tour it watches has hung
// where no timer of the tour can reach it: a browser that stops answering in
// the middle of a call holds the tour for ever otherwise.
class Watchdog {
 public:
  virtual ~Watchdog() = default;
  // Notes the processes running now, then asks `hung` about once a second,
  // on the watchdog's thread, until Stop. Once `hung` gives an exit code, the
  // tour's browser process (BrowserWindow) is ended, then the program with
  // that code. A thread that the system refuses leaves the tour unwatched.
  virtual void Start(std::function<std::optional<int>()> hung) = 0;
  // Ends the watching at once, and forgets the browser; nothing when none
  // runs.
  virtual void Stop() noexcept = 0;
  // The top-level window of the browser object that the tour works with now,
  // or 0 when it is not known. Its process goes with the program only if it
  // was not running at Start: a browser of the user's is never ended.
  virtual void BrowserWindow(WindowHandle window) noexcept = 0;
};

}  // namespace vimbrel
