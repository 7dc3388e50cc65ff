// Locale-independent Unicode text helpers shared by the model and the index.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::UnicodeText {

// Full Unicode lower-casing of UTF-8 text with the root locale, so the result
// never depends on the user's language (no Turkish dotless-i surprises).
// ASCII-only text takes a fast path; ill-formed bytes pass through unchanged.
[[nodiscard]] std::string lowercased(std::string_view utf8);

// Upper-casing with the same rules, used where a tool's format name is matched.
[[nodiscard]] std::string uppercased(std::string_view utf8);

// Removes white space and line breaks (ASCII and Unicode) from both ends.
[[nodiscard]] std::string_view trimmedWhitespace(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
[[nodiscard]] bool isValidUtf8(std::string_view bytes);

// Decodes bytes as UTF-8, replacing every ill-formed sequence by U+FFFD.
[[nodiscard]] std::string repairedUtf8(std::string_view bytes);

}  // namespace kelvane::UnicodeText
