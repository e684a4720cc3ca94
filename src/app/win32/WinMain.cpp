#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/StartOptions.h"
#include "app/win32/Application.h"
#include "app/win32/MainWindow.h"
#include "platform/CommandLine.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32BrowserPrograms.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32DesktopLock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32PageReader.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "platform/win32/Win32Timers.h"
#include "platform/win32/Win32Watchdog.h"

namespace {

// Takes the program's own folder, and the current one, out of the search for
// every DLL that is loaded from now on: the program is often unpacked into a
// folder where anyone may drop a DLL (Downloads). Only the system folder is
// searched where Windows can be told so; Windows 7 without KB2533623 lacks
// SetDefaultDllDirectories, which is therefore looked up, and there at least
// the current folder goes.
void RestrictDllSearchToSystemFolder() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  // Loaded into every process already: nothing is searched for.
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto set_default_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (set_default_directories != nullptr && set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  SetDllDirectoryW(L"");
}

// What the command line asks for: a tour that starts and ends on its own, the
// tour's browser. It is split here rather than by CommandLineToArgvW, whose
// shell32 would bring in DLLs that the loader looks for beside the program.
vimbrel::StartOptions ReadCommandLine() {
  const wchar_t* line = GetCommandLineW();
  std::vector<std::u16string> words =
      vimbrel::SplitCommandLine(std::u16string(line, line + std::wcslen(line)));
  if (!words.empty()) words.erase(words.begin());
  return vimbrel::ReadStartOptions(words);
}

}  // namespace

// Start-up and exit in their fixed order: the application object, the
// automation library for this thread, the title, the main window and its
// FormCreate, the message loop; at exit the main window goes (releasing a
// browser still held, without quitting it) before the automation library.
// The exit code tells the Task Scheduler what a tour of /tour came to.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  RestrictDllSearchToSystemFolder();
  using namespace vimbrel;
  using namespace vimbrel::win32;
  Application application(instance);
  ComApartment automation_library;
  application.SetTitle(texts::kApplicationTitle);
  int exit_code = 0;
  {
    Win32Files files;
    Win32Timers timers(application.Errors());
    Win32Desktop desktop(
        {[&application] { application.ProcessMessages(); },
         [&application](std::uint32_t ms) { return application.ProcessMessagesFor(ms); }});
    Win32Automation automation;
    Win32BrowserPrograms programs;
    Win32Clock clock;
    Win32DesktopLock lock;
    Win32Watchdog watchdog;
    Win32TaskScheduler scheduler;
    Win32PageReader page_reader;
    const StartOptions options = ReadCommandLine();
    MainWindow main_window(application,
                           {files, timers, desktop, automation, programs, clock, lock, watchdog,
                            scheduler, page_reader},
                           options);
    main_window.Create();
    std::function<void()> when_idle;
    if (options.unattended_tour)
      when_idle = [&main_window] { main_window.Form().StartUnattendedTour(); };
    application.Run(show_command, std::move(when_idle));
    exit_code = main_window.Form().ExitCode();
  }
  return exit_code;
}
