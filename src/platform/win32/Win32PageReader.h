#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/PageReader.h"

namespace vimbrel::win32 {

class Oleacc;
class ReaderThread;
class LoadEvents;

// The pages' documents over MSAA, from oleacc.dll, which is loaded from the
// system folder when first needed. Every call into a browser runs on a thread
// of the reader's own, in the multithreaded apartment; the caller waits for
// it at most kBoundMs without handling messages. A thread that has not come
// back by then is left to itself (it shares nothing with the caller but
// reference-counted state) and answers nothing more: while it is stuck, its
// window is "not told" at once, and so is every window while two are stuck.
// Chromium's load-complete events are heard on one more thread, which only
// pumps its messages. Construction starts no thread; destruction waits for
// none that is stuck. Calls come from one thread, the program's.
class Win32PageReader final : public PageReader {
 public:
  Win32PageReader();
  ~Win32PageReader() override;
  Win32PageReader(const Win32PageReader&) = delete;
  Win32PageReader& operator=(const Win32PageReader&) = delete;

  void Listen() override;
  void SwitchOn(WindowHandle window, BrowserFamily family) override;
  FocusFacts Focus(WindowHandle window, BrowserFamily family) override;
  DocumentFacts Document(WindowHandle window, BrowserFamily family) override;

 private:
  struct Stuck {
    std::shared_ptr<ReaderThread> thread;
    HWND page;
  };

  // Whether a read of `page` in `window` is to ask the browser for its
  // pages first: when `asked` (SwitchOn), or for Chromium when its page
  // window came after SwitchOn; notes it for Chromium's load events.
  bool SwitchesOn(WindowHandle window, HWND page, BrowserFamily family, bool asked);
  // Runs `read` on the reader's thread for the page window `page`; false
  // when it did not finish within the bound from `start` (a tick count), or
  // cannot run at all.
  bool Run(DWORD start, HWND page, std::function<void(const Oleacc&)> read);
  // Runs `read(document, facts)` on the document of the page in `window`,
  // having asked for the pages first where that is due; the facts it left,
  // or none when it did not finish in time.
  template <typename Facts, typename ReadDocument>
  Facts ReadPage(WindowHandle window, BrowserFamily family, ReadDocument read);

  std::shared_ptr<Oleacc> oleacc_;  // empty until first needed
  std::shared_ptr<ReaderThread> idle_;
  std::vector<Stuck> stuck_;
  std::unique_ptr<LoadEvents> load_events_;  // started by the first Listen
  std::map<HWND, HWND> switched_on_;         // Chromium: top-level window, its page window
};

}  // namespace vimbrel::win32
