#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// One argument of a late-bound automation call.
struct AutomationArg {
  enum class Type { Int32, Bool, StringByRef };
  Type type = Type::Int32;
  std::int32_t integer = 0;  // Int32
  bool boolean = false;      // Bool (sent as VARIANT_TRUE / VARIANT_FALSE)
  std::string text;          // StringByRef: code page 932 bytes, sent as a BSTR by reference

  static AutomationArg Int32(std::int32_t value) { return {Type::Int32, value, false, {}}; }
  static AutomationArg Bool(bool value) { return {Type::Bool, 0, value, {}}; }
  static AutomationArg StringByRef(std::string value) {
    return {Type::StringByRef, 0, false, std::move(value)};
  }
};

enum class InvokeKind { Method, PropertyPut };

// An automation object, held with one reference that destruction releases.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Looks `name` up and invokes it. Raises EOleError for an unknown name,
  // EOleSysError for a failure status, EOleException for a server exception.
  virtual void Invoke(std::string_view name, InvokeKind kind,
                      const std::vector<AutomationArg>& args) = 0;
  // Reads the property `name` (a property get without arguments) as an
  // integer. Raises as Invoke does, and EOleSysError for a value that does
  // not convert to one.
  virtual std::int64_t GetInteger(std::string_view name) = 0;
};

class Automation {
 public:
  virtual ~Automation() = default;
  // Creates an object of the class registered under `prog_id`, in process or
  // as a local server. Raises EOleSysError.
  virtual std::unique_ptr<AutomationObject> CreateObject(std::string_view prog_id) = 0;
  // Whether a class with a server is registered under `prog_id`, as the
  // registry tells it: nothing is created or started.
  virtual bool IsRegistered(std::string_view prog_id) = 0;
};

}  // namespace vimbrel
