#include "ProgramUnderTest.h"

#include <algorithm>
#include <stdexcept>

#include "Screenshot.h"
#include "UserInput.h"
#include "support/WindowQueries.h"
#include "platform/win32/Win32Files.h"

namespace vimbrel::e2e {

namespace {

// Wine takes a few seconds to start a process on a loaded machine; nothing
// the program does itself takes that long.
constexpr auto kStartTimeout = 20s;
constexpr auto kActionTimeout = 10s;

Path AsPath(const std::wstring& text) { return Path(text.begin(), text.end()); }

std::wstring Extended(const std::wstring& path) { return win32::ExtendedLengthPath(AsPath(path)); }

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

}  // namespace

std::wstring BuiltProgramPath() { return WindowsPathOf(VIMBREL_PROGRAM_PATH); }

std::wstring ScreenshotFolder() { return WindowsPathOf(VIMBREL_SCREENSHOT_FOLDER); }

// --- ProgramFolder ---

ProgramFolder::ProgramFolder(const FolderLayout& layout)
    : temp_(layout.root),
      program_name_(layout.program_name),
      list_name_(layout.list_name),
      folder_(temp_.Path().begin(), temp_.Path().end()) {
  auto make_folder = [this](const std::wstring& name) {
    folder_ += L"\\" + name;
    if (!CreateDirectoryW(Extended(folder_).c_str(), nullptr)) Fail("cannot make a folder");
  };
  for (const std::wstring& name : layout.subfolders) make_folder(name);
  // Names of at most 80 characters: Wine keeps them as UTF-8, in at most 255
  // bytes a name.
  while (ProgramPath().size() < layout.program_path_length) {
    std::size_t missing = layout.program_path_length - ProgramPath().size();
    std::size_t length = std::min<std::size_t>(80, missing - 1);
    if (missing - 1 - length == 1) --length;  // leaves room for one more name
    make_folder(std::wstring(length, layout.filler));
  }
  if (!CopyFileW(BuiltProgramPath().c_str(), Extended(ProgramPath()).c_str(), TRUE)) {
    Fail("cannot copy the built program; is it built?");
  }
}

void ProgramFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
  temp_.Write(AsPath(folder_ + L"\\" + name), bytes);
}

std::optional<std::string> ProgramFolder::ReadListFile() const { return ReadFile(list_name_); }

std::optional<std::string> ProgramFolder::ReadFile(const std::wstring& name) const {
  const std::wstring path = folder_ + L"\\" + name;
  if (GetFileAttributesW(Extended(path).c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return temp_.Read(AsPath(path));
}

bool ProgramFolder::HasListFile() const {
  return GetFileAttributesW(Extended(ListFilePath()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ProgramFolder::RemoveListFile() const {
  if (!DeleteFileW(Extended(ListFilePath()).c_str())) Fail("cannot remove the list file");
}

void ProgramFolder::SetListFileReadOnly() const {
  if (!SetFileAttributesW(Extended(ListFilePath()).c_str(), FILE_ATTRIBUTE_READONLY)) {
    Fail("cannot make the list file read-only");
  }
}

win32::FileHandle ProgramFolder::HoldFile(const std::wstring& name, DWORD access,
                                          DWORD sharing) const {
  win32::FileHandle held(CreateFileW(Extended(folder_ + L"\\" + name).c_str(), access, sharing,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held.Valid()) Fail("cannot open a file of the program's folder");
  return held;
}

std::vector<std::wstring> ProgramFolder::Entries() const {
  return testing::TempFolder::Entries(AsPath(folder_));
}

// --- MessageBoxView ---

std::string MessageBoxView::Caption() const { return Cp932TextOf(window_); }

std::string MessageBoxView::Text() const {
  // The text of a system message box is the static control with id 0xFFFF;
  // older Wine numbers it 100.
  for (int id : {0xFFFF, 100}) {
    HWND text = GetDlgItem(window_, id);
    if (text != nullptr && ClassNameOf(text) == L"Static") return Cp932TextOf(text);
  }
  Fail("the message box has no text control");
}

std::vector<int> MessageBoxView::Buttons() const {
  std::vector<int> ids;
  for (HWND child : ChildrenOf(window_)) {
    if (IsWindowVisible(child) && ClassNameOf(child) == L"Button") {
      ids.push_back(GetDlgCtrlID(child));
    }
  }
  return ids;
}

int MessageBoxView::DefaultButton() const {
  for (int id : Buttons()) {
    const LONG style = GetWindowLongW(GetDlgItem(window_, id), GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return id;
  }
  return 0;
}

bool MessageBoxView::HasIcon() const {
  for (HWND child : ChildrenOf(window_)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (!IsWindowVisible(child) || ClassNameOf(child) != L"Static" ||
        (style & SS_TYPEMASK) != SS_ICON) {
      continue;
    }
    // Wine keeps the icon control of a box without an icon, empty.
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 3000, &icon);
    if (icon != 0) return true;
  }
  return false;
}

void MessageBoxView::Press(int button_id) const {
  HWND button = GetDlgItem(window_, button_id);
  if (button == nullptr || !IsWindowVisible(button)) Fail("the message box lacks that button");
  ClickCentreOf(button);
  // Gone, not only hidden: a box on its way out is still among the program's
  // windows, and a message sent to it then fails.
  if (!WaitUntil([this] { return !IsWindow(window_); }, kActionTimeout)) {
    Fail("the message box stayed after its button was clicked");
  }
}

// --- RunningProgram ---

RunningProgram::RunningProgram(const std::wstring& program_path, std::optional<WORD> show_command,
                               const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (show_command) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = *show_command;
  }
  PROCESS_INFORMATION started{};
  std::wstring command_line = L"\"" + program_path + L"\"";
  if (!arguments.empty()) command_line += L" " + arguments;
  // The folder becomes the current one where the system allows it, as when
  // the program is started from Explorer.
  const std::wstring folder = program_path.substr(0, program_path.rfind(L'\\'));
  const wchar_t* current_folder = folder.size() < MAX_PATH ? folder.c_str() : nullptr;
  if (!CreateProcessW(program_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, current_folder, &startup, &started)) {
    Fail("cannot start the program (error " + std::to_string(GetLastError()) + ")");
  }
  CloseHandle(started.hThread);
  process_.Reset(started.hProcess);
  process_id_ = started.dwProcessId;
}

RunningProgram::~RunningProgram() {
  if (!HasExited()) {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

bool RunningProgram::HasExited() const { return WaitForSingleObject(process_.Get(), 0) == 0; }

HWND RunningProgram::MainWindowIfAny() const {
  return FindTopLevel(process_id_, ui::kMainWindowClass, false);
}

HWND RunningProgram::MainWindow() const {
  HWND window = nullptr;
  if (!WaitUntil(
          [&] {
            window = FindTopLevel(process_id_, ui::kMainWindowClass, true);
            return window != nullptr || HasExited();
          },
          kStartTimeout) ||
      window == nullptr) {
    Fail("the main window was not shown");
  }
  return window;
}

HWND RunningProgram::ApplicationWindow() const {
  HWND window = FindTopLevel(process_id_, ui::kApplicationClass, false);
  if (window == nullptr) Fail("the program has no application window");
  return window;
}

HWND RunningProgram::Control(int control_id, const std::wstring& class_name) const {
  HWND control = FindDescendant(MainWindow(), control_id, class_name);
  if (control == nullptr) Fail("the main window lacks a control it should have");
  return control;
}

std::optional<HWND> RunningProgram::VisibleMessageBox() const {
  HWND box = FindTopLevel(process_id_, ui::kDialogClass, true);
  if (box == nullptr) return std::nullopt;
  return box;
}

bool RunningProgram::HasMessageBox() const { return VisibleMessageBox().has_value(); }

MessageBoxView RunningProgram::WaitForMessageBox() const {
  std::optional<HWND> box;
  if (!WaitUntil(
          [&] {
            box = VisibleMessageBox();
            return box.has_value() || HasExited();
          },
          kStartTimeout) ||
      !box) {
    Fail("no message box was shown");
  }
  // A box is made visible a moment before its modal loop takes input.
  Sleep(200);
  return MessageBoxView(*box);
}

void RunningProgram::Activate() const {
  HWND window = MainWindow();
  if (GetForegroundWindow() == window && focus_settled_) return;
  SetForegroundWindow(window);
  if (!WaitUntil([window] { return GetForegroundWindow() == window; }, kActionTimeout)) {
    Fail("the main window did not come to the front");
  }
  // Wine takes the keyboard state from the X server when the X focus moves,
  // which forgets a Shift that was pressed meanwhile: keys wait until the
  // focus has settled.
  Sleep(400);
  focus_settled_ = true;
}

void RunningProgram::ClickButton(int button_id) const {
  HWND button = Control(button_id, ui::kButtonClass);
  Activate();
  ClickCentreOf(button);
  FailIfAnotherProgramInFront("as the button was clicked");
}

void RunningProgram::PressAltF4() const {
  Activate();
  FailIfAnotherProgramInFront("before Alt+F4");
  PressKey(VK_F4, {VK_MENU});
}

void RunningProgram::FailIfAnotherProgramInFront(const std::string& when) const {
  DWORD owner = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &owner);
  if (owner != 0 && owner != process_id_) {
    Fail("a window of another program came to the front " + when +
         " (a tour's browser does as a wait ends): the case acted too late");
  }
}

DWORD RunningProgram::WaitForExitCode() const {
  const auto timeout_ms = std::chrono::milliseconds(kActionTimeout).count();
  if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
    Fail("the program did not end");
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.Get(), &code);
  return code;
}

void RunningProgram::Screenshot(const std::wstring& name) const {
  // The mouse out of the picture, so that no button is drawn as hovered, and
  // time for the last paint.
  MoveMouse({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
  Sleep(500);
  RECT area{};
  for (HWND window : TopLevelWindowsOf(process_id_)) {
    if (!IsWindowVisible(window)) continue;
    RECT bounds = WindowRectOf(window);
    if (IsRectEmpty(&bounds)) continue;
    UnionRect(&area, &area, &bounds);
  }
  if (IsRectEmpty(&area)) Fail("nothing of the program is on the screen");
  CreateDirectoryW(ScreenshotFolder().c_str(), nullptr);
  SaveScreenshot(area, ScreenshotFolder() + L"\\" + name + L".bmp");
}

}  // namespace vimbrel::e2e
