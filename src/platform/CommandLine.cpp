#include "platform/CommandLine.h"

namespace vimbrel {

namespace {
constexpr bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

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

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
  std::vector<std::u16string> words;
  if (line.empty()) return words;
  std::size_t at = 0;
  if (line[0] == u'"') {
    const std::size_t closing = line.find(u'"', 1);
    words.emplace_back(line.substr(1, closing == line.npos ? line.npos : closing - 1));
    at = closing == line.npos ? line.size() : closing + 1;
  } else {
    while (at < line.size() && !IsBlank(line[at])) ++at;
    words.emplace_back(line.substr(0, at));
  }

  std::u16string word;
  bool in_word = false;
  // 1 between an opening quote and its closing one. Through a run of quotes
  // it counts on, the opening quote included, and every third is a literal
  // one.
  int quotes = 0;
  std::size_t backslashes = 0;
  while (at < line.size()) {
    const char16_t unit = line[at];
    if (IsBlank(unit) && quotes == 0) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
      backslashes = 0;
      ++at;
      continue;
    }
    in_word = true;
    ++at;
    if (unit == u'\\') {
      word += unit;
      ++backslashes;
      continue;
    }
    if (unit != u'"') {
      word += unit;
      backslashes = 0;
      continue;
    }
    // Half of the backslashes before a quote stay; an odd one out escapes it.
    word.resize(word.size() - backslashes / 2);
    if (backslashes % 2 == 1) {
      word.back() = u'"';
    } else {
      ++quotes;
    }
    backslashes = 0;
    for (; at < line.size() && line[at] == u'"'; ++at) {
      if (++quotes == 3) {
        word += u'"';
        quotes = 0;
      }
    }
    if (quotes == 2) quotes = 0;
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace vimbrel
