// Reads the plain signed decimal integers tools print: an optional "+" or "-", then digits
// only. Anything else (blanks, a second sign, a fraction) or a value beyond 64 bits is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvane::StrictDecimal {

[[nodiscard]] std::optional<std::int64_t> parseInt64(std::string_view text);

}  // namespace kelvane::StrictDecimal
