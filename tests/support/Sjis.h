#pragma once

#include <string>
#include <string_view>

namespace vimbrel::testing {

// UTF-8 text of a test turned into the code page 932 bytes the program uses.
std::string Sjis(std::string_view utf8);

}  // namespace vimbrel::testing
