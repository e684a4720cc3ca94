// Every single file operation of a load and of a save fails in turn; what the
// grid, the list file and Modified hold afterwards must be what the failure
// table allows, and the list file must always hold a whole list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/RowText.h"
#include "support/FormHarness.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeFiles;
using testing::FormHarness;

using Op = FakeFiles::Op;

// Enough lines for several 128-byte blocks, one of them longer than a block.
std::string OldList() {
  std::string bytes = "No,URL,x,y\r\n";
  for (int row = 1; row <= 12; ++row) {
    bytes +=
        std::to_string(row) + ",http://example.com/old/page" + std::to_string(row) + ",1,0\r\n";
  }
  bytes += "13,\"" + std::string(300, 'q') + "\",2,\r\n";
  return bytes;
}

std::vector<std::string> Rows(const StringGrid& grid) {
  std::vector<std::string> rows;
  for (int row = 0; row < grid.RowCount(); ++row) rows.push_back(GetRowText(grid, row));
  return rows;
}

struct Counts {
  int open;
  int read;
  int write;
  int close;
};

Counts CountsOf(const FakeFiles& files) {
  return {files.operations(Op::Open), files.operations(Op::Read), files.operations(Op::Write),
          files.operations(Op::Close)};
}

// A form started with no list file and one edit, so that Modified is true.
void StartEdited(FormHarness& h) {
  h.Create();
  h.form.CellEdited(1, 1, "x");
  ASSERT_TRUE(h.form.Modified);
}

TEST(ListFileFaults, EveryOperationOfALoadFailingInTurn) {
  // A clean load first: how many operations of each kind it takes.
  FormHarness clean;
  StartEdited(clean);
  clean.files.Put(clean.ListPath(), OldList());
  const std::vector<std::string> before = Rows(clean.form.Grid);
  const Counts start = CountsOf(clean.files);
  clean.Click(&MainForm::LoadListClick);
  const std::vector<std::string> loaded = Rows(clean.form.Grid);
  const Counts end = CountsOf(clean.files);
  ASSERT_EQ(end.open - start.open, 1);
  ASSERT_GE(end.read - start.read, 5);
  ASSERT_EQ(end.close - start.close, 1);

  const struct {
    Op op;
    int count;
  } kinds[] = {{Op::Open, 1}, {Op::Read, end.read - start.read}, {Op::Close, 1}};
  for (const auto& kind : kinds) {
    for (int n = 1; n <= kind.count; ++n) {
      SCOPED_TRACE(::testing::Message() << "operation " << static_cast<int>(kind.op) << " #" << n);
      FormHarness h;
      StartEdited(h);
      h.files.Put(h.ListPath(), OldList());
      h.files.FailNth(kind.op, n, 23);
      h.Click(&MainForm::LoadListClick);

      ASSERT_EQ(h.boxes.Errors(), std::vector<std::string>{testing::Sjis("I/O エラー (23)")});
      EXPECT_TRUE(h.form.Modified);
      EXPECT_EQ(h.files.Bytes(h.ListPath()), OldList());
      // Rows read before the failure hold their new text, the others their
      // old; a row count raised for the line in progress may stay.
      const std::vector<std::string> rows = Rows(h.form.Grid);
      ASSERT_LE(rows.size(), loaded.size());
      bool still_new = true;
      for (std::size_t row = 0; row < rows.size(); ++row) {
        if (still_new && rows[row] == loaded[row]) continue;
        still_new = false;
        const std::string old = row < before.size() ? before[row] : ",,,";
        EXPECT_EQ(rows[row], old) << "row " << row;
      }
      if (kind.op == Op::Open) {
        EXPECT_EQ(rows, before);
      }
      if (kind.op == Op::Close) {
        EXPECT_EQ(rows, loaded);
      }
    }
  }
}

TEST(ListFileFaults, EveryOperationOfASaveFailingInTurnKeepsTheOldListWhole) {
  // The grid to save: the old list with one more row, about 1 KB of text.
  FormHarness clean;
  clean.files.Put(clean.ListPath(), OldList());
  clean.Create();
  clean.Click(&MainForm::AddRowClick);
  const Counts start = CountsOf(clean.files);
  clean.Click(&MainForm::SaveListClick);
  const Counts end = CountsOf(clean.files);
  const std::string saved = clean.files.Bytes(clean.ListPath());
  ASSERT_NE(saved, OldList());
  ASSERT_EQ(end.open - start.open, 1);
  ASSERT_EQ(end.write - start.write, static_cast<int>((saved.size() + 127) / 128));
  ASSERT_EQ(end.close - start.close, 1);

  const struct {
    Op op;
    int count;
  } kinds[] = {{Op::Open, 1}, {Op::Write, end.write - start.write}, {Op::Close, 1}};
  for (const auto& kind : kinds) {
    for (int n = 1; n <= kind.count; ++n) {
      SCOPED_TRACE(::testing::Message() << "operation " << static_cast<int>(kind.op) << " #" << n);
      FormHarness h;
      h.files.Put(h.ListPath(), OldList());
      h.Create();
      h.Click(&MainForm::AddRowClick);
      const std::vector<std::string> rows = Rows(h.form.Grid);
      h.files.FailNth(kind.op, n, 112);
      h.Click(&MainForm::SaveListClick);

      ASSERT_EQ(h.boxes.Errors(), std::vector<std::string>{testing::Sjis("I/O エラー (112)")});
      EXPECT_TRUE(h.form.Modified);
      EXPECT_EQ(Rows(h.form.Grid), rows);
      EXPECT_EQ(h.files.Bytes(h.ListPath()), OldList());
      EXPECT_FALSE(h.files.Exists(h.ListPath() + FakeFiles::kTempSuffix));

      // The next save, with nothing failing, writes the whole new list.
      h.Click(&MainForm::SaveListClick);
      EXPECT_EQ(h.files.Bytes(h.ListPath()), saved);
      EXPECT_FALSE(h.form.Modified);
    }
  }
}

}  // namespace
}  // namespace vimbrel
