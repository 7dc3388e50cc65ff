// Text written as JSON string literals, for the settings file and the command line's JSON
// output alike.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::JsonText {

// Appends `text` as the body of a JSON string: quotes, backslashes and control characters
// (DEL too) escaped, line and paragraph separators too (some readers take them for line
// ends), and every ill-formed UTF-8 sequence replaced by U+FFFD, one per maximal subpart.
void appendEscaped(std::string& out, std::string_view text);

// Appends `text` escaped as above between double quotes.
void appendQuoted(std::string& out, std::string_view text);

}  // namespace kelvane::JsonText
