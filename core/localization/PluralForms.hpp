// The forms of one count text in one language: a text per plural category, each
// with the placeholder where the number goes ("%d файла" for "few" in Russian).
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "localization/PluralCategory.hpp"

namespace kelvane {

class PluralForms final {
public:
    // Where the number goes, in the English pattern that keys the forms and in each form.
    static constexpr std::string_view kPlaceholder = "%d";

    // Forms from (category name, form) pairs as a pack writes them. Nothing when a
    // name is not a plural category or appears twice, when there is no "other"
    // form (the one every language falls back to), or when a form does not hold
    // the placeholder exactly once.
    [[nodiscard]] static std::optional<PluralForms> fromMembers(
        std::span<const std::pair<std::string_view, std::string_view>> members);

    // True when `pattern` holds the placeholder exactly once: only such a text can
    // key plural forms.
    [[nodiscard]] static bool isCountPattern(std::string_view pattern);

    [[nodiscard]] bool has(PluralCategory category) const {
        return forms_[category.ordinal()].has_value();
    }

    // The form for `category` with `number` in place of the placeholder; the
    // "other" form when there is none for that category.
    [[nodiscard]] std::string withNumber(PluralCategory category, std::string_view number) const;

    friend bool operator==(const PluralForms&, const PluralForms&) = default;

private:
    PluralForms() = default;

    std::array<std::optional<std::string>, PluralCategory::allCases().size()> forms_;
};

}  // namespace kelvane
