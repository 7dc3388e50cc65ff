// The plural categories a language's grammar sorts counts into ("one", "few",
// "many"...), named as the Unicode plural rules name them, and the choice of one
// for a count in a given language.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class PluralCategoryCase : std::uint8_t { zero, one, two, few, many, other };

class PluralCategory final
    : public RawValueEnum<PluralCategory, PluralCategoryCase, std::string_view, 6> {
public:
    using enum PluralCategoryCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<PluralCategoryCase, std::string_view>, 6> kRawValues{{
        {zero, "zero"},
        {one, "one"},
        {two, "two"},
        {few, "few"},
        {many, "many"},
        {other, "other"},
    }};

    // The category the rules of `localeID` (a BCP 47 tag such as "ru", "pt-PT")
    // give the whole number `count`; `other` when the rules cannot be had.
    // Safe to call from any thread.
    [[nodiscard]] static PluralCategory of(std::int64_t count, std::string_view localeID);
};

}  // namespace kelvane
