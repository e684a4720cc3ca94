#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Automation.h"

namespace vimbrel::testing {

// Automation objects that record every call ("create X", "put Height 400",
// "call Navigate 'a b'", "call Gohome", "get HWND", "release") and fail on
// request.
class FakeAutomation final : public Automation {
 public:
  std::vector<std::string> calls;
  int live_objects = 0;
  std::int64_t integer_property = 0;  // what every property get gives
  // Called before each call is recorded, with its record; may raise.
  std::function<void(const std::string& call)> before_call;

  // Whether the program's classes are registered.
  bool registered = true;

  std::unique_ptr<AutomationObject> CreateObject(std::string_view prog_id) override;
  bool IsRegistered(std::string_view) override { return registered; }
  void Record(const std::string& call);
};

}  // namespace vimbrel::testing
