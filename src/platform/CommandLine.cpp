#include "platform/CommandLine.h"

namespace vimbrel {

namespace {
constexpr char16_t LowerAscii(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}
}  // namespace

bool EqualsIgnoringAsciiCase(std::u16string_view text, std::string_view ascii) {
  if (text.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(static_cast<unsigned char>(ascii[i]))) return false;
  }
  return true;
}

std::u16string QuoteArgument(std::u16string_view argument) {
  std::u16string quoted = u"\"";
  std::size_t backslashes = 0;
  for (char16_t unit : argument) {
    if (unit == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a quote.
    if (unit == u'"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, u'\\');
    quoted += unit;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, u'\\');
  quoted += u'"';
  return quoted;
}

std::u16string CommandLineFor(const Path& program, const std::vector<std::u16string>& arguments) {
  std::u16string line = u"\"" + program + u"\"";
  for (const std::u16string& argument : arguments) {
    // A word of letters, digits and hyphens (a switch such as --new-window)
    // reads the same without quotes, as a browser's own shortcut writes it.
    const bool plain_word = !argument.empty() && argument.find_first_not_of(
                                                     u"abcdefghijklmnopqrstuvwxyz"
                                                     u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                     u"0123456789-") == std::u16string::npos;
    line += u" " + (plain_word ? argument : QuoteArgument(argument));
  }
  return line;
}

}  // namespace vimbrel
