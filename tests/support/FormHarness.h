#pragma once

#include <exception>
#include <functional>

#include "app/ErrorBox.h"
#include "app/MainForm.h"
#include "platform/Texts.h"
#include "support/FakeAutomation.h"
#include "support/FakeBrowserPrograms.h"
#include "support/FakeDesktop.h"
#include "support/FakeFiles.h"
#include "support/FakePageReader.h"
#include "support/FakeTaskScheduler.h"
#include "support/FakeTimers.h"
#include "support/FakeUi.h"

namespace vimbrel::testing {

// The main window's logic with every system service faked. Events go through
// Dispatch, which shows escaping errors in the (fake) error box as the
// program's message handling does.
class FormHarness {
 public:
  explicit FormHarness(const StartOptions& options = {}) : form(Services(), Controls(), options) {
    timers.on_error = [this](const std::exception& error) { ShowErrorBox(boxes, error); };
    // The program's messages meanwhile: the timers tick on.
    desktop.on_wait = [this](std::uint32_t ms) { timers.Advance(ms); };
  }

  void Dispatch(const std::function<void()>& handler) {
    try {
      handler();
    } catch (const std::exception& error) {
      ShowErrorBox(boxes, error);
    }
  }
  void Create() {
    Dispatch([this] { form.FormCreate(); });
  }
  void Click(void (MainForm::*handler)()) {
    Dispatch([this, handler] { (form.*handler)(); });
  }
  // Whether the window closes.
  bool Close() {
    bool allowed = false;
    Dispatch([this, &allowed] { allowed = form.FormCloseQuery(); });
    return allowed;
  }

  Path ListPath() const { return u"C:\\Tools\\app.dat"; }

  FakeFiles files;
  FakeTimers timers;
  FakeDesktop desktop;
  FakeAutomation automation;
  FakeMessageBoxes boxes;
  FakeBrowserPrograms programs;
  FakeClock clock{timers};
  FakeDesktopLock lock;
  FakeWatchdog watchdog;
  FakeTaskScheduler scheduler;
  FakePageReader page_reader;
  FakeWindow window;
  FakeButton tour_button{texts::kTourIdle};
  FakeTextField page_time_field{"6"};
  FakeChoiceList browser_list;
  FakeButton daily_tour_button{texts::kDailyTourButton};
  FakeButton try_row_button{texts::kTryRowButton};
  MainForm form;

 private:
  FormServices Services() {
    return {files, timers, desktop,  automation, boxes,      programs,
            clock, lock,   watchdog, scheduler,  page_reader};
  }
  FormControls Controls() {
    return {window, tour_button, page_time_field, browser_list, daily_tour_button, try_row_button};
  }
};

}  // namespace vimbrel::testing
