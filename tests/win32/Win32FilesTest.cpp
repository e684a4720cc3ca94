#include "platform/win32/Win32Files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "list/ListFile.h"
#include "list/RowText.h"
#include "list/StringGrid.h"
#include "platform/Exception.h"
#include "platform/win32/Handle.h"
#include "support/Sjis.h"
#include "support/TempFolder.h"

namespace vimbrel::win32 {
namespace {

using testing::Sjis;
using testing::TempFolder;

int ErrorCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EInOutError& error) {
    return error.ErrorCode();
  }
  return 0;
}

StringGrid GridOf(std::initializer_list<const char*> rows) {
  StringGrid grid;
  grid.SetRowCount(static_cast<int>(rows.size()));
  int row = 0;
  for (const char* text : rows) SetRowText(grid, row++, text);
  return grid;
}

class Win32FilesTest : public ::testing::Test {
 protected:
  Win32Files files;
  TempFolder folder;
  Path list = folder.Child(u"app.dat");
};

TEST_F(Win32FilesTest, SavesAndLoadsTheListThroughTheWideApi) {
  StringGrid grid = GridOf({"No,URL,x,y", "1,http://example.com/,3,0"});
  ASSERT_TRUE(SaveListFile(files, grid, list));
  EXPECT_EQ(folder.Read(list), "No,URL,x,y\r\n1,http://example.com/,3,0\r\n");
  StringGrid loaded;
  EXPECT_TRUE(LoadListFile(files, loaded, list));
  EXPECT_EQ(GetRowText(loaded, 1), "1,http://example.com/,3,0");
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"app.dat"});
}

TEST_F(Win32FilesTest, ADirectoryWithTheListNameIsNoFile) {
  ASSERT_TRUE(CreateDirectoryW(ExtendedLengthPath(list).c_str(), nullptr));
  EXPECT_FALSE(files.IsFile(list));
  EXPECT_FALSE(files.IsFile(folder.Child(u"missing.dat")));
  StringGrid grid;
  EXPECT_EQ(ErrorCodeOf([&] { SaveListFile(files, grid, list); }), ERROR_ACCESS_DENIED);
}

TEST_F(Win32FilesTest, AFileHeldForWritingByAnotherProgramIsASharingViolation) {
  folder.Write(list, "old\r\n");
  FileHandle other(CreateFileW(ExtendedLengthPath(list).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other.Valid());
  StringGrid grid;
  EXPECT_EQ(ErrorCodeOf([&] { LoadListFile(files, grid, list); }), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ErrorCodeOf([&] { SaveListFile(files, grid, list); }), ERROR_SHARING_VIOLATION);
  other.Reset();
  EXPECT_EQ(folder.Read(list), "old\r\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"app.dat"});
}

TEST_F(Win32FilesTest, AReadOnlyListFileIsRefusedAndStaysAsItWas) {
  folder.Write(list, "old\r\n");
  ASSERT_TRUE(SetFileAttributesW(ExtendedLengthPath(list).c_str(), FILE_ATTRIBUTE_READONLY));
  StringGrid grid = GridOf({"new", "1"});
  try {
    SaveListFile(files, grid, list);
    FAIL() << "saved over a read-only file";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(error.Message(), Sjis("ファイルへのアクセスが拒否されました"));
  }
  EXPECT_EQ(folder.Read(list), "old\r\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"app.dat"});
  SetFileAttributesW(ExtendedLengthPath(list).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FilesTest, AMissingFolderIsPathNotFound) {
  StringGrid grid;
  EXPECT_EQ(ErrorCodeOf([&] { SaveListFile(files, grid, folder.Child(u"no\\app.dat")); }),
            ERROR_PATH_NOT_FOUND);
}

TEST_F(Win32FilesTest, AnUncommittedSaveLeavesTheOldFileAndNoTemporaryFile) {
  folder.Write(list, "old\r\n");
  {
    std::unique_ptr<OutputFile> output = files.OpenForReplacing(list);
    output->Write("new\r\n", 5);
    EXPECT_EQ(folder.Entries().size(), 2u);  // the new content is written beside it
  }
  EXPECT_EQ(folder.Read(list), "old\r\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"app.dat"});
}

// Saves that writing the file in place allowed: beside a viewer that follows
// the file (it lets others write it but not replace it), and after a save
// that was killed before it could put its new content in place. A file of the
// user's own with a name like the saves' stays.
TEST_F(Win32FilesTest, SavesInPlaceWhereTheListCannotBeReplacedAndLeavesNoTemporaryFile) {
  folder.Write(list, "old\r\n");
  folder.Write(folder.Child(u"app.dat.~4242-1.tmp"), "killed\r\n");
  folder.Write(folder.Child(u"app.dat.~old.tmp"), "mine\r\n");
  FileHandle viewer(CreateFileW(ExtendedLengthPath(list).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_TRUE(viewer.Valid());
  StringGrid grid = GridOf({"new", "1"});
  EXPECT_EQ(ErrorCodeOf([&] { SaveListFile(files, grid, list); }), 0);
  EXPECT_EQ(folder.Read(list), "new,,,\r\n1,,,\r\n");
  viewer.Reset();
  grid = GridOf({"newer", "1"});
  EXPECT_EQ(ErrorCodeOf([&] { SaveListFile(files, grid, list); }), 0);
  EXPECT_EQ(folder.Read(list), "newer,,,\r\n1,,,\r\n");
  EXPECT_EQ(folder.Entries(), (std::vector<std::wstring>{L"app.dat", L"app.dat.~old.tmp"}));
}

// Only where the list or its folder may be written but not replaced; any
// other failure is the save's and leaves the old list.
TEST(Win32FilesSave, WritesInPlaceOnlyWhereTheListCannotBeReplaced) {
  const std::pair<DWORD, bool> cases[] = {
      {ERROR_ACCESS_DENIED, true},     {ERROR_SHARING_VIOLATION, true},
      {ERROR_LOCK_VIOLATION, true},    {ERROR_DISK_FULL, false},
      {ERROR_HANDLE_DISK_FULL, false}, {1295 /* disk quota exceeded */, false},
      {ERROR_NOT_ENOUGH_QUOTA, false}, {ERROR_NETNAME_DELETED, false},
      {ERROR_BAD_NETPATH, false},      {ERROR_FILE_EXISTS, false},
      {ERROR_ALREADY_EXISTS, false},   {ERROR_WRITE_FAULT, false},
  };
  for (const auto& [error, in_place] : cases) {
    EXPECT_EQ(SaveWritesInPlaceAfter(error), in_place) << error;
  }
}

TEST_F(Win32FilesTest, ReplacingKeepsTheOldFilesAttributes) {
  folder.Write(list, "old\r\n");
  ASSERT_TRUE(SetFileAttributesW(ExtendedLengthPath(list).c_str(), FILE_ATTRIBUTE_HIDDEN));
  StringGrid grid = GridOf({"h", "1"});
  ASSERT_TRUE(SaveListFile(files, grid, list));
  EXPECT_EQ(folder.Read(list), "h,,,\r\n1,,,\r\n");
  EXPECT_NE(GetFileAttributesW(ExtendedLengthPath(list).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32FilesTest, WorksBeyond260CharactersAndOutsideCodePage932) {
  // Hangul is not in code page 932; the whole path is far beyond MAX_PATH.
  Path deep = folder.Path();
  for (int level = 0; level < 12; ++level) {
    deep += u"\\\uD55C\uAD6D\uC5B4-folder-with-a-rather-long-name";
    ASSERT_TRUE(CreateDirectoryW(ExtendedLengthPath(deep).c_str(), nullptr)) << GetLastError();
  }
  ASSERT_GT(deep.size(), 300u);
  Path deep_list = deep + u"\\app.dat";
  StringGrid grid = GridOf({"No,URL", "1,a"});
  ASSERT_TRUE(SaveListFile(files, grid, deep_list));
  EXPECT_TRUE(files.IsFile(deep_list));
  StringGrid loaded;
  EXPECT_TRUE(LoadListFile(files, loaded, deep_list));
  EXPECT_EQ(GetRowText(loaded, 1), R"(1,a," ",)");
}

TEST(Win32FilesPaths, ExtendsAbsolutePathsOnly) {
  const std::pair<Path, std::wstring> cases[] = {
      {u"C:\\a\\b.dat", L"\\\\?\\C:\\a\\b.dat"},
      {u"\\\\server\\share\\b.dat", L"\\\\?\\UNC\\server\\share\\b.dat"},
      {u"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
      {u"b.dat", L"b.dat"},
  };
  for (const auto& [path, extended] : cases) EXPECT_EQ(ExtendedLengthPath(path), extended);
}

TEST(Win32FilesPaths, TheListFileIsTheProgramsPathWithDat) {
  Win32Files files;
  Path program = files.ProgramPath();
  ASSERT_GT(program.size(), 4u);
  EXPECT_EQ(program.substr(program.size() - 4), u".exe");
  EXPECT_EQ(ListFilePath(program), program.substr(0, program.size() - 4) + u".dat");
}

// A drive of a few kilobytes that the test runner maps when it may mount one.
class Win32FilesOnAFullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const wchar_t* drive = _wgetenv(L"VIMBREL_SMALL_DRIVE");
    if (drive == nullptr || *drive == L'\0') GTEST_SKIP() << "no small drive mapped";
    root_.assign(drive);
  }
  void TearDown() override {
    DeleteFileW((root_ + L"filler").c_str());
    DeleteFileW((root_ + L"app.dat").c_str());
  }

  // Writes a file that takes all the space left.
  void FillTheDisk() {
    FileHandle filler(CreateFileW((root_ + L"filler").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(filler.Valid());
    const std::string block(4096, 'f');
    DWORD written = 0;
    for (int i = 0; i < 100000; ++i) {
      if (!WriteFile(filler.Get(), block.data(), static_cast<DWORD>(block.size()), &written,
                     nullptr) ||
          written < block.size()) {
        break;
      }
    }
  }

  std::wstring root_;
};

TEST_F(Win32FilesOnAFullDisk, ASaveThatDoesNotFitKeepsTheOldListAndLeavesNothingBehind) {
  const Path list(root_.begin(), root_.end());
  const Path list_path = list + u"app.dat";
  {
    FileHandle old(CreateFileW(ExtendedLengthPath(list_path).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(old.Get(), "old\r\n", 5, &written, nullptr));
  }
  FillTheDisk();
  StringGrid grid;
  grid.SetRowCount(2000);
  for (int row = 1; row < 2000; ++row) SetRowText(grid, row, "1,http://example.com/page,1,2");
  Win32Files files;
  try {
    SaveListFile(files, grid, list_path);
    FAIL() << "saved more than the disk holds";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ERROR_DISK_FULL);
    EXPECT_EQ(error.Message(), Sjis("I/O エラー (112)"));
  }
  StringGrid loaded;
  ASSERT_TRUE(LoadListFile(files, loaded, list_path));
  EXPECT_EQ(GetRowText(loaded, 0), "old,,,");
  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW((root_ + L"*.tmp").c_str(), &entry));
  EXPECT_FALSE(find.Valid()) << "a temporary file was left behind";
}

}  // namespace
}  // namespace vimbrel::win32
