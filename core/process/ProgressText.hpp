// Text helpers of the progress readers: cutting tool output into lines and trimming the
// blanks around them.
#pragma once

#include <string_view>
#include <vector>

namespace kelvane::ProgressText {

// The pieces between newline characters: line feed, vertical tab, form feed, carriage
// return, U+0085, U+2028 and U+2029. Empty pieces are kept.
[[nodiscard]] std::vector<std::string_view> splitAtNewlines(std::string_view text);

// The pieces between any of the given single-byte separators. Empty pieces are kept.
[[nodiscard]] std::vector<std::string_view> splitAtAnyOf(std::string_view text,
                                                         std::string_view separators);

// Without tabs and Unicode space separators (U+0020, U+00A0, U+1680, U+2000 to U+200A,
// U+202F, U+205F, U+3000) at either end.
[[nodiscard]] std::string_view trimmedSpacesAndTabs(std::string_view text);

}  // namespace kelvane::ProgressText
