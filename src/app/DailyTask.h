#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Files.h"

namespace vimbrel {

// A time of day in the user's local time.
struct TimeOfDay {
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  bool operator==(const TimeOfDay& other) const {
    return hour == other.hour && minute == other.minute;
  }
};

// The name of the one task of the program at `program` in the Task
// Scheduler's root folder: "ビンブレル", the program's folder, and in
// parentheses eight hexadecimal digits of a hash of the program's whole path.
// In the folder each character that a task name may not hold (\ / : * ? " < >
// |) is given in its full-width form, so that it reads the same and makes no
// task folder; a folder of more than 120 characters keeps its last 119 after
// "…". The hash takes ASCII letters in either case alike, as Windows takes the
// paths; two other paths differ in it even where their folders read alike.
std::u16string DailyTaskName(const Path& program);

// How the task starts the program: its path in quotes, and the switches, so
// that SplitCommandLine reads them back from the command line that the Task
// Scheduler makes of the two; in the program's folder.
struct DailyTaskAction {
  std::u16string command;
  std::u16string arguments;  // /tour /wait=<seconds>
  Path folder;
};
DailyTaskAction DailyTaskActionFor(const Path& program, std::uint32_t page_seconds);

// What the daily task is made from.
struct DailyTaskRequest {
  Path program;
  Path log;  // the tour log, which the description names
  TimeOfDay time;
  std::uint32_t page_seconds = 0;
  // When it is registered: the first start is the next `time` after it, so
  // that no start is missed already when the task is made.
  LocalTime now;
};

// The task's definition as the Task Scheduler takes it (schema 1.2, UTF-16):
// daily at `time` local time; the program with /tour and /wait= (no /browser=,
// so that the tour takes the saved choice); the user who registers it, logged
// on, with least privilege; a missed start runs as soon as it can, on battery
// power too, a second start while one runs is ignored, and a run is stopped
// after 23 hours, so that it never blocks the next day's; the machine is not
// woken for it.
std::u16string DailyTaskXml(const DailyTaskRequest& request);

// The time of day at which a task's definition starts it: the start boundary
// of its first calendar trigger. None when it has none (Wine keeps no
// triggers).
std::optional<TimeOfDay> DailyTaskTime(std::u16string_view xml);

}  // namespace vimbrel
