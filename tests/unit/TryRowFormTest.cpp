#include "app/TryRowForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "list/RowText.h"
#include "platform/Exception.h"
#include "support/FormHarness.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FormHarness;
using testing::Sjis;

// A page whose TABs reach, one after another, the elements of `page`, and
// then leave it (unless `wraps`); its browser's window shows as it is sent
// to an address and goes when it is told to quit.
class TryRowRig {
 public:
  TryRowRig() {
    h.Create();
    SetRowText(h.form.Grid, 1, "1,a.htm,2,");
    h.automation.before_call = [this](const std::string& call) {
      if (call.rfind("call Navigate", 0) == 0) {
        h.desktop.AddWindow("IEFrame");
        tabs_before_ = Tabs();
      }
      if (call == "call Quit") h.desktop.windows.clear();
    };
    h.page_reader.focus = [this](WindowHandle) {
      FocusFacts facts;
      if (!tells) return facts;
      std::size_t tab = Tabs() - tabs_before_;
      if (wraps && tab > 0) tab = (tab - 1) % page.size() + 1;
      facts.where = tab == 0            ? FocusFacts::Where::Page
                    : tab > page.size() ? FocusFacts::Where::OutsidePage
                                        : FocusFacts::Where::Element;
      if (facts.where == FocusFacts::Where::Element) facts.element = page[tab - 1];
      return facts;
    };
  }

  std::unique_ptr<TryRowForm> Open() { return h.form.TryRowClick(nullptr); }
  std::size_t Tabs() const {
    return static_cast<std::size_t>(std::count(h.desktop.key_events.begin(),
                                               h.desktop.key_events.end(),
                                               testing::FakeDesktop::KeyEventRecord{0x09, 0}));
  }
  std::size_t Calls(const std::string& call) const {
    return static_cast<std::size_t>(
        std::count(h.automation.calls.begin(), h.automation.calls.end(), call));
  }

  FormHarness h;
  std::vector<AccessibleFacts> page = {
      {accessible::kRoleLink, 0, "Home", "h"},
      {accessible::kRoleLink, 0, Sjis("ポイントを獲得"), "https://x/Get"},
      {accessible::kRolePushButton, 0, "OK", ""},
  };
  bool tells = true;
  bool wraps = false;

 private:
  std::size_t tabs_before_ = 0;
};

TEST(TryRowForm, SearchesTabByTabUntilTheTextHasTheFocus) {
  const struct {
    const char* name;
    std::string text;
    bool tells;
    bool wraps;
    std::size_t tabs;  // pressed
    std::string result;
    bool found;
  } cases[] = {
      {"a link's text", Sjis("獲得"), true, false, 2,
       Sjis("TAB×2: リンク「ポイントを獲得」 https://x/Get"), true},
      {"part of an address, any case", "x/get", true, false, 2,
       Sjis("TAB×2: リンク「ポイントを獲得」 https://x/Get"), true},
      {"a button", "ok", true, false, 3, Sjis("TAB×3: ボタン「OK」"), true},
      {"the focus leaves the page", "none", true, false, 4, Sjis("見つかりません"), false},
      {"200 TABs", "none", true, true, 200, Sjis("見つかりません"), false},
      {"a browser that does not tell", "OK", false, false, 0,
       Sjis("探すには、フォーカスの場所を知らせるブラウザーが必要です。このブラウザーは知らせません"
            "。"),
       false},
      {"no text", "", true, false, 0, Sjis("リンクの文字かアドレスの一部を入れてください。"),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TryRowRig rig;
    rig.tells = c.tells;
    rig.wraps = c.wraps;
    std::unique_ptr<TryRowForm> form = rig.Open();
    form->SearchClick(c.text);
    EXPECT_EQ(rig.Tabs(), c.tabs);
    EXPECT_EQ(form->View().result, c.result);
    EXPECT_EQ(form->View().count_found, c.found);
    EXPECT_FALSE(form->View().busy);
    EXPECT_EQ(rig.h.desktop.key_events.size(), c.tabs * 2);  // TABs, never Enter
    EXPECT_EQ(rig.Calls("call Quit"), 0u);                   // left open to be looked at

    form->UseCountClick();
    EXPECT_EQ(rig.h.form.Grid.Cell(2, 1), c.found ? std::to_string(c.tabs) : "2");
    EXPECT_EQ(rig.h.form.Modified, c.found);
    form->CloseClick();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(rig.Calls("call Quit"), c.text.empty() ? 0u : 1u);
  }
}

TEST(TryRowForm, SendsTheRowsKeysWithoutEnterAndShowsWhereTheyLand) {
  TryRowRig rig;
  std::unique_ptr<TryRowForm> form = rig.Open();
  EXPECT_EQ(form->View().row, Sjis("1 行目"));
  EXPECT_EQ(form->View().address, "a.htm");
  EXPECT_EQ(form->View().tabs, "2");
  form->SendKeysClick();
  EXPECT_EQ(form->View().result, Sjis("TAB×2: リンク「ポイントを獲得」 https://x/Get"));
  EXPECT_EQ(rig.h.desktop.key_events.size(), 4u);
  EXPECT_FALSE(form->View().count_found);

  // Again: the window of the first goes before the row opens afresh.
  rig.tells = false;
  form->SendKeysClick();
  EXPECT_EQ(rig.Calls("call Quit"), 1u);
  EXPECT_EQ(rig.Calls("call Navigate 'a.htm'"), 2u);
  EXPECT_EQ(
      form->View().result,
      Sjis("TAB×2: このブラウザーはフォーカスの場所を知らせません。ブラウザーのウィンドウで確かめ"
           "てください。"));

  // A count that is no number fails before anything opens, and the dialog
  // goes on.
  SetRowText(rig.h.form.Grid, 1, "1,a.htm,1x,");
  EXPECT_THROW(form->SendKeysClick(), EConvertError);
  EXPECT_EQ(rig.Calls("call Navigate 'a.htm'"), 2u);
  EXPECT_FALSE(form->View().busy);
  form.reset();
  EXPECT_EQ(rig.Calls("call Quit"), 1u);
}

}  // namespace
}  // namespace vimbrel
