// Editing the list in the grid with the keyboard and the mouse, checked
// through what the list file then holds.
#include "ProgramTest.h"
#include "Screenshot.h"
#include "UserInput.h"
#include "platform/win32/Wide.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

class GridEditingTest : public ProgramTest {
 protected:
  // Starts with `list` (or none), activates the window and waits for the
  // cell editor to open on row 1, column 1.
  void StartEditing(const std::optional<std::string>& list, const std::string& first_cell) {
    if (list) folder_.WriteListFile(*list);
    Start().MainWindow();
    Program().Activate();
    grid_ = Program().Control(ui::kGridId, ui::kGridClass);
    ExpectEditorShows(first_cell);
  }

  // The cell editor: the grid's edit control, open on the current cell.
  HWND Editor() const {
    for (HWND child : ChildrenOf(grid_)) {
      if (ClassNameOf(child) == L"Edit" && IsWindowVisible(child)) return child;
    }
    return nullptr;
  }
  std::string EditorText() const {
    HWND editor = Editor();
    return editor != nullptr ? Cp932TextOf(editor) : "<no editor>";
  }
  // Each key's effect shows in the editor; waiting for it keeps the next key
  // from overtaking it.
  void ExpectEditorShows(const std::string& cell) {
    EXPECT_TRUE(WaitUntil([&] { return EditorText() == cell; }, 3s))
        << "the editor shows \"" << Readable(EditorText()) << "\", not \"" << Readable(cell)
        << "\"";
  }

  // What the editor holds is also on the screen: a few letters leave far
  // more ink than the caret alone.
  void ExpectEditorDrawsText() {
    constexpr int kInkOfSomeLetters = 40;
    EXPECT_TRUE(
        WaitUntil([&] { return InkPixels(WindowRectOf(Editor())) > kInkOfSomeLetters; }, 2s))
        << "the editor looks empty: " << InkPixels(WindowRectOf(Editor())) << " pixels of ink";
  }

  // The middle of a cell on the screen. Rows are the scaled 24 pixels high,
  // columns as wide as FormCreate sets them, each followed by a grid line.
  POINT CellCentre(int col, int row) {
    const int row_height = MulDiv(24, TextHeightOf(Program().MainWindow()), 12);
    const int widths[] = {60, 400, 60, 60};
    int x = 0;
    for (int c = 0; c < col; ++c) x += widths[c] + 1;
    POINT centre{x + widths[col] / 2, row * (row_height + 1) + row_height / 2};
    ClientToScreen(grid_, &centre);
    return centre;
  }

  HWND grid_ = nullptr;
};

TEST_F(GridEditingTest, TheEditorShowsTheTextOfItsCell) {
  StartEditing(WorkedExampleBytes(), "page1.htm");
  ExpectEditorDrawsText();
  PressKey(VK_DOWN);
  ExpectEditorShows("my page.htm");
  ExpectEditorDrawsText();
  // Moving the editor wrote its cell back: a change, though the same text.
  CloseExpectingPrompt().Press(IDNO);
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

TEST_F(GridEditingTest, TabFromTheLastCellWrapsToTheFirstAndShiftTabBack) {
  StartEditing(WorkedExampleBytes(), "page1.htm");

  // Before column 1 of row 1: the last column of the last row.
  PressKey(VK_TAB, {VK_SHIFT});
  ExpectEditorShows("0");
  TypeText("9");
  ExpectEditorShows("9");
  // After the last cell: column 1 of row 1.
  PressKey(VK_TAB);
  ExpectEditorShows("page1.htm");
  TypeText("top.htm");
  ExpectEditorShows("top.htm");

  EXPECT_EQ(SaveWithButton(), Sjis("No,URL,タブ数,逆タブ数\r\n"
                                   "1,top.htm,3,\" \"\r\n"
                                   "2,\"my page.htm\",\" \",2\r\n"
                                   "3,\"a,b.htm\",5,9\r\n"));
  CloseExpectingCleanExit();
}

// Bytes that do not come back the same through UTF-16: the NEC and IBM
// duplicates 87 90, FA 5B and EE F9, and a lead byte alone at the end.
TEST_F(GridEditingTest, CellsTheUserDidNotChangeKeepTheirBytes) {
  const std::string list = Sjis("No,URL,タブ数,逆タブ数\r\n") +
                           "1,a\x87\x90z,\xFA\x5B,\xEE\xF9\r\n"
                           "2,c,1,d\x83\r\n";
  const auto shown = [](const std::string& cell) {
    return win32::NarrowCp932(win32::WidenCp932(cell));
  };
  StartEditing(list, shown("a\x87\x90z"));
  for (const char* cell : {"\xFA\x5B", "\xEE\xF9", "c", "1", "d\x83", "a\x87\x90z"}) {
    PressKey(VK_TAB);
    ExpectEditorShows(shown(cell));
  }
  EXPECT_EQ(SaveWithButton(), list);

  // What the user types changes only the cell it is typed into.
  Program().Activate();
  ClickAt(CellCentre(2, 1));
  ExpectEditorShows(shown("\xFA\x5B"));
  TypeText("7");
  ExpectEditorShows("7");
  EXPECT_EQ(SaveWithButton(), Sjis("No,URL,タブ数,逆タブ数\r\n") +
                                  "1,a\x87\x90z,7,\xEE\xF9\r\n"
                                  "2,c,1,d\x83\r\n");
  CloseExpectingCleanExit();
}

TEST_F(GridEditingTest, AnAddedRowIsFilledInFromTheKeyboard) {
  StartEditing(StartupListBytes(), " ");
  Program().ClickButton(ui::kAddRowButton);
  // A click on another cell moves the editor there with the whole text
  // selected, so typing replaces it.
  Program().Activate();
  ClickAt(CellCentre(1, 2));
  ExpectEditorShows(" ");
  TypeText("second page.htm");
  PressKey(VK_TAB);
  ExpectEditorShows(" ");
  PressKey(VK_TAB);
  ExpectEditorShows(" ");
  TypeText("1");
  // On from the last cell into row 1.
  for (const char* cell : {"first.htm", "2", "0"}) {
    PressKey(VK_TAB);
    ExpectEditorShows(" ");
    TypeText(cell);
    ExpectEditorShows(cell);
  }

  // Unsaved: closing asks, and Yes saves.
  CloseExpectingPrompt().Press(IDYES);
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  EXPECT_EQ(folder_.ReadListFile(), Sjis("No,URL,タブ数,逆タブ数\r\n"
                                         "1,first.htm,2,0\r\n"
                                         "2,\"second page.htm\",\" \",1\r\n"));
}

TEST_F(GridEditingTest, ClickingAnotherCellWithoutTypingIsAChange) {
  StartEditing(WorkedExampleBytes(), "page1.htm");
  ClickAt(CellCentre(1, 2));
  ExpectEditorShows("my page.htm");

  // Taking the editor off a cell writes it back, changed or not.
  CloseExpectingPrompt().Press(IDNO);
  EXPECT_EQ(Program().WaitForExitCode(), 0u);
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

TEST_F(GridEditingTest, DeletingTheCurrentRowMovesTheRowsBelowUpThroughTheirRowText) {
  StartEditing(WorkedExampleBytes(), "page1.htm");
  // Row 3's two counts emptied: the whole text is selected, Delete clears it.
  ClickAt(CellCentre(2, 3));
  ExpectEditorShows("5");
  PressKey(VK_DELETE);
  ExpectEditorShows("");
  PressKey(VK_TAB);
  ExpectEditorShows("0");
  PressKey(VK_DELETE);
  ExpectEditorShows("");

  ClickAt(CellCentre(1, 2));
  ExpectEditorShows("my page.htm");
  Program().ClickButton(ui::kDeleteRowButton);
  // The current row stays 2 and now holds the old row 3, numbered 2; its
  // empty counts came up as a single space and an empty cell.
  ExpectEditorShows("a,b.htm");
  EXPECT_EQ(SaveWithButton(), Sjis("No,URL,タブ数,逆タブ数\r\n"
                                   "1,page1.htm,3,\" \"\r\n"
                                   "2,\"a,b.htm\",\" \",\r\n"));
  CloseExpectingCleanExit();
}

TEST_F(GridEditingTest, LoadingWithoutAListFileKeepsTheEditsAndForgetsTheChange) {
  StartEditing(std::nullopt, " ");
  TypeText("kept.htm");
  ExpectEditorShows("kept.htm");

  Program().ClickButton(ui::kLoadButton);
  Sleep(300);
  ExpectNoMessageBox();
  EXPECT_EQ(EditorText(), "kept.htm");
  CloseExpectingCleanExit();
  EXPECT_FALSE(folder_.HasListFile());
}

}  // namespace
}  // namespace vimbrel::e2e
