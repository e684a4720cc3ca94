#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/PageReader.h"
#include "tour/PageLoad.h"

namespace vimbrel {

// What has the keyboard focus in a browser's page, as the program tells it.
struct PageFocus {
  enum class Kind { Link, Button, TextField, Other, Page, OutsidePage, Unknown };
  Kind kind = Kind::Unknown;
  std::string name;     // an element's accessible name, as the browser gave it
  std::string address;  // a link's

  bool operator==(const PageFocus& other) const {
    return kind == other.kind && name == other.name && address == other.address;
  }
  bool operator!=(const PageFocus& other) const { return !(*this == other); }
};

// What the program makes of what the browser tells.
PageFocus FocusOf(const FocusFacts& facts);
// The focus in the log's words: リンク「name」 address, ボタン「name」,
// 入力欄「name」, 要素「name」, (ページ), (ページの外) or (不明). The name's
// blanks and line breaks are folded to one blank and it is cut to 100
// characters, with "…".
std::string FocusText(const PageFocus& focus);
// The captions of a row's windows joined by " / "; (なし) when none is open.
std::string WindowCaptionsText(const std::vector<std::string>& captions);
// Whether the element's name or address holds `text`, ASCII letters in any
// case. Nothing holds the empty text.
bool FocusHolds(const PageFocus& focus, std::string_view text);

// The page in a browser's window as its reader tells it, read in the program's
// own time: the waits between reads let the program's messages through.
class PageView {
 public:
  PageView(PageReader& reader, Desktop& desktop, Clock& clock)
      : reader_(reader), desktop_(desktop), clock_(clock) {}

  void Listen() { reader_.Listen(); }
  void SwitchOn(WindowHandle window, BrowserFamily family) { reader_.SwitchOn(window, family); }
  PageLoad Load(WindowHandle window, BrowserFamily family) {
    return LoadOf(reader_.Document(window, family), family);
  }
  // The focus once the browser has taken the keys sent before: the same
  // answer twice, 100 ms apart, read for at most PageReader::kBoundMs; the
  // last answer after that. A browser that does not tell is asked once.
  // None when the program is told to end meanwhile.
  std::optional<PageFocus> SettledFocus(WindowHandle window, BrowserFamily family);

 private:
  PageReader& reader_;
  Desktop& desktop_;
  Clock& clock_;
};

}  // namespace vimbrel
