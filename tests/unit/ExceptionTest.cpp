#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/Sjis.h"

namespace vimbrel {
namespace {

using testing::Sjis;

TEST(EInOutError, TakesItsMessageFromTheCode) {
  const std::pair<int, const char*> cases[] = {
      {2, "ファイルが見つかりません"},
      {3, "不正なファイル名です"},
      {4, "オープンしたファイルが多すぎます"},
      {5, "ファイルへのアクセスが拒否されました"},
      {100, "ファイルの末尾以降を読み込みました"},
      {101, "ディスクがいっぱいです"},
      {106, "入力値が数値ではありません"},
      {32, "I/O エラー (32)"},
      {112, "I/O エラー (112)"},
      {0, "I/O エラー (0)"},
      {-1, "I/O エラー (-1)"},
  };
  for (const auto& [code, message] : cases) {
    EInOutError error(code);
    EXPECT_EQ(error.ErrorCode(), code);
    EXPECT_EQ(error.Message(), Sjis(message)) << code;
  }
}

TEST(EOleSysError, CutsTheSystemTextOrFallsBackToTheCode) {
  const std::pair<std::string, std::string> cases[] = {
      {"Not implemented.\r\n", "Not implemented"},
      {"Unspecified error . . \r\n", "Unspecified error"},
      {"\r\n", Sjis("OLE エラー 80004001")},
      {"", Sjis("OLE エラー 80004001")},
      {"...", Sjis("OLE エラー 80004001")},
      // A double-byte character at the end stops the cut.
      {Sjis("実装されていません。") + "\r\n", Sjis("実装されていません。")},
      {Sjis("表") + ". ", Sjis("表")},
  };
  for (const auto& [system_text, message] : cases) {
    EXPECT_EQ(EOleSysError::MessageFor(static_cast<std::int32_t>(0x80004001u), system_text),
              message);
  }
  // A server's description of any length is cut in one pass: a cut that
  // scanned from the start again for every dot takes seconds here.
  const std::string dots(1 << 16, '.');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(EOleSysError::MessageFor(0, "x" + dots + " "), "x");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(Exceptions, KindsDeriveFromTheirBases) {
  EOleException exception("x", 5);
  const EOleSysError& sys = exception;
  const EOleError& ole = exception;
  const Exception& base = ole;
  EXPECT_EQ(sys.ErrorCode(), 5);
  EXPECT_EQ(base.Message(), "x");
  EXPECT_STREQ(base.what(), "x");
}

}  // namespace
}  // namespace vimbrel
