// The tour under virtual time for many rows, with random edits, stops, loads,
// bad page display times, failing browsers, frames that linger and timers the
// system refuses. After every step the tour must be in a state that a tick or
// a click can leave, and nothing may pile up.
//
//   tour_soak [rows] [seed]      (default 1000000 rows)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "list/RowText.h"
#include "platform/Exception.h"
#include "support/FormHarness.h"

namespace vimbrel {
namespace {

using testing::FormHarness;

constexpr int kMaxRows = 40;

class Soak {
 public:
  explicit Soak(std::uint32_t seed) : random_(seed) {
    h.automation.before_call = [this](const std::string& call) { Browse(call); };
    h.timers.refuse = [this](std::uint32_t) { return refuse_timers_ > 0 && refuse_timers_-- > 0; };
    h.files.Put(h.ListPath(), "No,URL,x,y\r\n1,a.htm,1,\r\n2,b.htm,0,2\r\n3,,,\r\n");
    h.Create();
    h.page_time_field.text = "1";
  }

  // Runs until `rows` rows have been opened; false with a message when the
  // tour got stuck or something piled up.
  bool Run(std::uint64_t rows) {
    std::uint64_t steps = 0;
    while (rows_opened_ < rows) {
      if (++steps % 4 == 0) RandomEvent();
      if (!h.timers.RunNext()) {
        if (!Unstick()) return false;
      }
      if (!Check()) return false;
    }
    std::printf(
        "tour soak: %llu rows opened in %llu steps, %llu s of virtual time, %zu errors shown\n",
        static_cast<unsigned long long>(rows_opened_), static_cast<unsigned long long>(steps),
        static_cast<unsigned long long>(h.timers.Now() / 1000),
        errors_seen_ + h.boxes.boxes.size());
    return true;
  }

 private:
  // A browser whose frame shows once it is visible and goes when it quits;
  // sometimes a call fails, sometimes the frame lingers.
  void Browse(const std::string& call) {
    if (fail_next_call_) {
      fail_next_call_ = false;
      if (Pick(2)) {
        // The browser's process is gone, and its frame with it.
        if (!h.desktop.windows.empty()) h.desktop.windows.pop_back();
        throw EOleSysError("soak", static_cast<std::int32_t>(0x80010108u));
      }
      throw EOleSysError("soak", static_cast<std::int32_t>(0x80004005u));
    }
    if (call.rfind("call Navigate", 0) == 0 || call == "call Gohome") {
      ++rows_opened_;
      // Every row starts after a close wait that left no frame, unless a
      // halted or stopped tour skipped it.
      if (h.form.Tour.CurrentRow > 1 && h.desktop.windows.size() > 1 && halts_ == last_halts_) {
        std::fprintf(stderr, "a row began with %zu frames left open\n", h.desktop.windows.size());
        std::exit(1);
      }
      last_halts_ = halts_;
    }
    if (call == "put Visible true") h.desktop.AddWindow("IEFrame", Pick(20) == 0);
    if (call == "call Quit" && !h.desktop.windows.empty() && !h.desktop.windows.back().stays_open) {
      h.desktop.windows.pop_back();  // the browser closes its own frame
    }
  }

  bool Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_) == 0; }

  void RandomEvent() {
    MainForm& form = h.form;
    switch (std::uniform_int_distribution<int>(0, 39)(random_)) {
      case 0:
        h.Click(&MainForm::TourClick);
        break;
      case 1:
        if (form.Grid.RowCount() < kMaxRows) h.Click(&MainForm::AddRowClick);
        break;
      case 2:
        form.Grid.SetCurrentCell(1, 1 + Pick(3));
        h.Click(&MainForm::DeleteRowClick);
        break;
      case 3:
        h.Click(&MainForm::LoadListClick);
        break;
      case 4:
        h.page_time_field.text = Pick(3) ? "1" : (Pick(2) ? "0" : "x");
        break;
      case 5:
        fail_next_call_ = true;
        break;
      case 6:
        refuse_timers_ = 1;
        break;
      case 7:  // a lingering frame gives up at last
        for (auto& window : h.desktop.windows) window.stays_open = false;
        break;
      case 8:
        SetRowText(form.Grid, 1, Pick(2) ? "1,a,1x," : "1,a,1,");
        break;
      default:
        if (h.page_time_field.text != "1" && Pick(4)) h.page_time_field.text = "1";
        break;
    }
  }

  // No timer runs: the tour is idle or halted. A click starts or stops it.
  bool Unstick() {
    const std::string caption = h.tour_button.caption;
    if (caption == texts::kTourStopping) {
      std::fprintf(stderr, "stuck: \"stopping\" with no timer to acknowledge it\n");
      return false;
    }
    if (!h.tour_button.enabled) {
      std::fprintf(stderr, "stuck: the tour button is disabled with no timer running\n");
      return false;
    }
    h.page_time_field.text = "1";
    ++halts_;
    h.Click(&MainForm::TourClick);
    return true;
  }

  bool Check() {
    const std::string caption = h.tour_button.caption;
    const bool stopping = caption == texts::kTourStopping;
    if (stopping != !h.tour_button.enabled) {
      std::fprintf(stderr, "the button is %s while it reads a %s caption\n",
                   h.tour_button.enabled ? "enabled" : "disabled", stopping ? "stop" : "tour");
      return false;
    }
    if (stopping && !h.form.Tour.StopPollTimer.Running()) {
      std::fprintf(stderr, "a stop is pending with no poll running\n");
      return false;
    }
    // One chain timer, the page looks beside the frame wait, the stop poll.
    if (h.automation.live_objects > 1 || h.desktop.windows.size() > 64 ||
        h.timers.RunningCount() > 3) {
      std::fprintf(stderr, "something piles up: %d browsers, %zu frames, %zu timers\n",
                   h.automation.live_objects, h.desktop.windows.size(), h.timers.RunningCount());
      return false;
    }
    // The fake error box keeps every box; drop them so memory stays flat.
    if (h.boxes.boxes.size() > 1000) {
      errors_seen_ += h.boxes.boxes.size();
      h.boxes.boxes.clear();
    }
    return true;
  }

  FormHarness h;
  std::mt19937 random_;
  std::uint64_t rows_opened_ = 0;
  std::size_t errors_seen_ = 0;
  bool fail_next_call_ = false;
  int refuse_timers_ = 0;
  std::uint64_t halts_ = 0;
  std::uint64_t last_halts_ = 0;
};

}  // namespace
}  // namespace vimbrel

int main(int argc, char** argv) {
  std::uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  std::uint32_t seed =
      argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
  vimbrel::Soak soak(seed);
  return soak.Run(rows) ? 0 : 1;
}
