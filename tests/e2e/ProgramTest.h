#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ProgramUnderTest.h"
#include "support/WindowQueries.h"

namespace vimbrel::e2e {

// List files as the program writes them.
std::string StartupListBytes();    // the header and the row set from "1,,,,"
std::string WorkedExampleBytes();  // the header and three rows, 83 bytes

// Code page 932 text as UTF-8, for readable failure messages.
std::string Readable(const std::string& cp932);

// One copy of the program in a folder of its own per case, started by the case
// and ended at its end whatever happened.
class ProgramTest : public ::testing::Test {
 protected:
  explicit ProgramTest(const FolderLayout& layout = {}) : folder_(layout) {}

  RunningProgram& Start(std::optional<WORD> show_command = std::nullopt,
                        const std::wstring& arguments = L"");
  RunningProgram& Program() { return *program_; }

  // Clicks "リスト保存" and returns the bytes it wrote. A list file that is
  // there is removed first, so that its coming back tells that the save ran.
  std::string SaveWithButton();
  // Clicks a button and returns the message box that it brings up.
  MessageBoxView ClickExpectingBox(int button_id);
  // Alt+F4, then: no question, and the program ends with exit code 0.
  void CloseExpectingCleanExit();
  // Alt+F4 with unsaved changes: the save prompt, checked, is returned.
  MessageBoxView CloseExpectingPrompt();
  // Fails the case when the program shows a message box.
  void ExpectNoMessageBox();
  // The layout is scaled by the height of "0" in the window's font over 12;
  // the client area at creation, 612 x 305 scaled, tells that height.
  int TextHeightOf(HWND main);

  ProgramFolder folder_;
  std::optional<RunningProgram> program_;
};

}  // namespace vimbrel::e2e
