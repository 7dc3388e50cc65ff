#include "engine/StrictDecimal.hpp"

#include <charconv>

namespace kelvane::StrictDecimal {

std::optional<std::int64_t> parseInt64(std::string_view text) {
    // from_chars takes a "-" but not a "+"; a "+" is dropped here and must be followed by
    // a digit, so "+-5" is refused.
    const bool plus = text.starts_with('+');
    if (plus) text.remove_prefix(1);
    const std::string_view digits = !plus && text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') return std::nullopt;

    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace kelvane::StrictDecimal
