#pragma once

#include <cstdlib>
#include <cstdio>
#include <string_view>

#include "platform/Cp932.h"

namespace vimbrel::fuzz {

// Whether every lead byte is followed by a byte that code page 932 allows as
// a second byte (0x40 to 0x7E, 0x80 to 0xFC).
inline bool IsWellFormedCp932(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(text[pos]))) continue;
    if (++pos >= text.size()) return false;
    unsigned char second = static_cast<unsigned char>(text[pos]);
    if (second < 0x40 || second == 0x7F || second > 0xFC) return false;
  }
  return true;
}

// An invariant that failed: stop the fuzzer with a readable line.
#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

}  // namespace vimbrel::fuzz
