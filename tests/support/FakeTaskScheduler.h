#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/Exception.h"
#include "platform/TaskScheduler.h"

namespace vimbrel::testing {

// Tasks by name; the next call fails with `failure` when there is one,
// changing nothing.
class FakeTaskScheduler final : public TaskScheduler {
 public:
  std::map<std::u16string, std::u16string> tasks;
  std::optional<EOleSysError> failure;

  std::optional<std::u16string> TaskXml(const std::u16string& name) override {
    Fail();
    const auto task = tasks.find(name);
    if (task == tasks.end()) return std::nullopt;
    return task->second;
  }
  void Register(const std::u16string& name, const std::u16string& xml) override {
    Fail();
    tasks[name] = xml;
  }
  void Delete(const std::u16string& name) override {
    Fail();
    tasks.erase(name);
  }

 private:
  void Fail() {
    if (failure) throw *std::exchange(failure, std::nullopt);
  }
};

}  // namespace vimbrel::testing
