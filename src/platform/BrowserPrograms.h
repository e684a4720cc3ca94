#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"

namespace vimbrel {

// Browsers as programs of their own, outside the automation of Internet
// Explorer: where Windows registers them, and starting one.
class BrowserPrograms {
 public:
  virtual ~BrowserPrograms() = default;
  // The program that Windows registers for `exe_name` ("msedge.exe") under
  // App Paths, for the user first, then for the machine; nullopt when none is.
  virtual std::optional<Path> Registered(std::string_view exe_name) = 0;
  // Starts `program` with `arguments` (code page 932), each of which reaches
  // it as one argument whatever its text, and returns without waiting.
  // Raises EBrowserError naming the program when it is not there or does not
  // start.
  virtual void Start(const Path& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace vimbrel
