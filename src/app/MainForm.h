#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DailyTourForm.h"
#include "app/SettingsFile.h"
#include "app/StartOptions.h"
#include "app/TourLog.h"
#include "app/TryRowForm.h"
#include "list/StringGrid.h"
#include "platform/Automation.h"
#include "platform/BrowserPrograms.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/DesktopLock.h"
#include "platform/Files.h"
#include "platform/PageReader.h"
#include "platform/TaskScheduler.h"
#include "platform/Timers.h"
#include "platform/Ui.h"
#include "platform/Watchdog.h"
#include "tour/BrowserChoice.h"
#include "tour/BrowserSession.h"
#include "tour/BrowserWindow.h"
#include "tour/StartedBrowser.h"
#include "tour/TourBrowser.h"
#include "tour/TourSequencer.h"
#include "tour/TourWatch.h"

namespace vimbrel {

// What the main window's logic reaches the system through.
struct FormServices {
  Files& files;
  TimerService& timers;
  Desktop& desktop;
  Automation& automation;
  MessageBoxes& boxes;
  BrowserPrograms& programs;
  Clock& clock;
  DesktopLock& lock;
  Watchdog& watchdog;  // for the tour that /tour starts
  TaskScheduler& scheduler;
  PageReader& page_reader;
};

// The main window and the controls of it that its handlers read or write.
struct FormControls {
  Window& MainWindow;
  Button& TourButton;
  const TextField& PageTimeField;
  ChoiceList& BrowserList;  // ブラウザー
  Button& DailyTourButton;  // 毎日の巡回...
  Button& TryRowButton;     // 試す...
};

// The main window's logic: the list, the unsaved-changes flags, the tour and
// the browser, and one handler per event. Handlers raise errors; whoever
// dispatches the event shows them in the error box.
class MainForm final : private TourObserver {
 public:
  // From the command line: the browser that /browser= named for this start,
  // whether /tour started the program.
  MainForm(const FormServices& services, const FormControls& controls,
           const StartOptions& options = {});
  ~MainForm();

  // The tour's browser is the one /browser= named, or else the one saved
  // beside the list, or else the default: Edge where Windows registers it,
  // Internet Explorer otherwise. Started with /tour, a list file that cannot
  // be read is not shown in a box: the tour that does not start says so in
  // the log.
  void FormCreate();
  // Started with /tour, once the window is shown and idle: a tour that waits
  // for nobody (kUnattendedTour), and the window closes when it has gone past
  // its last row. A stop of the user's leaves it open. A list file that was
  // not read whole, a page display time that the tour cannot use or another
  // copy's tour tours nothing: the log says why and the window closes.
  // A tour that stops moving for the page display time and a minute (a
  // browser that no longer answers) ends the program with 1: the watchdog.
  void StartUnattendedTour();
  // The program's exit code: what the tour that /tour started came to (0
  // every row sent and every window closed, 1 otherwise, 2 nothing toured);
  // 0 without /tour.
  int ExitCode() const { return exit_code_; }
  // Whether the window may close; may save first.
  bool FormCloseQuery();
  // The window goes: a tour still running ends with it.
  void FormDestroy();
  // The system asks whether the session may end: never asks the user.
  bool EndSessionQuery();

  void LoadListClick();   // リスト読込
  void SaveListClick();   // リスト保存
  void AddRowClick();     // 行追加
  void DeleteRowClick();  // 行削除
  void TourClick();       // 巡回 / 中止
  // The user picked item `index` of the browser drop-down: another browser is
  // kept in the settings file and used from the next tour on. When it cannot
  // be kept, the drop-down goes back and the error says why.
  void BrowserPicked(int index);
  void CellEdited(int col, int row, const std::string& value);
  // 試す...: the dialog's logic for the grid's current row, in the chosen
  // browser; `changed` tells the dialog that its view changed meanwhile.
  std::unique_ptr<TryRowForm> TryRowClick(std::function<void()> changed);

  StringGrid Grid;
  bool Modified = false;
  bool SessionEnding = false;
  BrowserSession Browser;
  BrowserWindow BrowserFrame;

 private:
  // Internet Explorer through the two above.
  InternetExplorer internet_explorer_;

 public:
  TourSequencer Tour;
  // The dialog 毎日の巡回: the task that tours this list daily.
  DailyTourForm DailyTour;

 private:
  enum class ListLoad { Failed, Missing, Read };

  Path ListFile() const;
  int DataRows() const { return Grid.RowCount() - 1; }
  // The browser and the page display time as the log's first line names them.
  std::string BrowserName() const;
  // What the settings file says, or the default.
  BrowserChoice SavedBrowser() const;
  void UseBrowser(const BrowserChoice& choice);
  TourBrowser& ChosenBrowser();
  // Whether tours read the pages: on unless the settings file says
  // ReadPages=0.
  bool ToursReadPages() const;
  // The drop-down's items, each browser marked when Windows does not
  // register it, and the chosen one selected.
  void ShowBrowserChoice();
  std::string PageSecondsText() const;
  // Tours nothing: the log says why, and the program ends with 2.
  void RefuseUnattendedTour(std::string_view message);
  // The watchdog for the tour that /tour started, from its start to its end.
  void StartWatchdog();
  void StopWatchdog() noexcept;
  void OnTourRowChanged(std::int32_t row) override;
  void OnTourStarted() override;
  void OnRowEnded(const RowEnd& row) override;
  void OnTourEnded(TourEnd how) override;
  void OnTourIdleChanged(bool idle) override;

  FormServices services_;
  Window& window_;
  const TextField& page_time_field_;
  ChoiceList& browser_list_;
  Button& daily_tour_button_;
  Button& try_row_button_;
  const std::optional<Path> browser_switch_;  // for this start only
  const bool started_with_tour_;
  TourLog log_;
  SettingsFile settings_;
  BrowserChoice browser_;
  // A browser started as a program, when that is the choice.
  std::unique_ptr<StartedBrowser> started_browser_;
  // What each item of the drop-down stands for. A program's path that was
  // chosen stays listed after another pick, so that it can be picked again.
  std::vector<BrowserChoice> listed_;
  PageView page_view_;
  TourWatch watch_;                        // the tour that /tour started, for the watchdog
  bool unattended_tour_ = false;           // the running tour is the one /tour started
  ListLoad list_load_ = ListLoad::Failed;  // how the latest load went
  std::string load_error_;                 // its message, unattended, when it failed
  int rows_sent_ = 0;                      // in the running tour
  bool every_row_clean_ = true;            // sent, with no window left open
  int exit_code_ = 0;
};

}  // namespace vimbrel
