#include "tour/TourSequencer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "list/RowText.h"
#include "platform/Exception.h"
#include "support/FormHarness.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeDesktop;
using testing::FormHarness;
using testing::Sjis;

const std::string kIdle = Sjis("巡回");
const std::string kRunning = Sjis("中止");
const std::string kStopping = Sjis("中止中");
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);

struct Tick {
  std::uint64_t time;
  std::string timer;
  bool operator==(const Tick& other) const { return time == other.time && timer == other.timer; }
};
std::ostream& operator<<(std::ostream& out, const Tick& tick) {
  return out << tick.timer << "@" << tick.time;
}
using Ticks = std::vector<Tick>;

// The main window with a simulated browser: its frame window shows once it has
// been sent to an address and goes away when it is told to quit. Every timer
// tick is traced.
class TourRig {
 public:
  explicit TourRig(const StartOptions& options = {}) : h(options) {
    TourSequencer& tour = h.form.Tour;
    Trace(tour.StopPollTimer, "StopPollTimer");
    Trace(tour.RowWaitTimer, "RowWaitTimer");
    Trace(tour.FrameWaitTimer, "FrameWaitTimer");
    Trace(tour.KeysWaitTimer, "KeysWaitTimer");
    Trace(tour.DisplayWaitTimer, "DisplayWaitTimer");
    Trace(tour.CloseWaitTimer, "CloseWaitTimer");
    h.automation.before_call = [this](const std::string& call) {
      if (before_browse) before_browse(call);
      Browse(call);
    };
    h.Create();
    SetRows({"1,a.htm,2,"});
  }

  void SetRows(const std::vector<std::string>& rows) {
    h.form.Grid.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      SetRowText(h.form.Grid, static_cast<int>(i) + 1, rows[i]);
    }
  }

  void Click() { h.Click(&MainForm::TourClick); }
  // The list file as the list of a /tour start reads it.
  void LoadList(const std::string& rows) {
    h.files.Put(h.ListPath(), "No,URL,x,y\r\n" + rows);
    h.Click(&MainForm::LoadListClick);
  }
  void StartUnattended() {
    h.Dispatch([this] { h.form.StartUnattendedTour(); });
  }
  // The tour log's lines, without their CR LF.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const Path log = u"C:\\Tools\\app.log";
    if (!h.files.Exists(log)) return lines;
    const std::string& bytes = h.files.Bytes(log);
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
  }
  // Field `index` (from 0, the time) of the log's line `from_end` (1 the last).
  std::string LogField(std::size_t from_end, std::size_t index) const {
    const std::vector<std::string> lines = LogLines();
    if (lines.size() < from_end) return "(no line)";
    std::string line = lines[lines.size() - from_end];
    for (std::size_t i = 0; i < index; ++i) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string::npos) return "(no field)";
      line.erase(0, tab + 1);
    }
    return line.substr(0, line.find('\t'));
  }

  // The chain timers that will tick.
  std::vector<std::string> Armed() const {
    std::vector<std::string> armed;
    for (const auto& [timer, name] : timers_) {
      if (timer->Running() && name != "StopPollTimer") armed.push_back(name);
    }
    return armed;
  }
  bool IsArmed(const std::string& name) const { return Armed() == std::vector<std::string>{name}; }
  const TTimer& Timer(const std::string& name) const {
    for (const auto& [timer, timer_name] : timers_) {
      if (timer_name == name) return *timer;
    }
    throw std::invalid_argument(name);
  }

  // Delivers ticks until `name` is the armed chain timer; false when the
  // timers ran out first.
  bool RunUntilArmed(const std::string& name) {
    for (int guard = 0; guard < 1000; ++guard) {
      if (IsArmed(name)) return true;
      if (!h.timers.RunNext()) return false;
    }
    return false;
  }
  // The watchdog asks once a second as the tour runs on, until it ends the
  // program.
  void WatchFor(int seconds) {
    for (int i = 0; i < seconds && !watchdog_exit; ++i) {
      h.timers.Advance(1000);
      // Unless it asked already inside a tick, as a call that never returns.
      if (!watchdog_exit) watchdog_exit = h.watchdog.Check();
    }
  }
  // Delivers ticks until no timer runs.
  void RunToEnd() {
    for (int guard = 0; guard < 1000 && h.timers.RunNext(); ++guard) {
    }
    ASSERT_EQ(h.timers.RunningCount(), 0u);
  }

  std::vector<std::string> Navigations() const { return CallsStarting("call Navigate"); }
  std::vector<std::string> CallsStarting(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : h.automation.calls) {
      if (call.rfind(prefix, 0) == 0) found.push_back(call);
    }
    return found;
  }
  std::size_t Count(const std::string& call) const {
    return static_cast<std::size_t>(
        std::count(h.automation.calls.begin(), h.automation.calls.end(), call));
  }
  std::size_t Enters() const {
    return static_cast<std::size_t>(std::count(h.desktop.key_events.begin(),
                                               h.desktop.key_events.end(),
                                               FakeDesktop::KeyEventRecord{0x0D, 0}));
  }

  void RemoveWindow(WindowHandle handle) {
    auto& windows = h.desktop.windows;
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [handle](const auto& window) { return window.handle == handle; }),
                  windows.end());
    if (h.desktop.foreground == handle) h.desktop.foreground = 0;
  }

  FormHarness h;
  TourSequencer& tour = h.form.Tour;
  std::optional<int> watchdog_exit;
  Ticks ticks;
  std::string ticking;         // the timer whose tick is being handled
  std::size_t most_armed = 0;  // chain timers armed at once, after any tick
  bool frame_shows = true;     // the browser shows a frame when sent somewhere
  // Sent to an address of this, the browser also opens a window that will not
  // close.
  std::string opens_window_that_stays;
  std::string failing_call;  // this automation call fails once
  // Sees each automation call before the simulated browser does.
  std::function<void(const std::string& call)> before_browse;
  WindowHandle browser_frame = 0;

 private:
  void Trace(TTimer& timer, const std::string& name) {
    timers_.emplace_back(&timer, name);
    std::function<void()> handler = timer.OnTimer;
    timer.OnTimer = [this, handler, name] {
      ticks.push_back({h.timers.Now(), name});
      std::string outer = std::exchange(ticking, name);
      try {
        handler();
      } catch (...) {
        ticking = outer;
        throw;
      }
      ticking = outer;
      most_armed = std::max(most_armed, Armed().size());
    };
  }

  void Browse(const std::string& call) {
    if (call == failing_call) {
      failing_call.clear();
      throw EOleSysError("failed", kFail);
    }
    bool sent = call.rfind("call Navigate", 0) == 0 || call == "call Gohome";
    if (sent && frame_shows && browser_frame == 0) browser_frame = h.desktop.AddWindow("IEFrame");
    if (sent && !opens_window_that_stays.empty() &&
        call.find(opens_window_that_stays) != std::string::npos) {
      h.desktop.AddWindow({0, "IEFrame", true, true, false, Sjis("このサイトを離れますか?")});
    }
    if (call == "call Quit" && browser_frame != 0) {
      RemoveWindow(browser_frame);
      browser_frame = 0;
    }
  }

  std::vector<std::pair<const TTimer*, std::string>> timers_;
};

// As /tour starts the program.
StartOptions Unattended() {
  StartOptions options;
  options.unattended_tour = true;
  return options;
}

// Arms a chain timer as the chain does.
void Enter(TTimer& timer, std::uint32_t interval) {
  timer.SetEnabled(false);
  timer.SetInterval(interval);
  timer.SetEnabled(true);
}

TEST(TourSequencer, FollowsItsTransitionTable) {
  enum Before { kIdleTour, kRunningTour, kStopPending, kAcknowledged };
  using TS = TourSequencer;
  struct Transition {
    const char* name;
    Before before;
    TTimer TS::*state;  // the chain timer armed before, if any
    std::uint32_t state_interval;
    int row;
    bool frame;  // a browser frame exists
    void (TS::*event)();
    const char* armed;  // the one chain timer armed afterwards, if any
    std::uint32_t interval;
    const std::string& caption;
    bool stop_requested;
    int row_after;
    bool polling;  // StopPollTimer armed
  };
  const Transition table[] = {
      {"idle, click", kIdleTour, nullptr, 0, 5, false, &TS::TourClick, "RowWaitTimer", 500,
       kRunning, false, 1, false},
      {"running, click", kRunningTour, &TS::FrameWaitTimer, 6000, 1, false, &TS::TourClick,
       "FrameWaitTimer", 6000, kStopping, true, 1, true},
      {"row wait, stop pending", kStopPending, &TS::RowWaitTimer, 500, 1, false,
       &TS::RowWaitElapsed, "", 0, kStopping, false, 1, true},
      {"row wait, end of list", kRunningTour, &TS::RowWaitTimer, 500, 2, false, &TS::RowWaitElapsed,
       "", 0, kIdle, false, 2, false},
      {"row wait, past the end", kRunningTour, &TS::RowWaitTimer, 500, 9, false,
       &TS::RowWaitElapsed, "", 0, kIdle, false, 9, false},
      {"row wait, next row", kRunningTour, &TS::RowWaitTimer, 500, 1, false, &TS::RowWaitElapsed,
       "FrameWaitTimer", 6000, kRunning, false, 1, false},
      {"frame wait, found", kRunningTour, &TS::FrameWaitTimer, 6000, 1, true, &TS::FrameWaitElapsed,
       "KeysWaitTimer", 500, kRunning, false, 1, false},
      {"frame wait, found, stop pending", kStopPending, &TS::FrameWaitTimer, 6000, 1, true,
       &TS::FrameWaitElapsed, "KeysWaitTimer", 500, kStopping, true, 1, true},
      {"frame wait, none, stop pending", kStopPending, &TS::FrameWaitTimer, 6000, 1, false,
       &TS::FrameWaitElapsed, "", 0, kStopping, false, 1, true},
      {"frame wait, none", kRunningTour, &TS::FrameWaitTimer, 9000, 1, false, &TS::FrameWaitElapsed,
       "FrameWaitTimer", 9000, kRunning, false, 1, false},
      {"keys wait", kStopPending, &TS::KeysWaitTimer, 500, 1, true, &TS::KeysWaitElapsed,
       "DisplayWaitTimer", 6000, kStopping, true, 1, true},
      {"display wait", kStopPending, &TS::DisplayWaitTimer, 6000, 1, false, &TS::DisplayWaitElapsed,
       "CloseWaitTimer", 500, kStopping, true, 1, true},
      {"close wait, found", kStopPending, &TS::CloseWaitTimer, 500, 1, true, &TS::CloseWaitElapsed,
       "CloseWaitTimer", 500, kStopping, true, 1, true},
      {"close wait, none, stop pending", kStopPending, &TS::CloseWaitTimer, 500, 1, false,
       &TS::CloseWaitElapsed, "", 0, kStopping, false, 1, true},
      {"close wait, none", kRunningTour, &TS::CloseWaitTimer, 500, 1, false, &TS::CloseWaitElapsed,
       "RowWaitTimer", 500, kRunning, false, 2, false},
      {"acknowledged, StopPollTimer tick", kAcknowledged, nullptr, 0, 1, false,
       &TS::StopPollElapsed, "", 0, kIdle, false, 1, false},
      {"stop pending, StopPollTimer tick", kStopPending, &TS::DisplayWaitTimer, 6000, 1, false,
       &TS::StopPollElapsed, "DisplayWaitTimer", 6000, kStopping, true, 1, true},
  };
  for (const Transition& t : table) {
    SCOPED_TRACE(t.name);
    TourRig rig;
    TourSequencer& tour = rig.tour;
    if (t.state != nullptr) Enter(tour.*t.state, t.state_interval);
    rig.h.tour_button.caption = t.before == kIdleTour      ? kIdle
                                : t.before == kRunningTour ? kRunning
                                                           : kStopping;
    rig.h.tour_button.enabled = t.before == kIdleTour || t.before == kRunningTour;
    rig.h.daily_tour_button.enabled = t.before == kIdleTour;
    rig.h.try_row_button.enabled = t.before == kIdleTour;
    tour.StopRequested = t.before == kStopPending;
    if (t.before >= kStopPending) Enter(tour.StopPollTimer, 500);
    tour.CurrentRow = t.row;
    if (t.frame) rig.h.desktop.AddWindow("IEFrame");

    (tour.*t.event)();
    const std::vector<std::string> armed = rig.Armed();
    ASSERT_EQ(armed, *t.armed ? std::vector<std::string>{t.armed} : std::vector<std::string>{});
    if (*t.armed) {
      EXPECT_EQ(rig.Timer(t.armed).Interval(), t.interval);
    }
    EXPECT_EQ(rig.h.tour_button.caption, t.caption);
    EXPECT_EQ(rig.h.tour_button.enabled, t.caption != kStopping);
    EXPECT_EQ(rig.h.daily_tour_button.enabled, t.caption == kIdle);
    EXPECT_EQ(rig.h.try_row_button.enabled, t.caption == kIdle);
    EXPECT_EQ(tour.StopRequested, t.stop_requested);
    EXPECT_EQ(tour.CurrentRow, t.row_after);
    EXPECT_EQ(tour.StopPollTimer.Running(), t.polling);
    EXPECT_TRUE(rig.h.boxes.boxes.empty());
  }
}

// Step for step alike whether pages are read (of a browser that does not
// tell) or not (ReadPages=0).
TEST(TourSequencer, TimelineOfAOneRowList) {
  for (std::uint64_t n : {3u, 6u, 20u}) {
    for (int k : {0, 1, 3}) {
      for (const char* settings : {"", "[Vimbrel]\r\nReadPages=0\r\n"}) {
        SCOPED_TRACE("N " + std::to_string(n) + ", k " + std::to_string(k) + " " + settings);
        TourRig rig;
        rig.h.files.Put(u"C:\\Tools\\app.ini", settings);
        rig.h.page_time_field.text = std::to_string(n);
        for (int i = 0; i < k; ++i) rig.h.desktop.AddWindow("IEFrame");  // the user's own
        rig.Click();
        EXPECT_EQ(rig.h.tour_button.caption, kRunning);
        rig.RunToEnd();

        const std::uint64_t page = n * 1000;
        Ticks expected = {{500, "RowWaitTimer"},
                          {500 + page, "FrameWaitTimer"},
                          {1000 + page, "KeysWaitTimer"},
                          {1000 + 2 * page, "DisplayWaitTimer"}};
        for (int j = 0; j <= k; ++j)
          expected.push_back({1500 + 2 * page + 500u * j, "CloseWaitTimer"});
        expected.push_back({2000 + 2 * page + 500u * k, "RowWaitTimer"});
        EXPECT_EQ(rig.ticks, expected);
        EXPECT_EQ(rig.h.tour_button.caption, kIdle);
        EXPECT_TRUE(rig.h.tour_button.enabled);
        EXPECT_EQ(rig.tour.CurrentRow, 2);
        EXPECT_FALSE(rig.h.form.Browser.Held());
        EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
        EXPECT_EQ(rig.h.automation.calls.back(), "release");
        // Two TABs and Enter, then Alt+F4 for each frame left.
        EXPECT_EQ(rig.h.desktop.key_events.size(), 6u + 4u * static_cast<std::size_t>(k));
        EXPECT_TRUE(rig.h.desktop.windows.empty());
        EXPECT_EQ(rig.most_armed, 1u);
        EXPECT_EQ(rig.h.page_reader.log.empty(), *settings != '\0');
      }
    }
  }
}

// A page that tells when it has loaded gets its keys a second after, and
// one still loading when its page display time is over is waited for by one
// more page display time at most; the log says so.
TEST(TourSequencer, WaitsForThePageToLoadBeforeItsKeys) {
  constexpr std::uint64_t kNever = 1000000;
  const struct {
    const char* name;
    bool tells;
    std::uint64_t loaded_at;  // from the opening of the address
    std::uint64_t keys_at;    // KeysWaitTimer's tick
    const char* loading;      // the log's line before the row's, if any
  } cases[] = {
      {"loaded at 1 s", true, 1000, 2000, nullptr},
      {"not told", false, 1000, 6500, nullptr},
      {"never loads", true, kNever, 12500, "1\ta.htm\t読み込み中\t11秒"},
      {"loaded at 1.5 page times", true, 9000, 10000, "1\ta.htm\t読み込み中\t9秒"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig;
    rig.h.page_reader.document = [&](WindowHandle) {
      DocumentFacts facts;
      facts.told = c.tells;
      facts.document.value = "a.htm";
      if (rig.h.timers.Now() < 500 + c.loaded_at) facts.document.state = accessible::kStateBusy;
      return facts;
    };
    rig.Click();
    rig.RunToEnd();
    const auto keys = std::find_if(rig.ticks.begin(), rig.ticks.end(),
                                   [](const Tick& tick) { return tick.timer == "KeysWaitTimer"; });
    ASSERT_NE(keys, rig.ticks.end());
    EXPECT_EQ(keys->time, 500 + c.keys_at);
    EXPECT_EQ(rig.Enters(), 1u);
    const std::vector<std::string> lines = rig.LogLines();
    ASSERT_EQ(lines.size(), c.loading ? 4u : 3u);
    if (c.loading) {
      EXPECT_EQ(lines[1].substr(20), Sjis(c.loading));
    }
    // Listening from the tour's start, the reading on as the window is found.
    EXPECT_EQ(
        std::vector<std::string>(rig.h.page_reader.log.begin(), rig.h.page_reader.log.begin() + 2),
        (std::vector<std::string>{"listen", "on 100 InternetExplorer"}));
  }

  // A stop while the page loads is taken as at any frame wait: the row goes
  // on to its keys.
  TourRig rig;
  rig.SetRows({"1,a.htm,2,", "2,b.htm,2,"});
  rig.h.page_reader.document = [&](WindowHandle) {
    DocumentFacts facts;
    facts.told = true;
    facts.document.value = "a.htm";
    facts.document.state = rig.h.timers.Now() < 9500 ? accessible::kStateBusy : 0;
    return facts;
  };
  rig.Click();
  rig.h.timers.Advance(7000);
  rig.Click();
  rig.RunToEnd();
  EXPECT_EQ(rig.Enters(), 1u);
  EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
  EXPECT_EQ(rig.LogField(1, 2), Sjis("中止"));
}

TEST(TourSequencer, AStopLetsTheRowFinishUnlessNoFrameOrNoRowIsOpen) {
  struct Case {
    const char* name;
    std::string state;  // armed when the stop is requested
    bool frame_shows;
    int user_frames;
    bool row_finished;  // keys, quit and close were done
    bool held;          // the row's browser stays held
  };
  const Case cases[] = {
      {"row wait", "RowWaitTimer", true, 0, false, false},
      {"frame wait, no frame", "FrameWaitTimer", false, 0, false, true},
      {"frame wait, frame found", "FrameWaitTimer", true, 0, true, false},
      {"keys wait", "KeysWaitTimer", true, 0, true, false},
      {"display wait", "DisplayWaitTimer", true, 0, true, false},
      {"close wait", "CloseWaitTimer", true, 2, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,1,"});
    rig.frame_shows = c.frame_shows;
    for (int i = 0; i < c.user_frames; ++i) rig.h.desktop.AddWindow("IEFrame");
    rig.Click();
    ASSERT_TRUE(rig.RunUntilArmed(c.state));
    if (c.state == "CloseWaitTimer") {
      ASSERT_TRUE(rig.h.timers.RunNext());  // one frame closed
    }
    rig.h.timers.Advance(100);
    rig.Click();
    EXPECT_EQ(rig.h.tour_button.caption, kStopping);
    EXPECT_FALSE(rig.h.tour_button.enabled);
    rig.frame_shows = true;
    rig.RunToEnd();

    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_TRUE(rig.h.tour_button.enabled);
    EXPECT_TRUE(rig.h.daily_tour_button.enabled);
    EXPECT_FALSE(rig.tour.StopRequested);
    EXPECT_EQ(rig.tour.CurrentRow, 1);
    EXPECT_EQ(rig.Navigations().size(), c.state == "RowWaitTimer" ? 0u : 1u);
    EXPECT_EQ(rig.Enters(), c.row_finished ? 1u : 0u);
    EXPECT_EQ(rig.Count("call Quit"), c.row_finished ? 1u : 0u);
    EXPECT_EQ(rig.h.form.Browser.Held(), c.held);
    EXPECT_TRUE(rig.h.desktop.windows.empty());  // none left, or none shown
    EXPECT_EQ(rig.LogField(1, 2), Sjis("中止"));
    EXPECT_EQ(rig.LogField(2, 1), c.state == "RowWaitTimer" ? Sjis("巡回開始") : "1");
    if (c.state != "RowWaitTimer") {
      EXPECT_EQ(rig.LogField(2, 3), Sjis(c.row_finished ? "送信" : "中止"));
    }
    // The button comes back at most 500 ms after the chain's last tick.
    auto last_chain = std::find_if(rig.ticks.rbegin(), rig.ticks.rend(),
                                   [](const Tick& tick) { return tick.timer != "StopPollTimer"; });
    ASSERT_EQ(rig.ticks.back().timer, "StopPollTimer");
    EXPECT_LE(rig.ticks.back().time - last_chain->time, 500u);

    // The next tour starts from row 1 again, with the browser that was kept.
    rig.h.automation.calls.clear();
    rig.Click();
    rig.RunToEnd();
    ASSERT_FALSE(rig.h.automation.calls.empty());
    EXPECT_EQ(rig.h.automation.calls.front(),
              c.held ? "call Navigate 'a.htm'" : "create InternetExplorer.Application");
    EXPECT_EQ(rig.Navigations(),
              (std::vector<std::string>{"call Navigate 'a.htm'", "call Navigate 'b.htm'"}));
    EXPECT_EQ(rig.Count("create InternetExplorer.Application"), c.held ? 1u : 2u);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_EQ(rig.most_armed, 1u);
  }
}

TEST(TourSequencer, AStopRequestedWhileWaitingMessagesAreHandledLetsTheRowGoOn) {
  for (const std::string state : {"FrameWaitTimer", "CloseWaitTimer"}) {
    SCOPED_TRACE(state);
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,1,"});
    if (state == "CloseWaitTimer") rig.h.desktop.AddWindow("IEFrame");
    bool stopped = false;
    rig.h.desktop.on_process_messages = [&] {
      if (stopped || rig.ticking != state) return;
      stopped = true;
      rig.Click();
      ASSERT_TRUE(rig.h.timers.RunNext());  // the StopPollTimer tick, inside
      EXPECT_EQ(rig.ticks.back().timer, "StopPollTimer");
      EXPECT_EQ(rig.h.tour_button.caption, kStopping);
      EXPECT_TRUE(rig.tour.StopRequested);
    };
    rig.Click();
    rig.RunToEnd();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_TRUE(rig.h.tour_button.enabled);
    EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
    EXPECT_EQ(rig.Enters(), 1u);
    EXPECT_EQ(rig.Count("call Quit"), 1u);
    EXPECT_EQ(rig.tour.CurrentRow, 1);
  }
}

TEST(TourSequencer, AnErrorHaltsTheTourAndAStopThenReturnsToIdle) {
  struct Case {
    const char* name;
    std::function<void(TourRig&)> arrange;
    std::function<void(TourRig&)> repair;
    const char* failing_tick;
    std::string error;
    std::size_t enters;
  };
  const Case cases[] = {
      {"page time not a number", [](TourRig& rig) { rig.h.page_time_field.text = "abc"; },
       [](TourRig& rig) { rig.h.page_time_field.text = "6"; }, "RowWaitTimer",
       Sjis("'0abc' は整数ではありません."), 0},
      {"page time changed to a sign before the second reading",
       [](TourRig& rig) {
         rig.h.desktop.on_process_messages = [&rig] { rig.h.page_time_field.text = "-1"; };
       },
       [](TourRig& rig) {
         rig.h.desktop.on_process_messages = nullptr;
         rig.h.page_time_field.text = "6";
       },
       "KeysWaitTimer", Sjis("'0-1' は整数ではありません."), 1},
      {"count not a number", [](TourRig& rig) { rig.SetRows({"1,a.htm,1x,"}); },
       [](TourRig& rig) { rig.SetRows({"1,a.htm,1,"}); }, "KeysWaitTimer",
       Sjis("'01x' は整数ではありません."), 0},
      {"navigation fails", [](TourRig& rig) { rig.failing_call = "call Navigate 'a.htm'"; },
       [](TourRig&) {}, "RowWaitTimer", "failed.", 0},
      {"quit fails", [](TourRig& rig) { rig.failing_call = "call Quit"; }, [](TourRig&) {},
       "DisplayWaitTimer", "failed.", 1},
      {"page wait timer refused",
       [](TourRig& rig) { rig.h.timers.refuse = [](std::uint32_t ms) { return ms == 6000; }; },
       [](TourRig& rig) { rig.h.timers.refuse = nullptr; }, "RowWaitTimer",
       Sjis("タイマーを取得できません."), 0},
      {"key wait timer refused",
       [](TourRig& rig) {
         rig.h.desktop.on_process_messages = [&rig] {
           rig.h.timers.refuse = [](std::uint32_t) { return true; };
         };
       },
       [](TourRig& rig) {
         rig.h.desktop.on_process_messages = nullptr;
         rig.h.timers.refuse = nullptr;
       },
       "FrameWaitTimer", Sjis("タイマーを取得できません."), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig;
    c.arrange(rig);
    rig.Click();
    rig.RunToEnd();
    ASSERT_FALSE(rig.ticks.empty());
    EXPECT_EQ(rig.ticks.back().timer, c.failing_tick);
    EXPECT_EQ(rig.h.boxes.Errors(), std::vector<std::string>{c.error});
    EXPECT_EQ(rig.Enters(), c.enters);
    EXPECT_EQ(rig.LogLines().back().substr(20), Sjis("巡回終了\t停止\t0/1行送信"));
    EXPECT_EQ(rig.LogLines().end()[-2].substr(20), Sjis("1\ta.htm\tエラー\t") + c.error);
    EXPECT_FALSE(rig.h.lock.held);
    EXPECT_EQ(rig.h.tour_button.caption, kRunning);
    EXPECT_TRUE(rig.h.tour_button.enabled);
    EXPECT_FALSE(rig.h.daily_tour_button.enabled);
    EXPECT_TRUE(rig.Armed().empty());

    c.repair(rig);
    rig.Click();
    EXPECT_EQ(rig.h.tour_button.caption, kStopping);
    rig.h.timers.Advance(500);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_TRUE(rig.h.tour_button.enabled);
    EXPECT_TRUE(rig.h.daily_tour_button.enabled);
    EXPECT_FALSE(rig.tour.StopRequested);
    EXPECT_EQ(rig.h.timers.RunningCount(), 0u);

    // A new tour runs as usual, also with a timer that was refused before.
    rig.h.desktop.windows.clear();
    rig.browser_frame = 0;
    rig.Click();
    rig.RunToEnd();
    EXPECT_EQ(rig.h.boxes.Errors().size(), 1u);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_EQ(rig.tour.CurrentRow, 2);
    EXPECT_EQ(rig.h.automation.calls.back(), "release");
  }
}

TEST(TourSequencer, AHaltWithAStopPendingReturnsToIdle) {
  TourRig rig;
  rig.SetRows({"1,a.htm,1x,"});
  rig.Click();
  ASSERT_TRUE(rig.RunUntilArmed("KeysWaitTimer"));
  rig.Click();
  rig.h.timers.Advance(500);  // the count error
  EXPECT_EQ(rig.h.boxes.Errors().size(), 1u);
  EXPECT_TRUE(rig.Armed().empty());
  rig.h.timers.Advance(500);
  EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  EXPECT_TRUE(rig.h.tour_button.enabled);
  EXPECT_EQ(rig.h.timers.RunningCount(), 0u);
}

TEST(TourSequencer, AStopThatGetsNoTimerLeavesTheButtonUsable) {
  TourRig rig;
  rig.h.page_time_field.text = "3";
  rig.Click();
  ASSERT_TRUE(rig.RunUntilArmed("FrameWaitTimer"));
  rig.h.timers.refuse = [](std::uint32_t ms) { return ms == 500; };
  rig.Click();
  EXPECT_EQ(rig.h.boxes.Errors(), std::vector<std::string>{Sjis("タイマーを取得できません.")});
  EXPECT_EQ(rig.h.tour_button.caption, kRunning);
  EXPECT_TRUE(rig.h.tour_button.enabled);
  EXPECT_FALSE(rig.tour.StopRequested);

  rig.h.timers.refuse = nullptr;
  rig.Click();
  rig.RunToEnd();
  EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  EXPECT_TRUE(rig.h.tour_button.enabled);
}

TEST(TourSequencer, AStopPollOutlastsASystemThatRefusesNewTimers) {
  TourRig rig;
  rig.Click();
  ASSERT_TRUE(rig.RunUntilArmed("FrameWaitTimer"));
  rig.Click();
  rig.h.timers.refuse = [](std::uint32_t) { return true; };
  rig.h.timers.Advance(500);  // a poll while the system refuses timers
  EXPECT_EQ(rig.ticks.back().timer, "StopPollTimer");
  rig.h.timers.refuse = nullptr;
  rig.RunToEnd();
  EXPECT_EQ(rig.Count("call Quit"), 1u);
  EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  EXPECT_TRUE(rig.h.tour_button.enabled);
  EXPECT_FALSE(rig.tour.StopRequested);
}

TEST(TourSequencer, ReadsRowsAsTheyAreAtEachStep) {
  {
    SCOPED_TRACE("a row added during a tour is toured");
    TourRig rig;
    rig.Click();
    ASSERT_TRUE(rig.RunUntilArmed("FrameWaitTimer"));
    rig.h.Click(&MainForm::AddRowClick);
    rig.h.form.Grid.SetCell(1, 2, "b.htm");
    rig.RunToEnd();
    EXPECT_EQ(rig.Navigations(),
              (std::vector<std::string>{"call Navigate 'a.htm'", "call Navigate 'b.htm'"}));
    EXPECT_EQ(rig.tour.CurrentRow, 3);
  }
  {
    SCOPED_TRACE("deleting the toured row passes over the row that moves in");
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,2,", "3,c.htm,3,"});
    rig.Click();
    ASSERT_TRUE(rig.RunUntilArmed("FrameWaitTimer"));
    rig.h.form.Grid.SetCurrentCell(1, 1);
    rig.h.Click(&MainForm::DeleteRowClick);
    rig.RunToEnd();
    EXPECT_EQ(rig.Navigations(),
              (std::vector<std::string>{"call Navigate 'a.htm'", "call Navigate 'c.htm'"}));
    // Row 1 got the keys of the row that moved in: two TABs, then three for c.
    EXPECT_EQ(rig.h.desktop.key_events.size(), 6u + 8u);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  }
  {
    SCOPED_TRACE("the address is read once, when the row starts");
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,2,"});
    // Creating the browser lets other handlers run: one edits the row, then
    // deletes it.
    rig.h.automation.before_call =
        [&rig, browse = rig.h.automation.before_call](const std::string& call) {
          if (call == "put Height 400") {
            rig.h.form.Grid.SetCell(1, 1, "c.htm");
            rig.h.form.Grid.SetCurrentCell(1, 1);
            rig.h.Click(&MainForm::DeleteRowClick);
          }
          browse(call);
        };
    rig.Click();
    ASSERT_TRUE(rig.RunUntilArmed("FrameWaitTimer"));
    EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
  }
  {
    SCOPED_TRACE("rows deleted below the toured one end the tour");
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,2,"});
    rig.Click();
    ASSERT_TRUE(rig.RunUntilArmed("DisplayWaitTimer"));
    rig.h.form.Grid.SetCurrentCell(1, 2);
    rig.h.Click(&MainForm::DeleteRowClick);
    rig.RunToEnd();
    EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  }
}

TEST(TourSequencer, APageTimeChangedInFrameWaitSetsOnlyTheDisplayWait) {
  TourRig rig;
  rig.frame_shows = false;
  rig.Click();
  rig.h.timers.Advance(6500);  // first search: no frame
  EXPECT_TRUE(rig.IsArmed("FrameWaitTimer"));
  rig.h.page_time_field.text = "3";
  rig.h.desktop.AddWindow("IEFrame");
  rig.RunToEnd();
  const Ticks expected = {{500, "RowWaitTimer"},       {6500, "FrameWaitTimer"},
                          {12500, "FrameWaitTimer"},   {13000, "KeysWaitTimer"},
                          {16000, "DisplayWaitTimer"}, {16500, "CloseWaitTimer"},
                          {17000, "CloseWaitTimer"},   {17500, "RowWaitTimer"}};
  EXPECT_EQ(rig.ticks, expected);
}

TEST(TourSequencer, RefusesPageTimesThatNoTimerCanWait) {
  const auto range_error = [](const std::string& seconds) {
    return Sjis("ページ表示時間 " + seconds + " 秒は 1 から 2147483 秒までの範囲にありません");
  };
  const std::pair<std::string, std::string> errors[] = {
      {"0", range_error("0")},
      {"", range_error("0")},
      {"   ", range_error("0")},
      {"xFFFFFFFF", range_error("-1")},
      {"x80000000", range_error("-2147483648")},
      {"2147484", range_error("2147484")},
      {"4294968", range_error("4294968")},
  };
  const std::pair<std::string, std::uint32_t> intervals[] = {
      {"1", 1000}, {"20", 20000}, {"2147483", 2147483000u}, {"x10", 16000}};
  using Step = std::pair<void (TourSequencer::*)(), TTimer TourSequencer::*>;
  const Step steps[] = {{&TourSequencer::RowWaitElapsed, &TourSequencer::FrameWaitTimer},
                        {&TourSequencer::KeysWaitElapsed, &TourSequencer::DisplayWaitTimer}};
  for (const auto& [handler, waits] : steps) {
    for (const auto& [text, message] : errors) {
      SCOPED_TRACE("'" + text + "'");
      TourRig rig;
      rig.tour.CurrentRow = 1;
      rig.h.page_time_field.text = text;
      try {
        (rig.tour.*handler)();
        ADD_FAILURE() << "no error";
      } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), message);
      }
      EXPECT_TRUE(rig.Armed().empty());
    }
    for (const auto& [text, interval] : intervals) {
      TourRig rig;
      rig.tour.CurrentRow = 1;
      rig.h.page_time_field.text = text;
      (rig.tour.*handler)();
      EXPECT_EQ((rig.tour.*waits).Interval(), interval) << text;
      EXPECT_TRUE((rig.tour.*waits).Running());
    }
  }
}

TEST(TourSequencer, TwoToursNeverOverlap) {
  // Stop at many points of a two-row tour, start again as soon as the button
  // allows, and check that one chain timer at most is ever armed.
  for (std::uint64_t stop_at = 0; stop_at <= 30000; stop_at += 750) {
    SCOPED_TRACE("stop at " + std::to_string(stop_at));
    TourRig rig;
    rig.SetRows({"1,a.htm,1,", "2,b.htm,1,"});
    rig.Click();
    rig.h.timers.Advance(stop_at);
    if (rig.h.tour_button.caption == kRunning) rig.Click();
    for (int guard = 0; guard < 200 && rig.h.tour_button.caption != kIdle; ++guard) {
      ASSERT_TRUE(rig.h.timers.RunNext());
    }
    ASSERT_EQ(rig.h.tour_button.caption, kIdle);
    rig.Click();
    rig.RunToEnd();
    EXPECT_EQ(rig.most_armed, 1u);
    EXPECT_EQ(rig.h.tour_button.caption, kIdle);
    EXPECT_EQ(rig.tour.CurrentRow, 3);
    EXPECT_EQ(rig.Navigations().back(), "call Navigate 'b.htm'");
    EXPECT_TRUE(rig.h.boxes.boxes.empty());
  }
}

// The grid marks the row the tour works on. A tour that /tour started
// closes the window when it goes past its last row, and the exit code says
// whether every row was sent; a stop of the user's leaves the window open.
TEST(TourSequencer, MarksItsRowAndClosesTheWindowAfterAnUnattendedTour) {
  const struct {
    const char* name;
    std::function<void(TourRig&)> meanwhile;
    int close_requests;
    int exit_code;
    const char* end;  // how the log says the tour ended
  } cases[] = {
      {"to the end of the list",
       [](TourRig& rig) {
         ASSERT_TRUE(rig.RunUntilArmed("CloseWaitTimer"));
         EXPECT_EQ(rig.h.form.Grid.MarkedRow(), 1);
         ASSERT_TRUE(rig.RunUntilArmed("KeysWaitTimer"));
         EXPECT_EQ(rig.h.form.Grid.MarkedRow(), 2);
       },
       1, 0, "完了"},
      {"stopped by the user", [](TourRig& rig) { rig.Click(); }, 0, 1, "中止"},
      {"every row an error", [](TourRig& rig) { rig.h.page_time_field.text = "abc"; }, 1, 1,
       "完了"},
      {"stopped, then toured again by the user",
       [](TourRig& rig) {
         rig.Click();
         rig.RunToEnd();
         rig.Click();
       },
       0, 1, "完了"},
      {"the program closed",
       [](TourRig& rig) {
         ASSERT_TRUE(rig.RunUntilArmed("DisplayWaitTimer"));
         rig.h.form.FormDestroy();
       },
       0, 1, "終了"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig{Unattended()};
    rig.LoadList("1,a.htm,1,\r\n2,b.htm,1,\r\n");
    rig.StartUnattended();
    EXPECT_EQ(rig.h.form.Grid.MarkedRow(), 1);
    EXPECT_TRUE(rig.h.lock.held);
    c.meanwhile(rig);
    rig.RunToEnd();
    EXPECT_EQ(rig.h.window.close_requests, c.close_requests);
    EXPECT_EQ(rig.h.form.ExitCode(), c.exit_code);
    EXPECT_EQ(rig.LogField(1, 2), Sjis(c.end));
    EXPECT_EQ(rig.h.form.Grid.MarkedRow(), 0);
    EXPECT_FALSE(rig.h.form.Modified);
    EXPECT_FALSE(rig.h.lock.held);
    EXPECT_TRUE(rig.h.boxes.boxes.empty());
  }
}

// Unattended, every row ends in bounded time with its outcome, an error ends
// only its row, and the log has a line for each, byte for byte.
TEST(TourSequencer, AnUnattendedTourEndsEveryRowInBoundedTimeAndLogsIt) {
  TourRig rig{Unattended()};
  rig.LoadList("1,a.htm,2,\r\n2,b.htm,1x,\r\n3,c.htm,1,\r\n4,d.htm,0,3\r\n5,e.htm,,\r\n");
  rig.h.page_time_field.text = "3";
  rig.before_browse = [&rig](const std::string& call) {
    // No window for c.htm; the user's editor in front for d.htm; a window
    // that asks before it closes for e.htm.
    rig.frame_shows = call != "call Navigate 'c.htm'";
    if (call == "call Navigate 'd.htm'") {
      rig.h.desktop.foreground =
          rig.h.desktop.AddWindow({0, "Notepad", false, true, false, "memo.txt - Notepad"});
      rig.h.desktop.refuse_foreground = true;
    }
    if (call == "call Navigate 'e.htm'") rig.h.desktop.refuse_foreground = false;
  };
  rig.opens_window_that_stays = "e.htm";
  // a.htm tells its focused link, whose name comes back empty at the first
  // read, as Firefox's can; the others do not tell.
  int reads = 0;
  rig.h.page_reader.focus = [&](WindowHandle) {
    FocusFacts facts;
    if (rig.Navigations().back() != "call Navigate 'a.htm'") return facts;
    facts.where = FocusFacts::Where::Element;
    facts.element.role = accessible::kRoleLink;
    if (++reads > 1)
      facts.element = {accessible::kRoleLink, 0, Sjis("ポイントを\r\n 獲得"), "a.htm#get"};
    return facts;
  };
  rig.StartUnattended();
  rig.RunToEnd();

  EXPECT_EQ(reads, 3);
  EXPECT_EQ(
      rig.LogLines(),
      (std::vector<std::string>{
          Sjis("2026-12-09 06:00:00\t巡回開始\tInternet Explorer\t3秒\t5行"),
          Sjis("2026-12-09 06:00:07\t1\ta.htm\t送信\tTAB×2 Enter\tリンク「ポイントを 獲得」 "
               "a.htm#get\tpage"),
          Sjis("2026-12-09 06:00:12\t2\tb.htm\tエラー\t'01x' は整数ではありません."),
          // Three searches, 3 seconds apart.
          Sjis("2026-12-09 06:00:22\t3\tc.htm\t未検出\t"),
          Sjis("2026-12-09 06:00:29\t4\td.htm\t保留\tmemo.txt - Notepad"),
          // The wait for the windows to close gives up after 10 seconds.
          Sjis(
              "2026-12-09 06:00:46\t5\te.htm\t送信\tEnter\t(不明)\tpage / このサイトを離れますか?"),
          Sjis("2026-12-09 06:00:46\t5\te.htm\t未終了\tこのサイトを離れますか?"),
          Sjis("2026-12-09 06:00:47\t巡回終了\t完了\t2/5行送信\t終了コード 1"),
      }));
  EXPECT_EQ(rig.Count("call Quit"), 5u);
  EXPECT_TRUE(rig.h.boxes.boxes.empty());
  EXPECT_EQ(rig.h.window.close_requests, 1);
  EXPECT_EQ(rig.h.form.ExitCode(), 1);
}

// The watchdog of a /tour ends the program once nothing of the tour has moved
// for the page display time and a minute, and logs where it stood; a healthy
// tour's longest waits never come near. A tour of the button has none.
TEST(TourSequencer, TheWatchdogEndsAnUnattendedTourThatStopsMovingAndNoOther) {
  const struct {
    const char* name;
    const char* page_time;
    std::string rows;
    std::function<void(TourRig&)> arrange;
    std::vector<std::string> last_lines;
  } cases[] = {
      {"a healthy tour: searches a page time apart, a wait raised, close waits",
       "40",
       "1,a.htm,1,\r\n2,b.htm,1,\r\n3,c.htm,1,\r\n4,d.htm,1,\r\n",
       [](TourRig& rig) {
         rig.before_browse = [&rig](const std::string& call) {
           rig.frame_shows = call != "call Navigate 'b.htm'";
           if (call == "call Navigate 'c.htm'") rig.h.page_time_field.text = "120";
         };
         rig.opens_window_that_stays = "d.htm";
       },
       {Sjis("2026-12-09 06:11:35\t4\td.htm\t未終了\tこのサイトを離れますか?"),
        Sjis("2026-12-09 06:11:35\t巡回終了\t完了\t3/4行送信\t終了コード 1")}},
      {"a call that never returns",
       "3",
       "1,a.htm,2,\r\n2,b.htm,1,\r\n",
       [](TourRig& rig) {
         rig.before_browse = [&rig](const std::string& call) {
           if (call == "call Navigate 'b.htm'") rig.WatchFor(100);
         };
       },
       {Sjis("2026-12-09 06:01:11\t2\tb.htm\t応答なし\t63秒"),
        Sjis("2026-12-09 06:01:11\t巡回終了\t応答なし\t1/2行送信\t終了コード 1")}},
      {"a step that never comes",
       "7",
       "1,a.htm,2,\r\n",
       [](TourRig& rig) { rig.h.timers.withhold = [](std::uint32_t ms) { return ms == 7000; }; },
       {Sjis("2026-12-09 06:01:08\t1\ta.htm\t応答なし\t67秒"),
        Sjis("2026-12-09 06:01:08\t巡回終了\t応答なし\t0/1行送信\t終了コード 1")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig{Unattended()};
    rig.LoadList(c.rows);
    rig.h.page_time_field.text = c.page_time;
    rig.h.automation.integer_property = 0x1234;
    c.arrange(rig);
    rig.StartUnattended();
    rig.WatchFor(3600);
    // Had the program not ended, the step would have come after all.
    rig.h.timers.withhold = nullptr;
    rig.RunToEnd();

    const bool healthy = c.last_lines[1].find(Sjis("完了")) != std::string::npos;
    EXPECT_EQ(rig.watchdog_exit, healthy ? std::nullopt : std::optional<int>(1));
    // No line after the hung tour's, though it went on.
    const std::vector<std::string> lines = rig.LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()), c.last_lines);
    // Each browser's window was asked for as it was created, for the watchdog.
    EXPECT_EQ(rig.h.watchdog.windows.size(), rig.Count("create InternetExplorer.Application"));
    EXPECT_EQ(rig.Count("get HWND"), rig.h.watchdog.windows.size());
    EXPECT_EQ(rig.h.watchdog.windows.front(), 0x1234u);
    if (!healthy) continue;
    EXPECT_FALSE(rig.h.watchdog.hung);
    rig.SetRows({"1,e.htm,1,"});
    rig.h.desktop.windows.clear();  // the one that would not close
    rig.h.automation.calls.clear();
    rig.Click();
    EXPECT_FALSE(rig.h.watchdog.hung);
    rig.RunToEnd();
    EXPECT_EQ(rig.Count("get HWND"), 0u);
  }
}

// A start of /tour that cannot tour tours nothing: no box, a line in the log,
// and the program ends with 2. A tour the user started first is left as it is.
TEST(TourSequencer, AnUnattendedTourNeedsTheListReadAPageTimeAndTheDesktop) {
  const struct {
    const char* name;
    std::function<void(TourRig&)> before;
    std::string logged;  // after the time, none when empty
    int exit_code;
    const std::string& caption;
  } cases[] = {
      {"no list file", [](TourRig&) {},
       Sjis("巡回せず\t巡回リスト 'C:\\Tools\\app.dat' が見つからないので巡回しません."), 2, kIdle},
      {"a load that failed",
       [](TourRig& rig) {
         rig.h.files.Put(rig.h.ListPath(), "No\r\n1,a.htm,1,\r\n");
         rig.h.files.entries[rig.h.ListPath()].held_for_writing = true;
         rig.h.Create();
       },
       Sjis("巡回せず\tI/O エラー (32)"), 2, kIdle},
      {"a page time that is no number",
       [](TourRig& rig) {
         rig.LoadList("1,a.htm,1,\r\n");
         rig.h.page_time_field.text = "abc";
       },
       Sjis("巡回せず\t'0abc' は整数ではありません."), 2, kIdle},
      {"another copy's tour",
       [](TourRig& rig) {
         rig.LoadList("1,a.htm,1,\r\n");
         rig.h.lock.held_elsewhere = true;
       },
       Sjis("巡回せず\tほかのビンブレルが巡回中なので巡回しません."), 2, kIdle},
      {"a tour the user started",
       [](TourRig& rig) {
         rig.LoadList("1,a.htm,1,\r\n");
         rig.Click();
       },
       "", 0, kRunning},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TourRig rig{Unattended()};
    c.before(rig);
    const std::vector<std::string> armed = rig.Armed();
    const std::size_t lines = rig.LogLines().size();
    rig.StartUnattended();
    EXPECT_TRUE(rig.h.boxes.boxes.empty());
    EXPECT_EQ(rig.h.tour_button.caption, c.caption);
    EXPECT_EQ(rig.Armed(), armed);
    EXPECT_EQ(rig.h.form.ExitCode(), c.exit_code);
    EXPECT_EQ(rig.h.window.close_requests, c.exit_code == 2 ? 1 : 0);
    ASSERT_EQ(rig.LogLines().size(), lines + (c.logged.empty() ? 0 : 1));
    if (!c.logged.empty()) {
      EXPECT_EQ(rig.LogLines().back().substr(20), c.logged);
    }
  }
  // The tour button while another copy tours: the box, and no tour.
  TourRig rig;
  rig.h.lock.held_elsewhere = true;
  rig.Click();
  EXPECT_EQ(rig.h.boxes.Errors(),
            std::vector<std::string>{Sjis("ほかのビンブレルが巡回中なので巡回しません.")});
  EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  EXPECT_TRUE(rig.Armed().empty());
  EXPECT_TRUE(rig.LogLines().empty());
}

// The log begins anew beside the old one once it is over 1 MiB, and a log
// that cannot be written leaves the tour as it is.
TEST(TourLog, BeginsAnewPastOneMebibyteAndNeverHoldsUpATour) {
  const Path log = u"C:\\Tools\\app.log";
  const Path old_log = u"C:\\Tools\\app.old.log";
  const std::string full(1024 * 1024, 'x');
  for (const std::string& before : {full, full + "y"}) {
    TourRig rig;
    rig.h.files.Put(log, before);
    rig.h.files.Put(old_log, "older");
    rig.Click();
    rig.RunToEnd();
    const bool renewed = before.size() > full.size();
    EXPECT_EQ(rig.h.files.Bytes(old_log), renewed ? before : "older");
    // The tour's three lines, after the old ones unless it began anew.
    EXPECT_EQ(rig.h.files.Bytes(log).rfind(before, 0) == 0, !renewed);
    EXPECT_EQ(rig.LogLines().size(), 3u) << renewed;
  }
  // Held by another program: the tour runs as ever, and its lines go in once
  // the log may be written again.
  TourRig rig;
  rig.h.files.Put(log, "");
  rig.h.files.entries[log].held_for_writing = true;
  rig.Click();
  rig.RunToEnd();
  EXPECT_EQ(rig.h.files.Bytes(log), "");
  EXPECT_EQ(rig.h.tour_button.caption, kIdle);
  EXPECT_EQ(rig.Navigations(), std::vector<std::string>{"call Navigate 'a.htm'"});
  EXPECT_TRUE(rig.h.boxes.boxes.empty());
  rig.h.files.entries[log].held_for_writing = false;
  rig.Click();
  rig.RunToEnd();
  EXPECT_EQ(rig.LogLines().size(), 6u);
  EXPECT_EQ(rig.LogField(6, 1), Sjis("巡回開始"));
}

}  // namespace
}  // namespace vimbrel
