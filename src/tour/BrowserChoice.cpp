#include "tour/BrowserChoice.h"

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {

using Kind = BrowserChoice::Kind;

struct ListedBrowser {
  Kind kind;
  const char* name;  // as /browser= and the settings file give it
  const char* item_name;
  const char* log_name;
  const char* registered_program;  // under App Paths
};
constexpr ListedBrowser kBrowsers[] = {
    {Kind::InternetExplorer, "ie", texts::kBrowserInternetExplorer, texts::kLogInternetExplorer,
     nullptr},
    {Kind::Edge, "edge", texts::kBrowserEdge, texts::kLogEdge, "msedge.exe"},
    {Kind::Chrome, "chrome", texts::kBrowserChrome, texts::kLogChrome, "chrome.exe"},
    {Kind::Firefox, "firefox", texts::kBrowserFirefox, texts::kLogFirefox, "firefox.exe"},
};

const ListedBrowser* Listed(Kind kind) {
  for (const ListedBrowser& browser : kBrowsers) {
    if (browser.kind == kind) return &browser;
  }
  return nullptr;
}

const ListedBrowser* ListedByName(std::u16string_view name) {
  for (const ListedBrowser& browser : kBrowsers) {
    if (EqualsIgnoringAsciiCase(name, browser.name)) return &browser;
  }
  return nullptr;
}

// Whether `text` holds a "\" or "/" as a character of its own, not as the
// second byte of a double-byte one.
bool HasPathSeparator(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size(); pos = cp932::NextChar(text, pos)) {
    if (text[pos] == '\\' || text[pos] == '/') return true;
  }
  return false;
}

}  // namespace

BrowserChoice BrowserChoiceFromSwitch(const Path& value) {
  if (const ListedBrowser* listed = ListedByName(value)) return {listed->kind, {}};
  return {Kind::Program, value};
}

std::optional<BrowserChoice> BrowserChoiceFromSetting(std::string_view value, Files& files) {
  if (const ListedBrowser* listed = ListedByName(Path(value.begin(), value.end()))) {
    return BrowserChoice{listed->kind, {}};
  }
  if (!HasPathSeparator(value)) return std::nullopt;
  return BrowserChoice{Kind::Program, files.PathOf(value)};
}

std::string SettingOf(const BrowserChoice& choice, Files& files) {
  if (choice.kind == Kind::Program) return files.PathText(choice.program);
  return Listed(choice.kind)->name;
}

std::string LogNameOf(const BrowserChoice& choice, Files& files) {
  if (choice.kind == Kind::Program) return files.PathText(choice.program);
  return Listed(choice.kind)->log_name;
}

std::string ItemNameOf(const BrowserChoice& choice, Files& files) {
  if (choice.kind == Kind::Program) return files.PathText(choice.program);
  return Listed(choice.kind)->item_name;
}

const char* RegisteredProgramOf(Kind kind) {
  const ListedBrowser* listed = Listed(kind);
  return listed == nullptr ? nullptr : listed->registered_program;
}

bool IsFirefox(const BrowserChoice& choice) {
  if (choice.kind != Kind::Program) return choice.kind == Kind::Firefox;
  const std::size_t separator = choice.program.find_last_of(u"\\/");
  const std::u16string_view file_name =
      std::u16string_view(choice.program).substr(separator == Path::npos ? 0 : separator + 1);
  return EqualsIgnoringAsciiCase(file_name, "firefox.exe");
}

}  // namespace vimbrel
