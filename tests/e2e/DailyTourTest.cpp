// The dialog 毎日の巡回 as the user handles it, and the task it leaves in
// Wine's Task Scheduler, read back through the scheduler's own interface.
// Wine keeps no triggers or actions of a task: the unit tests check those.
#include <taskschd.h>

#include "ProgramTest.h"
#include "UserInput.h"
#include "app/DailyTask.h"
#include "platform/Texts.h"
#include "platform/win32/Com.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;
using win32::Bstr;
using win32::ComPtr;

// The dialog's controls.
constexpr int kStateText = 100;
constexpr int kTaskNameField = 101;
constexpr int kTimePicker = 102;
constexpr int kPageTimeText = 104;
constexpr int kDeleteButton = 105;

// What the Task Scheduler keeps of a task's settings.
struct KeptSettings {
  VARIANT_BOOL no_start_on_batteries = VARIANT_TRUE;
  VARIANT_BOOL stop_on_batteries = VARIANT_TRUE;
  VARIANT_BOOL start_when_available = VARIANT_FALSE;
  VARIANT_BOOL wake_to_run = VARIANT_TRUE;
  TASK_INSTANCES_POLICY instances = TASK_INSTANCES_PARALLEL;
  std::wstring time_limit;
};

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
    EXPECT_TRUE(WaitUntil(
        [&] { return (dialog = FindTopLevel(Program().ProcessId(), ui::kDailyTourClass, true)); },
        20s));
    return dialog;
  }
  static std::string Text(HWND dialog, int id) { return Cp932TextOf(GetDlgItem(dialog, id)); }

  KeptSettings SettingsOf(const std::u16string& name) {
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    ComPtr<IRegisteredTask> task;
    ComPtr<ITaskDefinition> definition;
    ComPtr<ITaskSettings> settings;
    VARIANT none;
    VariantInit(&none);
    KeptSettings kept;
    Bstr limit;
    EXPECT_TRUE(SUCCEEDED(CoCreateInstance(__uuidof(::TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                                           __uuidof(ITaskService), service.AddressAsVoid())) &&
                SUCCEEDED(service->Connect(none, none, none, none)) &&
                SUCCEEDED(service->GetFolder(Bstr(L"\\").Get(), root.Address())) &&
                SUCCEEDED(root->GetTask(Bstr(std::wstring(name.begin(), name.end())).Get(),
                                        task.Address())) &&
                SUCCEEDED(task->get_Definition(definition.Address())) &&
                SUCCEEDED(definition->get_Settings(settings.Address())) &&
                SUCCEEDED(settings->get_DisallowStartIfOnBatteries(&kept.no_start_on_batteries)) &&
                SUCCEEDED(settings->get_StopIfGoingOnBatteries(&kept.stop_on_batteries)) &&
                SUCCEEDED(settings->get_StartWhenAvailable(&kept.start_when_available)) &&
                SUCCEEDED(settings->get_WakeToRun(&kept.wake_to_run)) &&
                SUCCEEDED(settings->get_MultipleInstances(&kept.instances)) &&
                SUCCEEDED(settings->get_ExecutionTimeLimit(limit.Address())));
    kept.time_limit = limit.View();
    return kept;
  }

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
  EXPECT_TRUE(WaitUntil([&] { return TextOf(picker) == L"07:30"; }, 5s)) << Readable(Cp932TextOf(picker));
  ClickCentreOf(GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(
      WaitUntil([&] { return Text(dialog, kStateText) == texts::kDailyTourRegisteredNoTime; }, 20s))
      << Readable(Text(dialog, kStateText));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kDeleteButton)));
  const KeptSettings kept = SettingsOf(name);
  EXPECT_EQ(kept.no_start_on_batteries, VARIANT_FALSE);
  EXPECT_EQ(kept.stop_on_batteries, VARIANT_FALSE);
  EXPECT_EQ(kept.start_when_available, VARIANT_TRUE);
  EXPECT_EQ(kept.wake_to_run, VARIANT_FALSE);
  EXPECT_EQ(kept.instances, TASK_INSTANCES_IGNORE_NEW);
  EXPECT_EQ(kept.time_limit, L"PT23H");

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
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
