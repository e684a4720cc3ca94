#pragma once

#include <string>
#include <string_view>

namespace vimbrel::win32 {

// The program's text is code page 932 whatever the system's ANSI code page
// is: every conversion names 932 explicitly.
std::wstring WidenCp932(std::string_view text);
std::string NarrowCp932(std::wstring_view text);

}  // namespace vimbrel::win32
