#pragma once

#include <cstdint>
#include <string_view>

namespace vimbrel {

// The tour's lenient reading of a field or cell: "0" is put in front of the
// text, bytes of 0x20 or less are trimmed from both ends, and the result must be
// decimal digits or "x" and up to 8 significant hexadecimal digits. Anything
// else raises EConvertError "'%s' は整数ではありません" with that trimmed text.
std::int32_t ReadIntField(std::string_view text);

// The page display time field's text as the tour waits it, in milliseconds.
// Raises EConvertError from ReadIntField, or EConvertError for a time that no
// timer can wait (0 or less, too long).
std::uint32_t PageDisplayInterval(std::string_view field_text);

}  // namespace vimbrel
