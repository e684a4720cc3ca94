// The program in folders whose names are awkward for a program that works in
// code page 932: the list file is still read from and written beside it.
#include "ProgramTest.h"

namespace vimbrel::e2e {
namespace {

struct Folder {
  const char* name;
  std::vector<std::wstring> subfolders;
  // Folders of 表 follow until the program's path has this many characters.
  std::size_t program_path_length = 0;
};

void PrintTo(const Folder& folder, std::ostream* out) { *out << folder.name; }

class FolderTest : public ProgramTest, public ::testing::WithParamInterface<Folder> {
 protected:
  FolderTest() : ProgramTest(GetParam().subfolders, GetParam().program_path_length, L'\u8868') {}
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
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
  CloseExpectingCleanExit();
}

// Windows starts no program from a path of MAX_PATH characters or more: 259
// is the longest. In code page 932 such a path of 表 takes about twice as
// many bytes, more than a buffer of MAX_PATH bytes holds.
constexpr std::size_t kLongestProgramPath = MAX_PATH - 1;

const Folder kFolders[] = {
    // 表 is 0x95 0x5C in code page 932: its second byte is a backslash.
    {"NameWithHyou", {L"\u4E00\u89A7\u8868"}},                   // 一覧表
    {"NameOutsideCodePage932", {L"\uD55C\uAE00 \u015Ckatolo"}},  // 한글 Ŝkatolo
    {"LongestPathOfHyou", {}, kLongestProgramPath},
};

INSTANTIATE_TEST_SUITE_P(ProgramFolder, FolderTest, ::testing::ValuesIn(kFolders),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vimbrel::e2e
