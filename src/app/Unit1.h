#pragma once

#include <cstdint>
#include <string>

#include "list/StringGrid.h"
#include "platform/Automation.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Timers.h"
#include "platform/Ui.h"
#include "tour/BrowserSession.h"
#include "tour/BrowserWindow.h"
#include "tour/TourSequencer.h"

namespace vimbrel {

// What the main window's logic reaches the system through.
struct FormServices {
  Files& files;
  TimerService& timers;
  Desktop& desktop;
  Automation& automation;
  MessageBoxes& boxes;
};

// The controls of the main window that its handlers read or write.
struct FormControls {
  Button& Button5;
  const TextField& Edit1;
};

// The main window's logic: the list, the unsaved-changes flags, the tour and
// the browser, and one handler per event. Handlers raise errors; whoever
// dispatches the event shows them in the error box.
class TForm1 {
 public:
  TForm1(const FormServices& services, const FormControls& controls);

  void FormCreate();
  // Whether the window may close; may save first.
  bool FormCloseQuery();
  // The system asks whether the session may end: never asks the user.
  bool EndSessionQuery();

  void Button1Click();  // リスト読込
  void Button2Click();  // リスト保存
  void Button3Click();  // 行追加
  void Button4Click();  // 行削除
  void Button5Click();  // 巡回 / 中止
  void StringGrid1SetEditText(int col, int row, const std::string& value);

  StringGrid StringGrid1;
  bool Modified = false;
  bool SessionEnding = false;
  BrowserSession Browser;
  BrowserWindow BrowserFrame;
  TourSequencer Tour;

 private:
  Path ListFile() const;

  FormServices services_;
};

}  // namespace vimbrel
