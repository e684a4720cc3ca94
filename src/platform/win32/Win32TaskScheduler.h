#pragma once

#include "platform/TaskScheduler.h"

namespace vimbrel::win32 {

// The Task Scheduler through its own interface (ITaskService), connected
// afresh for each call, on the calling thread's apartment.
class Win32TaskScheduler final : public TaskScheduler {
 public:
  std::optional<std::u16string> TaskXml(const std::u16string& name) override;
  void Register(const std::u16string& name, const std::u16string& xml) override;
  void Delete(const std::u16string& name) override;
};

}  // namespace vimbrel::win32
