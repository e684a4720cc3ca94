// The program under other names and in folders whose names are awkward for a
// program that works in code page 932: the list file is still read from and
// written beside it, under the program's name with its extension replaced.
#include <algorithm>

#include "ProgramTest.h"

namespace vimbrel::e2e {
namespace {

struct Folder {
  const char* name;
  std::vector<std::wstring> subfolders;
  const wchar_t* program_name = L"vimbrel.exe";
  const wchar_t* list_name = L"vimbrel.dat";
  // Folders of 表 follow until the program's path has this many characters.
  std::size_t program_path_length = 0;
};

void PrintTo(const Folder& folder, std::ostream* out) { *out << folder.name; }

FolderLayout LayoutOf(const Folder& folder) {
  FolderLayout layout;
  layout.subfolders = folder.subfolders;
  layout.program_name = folder.program_name;
  layout.list_name = folder.list_name;
  layout.program_path_length = folder.program_path_length;
  layout.filler = L'\u8868';
  return layout;
}

class FolderTest : public ProgramTest, public ::testing::WithParamInterface<Folder> {
 protected:
  FolderTest() : ProgramTest(LayoutOf(GetParam())) {}
};

TEST_P(FolderTest, LoadsAndSavesTheListBesideTheProgram) {
  if (GetParam().program_path_length > 0) {
    ASSERT_EQ(folder_.ProgramPath().size(), GetParam().program_path_length);
    ASSERT_GT(WideCharToMultiByte(932, 0, folder_.ProgramPath().c_str(), -1, nullptr, 0, nullptr,
                                  nullptr),
              MAX_PATH + 1);
  }
  folder_.WriteListFile(WorkedExampleBytes());
  Start().MainWindow();
  ExpectNoMessageBox();
  Program().ClickButton(ui::kAddRowButton);
  // Row 4 after the three loaded rows shows that the load found the file.
  EXPECT_EQ(SaveWithButton(), WorkedExampleBytes() + "4,\" \",\" \",\" \"\r\n");
  std::vector<std::wstring> entries{folder_.ListFileName(), folder_.ProgramName()};
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(folder_.Entries(), entries);
  CloseExpectingCleanExit();
}

// Windows starts no program from a path of MAX_PATH characters or more: 259
// is the longest. In code page 932 such a path of 表 takes about twice as
// many bytes, more than a buffer of MAX_PATH bytes holds.
constexpr std::size_t kLongestProgramPath = MAX_PATH - 1;

const Folder kFolders[] = {
    {"OtherName", {}, L"app.exe", L"app.dat"},
    // Only the last dot starts the extension.
    {"TwoDotsInTheName", {}, L"app.new.exe", L"app.new.dat"},
    // A dot in the folder's name is no extension of the program's.
    {"NoExtensionInFolderWithDot", {L"data.old"}, L"app", L"app.dat"},
    // 表 is 0x95 0x5C in code page 932: its second byte is a backslash.
    {"NameOfHyou", {}, L"\u8868.exe", L"\u8868.dat"},
    {"FolderWithHyou", {L"\u4E00\u89A7\u8868"}},                 // 一覧表
    {"NameOutsideCodePage932", {L"\uD55C\uAE00 \u015Ckatolo"}},  // 한글 Ŝkatolo
    {"LongestPathOfHyou", {}, L"vimbrel.exe", L"vimbrel.dat", kLongestProgramPath},
};

INSTANTIATE_TEST_SUITE_P(ProgramFolder, FolderTest, ::testing::ValuesIn(kFolders),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vimbrel::e2e
