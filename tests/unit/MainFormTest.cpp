#include "app/MainForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
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

// Which browser a start tours in and the drop-down shows: the one /browser=
// named, or else the one saved beside the list, or else Edge where Windows
// registers it and Internet Explorer where it does not. A start writes
// nothing.
TEST(MainForm, AStartToursInTheSwitchesTheSavedOrTheDefaultBrowser) {
  const std::string none = "(none)";
  const std::string missing = Sjis(" (見つかりません)");
  struct Case {
    std::string saved;  // the settings file
    bool edge;          // registered
    bool internet_explorer;
    std::optional<Path> browser_switch;
    int selected;
    const char* log_name;
  };
  const Case cases[] = {
      {none, false, true, std::nullopt, 0, "Internet Explorer"},
      {none, true, true, std::nullopt, 1, "Edge"},
      {"[Vimbrel]\r\nBrowser=chrome\r\n", true, true, std::nullopt, 2, "Chrome"},
      {"[Vimbrel]\r\nBrowser=opera\r\n", true, true, std::nullopt, 1, "Edge"},
      {"held: [Vimbrel]\r\nBrowser=chrome\r\n", false, true, std::nullopt, 0, "Internet Explorer"},
      {"[Vimbrel]\r\nBrowser=FireFox\r\n", false, false, std::nullopt, 3, "Firefox"},
      {"[Vimbrel]\r\nBrowser=chrome\r\n", true, true, u"ie", 0, "Internet Explorer"},
      {"[Vimbrel]\r\nBrowser=C:\\b.exe\r\n", false, true, std::nullopt, 4, "C:\\b.exe"},
      {none, true, false, u"D:\\Firefox.exe", 4, "D:\\Firefox.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved + ", " + c.log_name);
    StartOptions options;
    options.browser = c.browser_switch;
    FormHarness h(options);
    const Path ini = u"C:\\Tools\\app.ini";
    if (c.saved != none) {
      h.files.Put(ini, c.saved);
      h.files.entries[ini].held_for_writing = c.saved.rfind("held", 0) == 0;
    }
    if (c.edge) h.programs.registered["msedge.exe"] = u"C:\\e\\msedge.exe";
    h.automation.registered = c.internet_explorer;
    h.Create();
    std::vector<std::string> items = {"Internet Explorer" + (c.internet_explorer ? "" : missing),
                                      "Microsoft Edge" + (c.edge ? "" : missing),
                                      "Google Chrome" + missing, "Mozilla Firefox" + missing};
    if (c.selected == 4) items.push_back(c.log_name);
    EXPECT_EQ(h.browser_list.items, items);
    EXPECT_EQ(h.browser_list.selected, c.selected);
    EXPECT_EQ(h.files.Exists(ini) ? h.files.Bytes(ini) : none, c.saved);
    h.Click(&MainForm::TourClick);
    const std::string& log = h.files.Bytes(u"C:\\Tools\\app.log");
    EXPECT_EQ(log.substr(20, log.find(Sjis("\t6秒")) - 20), Sjis("巡回開始\t") + c.log_name);
  }
}

// A pick is kept beside the list and tours from then on; the same pick again
// writes nothing; during a tour the drop-down is disabled; a pick that cannot
// be kept goes back, with the system's words in the box.
TEST(MainForm, APickedBrowserIsKeptAndToursFromThenOn) {
  FormHarness h;
  const Path ini = u"C:\\Tools\\app.ini";
  h.files.Put(ini, "; mine\r\n");
  h.Create();
  EXPECT_EQ(h.browser_list.selected, 0);
  h.Dispatch([&] { h.form.BrowserPicked(2); });
  EXPECT_EQ(h.files.Bytes(ini), "; mine\r\n[Vimbrel]\r\nBrowser=chrome\r\n");
  EXPECT_EQ(h.browser_list.selected, 2);
  h.files.Put(ini, "as it was");
  h.Dispatch([&] { h.form.BrowserPicked(2); });
  EXPECT_EQ(h.files.Bytes(ini), "as it was");

  h.Click(&MainForm::TourClick);
  EXPECT_FALSE(h.browser_list.enabled);
  h.Dispatch([&] { h.form.BrowserPicked(0); });  // as if it came through all the same
  EXPECT_EQ(h.browser_list.selected, 2);
  h.timers.Advance(500);  // the row opens Chrome, which is not there: the tour halts
  EXPECT_EQ(h.boxes.Errors(),
            std::vector<std::string>{Sjis("ブラウザー 'chrome.exe' が見つかりません.")});
  EXPECT_FALSE(h.browser_list.enabled);
  h.Click(&MainForm::TourClick);
  h.timers.Advance(500);
  EXPECT_TRUE(h.browser_list.enabled);

  h.files.entries[ini].read_only = true;
  h.Dispatch([&] { h.form.BrowserPicked(3); });
  EXPECT_EQ(h.boxes.Errors().back(), "system text 5.");
  EXPECT_EQ(h.files.Bytes(ini), "as it was");
  EXPECT_EQ(h.browser_list.selected, 2);
  EXPECT_EQ(h.form.Tour.Idle(), true);
}

// Tours read the pages unless the settings file says ReadPages=0, taken at
// each tour's start; the file is only read for it.
TEST(MainForm, ToursReadThePagesUnlessTheSettingsSayNot) {
  const struct {
    std::string settings;
    bool reads;
  } cases[] = {
      {"", true},
      {"[Vimbrel]\r\nReadPages=0\r\n", false},
      {"[Vimbrel]\r\nreadpages = \"0\"\r\nBrowser=ie\r\n", false},
      {"[Vimbrel]\r\nReadPages=1\r\n", true},
      {"[Vimbrel]\r\nReadPages=off\r\n", true},
      {"[Other]\r\nReadPages=0\r\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    FormHarness h;
    const Path ini = u"C:\\Tools\\app.ini";
    if (!c.settings.empty()) h.files.Put(ini, c.settings);
    h.Create();
    h.desktop.AddWindow("IEFrame");
    h.Click(&MainForm::TourClick);
    h.timers.Advance(7000);  // the row's frame is found
    EXPECT_EQ(h.page_reader.log.empty(), !c.reads);
    EXPECT_EQ(h.files.Exists(ini) ? h.files.Bytes(ini) : "", c.settings);
  }
}

}  // namespace
}  // namespace vimbrel
