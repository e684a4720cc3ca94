#include "tour/ReadIntField.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/Exception.h"
#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::Sjis;

struct Reading {
  std::string field;
  std::string converted;  // the text the conversion sees and an error quotes
  std::optional<std::int32_t> value;
};

void ExpectReadings(std::initializer_list<Reading> readings) {
  for (const Reading& reading : readings) {
    SCOPED_TRACE("field '" + reading.field + "'");
    if (reading.value) {
      EXPECT_EQ(ReadIntField(reading.field), *reading.value);
      continue;
    }
    try {
      ReadIntField(reading.field);
      ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.Message(), "'" + reading.converted + "' " + Sjis("は整数ではありません"));
    }
  }
}

TEST(ReadIntField, ReadsTheDocumentedExamples) {
  ExpectReadings({
      {"", "0", 0},
      {"   ", "0", 0},
      {"5", "05", 5},
      {"05", "005", 5},
      {"12 \t", "012", 12},
      {" 5", "0 5", std::nullopt},
      {"-1", "0-1", std::nullopt},
      {"+1", "0+1", std::nullopt},
      {"x1F", "0x1F", 31},
      {"XFFFFFFFF", "0XFFFFFFFF", -1},
      {"0x10", "00x10", std::nullopt},
      {"x", "0x", std::nullopt},
      {"$10", "0$10", std::nullopt},
      {"2147483647", "02147483647", 2147483647},
      {"2147483648", "02147483648", std::nullopt},
      {"1.5", "01.5", std::nullopt},
      {"abc", "0abc", std::nullopt},
  });
}

TEST(ReadIntField, HexadecimalTakesEightSignificantDigitsAsASignedPattern) {
  ExpectReadings({
      {"x80000000", "0x80000000", INT32_MIN},
      {"x7fffffff", "0x7fffffff", INT32_MAX},
      {"x0000000000000001", "0x0000000000000001", 1},
      {"x00000000FFFFFFFE", "0x00000000FFFFFFFE", -2},
      {"x0", "0x0", 0},
      {"x000000000", "0x000000000", 0},
      {"x100000000", "0x100000000", std::nullopt},
      {"x1G", "0x1G", std::nullopt},
      {"xx1", "0xx1", std::nullopt},
      {"x 1", "0x 1", std::nullopt},
      {"x-1", "0x-1", std::nullopt},
  });
}

TEST(ReadIntField, DecimalAllowsLeadingZerosUpToInt32Max) {
  ExpectReadings({
      {"0000000000002147483647", "00000000000002147483647", INT32_MAX},
      {"00000000000000000000", "000000000000000000000", 0},
      {"99999999999999999999", "099999999999999999999", std::nullopt},
      {"4294967296", "04294967296", std::nullopt},
      {"1 2", "01 2", std::nullopt},
      {"1e3", "01e3", std::nullopt},
      // The message quotes the text as it is, directives included.
      {"%s%d", "0%s%d", std::nullopt},
  });
}

TEST(ReadIntField, TrimsOnlyBytesUpTo0x20AtTheEnd) {
  ExpectReadings({
      {"7\t\r\n", "07", 7},
      {std::string("7\x01\x1F\x20", 4), "07", 7},
      {std::string("7\0", 2), "07", 7},
      {"\t\n", "0", 0},
      {"\t7", "0\t7", std::nullopt},
      // Bytes from 0x80 up are never trimmed, whatever the sign of char.
      {"7\x85", "07\x85", std::nullopt},
      {"7\xA0", "07\xA0", std::nullopt},
      {"7\xFF", "07\xFF", std::nullopt},
      {Sjis("７"), "0" + Sjis("７"), std::nullopt},
      {Sjis("7　"), "0" + Sjis("7　"), std::nullopt},
      {Sjis("　7"), "0" + Sjis("　7"), std::nullopt},
  });
}

}  // namespace
}  // namespace vimbrel
