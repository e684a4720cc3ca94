#include "support/Sjis.h"

#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace vimbrel::testing {

#ifdef _WIN32
std::string Sjis(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  int wide_length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), size);
  if (wide_length <= 0) throw std::runtime_error("not UTF-8");
  std::string out(static_cast<std::size_t>(wide_length) * 2, '\0');
  int length = WideCharToMultiByte(932, 0, wide.data(), wide_length, out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr);
  if (length <= 0) throw std::runtime_error("not convertible to CP932");
  out.resize(static_cast<std::size_t>(length));
  return out;
}
#else
std::string Sjis(std::string_view utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 in iconv");
  std::vector<char> out(utf8.size() * 2 + 1);
  char* in_ptr = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  std::size_t result = iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible to CP932");
  return std::string(out.data(), out.size() - out_left);
}
#endif

}  // namespace vimbrel::testing
