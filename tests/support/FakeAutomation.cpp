#include "support/FakeAutomation.h"

namespace vimbrel::testing {

namespace {

std::string Describe(const AutomationArg& arg) {
  switch (arg.type) {
    case AutomationArg::Type::Int32:
      return std::to_string(arg.integer);
    case AutomationArg::Type::Bool:
      return arg.boolean ? "true" : "false";
    case AutomationArg::Type::StringByRef:
      return "'" + arg.text + "'";
  }
  return "?";
}

class FakeObject final : public AutomationObject {
 public:
  explicit FakeObject(FakeAutomation& owner) : owner_(owner) { ++owner_.live_objects; }
  ~FakeObject() override {
    --owner_.live_objects;
    owner_.calls.push_back("release");
  }
  void Invoke(std::string_view name, InvokeKind kind,
              const std::vector<AutomationArg>& args) override {
    std::string call = kind == InvokeKind::PropertyPut ? "put " : "call ";
    call.append(name);
    for (const AutomationArg& arg : args) call += " " + Describe(arg);
    owner_.Record(call);
  }
  std::int64_t GetInteger(std::string_view name) override {
    owner_.Record("get " + std::string(name));
    return owner_.integer_property;
  }

 private:
  FakeAutomation& owner_;
};

}  // namespace

void FakeAutomation::Record(const std::string& call) {
  if (before_call) before_call(call);
  calls.push_back(call);
}

std::unique_ptr<AutomationObject> FakeAutomation::CreateObject(std::string_view prog_id) {
  Record("create " + std::string(prog_id));
  return std::make_unique<FakeObject>(*this);
}

}  // namespace vimbrel::testing
