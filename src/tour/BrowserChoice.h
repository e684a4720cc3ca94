#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace vimbrel {

// The browser that tours go through, as the user chose it: in the window, in
// the settings file, or with /browser= for one start.
struct BrowserChoice {
  enum class Kind { InternetExplorer, Edge, Chrome, Firefox, Program };
  Kind kind = Kind::InternetExplorer;
  // Kind::Program: the browser's program. One whose file is named
  // firefox.exe is Firefox, any other one a browser of the Chromium family.
  Path program;

  bool operator==(const BrowserChoice& other) const {
    return kind == other.kind && program == other.program;
  }
  bool operator!=(const BrowserChoice& other) const { return !(*this == other); }
};

// The browsers that the window offers by name, in the order it lists them.
inline constexpr BrowserChoice::Kind kListedBrowsers[] = {
    BrowserChoice::Kind::InternetExplorer, BrowserChoice::Kind::Edge, BrowserChoice::Kind::Chrome,
    BrowserChoice::Kind::Firefox};

// What /browser= names: "ie", "edge", "chrome" or "firefox" in any letter
// case, and anything else a program's path.
BrowserChoice BrowserChoiceFromSwitch(const Path& value);

// The value of the settings file: the same names, or a program's path (a text
// with a "\" or "/" in it). None for a value the program does not know.
std::optional<BrowserChoice> BrowserChoiceFromSetting(std::string_view value, Files& files);
// What the settings file keeps for `choice`.
std::string SettingOf(const BrowserChoice& choice, Files& files);

// How the log names it: "Internet Explorer", "Edge", "Chrome", "Firefox" or
// the program's path.
std::string LogNameOf(const BrowserChoice& choice, Files& files);
// How the window lists it: "Microsoft Edge", say, or the program's path.
std::string ItemNameOf(const BrowserChoice& choice, Files& files);

// The program that Windows registers under App Paths for a browser listed by
// name ("msedge.exe"); none for Internet Explorer and for a program's path.
const char* RegisteredProgramOf(BrowserChoice::Kind kind);

// Whether the browser is Firefox, whose switches and windows are its own.
bool IsFirefox(const BrowserChoice& choice);

}  // namespace vimbrel
