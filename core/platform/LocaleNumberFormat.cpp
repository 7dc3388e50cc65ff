#include "platform/LocaleNumberFormat.hpp"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>

#include <map>
#include <memory>
#include <mutex>

namespace kelvane::LocaleNumberFormat {
namespace {

using icu::number::LocalizedNumberFormatter;

// Building a formatter loads locale data; count texts are drawn on every
// redraw, so each locale's formatter is built once and kept. Formatting with
// a shared formatter is thread-safe.
const LocalizedNumberFormatter* formatterFor(std::string_view localeID) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<LocalizedNumberFormatter>, std::less<>> cache;

    const std::lock_guard lock(mutex);
    if (const auto found = cache.find(localeID); found != cache.end()) return found->second.get();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(
        icu::StringPiece(localeID.data(), static_cast<int32_t>(localeID.size())), status);
    if (U_FAILURE(status)) return nullptr;
    auto formatter = std::make_unique<LocalizedNumberFormatter>(
        icu::number::NumberFormatter::withLocale(locale).grouping(UNUM_GROUPING_AUTO));
    const LocalizedNumberFormatter* result = formatter.get();
    cache.emplace(std::string(localeID), std::move(formatter));
    return result;
}

}  // namespace

std::string groupedDecimal(std::int64_t value, std::string_view localeID) {
    if (const LocalizedNumberFormatter* formatter = formatterFor(localeID)) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::number::FormattedNumber formatted = formatter->formatInt(value, status);
        if (U_SUCCESS(status)) {
            const icu::UnicodeString text = formatted.toString(status);
            if (U_SUCCESS(status)) {
                std::string utf8;
                text.toUTF8String(utf8);
                return utf8;
            }
        }
    }
    return std::to_string(value);
}

}  // namespace kelvane::LocaleNumberFormat
