#include "app/DailyTourForm.h"

#include <cstdio>
#include <exception>

#include "list/ListFile.h"
#include "platform/Cp932.h"
#include "platform/Texts.h"
#include "tour/ReadIntField.h"

namespace vimbrel {

namespace {

std::string TimeText(TimeOfDay time) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
  return text;
}

// The seconds that the tour would wait, or the field's text when it would
// not tour with it.
std::string PageTimeText(const std::string& field_text) {
  try {
    return cp932::FillText(texts::kLogSeconds,
                           std::to_string(PageDisplayInterval(field_text) / 1000));
  } catch (const std::exception&) {
    return field_text;
  }
}

}  // namespace

DailyTourView DailyTourForm::Read() {
  DailyTourView view;
  view.task_name = DailyTaskName(parts_.files.ProgramPath());
  const std::optional<std::u16string> xml = parts_.scheduler.TaskXml(view.task_name);
  const std::optional<TimeOfDay> time = xml ? DailyTaskTime(*xml) : std::nullopt;
  view.registered = xml.has_value();
  if (time) view.time = *time;
  view.state = !xml   ? texts::kDailyTourNotRegistered
               : time ? cp932::FillText(texts::kDailyTourRegisteredAt, TimeText(*time))
                      : texts::kDailyTourRegisteredNoTime;
  view.browser = cp932::FillText(texts::kDailyTourBrowser, parts_.browser_name());
  view.page_time =
      cp932::FillText(texts::kDailyTourPageTime, PageTimeText(parts_.page_time_field.Text()));
  return view;
}

DailyTourView DailyTourForm::RegisterClick(TimeOfDay time) {
  const std::uint32_t seconds = PageDisplayInterval(parts_.page_time_field.Text()) / 1000;
  const Path program = parts_.files.ProgramPath();
  parts_.scheduler.Register(DailyTaskName(program),
                            DailyTaskXml({program, BesideListFile(ListFilePath(program), u".log"),
                                          time, seconds, parts_.clock.Now()}));
  return Read();
}

DailyTourView DailyTourForm::DeleteClick() {
  parts_.scheduler.Delete(DailyTaskName(parts_.files.ProgramPath()));
  return Read();
}

}  // namespace vimbrel
