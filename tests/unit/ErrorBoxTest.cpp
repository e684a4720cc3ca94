#include "app/ErrorBox.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Exception.h"
#include "support/FakeUi.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::FakeMessageBoxes;
using testing::Sjis;

TEST(ErrorBox, AppendsAFullStopAfterAnyLastCharacterAboveIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"Error", "Error."},
      {"code 5", "code 5."},
      {Sjis("失敗しました。"), Sjis("失敗しました。.")},
      {Sjis("ｱ"), Sjis("ｱ.")},  // half-width katakana, the single byte 0xB1
      {"slash/", "slash/."},
      {"done.", "done."},
      {"(none)", "(none)"},
      {"stop!", "stop!"},
      {"a-", "a-"},
      {"line\n", "line\n"},
      {std::string("x\x01", 2), std::string("x\x01", 2)},
      {"trailing ", "trailing "},
      {"", ""},
      // A lead byte at the very end is a character of its own.
      {"broken\x83", "broken\x83."},
      // A lead byte takes the "." after it along: the last character is double-byte.
      {"lead\x81.", "lead\x81.."},
  };
  for (const auto& [message, shown] : cases) {
    FakeMessageBoxes boxes;
    ShowErrorBox(boxes, EConvertError(message));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, shown) << message;
    EXPECT_EQ(boxes.boxes[0].caption, Sjis("ビンブレル(Vimbrel)"));
    EXPECT_FALSE(boxes.boxes[0].question);
  }
}

TEST(ErrorBox, ShowsTheMessageOfAnyError) {
  FakeMessageBoxes boxes;
  ShowErrorBox(boxes, std::runtime_error("disk gone"));
  ShowErrorBox(boxes, EOleSysError(Sjis("エラー"), -1));
  const std::exception& base = EInOutError(5);
  ShowErrorBox(boxes, base);
  EXPECT_EQ(boxes.Errors(),
            (std::vector<std::string>{"disk gone.", Sjis("エラー."),
                                      Sjis("ファイルへのアクセスが拒否されました.")}));
}

}  // namespace
}  // namespace vimbrel
