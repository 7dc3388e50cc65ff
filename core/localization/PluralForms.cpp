#include "localization/PluralForms.hpp"

namespace kelvane {
namespace {

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace

bool PluralForms::isCountPattern(std::string_view pattern) {
    return occurrences(pattern, kPlaceholder) == 1;
}

std::optional<PluralForms> PluralForms::fromMembers(
    std::span<const std::pair<std::string_view, std::string_view>> members) {
    PluralForms forms;
    for (const auto& [name, form] : members) {
        const std::optional<PluralCategory> category = PluralCategory::fromRawValue(name);
        if (!category || forms.has(*category) || !isCountPattern(form)) return std::nullopt;
        forms.forms_[category->ordinal()] = std::string(form);
    }
    if (!forms.has(PluralCategory::other)) return std::nullopt;
    return forms;
}

std::string PluralForms::withNumber(PluralCategory category, std::string_view number) const {
    const std::optional<std::string>& chosen = forms_[category.ordinal()];
    std::string text = chosen ? *chosen : *forms_[PluralCategory(PluralCategory::other).ordinal()];
    text.replace(text.find(kPlaceholder), kPlaceholder.size(), number);
    return text;
}

}  // namespace kelvane
