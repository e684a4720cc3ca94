#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace vimbrel {

class MessageBoxes;

// The error's message with "." appended, unless it is empty or ends in a
// single-byte character from 0x01 to 0x2E (a control byte, a blank or
// punctuation up to the full stop).
std::string ErrorBoxText(std::string_view message);

// Shows an error that escaped an event handler in the error box, captioned
// with the application title.
void ShowErrorBox(MessageBoxes& boxes, const std::exception& error);

}  // namespace vimbrel
