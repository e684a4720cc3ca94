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
  // One pass from the start, since characters can only be told apart from
  // there: the text ends after the last character that is not a single blank
  // or dot (a double-byte character always stays).
  std::size_t keep = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = cp932::NextChar(text, pos);
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (next - pos > 1 || (byte > 0x20 && byte != '.')) keep = next;
    pos = next;
  }
  return std::string(text.substr(0, keep));
}

std::string EOleSysError::MessageFor(std::int32_t code, std::string_view system_text) {
  std::string message = TrimTrailingBlanksAndDots(system_text);
  if (message.empty()) message = cp932::FormatInt(texts::kErrorOleFormat, code);
  return message;
}

std::string MessageOf(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  return own != nullptr ? own->Message() : std::string(error.what());
}

}  // namespace vimbrel
