#include "platform/Exception.h"

#include "platform/Cp932.h"
#include "platform/Texts.h"

namespace vimbrel {

EInOutError::EInOutError(int error_code)
    : Exception(MessageFor(error_code)), error_code_(error_code) {}

std::string EInOutError::MessageFor(int error_code) {
  switch (error_code) {
    case 2:
      return texts::kErrorFileNotFound;
    case 3:
      return texts::kErrorInvalidFileName;
    case 4:
      return texts::kErrorTooManyOpenFiles;
    case 5:
      return texts::kErrorAccessDenied;
    case 100:
      return texts::kErrorReadBeyondEnd;
    case 101:
      return texts::kErrorDiskFull;
    case 106:
      return texts::kErrorInvalidNumericInput;
    default:
      return cp932::FormatInt(texts::kErrorInOutFormat, error_code);
  }
}

std::string TrimTrailingBlanksAndDots(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t last = cp932::LastCharStart(text.substr(0, end));
    if (last + 1 != end) break;  // a double-byte character ends the text
    unsigned char byte = static_cast<unsigned char>(text[last]);
    if (byte > 0x20 && byte != '.') break;
    end = last;
  }
  return std::string(text.substr(0, end));
}

std::string EOleSysError::MessageFor(std::int32_t code, std::string_view system_text) {
  std::string message = TrimTrailingBlanksAndDots(system_text);
  if (message.empty()) message = cp932::FormatInt(texts::kErrorOleFormat, code);
  return message;
}

}  // namespace vimbrel
