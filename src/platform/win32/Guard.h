#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <stdexcept>

namespace vimbrel::win32 {

// Where an error that escapes a message handler goes: the application's error
// box in the program, a recorder in tests.
using ErrorSink = std::function<void(const std::exception&)>;

// Runs one message handler; an escaping error ends it and goes to `sink`, and
// the message then returns `on_error`. No C++ exception may cross the window
// system's own frames.
template <typename Handler>
LRESULT CallGuarded(const ErrorSink& sink, LRESULT on_error, Handler&& handler) noexcept {
  try {
    return handler();
  } catch (const std::exception& error) {
    if (sink) sink(error);
  } catch (...) {
    if (sink) sink(std::runtime_error("unknown error"));
  }
  return on_error;
}

}  // namespace vimbrel::win32
