#include "tour/ReadIntField.h"

#include <string>

#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"

namespace vimbrel {

namespace {

// The longest wait a system timer takes (USER_TIMER_MAXIMUM), in seconds.
constexpr std::int32_t kMaxPageSeconds = 0x7FFFFFFF / 1000;

constexpr bool IsTrimmed(unsigned char byte) { return byte <= 0x20; }

constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseDecimal(std::string_view digits, std::int32_t& value) {
  std::int64_t result = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
    if (result > INT32_MAX) return false;
  }
  value = static_cast<std::int32_t>(result);
  return true;
}

bool ParseHex(std::string_view digits, std::int32_t& value) {
  if (digits.empty()) return false;
  std::uint32_t result = 0;
  int significant = 0;
  for (char c : digits) {
    int digit = HexDigitValue(c);
    if (digit < 0) return false;
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 8) return false;
    result = (result << 4) | static_cast<std::uint32_t>(digit);
  }
  value = static_cast<std::int32_t>(result);
  return true;
}

}  // namespace

std::int32_t ReadIntField(std::string_view text) {
  std::string converted = "0";
  converted.append(text);
  std::size_t begin = 0;
  std::size_t end = converted.size();
  while (begin < end && IsTrimmed(static_cast<unsigned char>(converted[begin]))) ++begin;
  while (end > begin && IsTrimmed(static_cast<unsigned char>(converted[end - 1]))) --end;
  converted = converted.substr(begin, end - begin);

  // The added "0" is never trimmed; what follows it decides the form.
  std::string_view rest = std::string_view(converted).substr(1);
  std::int32_t value = 0;
  bool ok = (!rest.empty() && (rest[0] == 'x' || rest[0] == 'X')) ? ParseHex(rest.substr(1), value)
                                                                  : ParseDecimal(rest, value);
  if (!ok) throw EConvertError(cp932::FillText(texts::kErrorNotAnInteger, converted));
  return value;
}

std::uint32_t PageDisplayInterval(std::string_view field_text) {
  std::int32_t seconds = ReadIntField(field_text);
  if (seconds <= 0 || seconds > kMaxPageSeconds) {
    throw EConvertError(cp932::FormatInt(texts::kErrorPageTimeRange, seconds));
  }
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

}  // namespace vimbrel
