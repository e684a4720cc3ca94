#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vimbrel {

// The common base of every error the program raises. The message is code page
// 932 byte text, shown as it is in the error box.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A text that does not convert to a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A failed file operation, with the system error code that named the failure.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int error_code);
  int ErrorCode() const { return error_code_; }
  static std::string MessageFor(int error_code);

 private:
  int error_code_;
};

// A system resource (a timer) that the system refused.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// A browser program that cannot be found or started.
class EBrowserError : public Exception {
 public:
  using Exception::Exception;
};

// An automation request refused before the server was called.
class EOleError : public Exception {
 public:
  using Exception::Exception;
};

// An automation call that returned a failure status.
class EOleSysError : public EOleError {
 public:
  EOleSysError(std::string message, std::int32_t error_code)
      : EOleError(std::move(message)), error_code_(error_code) {}
  std::int32_t ErrorCode() const { return error_code_; }

  // The message for status `code`: the system's text for it (as FormatMessage
  // gives it) cut of trailing blanks and dots, or "OLE エラー %.8X" when nothing
  // is left.
  static std::string MessageFor(std::int32_t code, std::string_view system_text);

 private:
  std::int32_t error_code_;
};

// An exception that the automation server reported and described.
class EOleException : public EOleSysError {
 public:
  using EOleSysError::EOleSysError;
};

// The message that `error` shows: an error of the program's own carries it,
// any other error gives its what().
std::string MessageOf(const std::exception& error);

// `text` without the trailing single-byte characters of value 0x20 or less and
// without trailing "."; a double-byte character at the end stops the cut.
std::string TrimTrailingBlanksAndDots(std::string_view text);

}  // namespace vimbrel
