#include "app/MainForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "list/RowText.h"
#include "support/FormHarness.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeFiles;
using testing::FormHarness;
using testing::Sjis;

const std::string kHeader = Sjis("No,URL,タブ数,逆タブ数");
const std::string kListFile = kHeader + "\r\n1,a.htm,2,\" \"\r\n2,b.htm,\" \",1\r\n";

std::vector<std::string> Rows(const StringGrid& grid) {
  std::vector<std::string> rows;
  for (int row = 0; row < grid.RowCount(); ++row) rows.push_back(GetRowText(grid, row));
  return rows;
}

TEST(FormCreate, SetsUpTheGridAndLoadsTheList) {
  for (bool with_file : {false, true}) {
    FormHarness h;
    if (with_file) h.files.Put(h.ListPath(), kListFile);
    h.Create();
    const StringGrid& grid = h.form.Grid;
    EXPECT_EQ(grid.ColWidth(0), 60);
    EXPECT_EQ(grid.ColWidth(1), 400);
    EXPECT_EQ(grid.ColWidth(2), 60);
    EXPECT_EQ(grid.ColWidth(3), 60);
    if (with_file) {
      EXPECT_EQ(Rows(grid),
                (std::vector<std::string>{kHeader, "1,a.htm,2,\" \"", "2,b.htm,\" \",1"}));
    } else {
      EXPECT_EQ(Rows(grid), (std::vector<std::string>{kHeader, "1,\" \",\" \",\" \""}));
    }
    EXPECT_FALSE(h.form.Modified);
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_TRUE(h.Close());
    EXPECT_TRUE(h.boxes.boxes.empty());
  }
}

TEST(FormCreate, AListFileThatCannotBeOpenedIsReportedAndTheWindowOpens) {
  FormHarness h;
  h.files.Put(h.ListPath(), kListFile);
  h.files.FailNth(FakeFiles::Op::Open, 1, 5);
  h.Create();
  ASSERT_EQ(h.boxes.boxes.size(), 1u);
  EXPECT_EQ(h.boxes.boxes[0].text, Sjis("ファイルへのアクセスが拒否されました."));
  EXPECT_EQ(h.boxes.boxes[0].caption, Sjis("ビンブレル(Vimbrel)"));
  EXPECT_EQ(Rows(h.form.Grid), (std::vector<std::string>{kHeader, "1,\" \",\" \",\" \""}));
  EXPECT_FALSE(h.form.Modified);
  EXPECT_TRUE(h.Close());
  EXPECT_EQ(h.boxes.boxes.size(), 1u);
}

TEST(MainForm, TracksUnsavedChanges) {
  struct Event {
    const char* name;
    std::function<void(FormHarness&)> arrange;
    std::function<void(FormHarness&)> happen;
    bool from_false;  // Modified afterwards when it was false
    bool from_true;   // ... and when it was true
  };
  const auto click = [](void (MainForm::*handler)()) {
    return [handler](FormHarness& h) { h.Click(handler); };
  };
  const auto no_file = [](FormHarness&) {};
  const auto list_file = [](FormHarness& h) { h.files.Put(h.ListPath(), kListFile); };
  const auto unreadable = [](FormHarness& h) {
    h.files.Put(h.ListPath(), kListFile);
    h.files.FailNth(FakeFiles::Op::Read, 1, 5);
  };
  const auto read_only = [](FormHarness& h) {
    h.files.Put(h.ListPath(), kListFile);
    h.files.entries[h.ListPath()].read_only = true;
  };
  const Event events[] = {
      {"load, no list file", no_file, click(&MainForm::LoadListClick), false, false},
      {"load", list_file, click(&MainForm::LoadListClick), false, false},
      {"load fails", unreadable, click(&MainForm::LoadListClick), false, true},
      {"save", no_file, click(&MainForm::SaveListClick), false, false},
      {"save fails", read_only, click(&MainForm::SaveListClick), false, true},
      {"add row", no_file, click(&MainForm::AddRowClick), true, true},
      {"delete the only row", no_file, click(&MainForm::DeleteRowClick), true, true},
      {"cell edit, unchanged text", no_file,
       [](FormHarness& h) { h.form.CellEdited(1, 1, h.form.Grid.Cell(1, 1)); }, true, true},
      {"a whole tour", no_file,
       [](FormHarness& h) {
         h.form.Grid.SetCell(1, 1, "a.htm");
         h.Click(&MainForm::TourClick);
         h.timers.Advance(60000);
       },
       false, true},
      {"close query answered Cancel", no_file,
       [](FormHarness& h) {
         h.boxes.answers = {BoxAnswer::Cancel};
         h.Close();
       },
       false, true},
  };
  for (const Event& event : events) {
    for (bool before : {false, true}) {
      SCOPED_TRACE(std::string(event.name) + (before ? ", modified" : ", unmodified"));
      FormHarness h;
      h.Create();
      event.arrange(h);
      h.form.Modified = before;
      event.happen(h);
      EXPECT_EQ(h.form.Modified, before ? event.from_true : event.from_false);
    }
  }
}

TEST(MainForm, AsksBeforeClosingWithUnsavedChanges) {
  struct Case {
    const char* name;
    bool session_ending;
    bool modified;
    BoxAnswer answer;
    bool save_fails;
    bool closes;
    bool asks;
    bool saves;
  };
  const Case cases[] = {
      {"nothing changed", false, false, BoxAnswer::Yes, false, true, false, false},
      {"session ending", true, true, BoxAnswer::Yes, false, true, false, false},
      {"Cancel", false, true, BoxAnswer::Cancel, false, false, true, false},
      {"Yes", false, true, BoxAnswer::Yes, false, true, true, true},
      {"No", false, true, BoxAnswer::No, false, true, true, false},
      {"no answer", false, true, BoxAnswer::None, false, true, true, false},
      {"Yes, but the save fails", false, true, BoxAnswer::Yes, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormHarness h;
    h.files.Put(h.ListPath(), "old");
    h.files.entries[h.ListPath()].read_only = c.save_fails;
    h.form.SessionEnding = c.session_ending;
    h.form.Modified = c.modified;
    h.boxes.answers = {c.answer};
    EXPECT_EQ(h.Close(), c.closes);
    std::vector<testing::FakeMessageBoxes::Box> expected;
    if (c.asks) expected.push_back({Sjis("巡回リストを保存しますか？"), Sjis("保存確認"), true});
    if (c.save_fails) {
      expected.push_back(
          {Sjis("ファイルへのアクセスが拒否されました."), Sjis("ビンブレル(Vimbrel)"), false});
    }
    ASSERT_EQ(h.boxes.boxes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(h.boxes.boxes[i].text, expected[i].text);
      EXPECT_EQ(h.boxes.boxes[i].caption, expected[i].caption);
      EXPECT_EQ(h.boxes.boxes[i].question, expected[i].question);
    }
    EXPECT_EQ(h.files.Bytes(h.ListPath()) != "old", c.saves);
    EXPECT_EQ(h.form.Modified, c.modified && !c.saves);
    if (!c.closes) {
      // A window that stayed open asks again.
      h.boxes.answers = {BoxAnswer::No};
      EXPECT_TRUE(h.Close());
      EXPECT_EQ(h.boxes.boxes.size(), expected.size() + 1);
    }
  }
}

TEST(MainForm, AnEndingSessionClosesWithoutAskingFromThenOn) {
  FormHarness h;
  h.Create();
  h.Click(&MainForm::AddRowClick);
  bool may_end = false;
  h.Dispatch([&] { may_end = h.form.EndSessionQuery(); });
  EXPECT_TRUE(may_end);
  EXPECT_TRUE(h.form.SessionEnding);
  EXPECT_TRUE(h.form.Modified);
  EXPECT_FALSE(h.files.Exists(h.ListPath()));

  // The session did not end after all: later closes never ask.
  h.Click(&MainForm::AddRowClick);
  EXPECT_TRUE(h.Close());
  EXPECT_TRUE(h.form.SessionEnding);
  EXPECT_TRUE(h.boxes.boxes.empty());
  EXPECT_FALSE(h.files.Exists(h.ListPath()));
}

}  // namespace
}  // namespace vimbrel
