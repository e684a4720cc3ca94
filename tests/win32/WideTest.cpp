#include "platform/win32/Wide.h"

#include <gtest/gtest.h>

#include "support/Sjis.h"

namespace vimbrel::win32 {
namespace {

TEST(Wide, ConvertsWithCodePage932WhateverTheSystemCodePage) {
  const std::string bytes = testing::Sjis("巡回リスト表");
  const std::wstring wide = L"\u5DE1\u56DE\u30EA\u30B9\u30C8\u8868";
  EXPECT_EQ(WidenCp932(bytes), wide);
  EXPECT_EQ(NarrowCp932(wide), bytes);
  EXPECT_EQ(WidenCp932(""), L"");
}

}  // namespace
}  // namespace vimbrel::win32
