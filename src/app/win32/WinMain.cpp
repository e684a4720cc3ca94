#include <windows.h>

#include "app/win32/Application.h"
#include "app/win32/MainWindow.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Timers.h"

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
    application.Run(show_command);
  }
  return 0;
}
