#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vimbrel::cp932 {

// Code page 932 is fixed here rather than taken from the system: the list file
// and every caption are Shift-JIS whatever the code page of the machine is.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The index of the character after the one at `pos`: a lead byte takes the byte
// after it along, whatever that byte is (it is never a delimiter).
constexpr std::size_t NextChar(std::string_view text, std::size_t pos) {
  if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return pos + 2;
  return pos + 1;
}

// The index at which the last character of `text` starts (text must not be empty).
std::size_t LastCharStart(std::string_view text);

// The program's messages are byte strings with one directive each.
// FormatInt fills a "%d" or "%.8X" directive; FillText replaces the first "%s"
// with text, which may hold any bytes.
std::string FormatInt(const char* format, int value);
std::string FillText(std::string_view format, std::string_view text);

}  // namespace vimbrel::cp932
