#pragma once

#include <functional>
#include <string>

#include "app/DailyTask.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/TaskScheduler.h"
#include "platform/Ui.h"

namespace vimbrel {

// What the dialog "毎日の巡回" shows; texts in code page 932 but the task's
// name, which holds the folder as it is.
struct DailyTourView {
  std::string state;  // whether the task is registered, and when it starts
  std::u16string task_name;
  std::string browser;    // what the task will run: the browser the tour takes
  std::string page_time;  // and the page display time field's
  bool registered = false;
  TimeOfDay time{7, 0};  // where the time picker starts: the task's time, if it is known
};

// The logic of the dialog "毎日の巡回": the one daily task of this copy of
// the program. Each handler raises as it fails (EConvertError for a page
// display time that the tour cannot use, EOleSysError from the scheduler),
// and the registration is then as it was.
class DailyTourForm {
 public:
  struct Parts {
    TaskScheduler& scheduler;
    Files& files;
    Clock& clock;
    const TextField& page_time_field;
    // The tour's browser as the log names it.
    std::function<std::string()> browser_name;
  };
  explicit DailyTourForm(Parts parts) : parts_(std::move(parts)) {}

  // The registration as the scheduler has it now.
  DailyTourView Read();
  // "登録": the task at `time` from now on, in place of one registered before,
  // once the page display time is one that the tour takes; then Read.
  DailyTourView RegisterClick(TimeOfDay time);
  // "登録を消す", then Read.
  DailyTourView DeleteClick();

 private:
  Parts parts_;
};

}  // namespace vimbrel
