// The Task Scheduler through its interface: a task by name, read back,
// replaced and removed, and a definition it refuses.
#include "platform/win32/Win32TaskScheduler.h"

#include <gtest/gtest.h>

#include "app/DailyTask.h"
#include "platform/Exception.h"
#include "platform/win32/Win32Automation.h"

namespace vimbrel::win32 {
namespace {

TEST(Win32TaskScheduler, RegistersReplacesAndDeletesATaskByName) {
  ComApartment apartment;
  Win32TaskScheduler scheduler;
  const std::u16string name = u"ビンブレル テスト ＼ (Win32TaskScheduler)";
  scheduler.Delete(name);
  EXPECT_EQ(scheduler.TaskXml(name), std::nullopt);

  // Refused: the system's status and text, and nothing registered.
  try {
    scheduler.Register(name, u"<Task/>");
    ADD_FAILURE() << "a task without the schema was registered";
  } catch (const EOleSysError& error) {
    EXPECT_LT(error.ErrorCode(), 0);
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_EQ(scheduler.TaskXml(name), std::nullopt);

  for (std::uint32_t seconds : {6u, 20u}) {
    scheduler.Register(
        name, DailyTaskXml({u"C:\\v.exe", u"C:\\v.log", {7, 30}, seconds, {2026, 12, 9, 6, 0, 0}}));
    const std::optional<std::u16string> xml = scheduler.TaskXml(name);
    ASSERT_TRUE(xml);
    EXPECT_NE(xml->find(u"<ExecutionTimeLimit>PT23H</ExecutionTimeLimit>"), std::u16string::npos);
  }
  scheduler.Delete(name);
  EXPECT_EQ(scheduler.TaskXml(name), std::nullopt);
  scheduler.Delete(name);
}

}  // namespace
}  // namespace vimbrel::win32
