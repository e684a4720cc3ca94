#include "ProgramTest.h"

#include "platform/Texts.h"
#include "support/Sjis.h"

namespace vimbrel::e2e {

using testing::Sjis;

std::string StartupListBytes() { return Sjis("No,URL,タブ数,逆タブ数\r\n1,\" \",\" \",\" \"\r\n"); }

std::string WorkedExampleBytes() {
  return Sjis(
      "No,URL,タブ数,逆タブ数\r\n"
      "1,page1.htm,3,\" \"\r\n"
      "2,\"my page.htm\",\" \",2\r\n"
      "3,\"a,b.htm\",5,0\r\n");
}

std::string Readable(const std::string& cp932) {
  if (cp932.empty()) return {};
  const int size = static_cast<int>(cp932.size());
  std::wstring wide(cp932.size(), L'\0');
  wide.resize(
      static_cast<std::size_t>(MultiByteToWideChar(932, 0, cp932.data(), size, wide.data(), size)));
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
}

RunningProgram& ProgramTest::Start(std::optional<WORD> show_command,
                                   const std::wstring& arguments) {
  program_.emplace(folder_.ProgramPath(), show_command, arguments);
  return *program_;
}

std::string ProgramTest::SaveWithButton() {
  if (folder_.HasListFile()) folder_.RemoveListFile();
  program_->ClickButton(ui::kSaveButton);
  bool done = WaitUntil([&] { return folder_.HasListFile() || program_->HasMessageBox(); }, 10s);
  if (program_->HasMessageBox()) {
    ADD_FAILURE() << "saving showed: " << Readable(program_->WaitForMessageBox().Text());
    return {};
  }
  if (!done) {
    ADD_FAILURE() << "saving wrote no list file";
    return {};
  }
  return folder_.ReadListFile().value_or("");
}

MessageBoxView ProgramTest::ClickExpectingBox(int button_id) {
  program_->ClickButton(button_id);
  return program_->WaitForMessageBox();
}

void ProgramTest::CloseExpectingCleanExit() {
  program_->PressAltF4();
  WaitUntil([&] { return program_->HasExited() || program_->HasMessageBox(); }, 10s);
  if (program_->HasMessageBox()) {
    FAIL() << "closing asked: " << Readable(program_->WaitForMessageBox().Text());
  }
  EXPECT_EQ(program_->WaitForExitCode(), 0u);
}

MessageBoxView ProgramTest::CloseExpectingPrompt() {
  program_->PressAltF4();
  MessageBoxView prompt = program_->WaitForMessageBox();
  EXPECT_EQ(prompt.Text(), texts::kSavePrompt) << Readable(prompt.Text());
  EXPECT_EQ(prompt.Caption(), texts::kSavePromptCaption) << Readable(prompt.Caption());
  EXPECT_EQ(prompt.Buttons(), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(prompt.DefaultButton(), IDYES);
  EXPECT_FALSE(prompt.HasIcon());
  EXPECT_EQ(prompt.Owner(), program_->MainWindow());
  return prompt;
}

void ProgramTest::ExpectNoMessageBox() {
  if (program_->HasMessageBox()) {
    ADD_FAILURE() << "unexpected message box: " << Readable(program_->WaitForMessageBox().Text());
  }
}

int ProgramTest::TextHeightOf(HWND main) {
  const SIZE client = ClientSizeOf(main);
  for (int height = 8; height <= 64; ++height) {
    if (MulDiv(612, height, 12) == client.cx) {
      EXPECT_EQ(client.cy, MulDiv(305, height, 12)) << "client area not 612 x 305 scaled";
      return height;
    }
  }
  ADD_FAILURE() << "client width " << client.cx << " is no scaling of 612";
  return 12;
}

}  // namespace vimbrel::e2e
