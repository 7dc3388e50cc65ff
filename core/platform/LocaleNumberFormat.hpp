// Whole numbers written with a locale's digit grouping ("12,000", "12.000").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane::LocaleNumberFormat {

// `value` as a decimal integer grouped the way `localeID` (a BCP 47 tag such as
// "en", "de", "pt-BR") writes numbers. Falls back to plain digits if ICU fails.
// Safe to call from any thread.
[[nodiscard]] std::string groupedDecimal(std::int64_t value, std::string_view localeID);

}  // namespace kelvane::LocaleNumberFormat
