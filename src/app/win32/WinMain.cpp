#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/StartOptions.h"
#include "app/win32/Application.h"
#include "app/win32/MainWindow.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32BrowserPrograms.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32DesktopLock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Timers.h"

namespace {

// What the command line asks for: a tour that starts and ends on its own, the
// tour's browser.
vimbrel::StartOptions ReadCommandLine() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return {};
  std::vector<vimbrel::Path> after_program;
  for (int i = 1; i < count; ++i) {
    const std::wstring_view argument = arguments[i];
    after_program.emplace_back(argument.begin(), argument.end());
  }
  LocalFree(arguments);
  return vimbrel::ReadStartOptions(after_program);
}

}  // namespace

// Start-up and exit in their fixed order: the application object, the
// automation library for this thread, the title, the main window and its
// FormCreate, the message loop; at exit the main window goes (releasing a
// browser still held, without quitting it) before the automation library.
// The exit code tells the Task Scheduler what a tour of /tour came to.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  using namespace vimbrel;
  using namespace vimbrel::win32;
  Application application(instance);
  ComApartment automation_library;
  application.SetTitle(texts::kApplicationTitle);
  int exit_code = 0;
  {
    Win32Files files;
    Win32Timers timers(application.Errors());
    Win32Desktop desktop([&application] { application.ProcessMessages(); });
    Win32Automation automation;
    Win32BrowserPrograms programs;
    Win32Clock clock;
    Win32DesktopLock lock;
    const StartOptions options = ReadCommandLine();
    MainWindow main_window(application, {files, timers, desktop, automation, programs, clock, lock},
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
