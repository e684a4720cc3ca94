#pragma once

#include <string>
#include <string_view>

namespace vimbrel::win32 {

// The program's text is code page 932 whatever the system's ANSI code page
// is: every conversion names 932 explicitly.
std::wstring WidenCp932(std::string_view text);
std::string NarrowCp932(std::wstring_view text);

// The system's own text for an error or status code, inserts ("%1") left as
// they stand; empty when the system has none.
std::wstring SystemMessage(unsigned long code);

}  // namespace vimbrel::win32
