#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "list/StringGrid.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Ui.h"
#include "tour/PageFocus.h"
#include "tour/TourBrowser.h"

namespace vimbrel {

// What the dialog "この行を試す" shows, in code page 932.
struct TryRowView {
  std::string row;  // "3 行目"
  std::string address;
  std::string browser;  // as the drop-down names it
  std::string tabs;     // タブ数 and 逆タブ数, as the cells hold them
  std::string reverse_tabs;
  std::string result;  // what the last action came to, or what it is doing
  // An action runs: only 閉じる is taken meanwhile.
  bool busy = false;
  // A search found an element: この回数にする writes its count.
  bool count_found = false;
};

// The logic of the dialog "この行を試す": one row of the list tried as a tour
// row would be, without Enter, to see where its keys land, or to find how
// many TABs reach a link. The row's address opens in a new window of the
// chosen browser; that window stays open for the user until the next action
// or 閉じる closes it. The program's messages are handled during every wait,
// so 閉じる is taken at once; the action then ends at its next step.
class TryRowForm {
 public:
  struct Parts {
    const StringGrid& grid;
    TourBrowser& browser;  // the tour's, which is idle
    PageView& page;        // pages are read whatever the settings say
    Desktop& desktop;
    Clock& clock;
    const TextField& page_time_field;
    std::string browser_name;
    // Writes a cell as the user's edit does.
    std::function<void(int col, int row, const std::string& text)> edit_cell;
    // The view changed while an action runs.
    std::function<void()> changed;
  };
  TryRowForm(Parts parts, int row);
  ~TryRowForm();
  TryRowForm(const TryRowForm&) = delete;
  TryRowForm& operator=(const TryRowForm&) = delete;

  const TryRowView& View() const { return view_; }
  // キーを送る: the row's TABs (or Shift+TABs) into the row's window as a tour
  // row sends them, without Enter; the result says what has the focus.
  // Raises as a tour row would (a count or a page display time that is no
  // number, a browser that is not there), the dialog staying as it was.
  void SendKeysClick();
  // 探す: TAB pressed one at a time, up to 200, until an element whose name
  // or address holds `text` has the focus; the focus leaving the page ends
  // the search.
  void SearchClick(std::string_view text);
  // この回数にする: the count found goes into the row's タブ数.
  void UseCountClick();
  // 閉じる: the windows opened here are closed (Internet Explorer through
  // Quit, the others through their windows), once any action has stopped.
  void CloseClick();
  // 閉じる was taken and nothing runs any more: the dialog may go.
  bool Closed() const { return closing_ && !view_.busy; }

 private:
  class Busy;
  // The row's address in a new window, found, in front and read, as a tour
  // row has it before its keys; false when it is not (the result says why)
  // or the dialog is closing.
  bool OpenRowWindow();
  void CloseOpenedWindows();
  // A wait that lets the program's messages through; false once the dialog
  // or the program is closing.
  bool Wait(std::uint32_t ms);
  void Show(std::string result);

  Parts parts_;
  int row_;
  TryRowView view_;
  bool opened_ = false;  // a window was opened and not yet closed
  bool closing_ = false;
  int found_count_ = 0;
};

}  // namespace vimbrel
