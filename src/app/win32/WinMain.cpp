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
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Timers.h"

namespace {

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
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  using namespace vimbrel;
  using namespace vimbrel::win32;
  Application application(instance);
  ComApartment automation_library;
  application.SetTitle(texts::kApplicationTitle);
  {
    Win32Files files;
    Win32Timers timers(application.Errors());
    Win32Desktop desktop([&application] { application.ProcessMessages(); });
    Win32Automation automation;
    Win32BrowserPrograms programs;
    StartOptions options = ReadCommandLine();
    MainWindow main_window(application, {files, timers, desktop, automation, programs},
                           std::move(options.browser));
    main_window.Create();
    std::function<void()> when_idle;
    if (options.unattended_tour)
      when_idle = [&main_window] { main_window.Form().StartUnattendedTour(); };
    application.Run(show_command, std::move(when_idle));
  }
  return 0;
}
