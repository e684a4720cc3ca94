#include <windows.h>
#include <objbase.h>

#include "app/win32/Application.h"
#include "app/win32/MainWindow.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Timers.h"

namespace {

// Until the automation layer lands every creation fails as on a system
// without the browser.
class NoAutomation final : public vimbrel::Automation {
 public:
  std::unique_ptr<vimbrel::AutomationObject> CreateObject(std::string_view) override {
    throw vimbrel::EOleSysError(vimbrel::EOleSysError::MessageFor(REGDB_E_CLASSNOTREG, ""),
                                REGDB_E_CLASSNOTREG);
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  using namespace vimbrel;
  using namespace vimbrel::win32;
  Application application(instance);
  HRESULT com = CoInitialize(nullptr);
  application.SetTitle(texts::kApplicationTitle);
  {
    Win32Files files;
    Win32Timers timers(application.Errors());
    Win32Desktop desktop([&application] { application.ProcessMessages(); });
    NoAutomation automation;
    MainWindow main_window(application, {files, timers, desktop, automation});
    main_window.Create();
    application.Run(show_command);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
