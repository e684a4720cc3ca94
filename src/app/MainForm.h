#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "list/StringGrid.h"
#include "platform/Automation.h"
#include "platform/BrowserPrograms.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Timers.h"
#include "platform/Ui.h"
#include "tour/BrowserSession.h"
#include "tour/BrowserWindow.h"
#include "tour/TourBrowser.h"
#include "tour/TourSequencer.h"

namespace vimbrel {

// What the main window's logic reaches the system through.
struct FormServices {
  Files& files;
  TimerService& timers;
  Desktop& desktop;
  Automation& automation;
  MessageBoxes& boxes;
  BrowserPrograms& programs;
};

// The main window and the controls of it that its handlers read or write.
struct FormControls {
  Window& MainWindow;
  Button& TourButton;
  const TextField& PageTimeField;
};

// The main window's logic: the list, the unsaved-changes flags, the tour and
// the browser, and one handler per event. Handlers raise errors; whoever
// dispatches the event shows them in the error box.
class MainForm final : private TourObserver {
 public:
  // `browser`: the browser that /browser= named for the tour ("edge",
  // "chrome" or a program's path); Internet Explorer when none.
  MainForm(const FormServices& services, const FormControls& controls,
           std::optional<Path> browser = std::nullopt);

  void FormCreate();
  // Started with /tour, once the window is shown and idle: a tour as if the
  // tour button had been clicked, and the window closes when that tour has
  // gone past its last row by itself. A stop or a halt leaves it open. Only a
  // list file read whole is toured: after a failed load nothing starts, and
  // without a list file an error names the file looked for.
  void StartUnattendedTour();
  // Whether the window may close; may save first.
  bool FormCloseQuery();
  // The system asks whether the session may end: never asks the user.
  bool EndSessionQuery();

  void LoadListClick();   // リスト読込
  void SaveListClick();   // リスト保存
  void AddRowClick();     // 行追加
  void DeleteRowClick();  // 行削除
  void TourClick();       // 巡回 / 中止
  void CellEdited(int col, int row, const std::string& value);

  StringGrid Grid;
  bool Modified = false;
  bool SessionEnding = false;
  BrowserSession Browser;
  BrowserWindow BrowserFrame;
  // The tour's browser, chosen once: Internet Explorer through the two above,
  // or the program that /browser= named.
  const std::unique_ptr<TourBrowser> ChosenBrowser;
  TourSequencer Tour;

 private:
  enum class ListLoad { Failed, Missing, Read };

  Path ListFile() const;
  void OnTourRowChanged(std::int32_t row) override;
  void OnTourFinished() override;

  FormServices services_;
  Window& window_;
  bool close_after_tour_ = false;          // the running tour was started by /tour
  ListLoad list_load_ = ListLoad::Failed;  // how the latest load went
};

}  // namespace vimbrel
