// Starting the program with and without a list file, and saving at once.
#include <string_view>

#include "ProgramTest.h"
#include "platform/Texts.h"
#include "platform/Version.h"

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

// The version resource of the built program: its numbers and its texts tell
// the same version, the zip that make dist packs is named after it, and it
// holds the licence's copyright line.
TEST(VersionResource, AgreesWithTheZipsNameAndTheLicence) {
  const std::wstring path = BuiltProgramPath();
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  auto query = [&](const std::wstring& name) -> std::wstring {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), (L"\\StringFileInfo\\041104B0\\" + name).c_str(), &value,
                        &length)) {
      return L"(none)";
    }
    return static_cast<const wchar_t*>(value);
  };
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  wchar_t numbers[16];
  swprintf(numbers, 16, L"%u.%02u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS));
  const std::wstring version = query(L"FileVersion");
  EXPECT_EQ(version, numbers);
  EXPECT_EQ(query(L"ProductVersion"), version);
  auto widen = [](std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); };
  EXPECT_EQ(L"vimbrel-" + version + L".zip", widen(VIMBREL_DIST_ZIP));
  EXPECT_EQ(query(L"LegalCopyright"), widen(VIMBREL_COPYRIGHT));
}

}  // namespace
}  // namespace vimbrel::e2e
