// A stand-in for Internet Explorer's automation server in a test prefix: a
// local server whose frame window has the class "IEFrame", whose links take
// TAB, Shift+TAB and Enter (past the last link, the address bar, outside the
// page), whose page window "Internet Explorer_Server" hands out the page's
// document over MSAA, and which logs every call, key and WM_GETOBJECT
// ("getobject OBJID") it gets.
//
//   testbrowser.exe /RegServer     takes over "InternetExplorer.Application"
//   testbrowser.exe /UnregServer   gives it back to the class it named before
//   testbrowser.exe -Embedding     how COM starts it
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "BrowserObject.h"
#include "Registry.h"
#include "TestBrowser.h"

namespace vimbrel::testbrowser {
namespace {

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The command line's one switch, without its leading "/" or "-".
std::wstring Switch() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring result;
  if (arguments && count > 1 && (arguments[1][0] == L'/' || arguments[1][0] == L'-')) {
    result = arguments[1] + 1;
  }
  LocalFree(arguments);
  return result;
}

class ComLibrary {
 public:
  ComLibrary() : status_(CoInitialize(nullptr)) {}
  ~ComLibrary() {
    if (SUCCEEDED(status_)) CoUninitialize();
  }
  ComLibrary(const ComLibrary&) = delete;
  ComLibrary& operator=(const ComLibrary&) = delete;
  bool Ok() const { return SUCCEEDED(status_); }

 private:
  HRESULT status_;
};

int Serve(HINSTANCE instance) {
  ComLibrary com;
  if (!com.Ok()) return 1;
  TestBrowser browser(instance, Settings::Read());
  browser.log().Write("start " + std::to_string(GetCurrentProcessId()));
  if (browser.settings().start_delay_ms) Sleep(browser.settings().start_delay_ms);
  // The class is offered before anything else is done, so that a client
  // waits only for the process to start. Its calls reach this apartment only
  // through the message loop, which runs once the frame is there.
  BrowserFactory factory(browser);
  if (!factory.Offer()) return 1;
  browser.log().Write("offered");
  const bool framed = browser.CreateFrame();
  if (framed) browser.Run();
  factory.Withdraw();
  browser.log().Write("exit");
  return framed ? 0 : 1;
}

}  // namespace
}  // namespace vimbrel::testbrowser

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  using namespace vimbrel::testbrowser;
  const std::wstring command = Switch();
  if (_wcsicmp(command.c_str(), L"RegServer") == 0) return Register(ModulePath()) ? 0 : 1;
  if (_wcsicmp(command.c_str(), L"UnregServer") == 0) return Unregister() ? 0 : 1;
  if (_wcsicmp(command.c_str(), L"Embedding") == 0) return Serve(instance);
  return 2;
}
