#include "list/ListFile.h"

#include <gtest/gtest.h>

#include "list/RowText.h"
#include "list/StringGrid.h"
#include "platform/Exception.h"
#include "support/FakeFiles.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeFiles;
using testing::Sjis;

const Path kList = u"C:\\Tools\\app.dat";

// The 83 bytes of a header and three data rows.
std::string WorkedExample() {
  return Sjis("No,URL,タブ数,逆タブ数\r\n") + "1,page1.htm,3,\" \"\r\n" +
         "2,\"my page.htm\",\" \",2\r\n" + "3,\"a,b.htm\",5,0\r\n";
}

// The grid as start-up leaves it before loading: header and the first row.
StringGrid StartupGrid() {
  StringGrid grid;
  SetRowText(grid, 0, Sjis("No,URL,タブ数,逆タブ数"));
  SetRowText(grid, 1, "1,,,,");
  return grid;
}

std::vector<std::string> Rows(const StringGrid& grid) {
  std::vector<std::string> rows;
  for (int row = 0; row < grid.RowCount(); ++row) rows.push_back(GetRowText(grid, row));
  return rows;
}

TEST(ListFilePath, ReplacesOrAppendsTheExtension) {
  const std::pair<Path, Path> cases[] = {
      {u"C:\\Tools\\app.exe", u"C:\\Tools\\app.dat"},
      {u"C:\\Tools\\app.new.exe", u"C:\\Tools\\app.new.dat"},
      {u"C:\\data.old\\app", u"C:\\data.old\\app.dat"},
      {u"C:app", u"C:app.dat"},
      {u"C:\\Tools\\.exe", u"C:\\Tools\\.dat"},
      {u"C:\\Tools\\app.", u"C:\\Tools\\app.dat"},
      // 表 is 0x95 0x5C in code page 932; as a wide character it holds no backslash.
      {u"C:\\表\\app.exe", u"C:\\表\\app.dat"},
      {u"C:\\ツール.表\\表", u"C:\\ツール.表\\表.dat"},
      {u"C:\\Tools\\app.表", u"C:\\Tools\\app.dat"},
      {u"\\\\?\\C:\\Ελληνικά\\app.exe", u"\\\\?\\C:\\Ελληνικά\\app.dat"},
  };
  for (const auto& [program, list] : cases) EXPECT_EQ(ListFilePath(program), list);
}

TEST(LoadListFile, WorkedExampleLoadsAndSavesBackByteForByte) {
  FakeFiles files;
  files.Put(kList, WorkedExample());
  ASSERT_EQ(WorkedExample().size(), 83u);
  StringGrid grid = StartupGrid();
  EXPECT_TRUE(LoadListFile(files, grid, kList));
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cell(1, 2), "my page.htm");
  EXPECT_EQ(grid.Cell(2, 2), " ");
  EXPECT_EQ(grid.Cell(1, 3), "a,b.htm");
  EXPECT_EQ(grid.Cell(3, 1), " ");

  files.Put(kList, "overwritten");
  EXPECT_TRUE(SaveListFile(files, grid, kList));
  EXPECT_EQ(files.Bytes(kList), WorkedExample());
}

TEST(LoadListFile, IntoALongerGridKeepsTheRowsBeyondTheFile) {
  FakeFiles files;
  files.Put(kList, WorkedExample());
  StringGrid grid;
  grid.SetRowCount(6);
  SetRowText(grid, 4, "4,four,,");
  SetRowText(grid, 5, "5,five,,");
  EXPECT_TRUE(LoadListFile(files, grid, kList));
  EXPECT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(GetRowText(grid, 3), R"(3,"a,b.htm",5,0)");
  EXPECT_EQ(GetRowText(grid, 4), R"(4,four," ",)");
  EXPECT_EQ(GetRowText(grid, 5), R"(5,five," ",)");
}

TEST(LoadListFile, MissingFileOrDirectoryChangesNothing) {
  FakeFiles files;
  StringGrid grid = StartupGrid();
  EXPECT_FALSE(LoadListFile(files, grid, kList));
  files.entries[kList].directory = true;
  EXPECT_FALSE(LoadListFile(files, grid, kList));
  EXPECT_EQ(Rows(grid), Rows(StartupGrid()));
  EXPECT_EQ(files.operations(FakeFiles::Op::Open), 0);
}

struct LoadCase {
  const char* name;
  std::string bytes;
  int row_count;                  // after loading into the start-up grid
  std::vector<std::string> rows;  // row texts of the grid afterwards
};

TEST(LoadListFile, LineEndsAndSpecialBytes) {
  const std::string header = Sjis("No,URL,タブ数,逆タブ数");
  const LoadCase cases[] = {
      {"empty file", "", 2, {header, R"(1," "," "," ")"}},
      {"fewer lines than rows", "H\r\n", 2, {"H,,,", R"(1," "," "," ")"}},
      {"more lines than rows",
       "H\r\n1,a\r\n2,b\r\n3,c\r\n",
       4,
       {"H,,,", "1,a,,", "2,b,,", "3,c,,"}},
      {"last line without CR LF", "H\r\n1,a", 2, {"H,,,", "1,a,,"}},
      {"empty line", "H\r\n\r\n", 2, {"H,,,", ",,,"}},
      {"CR alone ends a line", "H\r1,a\r2,b", 3, {"H,,,", "1,a,,", "2,b,,"}},
      {"CR CR LF", "H\r\r\n1,a\r\n", 3, {"H,,,", ",,,", "1,a,,"}},
      {"LF only is one line", "A,B\n1,a\n2,b\n", 2, {"A,B,1,a", R"(1," "," "," ")"}},
      {"0x1A ends the data",
       "H\r\n1,a\x1A"
       "b\r\n2,c\r\n",
       2,
       {"H,,,", "1,a,,"}},
      {"0x1A first",
       "\x1A"
       "H\r\n",
       2,
       {header, R"(1," "," "," ")"}},
      {"0x1A after a line end", "H\r\n\x1A", 2, {"H,,,", R"(1," "," "," ")"}},
      {"NUL ends a row text",
       std::string("H\r\n1,a\0,b\r\n2\r\n", 14),
       3,
       {"H,,,", "1,a,,", "2,,,"}},
      {"byte-order mark",
       "\xEF\xBB\xBFNo,URL\r\n",
       2,
       {"\xEF\xBB\xBFNo,URL,,", R"(1," "," "," ")"}},
      {"data row first", "1,a,2,3\r\n2,b\r\n", 2, {"1,a,2,3", "2,b,,"}},
  };
  for (const LoadCase& c : cases) {
    FakeFiles files;
    files.Put(kList, c.bytes);
    StringGrid grid = StartupGrid();
    EXPECT_TRUE(LoadListFile(files, grid, kList)) << c.name;
    EXPECT_EQ(grid.RowCount(), c.row_count) << c.name;
    EXPECT_EQ(Rows(grid), c.rows) << c.name;
  }
}

TEST(LoadListFile, ReadsInBlocksOf128AndALineOfAnyLength) {
  FakeFiles files;
  std::string address(1 << 20, 'a');
  files.Put(kList, "H\r\n1,\"" + address + "\"\r\n");
  StringGrid grid = StartupGrid();
  EXPECT_TRUE(LoadListFile(files, grid, kList));
  EXPECT_EQ(grid.Cell(1, 1), address);
  for (std::size_t block : files.read_blocks) EXPECT_LE(block, 128u);
  EXPECT_EQ(files.read_blocks.back(), 0u);  // read until the end
}

TEST(SaveListFile, WritesEveryRowInBlocksOf128) {
  FakeFiles files;
  StringGrid grid = StartupGrid();
  EXPECT_TRUE(SaveListFile(files, grid, kList));
  EXPECT_EQ(files.Bytes(kList), Sjis("No,URL,タブ数,逆タブ数\r\n") + "1,\" \",\" \",\" \"\r\n");

  grid.SetRowCount(40);  // 38 rows of three commas
  files.written_blocks.clear();
  EXPECT_TRUE(SaveListFile(files, grid, kList));
  const std::string& bytes = files.Bytes(kList);
  EXPECT_EQ(bytes.size(), 24 + 15 + 38 * 5u);
  EXPECT_EQ(bytes.substr(bytes.size() - 10), ",,,\r\n,,,\r\n");
  std::size_t total = 0;
  for (std::size_t i = 0; i < files.written_blocks.size(); ++i) {
    if (i + 1 < files.written_blocks.size()) {
      EXPECT_EQ(files.written_blocks[i], 128u);
    }
    total += files.written_blocks[i];
  }
  EXPECT_EQ(total, bytes.size());
  EXPECT_FALSE(files.Exists(kList + FakeFiles::kTempSuffix));
}

// Failures of each operation, and what they leave behind.
TEST(LoadListFile, FailuresLeaveTheGridAsFarAsItWasFilled) {
  const std::string bytes = "H\r\n" + std::string(200, 'x') + "\r\n2,b\r\n";
  {  // opening fails: nothing changes
    FakeFiles files;
    files.Put(kList, bytes);
    files.FailNth(FakeFiles::Op::Open, 1, 32);
    StringGrid grid = StartupGrid();
    try {
      LoadListFile(files, grid, kList);
      FAIL() << "no error";
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.ErrorCode(), 32);
      EXPECT_EQ(error.Message(), Sjis("I/O エラー (32)"));
    }
    EXPECT_EQ(Rows(grid), Rows(StartupGrid()));
  }
  {  // the second block fails: the first line is in, the row count was raised
    FakeFiles files;
    files.Put(kList, bytes);
    files.FailNth(FakeFiles::Op::Read, 2, 23);
    StringGrid grid = StartupGrid();
    EXPECT_THROW(LoadListFile(files, grid, kList), EInOutError);
    EXPECT_EQ(GetRowText(grid, 0), "H,,,");
    EXPECT_EQ(GetRowText(grid, 1), R"(1," "," "," ")");
    EXPECT_EQ(files.Bytes(kList), bytes);
  }
  {  // closing fails after the whole file was read
    FakeFiles files;
    files.Put(kList, bytes);
    files.FailNth(FakeFiles::Op::Close, 1, 6);
    StringGrid grid = StartupGrid();
    EXPECT_THROW(LoadListFile(files, grid, kList), EInOutError);
    EXPECT_EQ(grid.RowCount(), 3);
  }
}

TEST(SaveListFile, EveryFailureKeepsTheOldListWholeAndLeavesNoTemporaryFile) {
  StringGrid grid = StartupGrid();
  grid.SetRowCount(60);
  const std::string old_list = "old list\r\n";
  struct Failure {
    FakeFiles::Op op;
    int ordinal;
    int code;
  };
  const Failure failures[] = {
      {FakeFiles::Op::Open, 1, 5},   {FakeFiles::Op::Write, 1, 112}, {FakeFiles::Op::Write, 2, 112},
      {FakeFiles::Op::Write, 3, 29}, {FakeFiles::Op::Close, 1, 112},
  };
  for (const Failure& failure : failures) {
    FakeFiles files;
    files.Put(kList, old_list);
    files.FailNth(failure.op, failure.ordinal, failure.code);
    try {
      SaveListFile(files, grid, kList);
      FAIL() << "no error";
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.ErrorCode(), failure.code);
    }
    EXPECT_EQ(files.Bytes(kList), old_list);
    EXPECT_FALSE(files.Exists(kList + FakeFiles::kTempSuffix));
  }
}

TEST(SaveListFile, RefusedOpeningsLeaveTheFileUntouched) {
  StringGrid grid = StartupGrid();
  {
    FakeFiles files;
    files.Put(kList, "old");
    files.entries[kList].read_only = true;
    try {
      SaveListFile(files, grid, kList);
      FAIL() << "no error";
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.ErrorCode(), 5);
      EXPECT_EQ(error.Message(), Sjis("ファイルへのアクセスが拒否されました"));
    }
    EXPECT_EQ(files.Bytes(kList), "old");
  }
  {
    FakeFiles files;
    const Path elsewhere = u"C:\\Missing\\app.dat";
    EXPECT_THROW(SaveListFile(files, grid, elsewhere), EInOutError);
    EXPECT_FALSE(files.Exists(elsewhere));
  }
}

}  // namespace
}  // namespace vimbrel
