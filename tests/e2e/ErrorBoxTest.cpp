// Failures of the list file that a user can run into, each shown in the error
// box: its text (with the "." rule applied), caption, button and owner, and
// what the failure leaves behind.
#include <functional>

#include "ProgramTest.h"
#include "platform/Texts.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

void ExpectErrorBox(RunningProgram& program, const MessageBoxView& box, const char* utf8_text) {
  EXPECT_EQ(box.Text(), Sjis(utf8_text)) << Readable(box.Text());
  EXPECT_EQ(box.Caption(), texts::kApplicationTitle) << Readable(box.Caption());
  EXPECT_EQ(box.Buttons(), std::vector<int>{IDOK});
  EXPECT_TRUE(box.HasIcon());
  EXPECT_EQ(box.Owner(), program.ApplicationWindow());
}

class HeldListFileTest : public ProgramTest {};

TEST_F(HeldListFileTest, FailsToLoadAndToSaveUntilTheOtherProgramLetsGo) {
  folder_.WriteListFile(WorkedExampleBytes());
  win32::FileHandle other_program = folder_.HoldListFile();
  RunningProgram& program = Start();

  MessageBoxView box = program.WaitForMessageBox();
  // The load runs while the window is created, before it is shown.
  HWND main = program.MainWindowIfAny();
  EXPECT_TRUE(main == nullptr || !IsWindowVisible(main));
  ExpectErrorBox(program, box, "I/O エラー (32)");
  program.Screenshot(L"error-box");
  box.Press(IDOK);
  EXPECT_TRUE(IsWindowVisible(program.MainWindow()));
  ExpectNoMessageBox();

  box = ClickExpectingBox(ui::kSaveButton);
  ExpectErrorBox(program, box, "I/O エラー (32)");
  box.Press(IDOK);

  other_program.Reset();
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
  // Nothing was loaded: the grid is still the one of the start.
  EXPECT_EQ(SaveWithButton(), StartupListBytes());
  CloseExpectingCleanExit();
}

class SaveErrorTest;

struct SaveError {
  const char* name;
  std::function<void(SaveErrorTest&)> provoke;
  const char* box_text;  // UTF-8
};

void PrintTo(const SaveError& error, std::ostream* out) { *out << error.name; }

class SaveErrorTest : public ProgramTest, public ::testing::WithParamInterface<SaveError> {
 public:
  void HoldListFile() { other_program_ = folder_.HoldListFile(); }
  void MakeListFileReadOnly() { folder_.SetListFileReadOnly(); }
  void PutFolderInListFilesPlace() {
    folder_.RemoveListFile();
    ASSERT_TRUE(CreateDirectoryW(folder_.ListFilePath().c_str(), nullptr));
  }

 protected:
  win32::FileHandle other_program_;
};

TEST_P(SaveErrorTest, ShowsTheErrorAndLeavesTheListAsItWas) {
  const SaveError& error = GetParam();
  folder_.WriteListFile(WorkedExampleBytes());
  RunningProgram& program = Start();
  program.MainWindow();
  ExpectNoMessageBox();
  error.provoke(*this);
  const std::vector<std::wstring> entries = folder_.Entries();

  MessageBoxView box = ClickExpectingBox(ui::kSaveButton);
  ExpectErrorBox(program, box, error.box_text);
  box.Press(IDOK);
  EXPECT_TRUE(IsWindowVisible(program.MainWindow()));
  ExpectNoMessageBox();

  // Nothing written, nothing left lying beside the list.
  other_program_.Reset();
  EXPECT_EQ(folder_.Entries(), entries);
  const DWORD attributes = GetFileAttributesW(folder_.ListFilePath().c_str());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
  }
  // A failed save changes nothing, so closing asks nothing.
  CloseExpectingCleanExit();
}

// "I/O エラー (32)" ends in ")", below ".", so it gets no "."; the Japanese
// text ends in a double-byte character and gets one.
const SaveError kSaveErrors[] = {
    {"HeldByAnotherProgram", &SaveErrorTest::HoldListFile, "I/O エラー (32)"},
    {"ReadOnly", &SaveErrorTest::MakeListFileReadOnly, "ファイルへのアクセスが拒否されました."},
    {"FolderInItsPlace", &SaveErrorTest::PutFolderInListFilesPlace,
     "ファイルへのアクセスが拒否されました."},
};

INSTANTIATE_TEST_SUITE_P(ListFile, SaveErrorTest, ::testing::ValuesIn(kSaveErrors),
                         [](const auto& info) { return std::string(info.param.name); });

// A drive of a few megabytes that the test runner maps where it may mount
// one; empty where there is none.
std::wstring SmallDrive() {
  const wchar_t* drive = _wgetenv(L"VIMBREL_SMALL_DRIVE");
  return drive != nullptr ? drive : L"";
}

FolderLayout OnSmallDrive() {
  FolderLayout layout;
  layout.root = SmallDrive();
  return layout;
}

// The program and its list on a drive that the case fills up.
class FullDiskTest : public ProgramTest {
 protected:
  FullDiskTest() : ProgramTest(OnSmallDrive()) {}
  void SetUp() override {
    if (SmallDrive().empty()) GTEST_SKIP() << "no small drive mapped";
  }

  std::wstring FillerPath() const { return folder_.Folder() + L"\\filler"; }

  // A file beside the program that takes all the space left but `room`.
  void FillTheDisk(LONGLONG room = 0) {
    win32::FileHandle filler(CreateFileW(FillerPath().c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(filler.Valid());
    const std::string block(4096, 'f');
    DWORD written = block.size();
    for (int blocks = 0; written == block.size() && blocks < 100000; ++blocks) {
      if (!WriteFile(filler.Get(), block.data(), static_cast<DWORD>(block.size()), &written,
                     nullptr)) {
        break;
      }
    }
    if (room == 0) return;
    LARGE_INTEGER back{};
    back.QuadPart = -room;
    ASSERT_TRUE(SetFilePointerEx(filler.Get(), back, nullptr, FILE_END) &&
                SetEndOfFile(filler.Get()));
  }
};

TEST_F(FullDiskTest, ASaveThatDoesNotFitKeepsTheOldListAndTheChanges) {
  folder_.WriteListFile(WorkedExampleBytes());
  RunningProgram& program = Start();
  program.MainWindow();
  ExpectNoMessageBox();
  program.ClickButton(ui::kAddRowButton);
  program.ClickButton(ui::kAddRowButton);
  FillTheDisk();
  const std::vector<std::wstring> entries = folder_.Entries();

  MessageBoxView box = ClickExpectingBox(ui::kSaveButton);
  // ERROR_DISK_FULL has no text of its own: "I/O エラー (112)", which ends in
  // ")" and so gets no ".".
  ExpectErrorBox(program, box, "I/O エラー (112)");
  box.Press(IDOK);
  EXPECT_TRUE(IsWindowVisible(program.MainWindow()));
  ExpectNoMessageBox();
  // The old list whole, and nothing of the new one left beside it.
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
  EXPECT_EQ(folder_.Entries(), entries);

  // The added rows are still unsaved.
  CloseExpectingPrompt().Press(IDNO);
  EXPECT_EQ(program.WaitForExitCode(), 0u);
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

// A viewer follows the list: it may be written, not replaced. The disk has
// room for the new list beside it but not for the list grown in place.
TEST_F(FullDiskTest, ASaveBesideAViewerThatDoesNotFitInPlaceKeepsTheOldList) {
  std::string list = Sjis("No,URL,タブ数,逆タブ数\r\n");
  for (int row = 1; row <= 1500; ++row) {
    list += std::to_string(row) + ",http://example.com/page" + std::to_string(row) + ".htm,1,2\r\n";
  }
  folder_.WriteListFile(list);
  RunningProgram& program = Start();
  program.MainWindow();
  ExpectNoMessageBox();
  folder_.WriteListFile(WorkedExampleBytes());
  win32::FileHandle viewer = folder_.HoldListFile(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  FillTheDisk(static_cast<LONGLONG>(list.size() * 3 / 2));
  const std::vector<std::wstring> entries = folder_.Entries();

  MessageBoxView box = ClickExpectingBox(ui::kSaveButton);
  ExpectErrorBox(program, box, "I/O エラー (112)");
  box.Press(IDOK);
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
  EXPECT_EQ(folder_.Entries(), entries);

  // With room made and the viewer gone, the save goes through.
  viewer.Reset();
  ASSERT_TRUE(DeleteFileW(FillerPath().c_str()));
  program.ClickButton(ui::kSaveButton);
  EXPECT_TRUE(WaitUntil([&] { return folder_.ReadListFile() == list; }, 10s));
  ExpectNoMessageBox();
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
  CloseExpectingCleanExit();
}

}  // namespace
}  // namespace vimbrel::e2e
