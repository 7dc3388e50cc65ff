// Byte keys for plain-ASCII names that order exactly like NameCollator for the
// same locale, at a fraction of the collator's cost; building an index orders
// about a million names.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/NameCollator.hpp"

namespace kelvane {

// The key of a name is one byte per character, the rank of that character's
// collation weight, except that a run of digits becomes the rank of the digit
// group, the count of its significant digits and the digits themselves (digit
// runs compare by value and leading zeros do not count, as with numeric
// collation). The ranks are read from the locale's own collator.
//
// That reproduces the collator only when every printable ASCII character has
// exactly one collation element with a common secondary weight and no
// contraction or expansion involves ASCII alone. Locales that break this (say
// "ch" as one letter, "aa" as "å", or "y" as a variant of "i") leave the encoder
// unavailable, and callers keep using the collator.
class AsciiSortKeyEncoder final {
public:
    // `collator` must have been made for `localeID`; it is used only while constructing.
    AsciiSortKeyEncoder(std::string_view localeID, const NameCollator& collator);

    // The encoder of a locale, made on first use and kept for the process:
    // reading the collator's rules takes milliseconds, encoding nanoseconds.
    [[nodiscard]] static std::shared_ptr<const AsciiSortKeyEncoder> forLocale(
        std::string_view localeID);

    [[nodiscard]] bool isAvailable() const { return available_; }

    // Appends the key of `name` to `key` and returns true; returns false and
    // leaves `key` as it was when `name` holds anything but printable ASCII
    // or a digit run too long to encode.
    bool appendKey(std::string_view name, std::string& key) const;

private:
    [[nodiscard]] bool readRanks(const NameCollator& collator);
    [[nodiscard]] bool agreesWith(const NameCollator& collator) const;

    // Rank of each ASCII character; 0 for characters without one (digits,
    // control characters).
    std::array<std::uint8_t, 128> rank_{};
    std::uint8_t digitRank_ = 0;
    bool available_ = false;
};

}  // namespace kelvane
