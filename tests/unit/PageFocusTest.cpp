#include "tour/PageFocus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeDesktop.h"
#include "support/FakePageReader.h"
#include "support/FakeTimers.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::Sjis;

FocusFacts Element(std::uint32_t role, std::string name, std::string value = "") {
  FocusFacts facts;
  facts.where = FocusFacts::Where::Element;
  facts.element = {role, 0, std::move(name), std::move(value)};
  return facts;
}

FocusFacts At(FocusFacts::Where where) {
  FocusFacts facts;
  facts.where = where;
  return facts;
}

TEST(PageFocus, IsWrittenInTheLogsWords) {
  const std::string hundred(100, 'a');
  std::string fifty_kana;
  for (int i = 0; i < 50; ++i) fifty_kana += Sjis("ア");
  const struct {
    FocusFacts facts;
    std::string text;  // UTF-8
  } cases[] = {
      {Element(accessible::kRoleLink, "Get points", "https://a.example/get"),
       "リンク「Get points」 https://a.example/get"},
      {Element(accessible::kRoleLink, "", ""), "リンク「」"},
      {Element(accessible::kRolePushButton, "OK", "ignored"), "ボタン「OK」"},
      {Element(accessible::kRoleText, "?????"), "入力欄「?????」"},
      {Element(0x2E, "Sort"), "要素「Sort」"},  // a combo box
      {At(FocusFacts::Where::Page), "(ページ)"},
      {At(FocusFacts::Where::OutsidePage), "(ページの外)"},
      {At(FocusFacts::Where::NotTold), "(不明)"},
      {Element(accessible::kRoleLink, " \t two\r\n\r\nlines  ", "x"), "リンク「two lines」 x"},
      {Element(accessible::kRoleLink, Sjis("全角　空白")), "リンク「全角 空白」"},
      {Element(accessible::kRoleLink, hundred), "リンク「" + hundred + "」"},
      {Element(accessible::kRoleLink, hundred + "b"), "リンク「" + hundred + "…」"},
      {Element(accessible::kRoleLink, hundred + " b"), "リンク「" + hundred + "…」"},
      {Element(accessible::kRoleLink, fifty_kana + fifty_kana + Sjis("イ")), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = FocusText(FocusOf(c.facts));
    if (c.text.empty()) {  // the kana: 100 characters of two bytes each, then "…"
      EXPECT_EQ(text, Sjis("リンク「") + fifty_kana + fifty_kana + Sjis("…」"));
    } else {
      EXPECT_EQ(text, Sjis(c.text));
    }
  }
}

TEST(PageFocus, CaptionsOfTheRowsWindowsAndWhatASearchFinds) {
  EXPECT_EQ(WindowCaptionsText({}), Sjis("(なし)"));
  EXPECT_EQ(WindowCaptionsText({"Page - Chrome"}), "Page - Chrome");
  EXPECT_EQ(WindowCaptionsText({"a", Sjis("ポップアップ")}), Sjis("a / ポップアップ"));

  const PageFocus link =
      FocusOf(Element(accessible::kRoleLink, Sjis("ポイントを獲得"), "https://Get"));
  const struct {
    std::string text;
    bool holds;
  } searches[] = {
      {Sjis("獲得"), true}, {"get", true},        {"HTTPS://G", true}, {"", false},
      {"gets", false},      {Sjis("を獲"), true}, {Sjis("ド"), false},
  };
  for (const auto& search : searches) {
    EXPECT_EQ(FocusHolds(link, search.text), search.holds) << search.text;
  }
  // The second byte of "ソ" is a backslash, that of "ア" 0x41 ("A"): never
  // letters of their own.
  EXPECT_FALSE(FocusHolds(FocusOf(Element(0, Sjis("ア"))), "a"));
  EXPECT_FALSE(FocusHolds(FocusOf(Element(0, Sjis("ソ"))), "\\"));
}

// The focus is read until it gives the same answer twice, 100 ms apart, for
// two seconds at most; a browser that does not tell is asked once.
TEST(PageFocus, SettlesOnTheSameAnswerTwice) {
  const FocusFacts named = Element(accessible::kRoleLink, "Get", "g");
  const struct {
    const char* name;
    std::vector<FocusFacts> answers;  // the last repeats; none: a new name each time
    bool ending;                      // the program is told to end
    std::size_t reads;
    std::string text;  // UTF-8; empty for none
  } cases[] = {
      {"not told", {FocusFacts{}}, false, 1, "(不明)"},
      {"a name filled in late",
       {Element(accessible::kRoleLink, ""), named},
       false,
       3,
       "リンク「Get」 g"},
      {"the program ends", {named}, true, 1, ""},
      {"never the same: the last after two seconds", {}, false, 21, "リンク「21」"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeTimers timers;
    testing::FakeClock clock(timers);
    testing::FakeDesktop desktop;
    testing::FakePageReader reader;
    desktop.on_wait = [&](std::uint32_t ms) { timers.Advance(ms); };
    desktop.program_ending = c.ending;
    std::size_t reads = 0;
    reader.focus = [&](WindowHandle) {
      if (c.answers.empty()) return Element(accessible::kRoleLink, std::to_string(++reads));
      return c.answers[std::min(reads++, c.answers.size() - 1)];
    };
    const std::optional<PageFocus> focus =
        PageView(reader, desktop, clock).SettledFocus(7, BrowserFamily::Firefox);
    EXPECT_EQ(reads, c.reads);
    EXPECT_EQ(focus ? FocusText(*focus) : "", Sjis(c.text));
    EXPECT_EQ(timers.Now(), c.ending ? 0u : (c.reads - 1) * 100);
  }
}

}  // namespace
}  // namespace vimbrel
