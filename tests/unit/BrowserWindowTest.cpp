#include "tour/BrowserWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/StringGrid.h"
#include "platform/Exception.h"
#include "support/FakeDesktop.h"
#include "support/FakePageReader.h"
#include "support/FakeTimers.h"

namespace vimbrel {
namespace {

using testing::FakeDesktop;
using Event = FakeDesktop::KeyEventRecord;
using Events = std::vector<Event>;
using Log = std::vector<std::string>;

constexpr Event kTabDown{0x09, 0}, kTabUp{0x09, 2};
constexpr Event kShiftDown{0x10, 0}, kShiftUp{0x10, 2};
constexpr Event kEnterDown{0x0D, 0}, kEnterUp{0x0D, 2};
constexpr Event kAltDown{0x12, 0}, kAltUp{0x12, 2};
constexpr Event kF4Down{0x73, 0}, kF4Up{0x73, 2};

Events Presses(int tabs, int reverse_tabs) {
  Events events;
  for (int i = 0; i < tabs; ++i) events.insert(events.end(), {kTabDown, kTabUp});
  for (int i = 0; i < reverse_tabs; ++i) {
    events.insert(events.end(), {kShiftDown, kTabDown, kTabUp, kShiftUp});
  }
  events.insert(events.end(), {kEnterDown, kEnterUp});
  return events;
}

const Events kAltF4{kAltDown, kF4Down, kF4Up, kAltUp};

class BrowserWindowTest : public ::testing::Test {
 protected:
  BrowserWindowTest() { grid.SetRowCount(3); }

  FakeDesktop desktop;
  StringGrid grid;
  BrowserWindow window{desktop, grid};
};

TEST_F(BrowserWindowTest, SendsTheTabsOrElseTheReverseTabsThenEnter) {
  struct Case {
    const char* tabs;
    const char* reverse_tabs;
    Events events;
  };
  const Case cases[] = {
      {"3", "abc", Presses(3, 0)},  // the reverse count is not read
      {"1", "", Presses(1, 0)},
      {"0", "2", Presses(0, 2)},
      {"", "2", Presses(0, 2)},
      {" ", "2", Presses(0, 2)},
      {"", "", Presses(0, 0)},
      {" ", " ", Presses(0, 0)},
      {"x80000000", "1", Presses(0, 1)},
      {"x80000000", "xFFFFFFFF", Presses(0, 0)},
      {"x80000000", "x80000000", Presses(0, 0)},
      {"x0A", "5", Presses(10, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tabs) + " / " + c.reverse_tabs);
    desktop = FakeDesktop();
    desktop.foreground = desktop.AddWindow("IEFrame");
    grid.SetCell(2, 2, c.tabs);
    grid.SetCell(3, 2, c.reverse_tabs);
    const RowKeys keys = window.SendRowKeys(2);
    EXPECT_TRUE(keys.sent);
    EXPECT_EQ(Presses(keys.tabs, keys.reverse_tabs), c.events);
    EXPECT_EQ(desktop.key_events, c.events);
    EXPECT_EQ(desktop.key_events.size(), c.events.size());
  }
  EXPECT_EQ(Presses(3, 0).size(), 8u);
  EXPECT_EQ(Presses(0, 2).size(), 10u);
}

TEST_F(BrowserWindowTest, ACountThatIsNotANumberSendsNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1x"}, {"", "-1"}, {"1x", "2"}, {" 3", ""}};
  for (const auto& [tabs, reverse_tabs] : cases) {
    desktop.foreground = desktop.AddWindow("IEFrame");
    grid.SetCell(2, 1, tabs);
    grid.SetCell(3, 1, reverse_tabs);
    EXPECT_THROW(window.SendRowKeys(1), EConvertError) << tabs << " / " << reverse_tabs;
    EXPECT_TRUE(desktop.key_events.empty());
  }
}

TEST_F(BrowserWindowTest, SendsNoKeysUnlessABrowserFrameHasTheForeground) {
  grid.SetCell(2, 1, "2");
  desktop.AddWindow("IEFrame");
  EXPECT_EQ(window.SendRowKeys(1).front_caption, "");  // nothing in front
  desktop.foreground = desktop.AddWindow({0, "Notepad", false, true, false, "memo.txt - Notepad"});
  const RowKeys held_back = window.SendRowKeys(1);
  EXPECT_FALSE(held_back.sent);
  EXPECT_EQ(held_back.front_caption, "memo.txt - Notepad");
  EXPECT_TRUE(desktop.key_events.empty());

  // A row past the end reads as empty counts: Enter alone.
  desktop.foreground = desktop.windows[0].handle;
  window.SendRowKeys(7);
  EXPECT_EQ(desktop.key_events, Presses(0, 0));
}

// Read pages: the reading is switched on as the frame is found, Enter waits
// for the focus to settle after the TABs and goes only while a frame is still
// in front; the frames' captions come with the one that got the keys first.
TEST_F(BrowserWindowTest, ReadsThePageBeforeEnterAndTheCaptionsAfter) {
  testing::FakeTimers timers;
  testing::FakeClock clock(timers);
  testing::FakePageReader reader;
  PageView page(reader, desktop, clock);
  window.ReadPages(&page);
  grid.SetCell(2, 1, "2");
  const WindowHandle hidden = desktop.AddWindow({0, "IEFrame", false, false, false, "hidden"});
  const WindowHandle frame = desktop.AddWindow({0, "IEFrame", false, true, false, "row"});
  desktop.AddWindow({0, "IEFrame", false, true, false, "other"});
  ASSERT_TRUE(window.BringBrowserToFront());
  EXPECT_EQ(reader.log, (Log{"listen", "on " + std::to_string(hidden) + " InternetExplorer"}));

  reader.focus = [](WindowHandle) {
    FocusFacts facts;
    facts.where = FocusFacts::Where::Page;
    return facts;
  };
  desktop.foreground = frame;
  const RowKeys sent = window.SendRowKeys(1);
  EXPECT_TRUE(sent.sent);
  EXPECT_EQ(sent.focus.kind, PageFocus::Kind::Page);
  EXPECT_EQ(desktop.key_events, Presses(2, 0));
  EXPECT_EQ(window.FrameCaptions(), (Log{"row", "other"}));

  // The user's editor came to the front while the page was read.
  const WindowHandle editor = desktop.AddWindow({0, "Notepad", false, true, false, "memo"});
  desktop.on_wait = [&](std::uint32_t) { desktop.foreground = editor; };
  desktop.foreground = frame;
  desktop.key_events.clear();
  const RowKeys held_back = window.SendRowKeys(1);
  EXPECT_FALSE(held_back.sent);
  EXPECT_EQ(held_back.front_caption, "memo");
  const Events tabs = Presses(2, 0);
  EXPECT_EQ(desktop.key_events, Events(tabs.begin(), tabs.end() - 2));

  // The program ends while it is read: no Enter.
  desktop.program_ending = true;
  desktop.foreground = frame;
  desktop.key_events.clear();
  EXPECT_FALSE(window.SendRowKeys(1).sent);
  EXPECT_EQ(desktop.key_events, Events(tabs.begin(), tabs.end() - 2));
}

TEST_F(BrowserWindowTest, BringsAFrameToTheFrontThenHandlesWaitingMessages) {
  EXPECT_FALSE(window.BringBrowserToFront());
  EXPECT_EQ(desktop.log, Log{"find"});

  desktop.AddWindow("Notepad");
  WindowHandle frame = desktop.AddWindow("IEFrame");
  desktop.log.clear();
  EXPECT_TRUE(window.BringBrowserToFront());
  EXPECT_EQ(desktop.log, (Log{"find", "foreground " + std::to_string(frame), "process"}));
  EXPECT_EQ(desktop.foreground, frame);
  EXPECT_TRUE(desktop.key_events.empty());
}

TEST_F(BrowserWindowTest, ClosesOneFramePerCallUntilNoneIsLeft) {
  WindowHandle first = desktop.AddWindow("IEFrame");
  WindowHandle second = desktop.AddWindow("IEFrame");
  const std::string find_first = "foreground " + std::to_string(first);
  const std::string find_second = "foreground " + std::to_string(second);

  EXPECT_TRUE(window.CloseBrowserFrame());
  EXPECT_FALSE(desktop.Exists(first));
  EXPECT_TRUE(window.CloseBrowserFrame());
  EXPECT_FALSE(window.CloseBrowserFrame());
  EXPECT_EQ(desktop.log,
            (Log{"find", find_first, "process", "find", find_second, "process", "find"}));
  Events twice = kAltF4;
  twice.insert(twice.end(), kAltF4.begin(), kAltF4.end());
  EXPECT_EQ(desktop.key_events, twice);
}

TEST_F(BrowserWindowTest, AFrameThatStaysIsFoundAndSentAltF4EveryTime) {
  WindowHandle frame = desktop.AddWindow("IEFrame", /*stays_open=*/true);
  for (int call = 0; call < 3; ++call) EXPECT_TRUE(window.CloseBrowserFrame());
  EXPECT_TRUE(desktop.Exists(frame));
  Events thrice;
  for (int call = 0; call < 3; ++call) thrice.insert(thrice.end(), kAltF4.begin(), kAltF4.end());
  EXPECT_EQ(desktop.key_events, thrice);
}

TEST_F(BrowserWindowTest, AFrameThatCannotComeToTheFrontIsAskedToCloseInstead) {
  WindowHandle editor = desktop.AddWindow("Notepad");
  WindowHandle frame = desktop.AddWindow("IEFrame");
  desktop.foreground = editor;
  desktop.refuse_foreground = true;
  EXPECT_TRUE(window.CloseBrowserFrame());
  EXPECT_TRUE(desktop.key_events.empty());
  EXPECT_EQ(desktop.log.back(), "close " + std::to_string(frame));
  EXPECT_TRUE(desktop.Exists(editor));
  EXPECT_FALSE(window.CloseBrowserFrame());

  // The foreground can also move away while waiting messages are handled.
  desktop.refuse_foreground = false;
  frame = desktop.AddWindow("IEFrame");
  desktop.on_process_messages = [&] { desktop.foreground = editor; };
  EXPECT_TRUE(window.CloseBrowserFrame());
  EXPECT_TRUE(desktop.key_events.empty());
  EXPECT_TRUE(desktop.Exists(editor));
  EXPECT_FALSE(desktop.Exists(frame));
}

}  // namespace
}  // namespace vimbrel
