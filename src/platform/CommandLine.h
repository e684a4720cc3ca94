#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"

namespace vimbrel {

// Whether `text` is `ascii` with its letters in any case: switches and the
// names they take are read so.
bool EqualsIgnoringAsciiCase(std::u16string_view text, std::string_view ascii);

// `argument` between double quotes, escaped so that CommandLineToArgvW and
// the C runtime read it back as exactly one argument with its text unchanged:
// a quote becomes \" and the backslashes before it (or before the closing
// quote) are doubled; other backslashes stay as they are.
std::u16string QuoteArgument(std::u16string_view argument);

// The command line that starts `program` with `arguments`: the program's path
// in quotes (a path holds no quote), then each argument, quoted unless it is
// a word of letters, digits and hyphens.
std::u16string CommandLineFor(const Path& program, const std::vector<std::u16string>& arguments);

// `line` cut into its words as CommandLineToArgvW cuts it, so that what
// CommandLineFor writes reads back unchanged. The first word, the program's
// path, runs to the next quote when it begins with one and to the first blank
// or tab otherwise, and takes no escapes. The words after it are separated by
// blanks and tabs outside quotes; a quote opens or closes quoting; 2n
// backslashes before a quote stand for n, 2n+1 for n and a literal quote,
// other backslashes for themselves; inside quoting, two quotes in a row
// stand for a literal one and end the quoting. An empty line has no words
// (CommandLineToArgvW puts the program's own path in their place).
std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace vimbrel
