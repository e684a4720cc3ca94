#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "app/win32/Application.h"
#include "app/win32/StringGridControl.h"
#include "platform/win32/Handle.h"

namespace vimbrel::win32 {

// The main window on the screen: its controls laid out as the layout
// table gives them (scaled for the screen and font), with every message
// passed to the handlers of MainForm inside the error guard.
class MainWindow final : private StringGridEvents, private Window {
 public:
  struct Services {
    Files& files;
    TimerService& timers;
    Desktop& desktop;
    Automation& automation;
    BrowserPrograms& programs;
    Clock& clock;
    DesktopLock& lock;
    Watchdog& watchdog;
    TaskScheduler& scheduler;
    PageReader& page_reader;
  };
  // `options`: what the command line asks of the main window (the tour's
  // browser, /tour, the page display time).
  MainWindow(Application& application, const Services& services, StartOptions options = {});
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the hidden window and its controls, then runs FormCreate.
  void Create();
  HWND Handle() const { return window_; }
  MainForm& Form() { return *form_; }

 private:
  class ButtonControl;
  class EditControl;
  class ComboBoxControl;
  struct Fonts;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(WORD id, WORD code);
  void OnBrowserListCommand(WORD code);
  void OnSize(int width, int height);
  void OnActivate(WORD state);
  LRESULT OnControlColor(HDC dc, HWND control);
  void OnSetEditText(int col, int row, const std::string& value) override;
  void RequestClose() override;
  void OnCloseRequest();
  void OpenDailyTour();  // 毎日の巡回...
  void OpenTryRow();     // 試す...

  void CreateControls();
  int Scale(int value) const { return MulDiv(value, text_height_, 12); }
  RECT ScaledRect(int x, int y, int width, int height) const;

  Application& application_;
  Win32MessageBoxes boxes_;
  std::unique_ptr<ButtonControl> tour_button_;
  std::unique_ptr<EditControl> page_time_field_;
  std::unique_ptr<ComboBoxControl> browser_list_;
  std::unique_ptr<ButtonControl> daily_tour_button_;
  std::unique_ptr<ButtonControl> try_row_button_;
  std::unique_ptr<MainForm> form_;
  std::unique_ptr<Fonts> fonts_;
  std::optional<Path> page_time_;  // /wait=, typed into the field at creation
  GdiObject banner_;
  GdiObject white_brush_;
  int text_height_ = 12;
  HWND window_ = nullptr;
  HWND header_panel_ = nullptr;
  HWND button_panel_ = nullptr;
  HWND grid_ = nullptr;
  HWND contact_field_ = nullptr;
  HWND focused_ = nullptr;
};

}  // namespace vimbrel::win32
