// Closing the main window with and without unsaved changes, and the end of
// the Windows session.
#include "ProgramTest.h"
#include "platform/Texts.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {
namespace {

using testing::Sjis;

// The worked example after "行追加": row 4 comes numbered with its index.
std::string WorkedExampleWithAddedRow() { return WorkedExampleBytes() + "4,\" \",\" \",\" \"\r\n"; }

// The worked example after "行削除" on row 1: the rows below move up and are
// numbered again.
std::string WorkedExampleWithoutRow1() {
  return Sjis(
      "No,URL,タブ数,逆タブ数\r\n"
      "1,\"my page.htm\",\" \",2\r\n"
      "2,\"a,b.htm\",5,0\r\n");
}

class CloseTest : public ProgramTest {
 protected:
  void ExpectCleanExit() { EXPECT_EQ(Program().WaitForExitCode(), 0u); }
};

struct CloseAfterChange {
  const char* name;
  int button;  // the change: 行追加 or 行削除
  int answer;  // to the save prompt
  std::string (*list_afterwards)();
};

void PrintTo(const CloseAfterChange& close, std::ostream* out) { *out << close.name; }

class CloseAfterChangeTest : public CloseTest,
                             public ::testing::WithParamInterface<CloseAfterChange> {};

TEST_P(CloseAfterChangeTest, AsksAndDoesAsAnswered) {
  const CloseAfterChange& close = GetParam();
  folder_.WriteListFile(WorkedExampleBytes());
  Start().MainWindow();
  Program().ClickButton(close.button);
  CloseExpectingPrompt().Press(close.answer);
  ExpectCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), close.list_afterwards());
  EXPECT_EQ(folder_.Entries(), (std::vector<std::wstring>{L"vimbrel.dat", L"vimbrel.exe"}));
}

const CloseAfterChange kClosesAfterChanges[] = {
    {"AddRowThenNo", ui::kAddRowButton, IDNO, WorkedExampleBytes},
    {"AddRowThenYes", ui::kAddRowButton, IDYES, WorkedExampleWithAddedRow},
    {"DeleteRowThenYes", ui::kDeleteRowButton, IDYES, WorkedExampleWithoutRow1},
};

INSTANTIATE_TEST_SUITE_P(SavePrompt, CloseAfterChangeTest, ::testing::ValuesIn(kClosesAfterChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloseTest, CancelKeepsTheWindowAndTheNextCloseAsksAgain) {
  folder_.WriteListFile(WorkedExampleBytes());
  Start().MainWindow();
  Program().ClickButton(ui::kAddRowButton);
  CloseExpectingPrompt().Press(IDCANCEL);
  Sleep(300);
  EXPECT_FALSE(Program().HasExited());
  EXPECT_TRUE(IsWindowVisible(Program().MainWindow()));

  CloseExpectingPrompt().Press(IDNO);
  ExpectCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

TEST_F(CloseTest, YesWithAReadOnlyListShowsTheErrorAndStaysOpen) {
  folder_.WriteListFile(WorkedExampleBytes());
  folder_.SetListFileReadOnly();
  Start().MainWindow();
  Program().ClickButton(ui::kAddRowButton);
  CloseExpectingPrompt().Press(IDYES);

  MessageBoxView error = Program().WaitForMessageBox();
  EXPECT_EQ(error.Text(), Sjis("ファイルへのアクセスが拒否されました.")) << Readable(error.Text());
  EXPECT_EQ(error.Caption(), texts::kApplicationTitle);
  error.Press(IDOK);
  EXPECT_FALSE(Program().HasExited());
  EXPECT_TRUE(IsWindowVisible(Program().MainWindow()));

  // Still unsaved: closing asks again.
  CloseExpectingPrompt().Press(IDNO);
  ExpectCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

// Logging off with unsaved changes: the system sends every top-level window
// the question whether the session may end, then the outcome.
class EndOfSessionTest : public CloseTest {
 protected:
  // Starts with the worked example, adds a row and asks; returns the
  // program's windows for the outcome.
  std::vector<HWND> AskWithUnsavedChanges() {
    folder_.WriteListFile(WorkedExampleBytes());
    Start().MainWindow();
    Program().ClickButton(ui::kAddRowButton);
    // The question shows that the change has been taken.
    CloseExpectingPrompt().Press(IDCANCEL);
    const std::vector<HWND> windows = TopLevelWindowsOf(Program().ProcessId());
    for (HWND window : windows) {
      DWORD_PTR may_end = FALSE;
      EXPECT_TRUE(Send(window, WM_QUERYENDSESSION, 0, &may_end));
      EXPECT_EQ(may_end, static_cast<DWORD_PTR>(TRUE));
    }
    ExpectNoMessageBox();
    return windows;
  }
  static bool Send(HWND window, UINT message, WPARAM wparam, DWORD_PTR* answer) {
    return SendMessageTimeoutW(window, message, wparam, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                               answer) != 0;
  }
};

TEST_F(EndOfSessionTest, EndsWithoutAskingOrSaving) {
  for (HWND window : AskWithUnsavedChanges()) {
    DWORD_PTR ignored = 0;
    // The program ends on the first window's message and leaves no other to
    // answer.
    EXPECT_TRUE(Send(window, WM_ENDSESSION, TRUE, &ignored) || !IsWindow(window));
  }
  ExpectCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

TEST_F(EndOfSessionTest, AfterItWasCancelledClosingNeverAsks) {
  // Another program refused: the session goes on.
  for (HWND window : AskWithUnsavedChanges()) {
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(Send(window, WM_ENDSESSION, FALSE, &ignored));
  }
  EXPECT_FALSE(Program().HasExited());

  Program().ClickButton(ui::kAddRowButton);
  CloseExpectingCleanExit();
  EXPECT_EQ(folder_.ReadListFile(), WorkedExampleBytes());
}

}  // namespace
}  // namespace vimbrel::e2e
