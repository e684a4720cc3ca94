#include "platform/Cp932.h"

#include <cstdio>
#include <algorithm>

namespace vimbrel::cp932 {

std::size_t LastCharStart(std::string_view text) {
  std::size_t pos = 0;
  std::size_t last = 0;
  while (pos < text.size()) {
    last = pos;
    pos = NextChar(text, pos);
  }
  return last;
}

std::string FormatInt(const char* format, int value) {
  char buffer[256];
  int length = std::snprintf(buffer, sizeof buffer, format, value);
  if (length < 0) return std::string();
  return std::string(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

std::string FillText(std::string_view format, std::string_view text) {
  std::size_t at = format.find("%s");
  if (at == std::string_view::npos) return std::string(format);
  std::string result;
  result.reserve(format.size() + text.size());
  result.append(format.substr(0, at)).append(text).append(format.substr(at + 2));
  return result;
}

}  // namespace vimbrel::cp932
