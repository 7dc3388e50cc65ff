#include "localization/PluralCategory.hpp"

#include <unicode/locid.h>
#include <unicode/plurrule.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kelvane {
namespace {

// Building the rules loads locale data, and count texts are drawn on every
// redraw, so each locale's rules are built once and kept. `select` on shared
// rules is safe from several threads. A locale whose rules fail to build keeps
// a null entry, so it is not retried on every draw.
const icu::PluralRules* rulesFor(std::string_view localeID) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<icu::PluralRules>, std::less<>> cache;

    const std::lock_guard lock(mutex);
    if (const auto found = cache.find(localeID); found != cache.end()) return found->second.get();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(
        icu::StringPiece(localeID.data(), static_cast<int32_t>(localeID.size())), status);
    std::unique_ptr<icu::PluralRules> rules;
    if (U_SUCCESS(status)) rules.reset(icu::PluralRules::forLocale(locale, status));
    if (U_FAILURE(status)) rules.reset();
    const icu::PluralRules* result = rules.get();
    cache.emplace(std::string(localeID), std::move(rules));
    return result;
}

}  // namespace

PluralCategory PluralCategory::of(std::int64_t count, std::string_view localeID) {
    const icu::PluralRules* rules = rulesFor(localeID);
    if (rules == nullptr) return other;
    // Counts of files and folders stay far below 2^53, where a double still holds
    // every whole number exactly.
    std::string keyword;
    rules->select(static_cast<double>(count)).toUTF8String(keyword);
    return fromRawValue(keyword).value_or(other);
}

}  // namespace kelvane
