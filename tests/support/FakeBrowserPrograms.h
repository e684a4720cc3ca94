#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/BrowserPrograms.h"

namespace vimbrel::testing {

// Registrations by program name, and every start recorded after `on_start`,
// which plays the browser, has run.
class FakeBrowserPrograms final : public BrowserPrograms {
 public:
  std::map<std::string, Path, std::less<>> registered;
  std::vector<std::pair<Path, std::vector<std::string>>> starts;
  std::function<void()> on_start;

  std::optional<Path> Registered(std::string_view exe_name) override {
    auto found = registered.find(exe_name);
    return found == registered.end() ? std::nullopt : std::optional<Path>(found->second);
  }
  void Start(const Path& program, const std::vector<std::string>& arguments) override {
    if (on_start) on_start();
    starts.emplace_back(program, arguments);
  }
};

}  // namespace vimbrel::testing
