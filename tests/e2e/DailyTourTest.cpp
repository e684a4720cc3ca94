// The dialog 毎日の巡回 as the user handles it, and the task it leaves in
// Wine's Task Scheduler, read back through the scheduler's own interface.
// Wine keeps no triggers or actions of a task: the unit tests check those,
// and Wine's scheduler kept the settings that it writes out.
#include "ProgramTest.h"
#include "UserInput.h"
#include "app/DailyTask.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

// The dialog's controls.
constexpr int kStateText = 100;
constexpr int kTaskNameField = 101;
constexpr int kTimePicker = 102;
constexpr int kPageTimeText = 104;
constexpr int kDeleteButton = 105;

class DailyTourTest : public ProgramTest {
 protected:
  void TearDown() override {
    try {
      scheduler_.Delete(TaskName());
    } catch (const std::exception& error) {
      ADD_FAILURE() << "the task is left: " << error.what();
    }
  }

  std::u16string TaskName() const {
    const std::wstring program = folder_.ProgramPath();
    return DailyTaskName(Path(program.begin(), program.end()));
  }
  HWND OpenDialog() {
    Program().ClickButton(ui::kDailyTourButton);
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
          dialog = FindTopLevel(Program().ProcessId(), ui::kDailyTourClass, true);
          return dialog != nullptr || Program().HasMessageBox();
        },
        20s);
    if (dialog == nullptr) ExpectNoMessageBox();
    EXPECT_NE(dialog, nullptr) << "no dialog";
    return dialog;
  }
  static std::string Text(HWND dialog, int id) { return Cp932TextOf(GetDlgItem(dialog, id)); }

  win32::ComApartment apartment_;
  win32::Win32TaskScheduler scheduler_;
};

TEST_F(DailyTourTest, RegistersTheTaskAtTheTimeSetAndRemovesIt) {
  HWND main = Start().MainWindow();
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(Text(dialog, kStateText), texts::kDailyTourNotRegistered);
  const std::u16string name = TaskName();
  EXPECT_EQ(TextOf(GetDlgItem(dialog, kTaskNameField)), std::wstring(name.begin(), name.end()));
  EXPECT_EQ(Text(dialog, kPageTimeText), Sjis("ページ表示時間: 6秒"));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kDeleteButton)));
  HWND picker = GetDlgItem(dialog, kTimePicker);
  EXPECT_EQ(TextOf(picker), L"07:00");
  Program().Screenshot(L"daily-tour");

  // A click on the hours, then on to the minutes.
  const RECT box = WindowRectOf(picker);
  ClickAt({box.left + HeightOf(box) / 3, (box.top + box.bottom) / 2});
  PressKey(VK_RIGHT);
  TypeText("30");
  EXPECT_TRUE(WaitUntil([&] { return TextOf(picker) == L"07:30"; }, 5s))
      << Readable(Cp932TextOf(picker));
  ClickCentreOf(GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(
      WaitUntil([&] { return Text(dialog, kStateText) == texts::kDailyTourRegisteredNoTime; }, 20s))
      << Readable(Text(dialog, kStateText));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kDeleteButton)));
  // What the scheduler keeps of the settings, which Wine writes out afresh.
  const std::u16string kept = scheduler_.TaskXml(name).value_or(u"");
  for (const char16_t* setting :
       {u"<DisallowStartIfOnBatteries>false<", u"<StopIfGoingOnBatteries>false<",
        u"<StartWhenAvailable>true<", u"<MultipleInstancesPolicy>IgnoreNew<",
        u"<ExecutionTimeLimit>PT23H<", u"<WakeToRun>false<"}) {
    EXPECT_NE(kept.find(setting), std::u16string::npos) << std::string(setting, setting + 20);
  }

  // Esc closes it; opened again it shows the task.
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && IsWindowEnabled(main); }, 10s));
  dialog = OpenDialog();
  EXPECT_EQ(Text(dialog, kStateText), texts::kDailyTourRegisteredNoTime);
  ClickCentreOf(GetDlgItem(dialog, kDeleteButton));
  EXPECT_TRUE(
      WaitUntil([&] { return Text(dialog, kStateText) == texts::kDailyTourNotRegistered; }, 20s));
  EXPECT_EQ(scheduler_.TaskXml(name), std::nullopt);
  ClickCentreOf(GetDlgItem(dialog, IDCANCEL));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
  ExpectNoMessageBox();
  CloseExpectingCleanExit();
}

TEST_F(DailyTourTest, APageTimeTheTourCannotUseRegistersNothing) {
  Start(std::nullopt, L"/wait=0");
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  ClickCentreOf(GetDlgItem(dialog, IDOK));
  MessageBoxView box = Program().WaitForMessageBox();
  EXPECT_EQ(box.Text(), Sjis("ページ表示時間 0 秒は 1 から 2147483 秒までの範囲にありません."));
  box.Press(IDOK);
  EXPECT_EQ(Text(dialog, kStateText), texts::kDailyTourNotRegistered);
  EXPECT_EQ(scheduler_.TaskXml(TaskName()), std::nullopt);
  // Nor does a definition that the scheduler refuses, which raises its status.
  EXPECT_THROW(scheduler_.Register(TaskName(), u"<Task/>"), EOleSysError);
  EXPECT_EQ(scheduler_.TaskXml(TaskName()), std::nullopt);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
