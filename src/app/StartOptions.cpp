#include "app/StartOptions.h"

#include <string_view>
#include <utility>

#include "platform/CommandLine.h"

namespace vimbrel {

namespace {
constexpr std::string_view kTour = "tour";
constexpr std::string_view kBrowser = "browser=";
constexpr std::string_view kWait = "wait=";

// The value of a switch "name=value" in any letter case, or none.
std::optional<Path> ValueOf(std::u16string_view argument, std::string_view name_with_equals) {
  if (!EqualsIgnoringAsciiCase(argument.substr(0, name_with_equals.size()), name_with_equals)) {
    return std::nullopt;
  }
  return Path(argument.substr(name_with_equals.size()));
}
}  // namespace

StartOptions ReadStartOptions(const std::vector<Path>& arguments) {
  StartOptions options;
  for (const Path& argument : arguments) {
    if (argument.empty() || (argument[0] != u'/' && argument[0] != u'-')) continue;
    const std::u16string_view name = std::u16string_view(argument).substr(1);
    if (EqualsIgnoringAsciiCase(name, kTour)) {
      options.unattended_tour = true;
    } else if (std::optional<Path> browser = ValueOf(name, kBrowser)) {
      options.browser = std::move(browser);
    } else if (std::optional<Path> page_time = ValueOf(name, kWait)) {
      options.page_time = std::move(page_time);
    }
  }
  return options;
}

}  // namespace vimbrel
