#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace vimbrel::cp932 {
namespace {

TEST(Cp932, LeadBytesAreTheTwoRangesOfCodePage932) {
  for (int byte = 0; byte < 256; ++byte) {
    bool expected = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(byte)), expected) << byte;
  }
}

TEST(Cp932, LastCharStartTakesADoubleByteCharacterWhole) {
  EXPECT_EQ(LastCharStart("abc"), 2u);
  EXPECT_EQ(LastCharStart("a\x95\x5C"), 1u);     // 表
  EXPECT_EQ(LastCharStart("\x95\x5C\x5C"), 2u);  // 表 then a backslash
  EXPECT_EQ(LastCharStart("\x81"), 0u);          // a lone lead byte
  EXPECT_EQ(LastCharStart("\x81\x81\x81"), 2u);  // a pair, then a lone lead byte
}

TEST(Cp932, FormatsTheProgramsDirectives) {
  EXPECT_EQ(FormatInt("I/O (%d)", 112), "I/O (112)");
  EXPECT_EQ(FormatInt("OLE %.8X", static_cast<int>(0x80020009u)), "OLE 80020009");
  EXPECT_EQ(FormatInt("OLE %.8X", 0x1F), "OLE 0000001F");
  EXPECT_EQ(FillText("'%s' x", "a%sb"), "'a%sb' x");
  EXPECT_EQ(FillText("'%s'", std::string("\0z", 2)), std::string("'\0z'", 4));
}

}  // namespace
}  // namespace vimbrel::cp932
