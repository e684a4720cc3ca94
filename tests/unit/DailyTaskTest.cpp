// The task of the daily tour: its name, its definition byte for byte, and the
// time read back from a definition.
#include "app/DailyTask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CommandLine.h"

namespace vimbrel {
namespace {

TEST(DailyTask, IsNamedAfterTheFolderWithAHashOfThePath) {
  const std::pair<Path, std::u16string> cases[] = {
      {u"C:\\Tools\\Vimbrel\\vimbrel.exe", u"ビンブレル C：＼Tools＼Vimbrel (10D2B88D)"},
      // The same file, as Windows takes it.
      {u"c:\\TOOLS\\vimbrel\\VIMBREL.EXE", u"ビンブレル c：＼TOOLS＼vimbrel (10D2B88D)"},
      // Two other programs whose folders read alike.
      {u"C:\\Tools\\Vimbrel\\app.exe", u"ビンブレル C：＼Tools＼Vimbrel (C43EA02F)"},
      {u"C:\\Tools＼Vimbrel\\vimbrel.exe", u"ビンブレル C：＼Tools＼Vimbrel (F6A774ED)"},
      {u"C:\\vimbrel.exe", u"ビンブレル C：＼ (DEBFF663)"},
      {u"\\\\server\\share\\一覧表 2\\vimbrel.exe",
       u"ビンブレル ＼＼server＼share＼一覧表 2 (E3622AEF)"},
  };
  for (const auto& [program, name] : cases) {
    EXPECT_EQ(DailyTaskName(program), name);
  }
  // A long folder keeps its end, and no half of a surrogate pair.
  const std::u16string name = DailyTaskName(u"C:\\" + std::u16string(130, u'表') + u"\\v.exe");
  EXPECT_EQ(name.substr(0, 8), u"ビンブレル …表");
  EXPECT_EQ(name.size(), 6 + 120 + 11u);
  std::u16string faces;
  for (int i = 0; i < 80; ++i) faces += u"😀";
  const std::u16string cut = DailyTaskName(u"C:\\" + faces + u"\\v.exe");
  EXPECT_EQ(cut.substr(6, 3), u"…😀");
  EXPECT_EQ(cut.size(), 6 + 119 + 11u);
}

// The whole definition for the first case, and the parts that differ for the
// others.
constexpr char16_t kXml[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    u"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    u"  <RegistrationInfo>\r\n"
    u"    <Description>ビンブレルで巡回リストを毎日巡回し、その記録を "
    u"C:\\Tools\\Vimbrel\\vimbrel.log に残します。</Description>\r\n"
    u"  </RegistrationInfo>\r\n"
    u"  <Triggers>\r\n"
    u"    <CalendarTrigger>\r\n"
    u"      <StartBoundary>2026-12-09T07:30:00</StartBoundary>\r\n"
    u"      <ScheduleByDay>\r\n"
    u"        <DaysInterval>1</DaysInterval>\r\n"
    u"      </ScheduleByDay>\r\n"
    u"    </CalendarTrigger>\r\n"
    u"  </Triggers>\r\n"
    u"  <Principals>\r\n"
    u"    <Principal id=\"Author\">\r\n"
    u"      <LogonType>InteractiveToken</LogonType>\r\n"
    u"      <RunLevel>LeastPrivilege</RunLevel>\r\n"
    u"    </Principal>\r\n"
    u"  </Principals>\r\n"
    u"  <Settings>\r\n"
    u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
    u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
    u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
    u"    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
    u"    <WakeToRun>false</WakeToRun>\r\n"
    u"    <ExecutionTimeLimit>PT23H</ExecutionTimeLimit>\r\n"
    u"  </Settings>\r\n"
    u"  <Actions Context=\"Author\">\r\n"
    u"    <Exec>\r\n"
    u"      <Command>\"C:\\Tools\\Vimbrel\\vimbrel.exe\"</Command>\r\n"
    u"      <Arguments>/tour /wait=6</Arguments>\r\n"
    u"      <WorkingDirectory>C:\\Tools\\Vimbrel</WorkingDirectory>\r\n"
    u"    </Exec>\r\n"
    u"  </Actions>\r\n"
    u"</Task>\r\n";

std::u16string Replaced(std::u16string text, std::u16string_view from, std::u16string_view to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(DailyTask, IsDefinedDailyAtTheNextTimeWithTheProgramQuoted) {
  struct Case {
    Path program;
    TimeOfDay time;
    std::uint32_t seconds;
    LocalTime now;
    std::u16string start, command, wait, folder;  // as the definition holds them
  };
  const Case cases[] = {
      {u"C:\\Tools\\Vimbrel\\vimbrel.exe",
       {7, 30},
       6,
       {2026, 12, 9, 6, 0, 0},
       u"2026-12-09T07:30:00",
       u"\"C:\\Tools\\Vimbrel\\vimbrel.exe\"",
       u"6",
       u"C:\\Tools\\Vimbrel"},
      // The time has come today: the first start is tomorrow's.
      {u"C:\\Program Files (x86)\\My Tools\\vimbrel.exe",
       {7, 30},
       20,
       {2026, 12, 9, 7, 30, 0},
       u"2026-12-10T07:30:00",
       u"\"C:\\Program Files (x86)\\My Tools\\vimbrel.exe\"",
       u"20",
       u"C:\\Program Files (x86)\\My Tools"},
      {u"D:\\巡回 & <表>\\表.exe",
       {23, 59},
       2147483,
       {2026, 12, 31, 23, 59, 30},
       u"2027-01-01T23:59:00",
       u"\"D:\\巡回 &amp; &lt;表&gt;\\表.exe\"",
       u"2147483",
       u"D:\\巡回 &amp; &lt;表&gt;"},
      {u"C:\\v.exe",
       {0, 0},
       3,
       {2028, 2, 28, 12, 0, 0},
       u"2028-02-29T00:00:00",
       u"\"C:\\v.exe\"",
       u"3",
       u"C:\\"},
      {u"C:\\v.exe",
       {0, 5},
       3,
       {2100, 2, 28, 0, 5, 1},
       u"2100-03-01T00:05:00",
       u"\"C:\\v.exe\"",
       u"3",
       u"C:\\"},
  };
  for (const Case& c : cases) {
    const DailyTaskAction action = DailyTaskActionFor(c.program, c.seconds);
    const Path log = action.folder + u"\\vimbrel.log";
    std::u16string expected = Replaced(kXml, u"2026-12-09T07:30:00", c.start);
    expected = Replaced(expected, u"C:\\Tools\\Vimbrel\\vimbrel.log", c.folder + u"\\vimbrel.log");
    expected = Replaced(expected, u"\"C:\\Tools\\Vimbrel\\vimbrel.exe\"", c.command);
    expected = Replaced(expected, u"wait=6", u"wait=" + c.wait);
    expected = Replaced(expected, u">C:\\Tools\\Vimbrel<", u">" + c.folder + u"<");
    const std::u16string xml = DailyTaskXml({c.program, log, c.time, c.seconds, c.now});
    EXPECT_EQ(xml, expected);
    EXPECT_EQ(DailyTaskTime(xml), c.time);
    EXPECT_EQ(SplitCommandLine(action.command + u" " + action.arguments),
              (std::vector<std::u16string>{c.program, u"/tour", u"/wait=" + c.wait}));
  }
}

TEST(DailyTask, TakesTheTimeFromTheFirstCalendarTriggerOnly) {
  const std::pair<std::u16string, std::optional<TimeOfDay>> cases[] = {
      // Wine gives back a definition without triggers.
      {u"<Task><Settings><Enabled>true</Enabled></Settings></Task>", std::nullopt},
      {u"<CalendarTrigger><StartBoundary>2026-12-09T06:05:00.000+09:00</StartBoundary>",
       TimeOfDay{6, 5}},
      {u"<TimeTrigger><StartBoundary>2026-12-09T06:05:00</StartBoundary></TimeTrigger>"
       u"<CalendarTrigger></CalendarTrigger><Exec><StartBoundary>2026-12-09T06:05:00",
       std::nullopt},
      {u"<CalendarTrigger><StartBoundary>2026-12-09T24:00:00</StartBoundary>", std::nullopt},
      {u"<CalendarTrigger><StartBoundary>2026-12-09 07:30:00</StartBoundary>", std::nullopt},
      {u"<CalendarTrigger><StartBoundary>2026-12-09T07:3", std::nullopt},
  };
  for (const auto& [xml, time] : cases) EXPECT_EQ(DailyTaskTime(xml), time);
}

}  // namespace
}  // namespace vimbrel
