#include "tour/BrowserSession.h"

#include "platform/Exception.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {
constexpr char kProgId[] = "InternetExplorer.Application";
constexpr std::uint32_t kClassNotRegistered = 0x80040154u;  // REGDB_E_CLASSNOTREG
// Long enough for the system to notice that a server has gone.
constexpr std::uint32_t kCreationRetryMs = 500;

// Where Internet Explorer has been taken out of Windows, the system's "class
// not registered" tells the user nothing they can act on.
std::unique_ptr<AutomationObject> CreateInternetExplorer(Automation& automation) {
  try {
    return automation.CreateObject(kProgId);
  } catch (const EOleSysError& error) {
    if (static_cast<std::uint32_t>(error.ErrorCode()) != kClassNotRegistered) throw;
    throw EOleSysError(texts::kErrorNoInternetExplorer, error.ErrorCode());
  }
}
}  // namespace

bool IsDisconnectedStatus(std::int32_t status) {
  switch (static_cast<std::uint32_t>(status)) {
    case 0x80010007u:  // RPC_E_SERVER_DIED
    case 0x80010012u:  // RPC_E_SERVER_DIED_DNE
    case 0x80010108u:  // RPC_E_DISCONNECTED
    case 0x800401FDu:  // CO_E_OBJNOTCONNECTED
    case 0x800706B5u:  // RPC_S_UNKNOWN_IF: Wine's answer once the object is disconnected
    case 0x800706BAu:  // RPC_S_SERVER_UNAVAILABLE
    case 0x800706BEu:  // RPC_S_CALL_FAILED
    case 0x800706BFu:  // RPC_S_CALL_FAILED_DNE
      return true;
    default:
      return false;
  }
}

bool IsDeadServerStatus(std::int32_t status) {
  switch (static_cast<std::uint32_t>(status)) {
    case 0x800706BAu:  // RPC_S_SERVER_UNAVAILABLE
    case 0x800706BEu:  // RPC_S_CALL_FAILED
    case 0x80010007u:  // RPC_E_SERVER_DIED
    case 0x80010012u:  // RPC_E_SERVER_DIED_DNE
    case 0x80010108u:  // RPC_E_DISCONNECTED
    case 0x80080005u:  // CO_E_SERVER_EXEC_FAILURE
      return true;
    default:
      return false;
  }
}

std::unique_ptr<AutomationObject> BrowserSession::CreateBrowser() {
  try {
    return CreateInternetExplorer(automation_);
  } catch (const EOleSysError& error) {
    if (!IsDeadServerStatus(error.ErrorCode())) throw;
  }
  // The class object of a browser process that was ended can stay registered
  // until the system has noticed: the first creation after it fails.
  desktop_.WaitProcessingMessages(kCreationRetryMs);
  return CreateInternetExplorer(automation_);
}

template <typename Call>
void BrowserSession::CallBrowser(Call&& call) {
  try {
    call(*Browser);
  } catch (const EOleSysError& error) {
    if (IsDisconnectedStatus(error.ErrorCode())) Browser.reset();
    throw;
  }
}

void BrowserSession::OpenBrowser(std::string url) {
  if (!Held()) {
    Browser = CreateBrowser();
    if (window_watcher) TellWindow();
    CallBrowser([](AutomationObject& browser) {
      // Sized and equipped before it is shown.
      browser.Invoke("Height", InvokeKind::PropertyPut, {AutomationArg::Int32(400)});
      browser.Invoke("Width", InvokeKind::PropertyPut, {AutomationArg::Int32(600)});
      browser.Invoke("MenuBar", InvokeKind::PropertyPut, {AutomationArg::Int32(1)});
      browser.Invoke("StatusBar", InvokeKind::PropertyPut, {AutomationArg::Int32(1)});
      browser.Invoke("ToolBar", InvokeKind::PropertyPut, {AutomationArg::Int32(1)});
      browser.Invoke("Visible", InvokeKind::PropertyPut, {AutomationArg::Bool(true)});
    });
  }
  CallBrowser([&url](AutomationObject& browser) {
    if (!url.empty()) {
      browser.Invoke("Navigate", InvokeKind::Method, {AutomationArg::StringByRef(std::move(url))});
    } else {
      browser.Invoke("Gohome", InvokeKind::Method, {});
    }
  });
}

bool BrowserSession::Installed() const { return automation_.IsRegistered(kProgId); }

void BrowserSession::TellWindow() {
  WindowHandle window = 0;
  try {
    window = static_cast<WindowHandle>(Browser->GetInteger("HWND"));
  } catch (const std::exception&) {
    // Not known, which is all it means: the calls that follow report a
    // browser that has gone.
  }
  window_watcher(window);
}

void BrowserSession::QuitBrowser() {
  if (!Held()) return;
  CallBrowser([](AutomationObject& browser) { browser.Invoke("Quit", InvokeKind::Method, {}); });
  Browser.reset();
}

}  // namespace vimbrel
