#include "app/ErrorBox.h"

#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/Ui.h"

namespace vimbrel {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (text.empty()) return text;
  std::string_view last = std::string_view(text).substr(cp932::LastCharStart(text));
  // The last character, taken whole, against "." as unsigned bytes.
  if (static_cast<unsigned char>(last[0]) > '.') {
    text += '.';
  }
  return text;
}

void ShowErrorBox(MessageBoxes& boxes, const std::exception& error) {
  boxes.ShowError(ErrorBoxText(MessageOf(error)), texts::kApplicationTitle);
}

}  // namespace vimbrel
