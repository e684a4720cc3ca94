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
  // Started without /tour, no tour starts.
  EXPECT_EQ(Cp932TextOf(program.Control(ui::kTourButton, ui::kButtonClass)), texts::kTourIdle);

  EXPECT_EQ(SaveWithButton(), StartupListBytes());
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
  CloseExpectingCleanExit();
}

TEST_F(StartupTest, TheWorkedExampleIsSavedBackByteForByte) {
  ASSERT_EQ(WorkedExampleBytes().size(), 83u);
  folder_.WriteListFile(WorkedExampleBytes());
  // An argument the program does not know is ignored.
  RunningProgram& program = Start(std::nullopt, L"/tours");
  program.MainWindow();
  ExpectNoMessageBox();
  program.Screenshot(L"main-window-loaded");
  EXPECT_EQ(Cp932TextOf(program.Control(ui::kTourButton, ui::kButtonClass)), texts::kTourIdle);

  EXPECT_EQ(SaveWithButton(), WorkedExampleBytes());
  CloseExpectingCleanExit();
}

// The manifest inside the built program: common controls 6, the layout's own
// scaling, long paths, and no execution level, which would turn off the file
// virtualisation that lets the 32-bit program save under Program Files.
TEST(Manifest, AsksForWhatTheProgramNeedsAndNoExecutionLevel) {
  HMODULE program = LoadLibraryExW(BuiltProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  HRSRC resource =
      FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(resource, nullptr);
  const std::string manifest(
      static_cast<const char*>(LockResource(LoadResource(program, resource))),
      SizeofResource(program, resource));
  FreeLibrary(program);
  for (const char* wanted : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "<dpiAware", "<longPathAware"}) {
    EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
  }
  EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
}

}  // namespace
}  // namespace vimbrel::e2e
