#include "app/StartOptions.h"

#include <string_view>

#include "platform/CommandLine.h"

namespace vimbrel {

namespace {
constexpr std::string_view kTour = "tour";
constexpr std::string_view kBrowser = "browser=";
}  // namespace

StartOptions ReadStartOptions(const std::vector<Path>& arguments) {
  StartOptions options;
  for (const Path& argument : arguments) {
    if (argument.empty() || (argument[0] != u'/' && argument[0] != u'-')) continue;
    const std::u16string_view name = std::u16string_view(argument).substr(1);
    if (EqualsIgnoringAsciiCase(name, kTour)) {
      options.unattended_tour = true;
    } else if (EqualsIgnoringAsciiCase(name.substr(0, kBrowser.size()), kBrowser)) {
      options.browser = Path(name.substr(kBrowser.size()));
    }
  }
  return options;
}

}  // namespace vimbrel
