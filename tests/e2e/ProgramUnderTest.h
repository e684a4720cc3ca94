#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/win32/Handle.h"
#include "support/TempFolder.h"
#include "support/WindowQueries.h"

namespace vimbrel::e2e {

// The window queries serve the whole driver.
using namespace vimbrel::testing;

// The program's windows and controls, by the class names and ids it gives them.
namespace ui {
inline const std::wstring kApplicationClass = L"TApplication";
inline const std::wstring kMainWindowClass = L"TForm1";
inline const std::wstring kPanelClass = L"TPanel";
inline const std::wstring kButtonClass = L"TButton";
inline const std::wstring kEditClass = L"TEdit";
inline const std::wstring kUpDownClass = L"TUpDown";
inline const std::wstring kComboBoxClass = L"TComboBox";
inline const std::wstring kGridClass = L"TStringGrid";
inline const std::wstring kDialogClass = L"#32770";
constexpr int kGridId = 100;
constexpr int kLoadButton = 101;       // リスト読込
constexpr int kSaveButton = 102;       // リスト保存
constexpr int kAddRowButton = 103;     // 行追加
constexpr int kDeleteRowButton = 104;  // 行削除
constexpr int kTourButton = 105;       // 巡回
constexpr int kPageTimeEdit = 106;
constexpr int kPageTimeUpDown = 107;
constexpr int kContactEdit = 108;
constexpr int kBrowserList = 109;      // ブラウザー
constexpr int kDailyTourButton = 110;  // 毎日の巡回...
constexpr int kTryRowButton = 111;     // 試す...
inline const std::wstring kDailyTourClass = L"TDailyTourForm";
inline const std::wstring kTryRowClass = L"TTryRowForm";
}  // namespace ui

// The built program and the folder that screenshots go to, as Windows paths.
std::wstring BuiltProgramPath();
std::wstring ScreenshotFolder();

// Where a case puts its copy of the program, and under which names.
struct FolderLayout {
  // Made one inside the other under the fresh folder; the program goes into
  // the innermost one.
  std::vector<std::wstring> subfolders;
  std::wstring program_name = L"vimbrel.exe";
  // The list file that the program is expected to keep beside itself.
  std::wstring list_name = L"vimbrel.dat";
  // Folders named with `filler` follow until the program's path is this long.
  std::size_t program_path_length = 0;
  wchar_t filler = L'x';
  // The folder the fresh folder is made in; the temporary folder when empty.
  std::wstring root;
};

// A copy of the built program, alone in a fresh folder, with or without a
// list file beside it.
class ProgramFolder {
 public:
  explicit ProgramFolder(const FolderLayout& layout = {});

  const std::wstring& Folder() const { return folder_; }
  std::wstring ProgramPath() const { return folder_ + L"\\" + program_name_; }
  std::wstring ListFilePath() const { return folder_ + L"\\" + list_name_; }
  const std::wstring& ListFileName() const { return list_name_; }
  const std::wstring& ProgramName() const { return program_name_; }

  void WriteListFile(const std::string& bytes) const { WriteFile(list_name_, bytes); }
  void WriteFile(const std::wstring& name, const std::string& bytes) const;
  // The list file's bytes; nullopt when there is none.
  std::optional<std::string> ReadListFile() const;
  // The bytes of any file in the program's folder; nullopt when it is missing.
  std::optional<std::string> ReadFile(const std::wstring& name) const;
  bool HasListFile() const;
  void RemoveListFile() const;
  void SetListFileReadOnly() const;
  // Opens the list file as another program would, until the handle is
  // closed: for writing, sharing it for reading only, unless told otherwise
  // (a viewer that follows it reads it and shares reading and writing).
  win32::FileHandle HoldListFile(DWORD access = GENERIC_WRITE,
                                 DWORD sharing = FILE_SHARE_READ) const {
    return HoldFile(list_name_, access, sharing);
  }
  win32::FileHandle HoldFile(const std::wstring& name, DWORD access, DWORD sharing) const;
  // Names in the program's folder, sorted.
  std::vector<std::wstring> Entries() const;

 private:
  testing::TempFolder temp_;
  std::wstring program_name_;
  std::wstring list_name_;
  std::wstring folder_;
};

// A message box of the program: its caption and text as the program's code
// page 932 bytes, and its buttons.
class MessageBoxView {
 public:
  explicit MessageBoxView(HWND window) : window_(window) {}
  HWND Handle() const { return window_; }
  HWND Owner() const { return GetWindow(window_, GW_OWNER); }
  std::string Caption() const;
  std::string Text() const;
  // Ids of the buttons shown (IDOK, IDYES, ...), in the order of the box.
  std::vector<int> Buttons() const;
  // The button that Enter presses; 0 if none is marked so.
  int DefaultButton() const;
  // Whether an icon is shown beside the text.
  bool HasIcon() const;
  // Clicks the button with the mouse and waits until the box is gone.
  void Press(int button_id) const;

 private:
  HWND window_;
};

// One run of the program, started as the shell starts it. A run that a case
// leaves behind is ended at the end of the case, so that nothing outlives it.
class RunningProgram {
 public:
  // `show_command` is the show request a shortcut passes (SW_SHOWMAXIMIZED);
  // without one the system's default applies. `arguments` follow the
  // program's path on its command line.
  explicit RunningProgram(const std::wstring& program_path,
                          std::optional<WORD> show_command = std::nullopt,
                          const std::wstring& arguments = L"");
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  DWORD ProcessId() const { return process_id_; }

  // The main window once it is shown; fails the case if it never is.
  HWND MainWindow() const;
  // The main window whether shown or not; null before it exists.
  HWND MainWindowIfAny() const;
  HWND ApplicationWindow() const;
  // A control of the main window by its id and class; fails if missing.
  HWND Control(int control_id, const std::wstring& class_name) const;

  // The program's message box once one is shown; fails the case if none is.
  MessageBoxView WaitForMessageBox() const;
  bool HasMessageBox() const;

  // Makes the main window the foreground window, so that keys reach it, and
  // waits until the system has taken that in.
  void Activate() const;
  // Clicks one of the five buttons with the mouse.
  void ClickButton(int button_id) const;
  // Alt+F4 on the main window, as the user closes it.
  void PressAltF4() const;
  // Waits for the process to end; fails the case if it does not in time.
  DWORD WaitForExitCode() const;
  bool HasExited() const;

  // A picture of the program's visible windows, build/screenshots/NAME.bmp.
  void Screenshot(const std::wstring& name) const;

 private:
  std::optional<HWND> VisibleMessageBox() const;
  // A window of another program in front after the activation took the click
  // or would take the keys: a tour's browser does come forward as a wait
  // ends. The case is failed, saying so, rather than left to miss its input.
  void FailIfAnotherProgramInFront(const std::string& when) const;

  win32::KernelObject process_;
  DWORD process_id_ = 0;
  mutable bool focus_settled_ = false;
};

}  // namespace vimbrel::e2e
