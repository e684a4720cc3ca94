// The dialog 毎日の巡回 without its window: what it shows, and the task it
// registers and removes, through a fake scheduler.
#include "app/DailyTourForm.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/FormHarness.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FormHarness;
using testing::Sjis;

const Path kProgram = u"C:\\Tools\\app.exe";
const std::u16string kTask = DailyTaskName(kProgram);

TEST(DailyTourForm, ShowsWhetherAndWhenTheTaskRunsAndWhatItRuns) {
  struct Case {
    std::optional<std::u16string> xml;  // of the task registered
    std::string field;
    std::string saved;  // the settings file
    std::optional<Path> browser_switch;
    const char* state;
    TimeOfDay time;
    const char* shown;  // the browser and the page display time
  };
  const Case cases[] = {
      {std::nullopt,
       "6",
       "",
       std::nullopt,
       "毎日の巡回は登録されていません。",
       {7, 0},
       "ブラウザー: Internet Explorer ページ表示時間: 6秒"},
      // The browser is the saved one, which the task's tours take, not this start's.
      {DailyTaskXml({kProgram, u"C:\\Tools\\app.log", {21, 5}, 6, {2026, 12, 9, 6, 0, 0}}),
       "x1F ",
       "[Vimbrel]\r\nBrowser=edge\r\n",
       u"chrome",
       "毎日 21:05 に巡回するよう登録されています。",
       {21, 5},
       "ブラウザー: Microsoft Edge ページ表示時間: 31秒"},
      // As Wine keeps it: no trigger.
      {u"<Task><Triggers/></Task>",
       "abc",
       "",
       std::nullopt,
       "毎日の巡回が登録されています (時刻は読み取れません)。",
       {7, 0},
       "ブラウザー: Internet Explorer ページ表示時間: abc"},
  };
  for (const Case& c : cases) {
    StartOptions options;
    options.browser = c.browser_switch;
    FormHarness h(options);
    if (!c.saved.empty()) h.files.Put(u"C:\\Tools\\app.ini", c.saved);
    h.page_time_field.text = c.field;
    if (c.xml) h.scheduler.tasks[kTask] = *c.xml;
    const DailyTourView view = h.form.DailyTour.Read();
    EXPECT_EQ(view.state, Sjis(c.state));
    EXPECT_EQ(view.task_name, kTask);
    EXPECT_EQ(view.browser + " " + view.page_time, Sjis(c.shown));
    EXPECT_EQ(view.registered, c.xml.has_value());
    EXPECT_EQ(view.time, c.time);
  }
}

TEST(DailyTourForm, RegistersReplacesAndRemovesTheTask) {
  FormHarness h;
  h.page_time_field.text = "20";
  DailyTourView view = h.form.DailyTour.RegisterClick({7, 30});
  EXPECT_EQ(
      h.scheduler.tasks,
      (std::map<std::u16string, std::u16string>{
          {kTask, DailyTaskXml({kProgram, u"C:\\Tools\\app.log", {7, 30}, 20, h.clock.Now()})}}));
  EXPECT_TRUE(view.registered);
  EXPECT_EQ(view.state, Sjis("毎日 07:30 に巡回するよう登録されています。"));
  view = h.form.DailyTour.RegisterClick({6, 0});
  EXPECT_EQ(h.scheduler.tasks.size(), 1u);
  EXPECT_EQ(view.time, (TimeOfDay{6, 0}));
  view = h.form.DailyTour.DeleteClick();
  EXPECT_TRUE(h.scheduler.tasks.empty());
  EXPECT_EQ(view.state, Sjis("毎日の巡回は登録されていません。"));
}

TEST(DailyTourForm, AFailureShowsItsMessageAndLeavesTheTaskAsItWas) {
  struct Case {
    std::string field;
    bool scheduler_fails;
    std::function<void(DailyTourForm&)> click;
    const char* box;
  };
  const auto register_click = [](DailyTourForm& form) { form.RegisterClick({7, 30}); };
  const Case cases[] = {
      // The tour's own messages, before anything is registered.
      {"abc", false, register_click, "'0abc' は整数ではありません."},
      {"0", false, register_click,
       "ページ表示時間 0 秒は 1 から 2147483 秒までの範囲にありません."},
      // The system's.
      {"6", true, register_click, "サービスは開始されていません."},
      {"6", true, [](DailyTourForm& form) { form.DeleteClick(); }, "サービスは開始されていません."},
      {"6", true, [](DailyTourForm& form) { form.Read(); }, "サービスは開始されていません."},
  };
  for (const Case& c : cases) {
    FormHarness h;
    h.page_time_field.text = c.field;
    h.scheduler.tasks[kTask] = u"<Task/>";
    if (c.scheduler_fails)
      h.scheduler.failure.emplace(Sjis("サービスは開始されていません"), 0x80070426);
    h.Dispatch([&] { c.click(h.form.DailyTour); });
    EXPECT_EQ(h.boxes.Errors(), std::vector<std::string>{Sjis(c.box)});
    EXPECT_EQ(h.scheduler.tasks.at(kTask), u"<Task/>");
  }
}

}  // namespace
}  // namespace vimbrel
