#include "tour/BrowserSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "support/FakeAutomation.h"
#include "support/FakeDesktop.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeAutomation;
using testing::FakeDesktop;
using testing::Sjis;
using Calls = std::vector<std::string>;

const Calls kCreation = {"create InternetExplorer.Application",
                         "put Height 400",
                         "put Width 600",
                         "put MenuBar 1",
                         "put StatusBar 1",
                         "put ToolBar 1",
                         "put Visible true"};

Calls Then(Calls calls, const Calls& more) {
  calls.insert(calls.end(), more.begin(), more.end());
  return calls;
}

constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
constexpr std::int32_t kDisconnected = static_cast<std::int32_t>(0x80010108u);

class BrowserSessionTest : public ::testing::Test {
 protected:
  BrowserSessionTest() { Arm(); }

  void Arm() {
    automation.before_call = [this](const std::string& made) {
      if (made != failing_) return;
      failing_.clear();
      raise_();
    };
  }

  // The call recorded as `call` raises `error`, once.
  template <typename Error>
  void Fail(const std::string& call, Error error) {
    failing_ = call;
    raise_ = [error] { throw error; };
  }

  FakeAutomation automation;
  FakeDesktop desktop;
  BrowserSession session{automation, desktop};

 private:
  std::string failing_;
  std::function<void()> raise_;
};

TEST_F(BrowserSessionTest, CreatesAndConfiguresOnceThenNavigatesEachTime) {
  session.OpenBrowser("http://example.com/a b");
  EXPECT_TRUE(session.Held());
  session.OpenBrowser(Sjis("ページ.htm"));
  EXPECT_EQ(automation.calls, Then(kCreation, {"call Navigate 'http://example.com/a b'",
                                               "call Navigate '" + Sjis("ページ.htm") + "'"}));
  EXPECT_EQ(automation.live_objects, 1);
}

TEST_F(BrowserSessionTest, OnlyAnEmptyAddressSendsTheBrowserHome) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "call Gohome"},
      {" ", "call Navigate ' '"},
      {"   ", "call Navigate '   '"},
      {"\t", "call Navigate '\t'"},
  };
  for (const auto& [url, call] : cases) {
    automation.calls.clear();
    session.OpenBrowser(url);
    EXPECT_EQ(automation.calls.back(), call);
  }
}

TEST_F(BrowserSessionTest, QuitLetsTheBrowserGoAndTheNextRowCreatesANewOne) {
  session.QuitBrowser();
  EXPECT_TRUE(automation.calls.empty());

  session.OpenBrowser("a");
  session.QuitBrowser();
  EXPECT_FALSE(session.Held());
  EXPECT_EQ(automation.live_objects, 0);
  session.QuitBrowser();
  session.OpenBrowser("b");
  EXPECT_EQ(automation.calls, Then(Then(kCreation, {"call Navigate 'a'", "call Quit", "release"}),
                                   Then(kCreation, {"call Navigate 'b'"})));
}

TEST_F(BrowserSessionTest, ABrowserStillHeldAtTheEndIsReleasedWithoutQuitting) {
  {
    BrowserSession last(automation, desktop);
    last.OpenBrowser("a");
  }
  EXPECT_EQ(automation.calls, Then(kCreation, {"call Navigate 'a'", "release"}));
  EXPECT_EQ(automation.live_objects, 0);
}

TEST_F(BrowserSessionTest, AFailedCallLeavesWhatWasDone) {
  struct Case {
    std::string failing;
    bool held_after;
    std::int32_t status = kFail;
    std::string message = "failed";
  };
  const Case cases[] = {
      {"create InternetExplorer.Application", false},
      // Internet Explorer taken out of Windows: the message says what to do.
      {"create InternetExplorer.Application", false, static_cast<std::int32_t>(0x80040154u),
       Sjis("Internet Explorer がありません。「ブラウザー」でほかのブラウザーを選んでください")},
      {"call Navigate 'a'", true, static_cast<std::int32_t>(0x80040154u), "failed"},
      {"put Height 400", true},
      {"put Width 600", true},
      {"put StatusBar 1", true},
      {"put Visible true", true},
      {"call Navigate 'a'", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    session.Browser.reset();
    automation = FakeAutomation();
    Arm();
    Fail(c.failing, EOleSysError("failed", c.status));
    try {
      session.OpenBrowser("a");
      ADD_FAILURE() << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_EQ(error.Message(), c.message);
      EXPECT_EQ(error.ErrorCode(), c.status);
    }
    EXPECT_EQ(session.Held(), c.held_after);
    const Calls all = Then(kCreation, {"call Navigate 'a'"});
    const auto failed = std::find(all.begin(), all.end(), c.failing);
    EXPECT_EQ(automation.calls, Calls(all.begin(), failed));

    // The next row repeats nothing of a creation that was made.
    const Calls before = automation.calls;
    session.OpenBrowser("b");
    EXPECT_EQ(automation.calls,
              Then(before, c.held_after ? Calls{"call Navigate 'b'"}
                                        : Then(kCreation, {"call Navigate 'b'"})));
  }
}

// A browser process that was ended can leave its class offered for a moment:
// a creation that meets it waits half a second, handling messages, and is
// made once more. Only once, and only for those statuses.
TEST_F(BrowserSessionTest, ACreationThatMeetsADeadServerIsTriedOnceMore) {
  const std::uint32_t dead[] = {0x800706BAu, 0x800706BEu, 0x80010007u,
                                0x80010012u, 0x80010108u, 0x80080005u};
  const std::uint32_t others[] = {0x80004005u, 0x80040154u, 0x800706BFu, 0x800401FDu};
  struct Case {
    std::uint32_t status;
    int failures;  // creations that fail before one succeeds
    bool retried;
  };
  std::vector<Case> cases;
  for (std::uint32_t status : dead) {
    cases.push_back({status, 1, true});
    cases.push_back({status, 2, true});
  }
  for (std::uint32_t status : others) cases.push_back({status, 1, false});
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.status << " failing " << c.failures);
    session.Browser.reset();
    automation = FakeAutomation();
    desktop.log.clear();
    int creations = 0;
    automation.before_call = [&](const std::string& call) {
      if (call.rfind("create ", 0) != 0) return;
      if (++creations <= c.failures)
        throw EOleSysError("dead", static_cast<std::int32_t>(c.status));
    };
    const bool tours = c.retried && c.failures == 1;
    try {
      session.OpenBrowser("a");
      EXPECT_TRUE(tours) << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_FALSE(tours) << "failed";
      EXPECT_EQ(static_cast<std::uint32_t>(error.ErrorCode()), c.status);
    }
    EXPECT_EQ(creations, c.retried ? 2 : 1);
    EXPECT_EQ(desktop.log, c.retried ? Calls{"wait 500"} : Calls{});
    EXPECT_EQ(session.Held(), tours);
    EXPECT_EQ(automation.calls, tours ? Then(kCreation, {"call Navigate 'a'"}) : Calls{});
  }
}

TEST_F(BrowserSessionTest, AFailedQuitKeepsTheReference) {
  session.OpenBrowser("a");
  Fail("call Quit",
       EOleError(Sjis("メソッド 'Quit' はオートメーション オブジェクトでサポートしていません")));
  EXPECT_THROW(session.QuitBrowser(), EOleError);
  EXPECT_TRUE(session.Held());
  EXPECT_EQ(automation.live_objects, 1);
  session.QuitBrowser();
  EXPECT_FALSE(session.Held());
}

TEST_F(BrowserSessionTest, ABrowserThatHasGoneAwayIsDroppedAndTheErrorStillRaised) {
  const std::uint32_t disconnected[] = {0x80010007u, 0x80010012u, 0x80010108u, 0x800401FDu,
                                        0x800706B5u, 0x800706BAu, 0x800706BEu, 0x800706BFu};
  for (std::uint32_t status : disconnected) {
    EXPECT_TRUE(IsDisconnectedStatus(static_cast<std::int32_t>(status))) << std::hex << status;
  }
  const std::uint32_t connected[] = {0x80004005u, 0x80020009u, 0x80020006u, 0x80070005u, 0, 1};
  for (std::uint32_t status : connected) {
    EXPECT_FALSE(IsDisconnectedStatus(static_cast<std::int32_t>(status))) << std::hex << status;
  }

  const std::string failing[] = {"call Navigate 'a'", "call Quit", "put ToolBar 1"};
  for (const std::string& call : failing) {
    SCOPED_TRACE(call);
    session.Browser.reset();
    if (call != "put ToolBar 1") session.OpenBrowser("x");
    Fail(call, EOleSysError("gone", kDisconnected));
    try {
      call == "call Quit" ? session.QuitBrowser() : session.OpenBrowser("a");
      ADD_FAILURE() << "no error";
    } catch (const EOleSysError& error) {
      EXPECT_EQ(error.ErrorCode(), kDisconnected);
      EXPECT_EQ(error.Message(), "gone");
    }
    EXPECT_FALSE(session.Held());
    EXPECT_EQ(automation.live_objects, 0);
  }

  // A server exception carries the server's status, which decides too.
  session.OpenBrowser("x");
  Fail("call Navigate 'a'", EOleException("RPC", static_cast<std::int32_t>(0x800706BAu)));
  EXPECT_THROW(session.OpenBrowser("a"), EOleException);
  EXPECT_FALSE(session.Held());
}

}  // namespace
}  // namespace vimbrel
