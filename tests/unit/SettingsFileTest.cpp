#include "app/SettingsFile.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

// What a file says of the key, and the file once the key is set to "edge":
// only its line changes, everything the program does not know stays.
TEST(SettingsFile, SetsItsLineAndKeepsEveryOtherByte) {
  const std::tuple<const char*, std::optional<std::string>, const char*> cases[] = {
      {"", std::nullopt, "[Vimbrel]\r\nBrowser=edge\r\n"},
      {"[Vimbrel]\r\nBrowser=chrome\r\n", "chrome", "[Vimbrel]\r\nBrowser=edge\r\n"},
      {"; mine\r\n[Other]\r\nBrowser=x\r\n[vimbrel]\r\nWidth=3\r\n browser = \"C:\\a b\\c.exe\" "
       "\r\nbrowser=ie\r\n\r\n[Last]\nK=V",
       "C:\\a b\\c.exe",
       "; mine\r\n[Other]\r\nBrowser=x\r\n[vimbrel]\r\nWidth=3\r\nBrowser=edge\r\nbrowser=ie\r\n"
       "\r\n[Last]\nK=V"},
      {"[Vimbrel]\r\nWidth=3\r\n\r\n;Browser=ie\r\n[Other]\r\n", std::nullopt,
       "[Vimbrel]\r\nWidth=3\r\nBrowser=edge\r\n\r\n;Browser=ie\r\n[Other]\r\n"},
      {"[Other]\nA=1", std::nullopt, "[Other]\nA=1\r\n[Vimbrel]\r\nBrowser=edge\r\n"},
      {"[Vimbrel]", std::nullopt, "[Vimbrel]\r\nBrowser=edge"},
      {"\xEF\xBB\xBF[Vimbrel]\nBrowser=ie\n", "ie", "\xEF\xBB\xBF[Vimbrel]\nBrowser=edge\n"},
      // "‐" ends in the byte of "]": that section is not the program's.
      {"[Vimbrel\x81]\r\nBrowser=ie\r\n", std::nullopt,
       "[Vimbrel\x81]\r\nBrowser=ie\r\n[Vimbrel]\r\nBrowser=edge\r\n"},
  };
  for (const auto& [before, value, after] : cases) {
    EXPECT_EQ(ProfileValue(before, "Browser"), value) << before;
    EXPECT_EQ(WithProfileValue(before, "Browser", "edge"), after) << before;
  }
}

}  // namespace
}  // namespace vimbrel
