#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/PageReader.h"

namespace vimbrel::testing {

// A browser's pages as a test makes them tell: nothing unless told otherwise.
// Every call is recorded ("on N Chromium", "focus N Chromium", "document N
// Chromium").
class FakePageReader final : public PageReader {
 public:
  std::vector<std::string> log;
  std::function<FocusFacts(WindowHandle window)> focus;
  std::function<DocumentFacts(WindowHandle window)> document;

  void Listen() override { log.push_back("listen"); }
  void SwitchOn(WindowHandle window, BrowserFamily family) override {
    Record("on", window, family);
  }
  FocusFacts Focus(WindowHandle window, BrowserFamily family) override {
    Record("focus", window, family);
    return focus ? focus(window) : FocusFacts{};
  }
  DocumentFacts Document(WindowHandle window, BrowserFamily family) override {
    Record("document", window, family);
    return document ? document(window) : DocumentFacts{};
  }

 private:
  void Record(const char* call, WindowHandle window, BrowserFamily family) {
    static const char* const kFamilies[] = {"InternetExplorer", "Chromium", "Firefox"};
    log.push_back(std::string(call) + " " + std::to_string(window) + " " +
                  kFamilies[static_cast<int>(family)]);
  }
};

}  // namespace vimbrel::testing
