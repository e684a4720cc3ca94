#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <utility>

#include "app/win32/Application.h"
#include "app/win32/MainWindow.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Timers.h"

namespace {

// Whether the command line asks for a tour that starts and ends on its own:
// "/tour" or "-tour", in any case. Any other argument is ignored.
bool AsksForUnattendedTour() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return false;
  bool found = false;
  for (int i = 1; i < count && !found; ++i) {
    for (const wchar_t* name : {L"/tour", L"-tour"}) {
      found = found || CompareStringOrdinal(arguments[i], -1, name, -1, TRUE) == CSTR_EQUAL;
    }
  }
  LocalFree(arguments);
  return found;
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
    MainWindow main_window(application, {files, timers, desktop, automation});
    main_window.Create();
    std::function<void()> when_idle;
    if (AsksForUnattendedTour())
      when_idle = [&main_window] { main_window.Form().StartUnattendedTour(); };
    application.Run(show_command, std::move(when_idle));
  }
  return 0;
}
