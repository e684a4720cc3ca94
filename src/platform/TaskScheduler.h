#pragma once

#include <optional>
#include <string>

namespace vimbrel {

// The system's scheduler of tasks, for tasks by name in its root folder,
// defined in its XML (UTF-16). Every failure raises EOleSysError with the
// system's text for it and leaves the tasks as they were.
class TaskScheduler {
 public:
  virtual ~TaskScheduler() = default;
  // The definition of the task named `name` as the scheduler gives it back;
  // none when there is no such task.
  virtual std::optional<std::u16string> TaskXml(const std::u16string& name) = 0;
  // Makes the task, or replaces the one of that name, to run as the user who
  // registers it while that user is logged on.
  virtual void Register(const std::u16string& name, const std::u16string& xml) = 0;
  // Removes the task; nothing when there is none.
  virtual void Delete(const std::u16string& name) = 0;
};

}  // namespace vimbrel
