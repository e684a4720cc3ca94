// Starting the program with and without a list file, and saving at once.
#include "ProgramTest.h"
#include "platform/Texts.h"

namespace vimbrel::e2e {
namespace {

class StartupTest : public ProgramTest {};

TEST_F(StartupTest, WithoutListFileShowsTheStartupGridAndSavesIt) {
  RunningProgram& program = Start();
  HWND main = program.MainWindow();
  EXPECT_EQ(Cp932TextOf(main), texts::kMainWindowCaption);
  EXPECT_EQ(Cp932TextOf(program.ApplicationWindow()), texts::kApplicationTitle);
  // Owned by the application window, which carries the taskbar entry.
  EXPECT_EQ(GetWindow(main, GW_OWNER), program.ApplicationWindow());
  ExpectNoMessageBox();
  program.Screenshot(L"main-window-empty");

  EXPECT_EQ(SaveWithButton(), StartupListBytes());
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
  CloseExpectingCleanExit();
}

TEST_F(StartupTest, TheWorkedExampleIsSavedBackByteForByte) {
  ASSERT_EQ(WorkedExampleBytes().size(), 83u);
  folder_.WriteListFile(WorkedExampleBytes());
  RunningProgram& program = Start();
  program.MainWindow();
  ExpectNoMessageBox();
  program.Screenshot(L"main-window-loaded");

  EXPECT_EQ(SaveWithButton(), WorkedExampleBytes());
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
