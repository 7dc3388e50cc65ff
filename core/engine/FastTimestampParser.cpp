#include "engine/FastTimestampParser.hpp"

#include <array>
#include <chrono>
#include <cstddef>
#include <ctime>

namespace kelvane::FastTimestampParser {
namespace {

constexpr std::size_t kFieldsLength = 19;  // "YYYY-MM-DD HH:MM:SS"

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal value of `count` digits at `at`, or -1 when one of them is not a digit.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<ArchiveTimestamp> parseWith(std::string_view text, LocalMinuteCache* cache) {
    if (text.size() < kFieldsLength) return std::nullopt;
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    text.remove_prefix(start);
    if (text.size() < kFieldsLength) return std::nullopt;

    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }

    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;

    const std::string_view rest = text.substr(kFieldsLength);
    if (const std::size_t sign = rest.find_first_of("+-");
        sign != std::string_view::npos && rest.size() - sign > 4) {
        const int hours = digits(rest, sign + 1, 2);
        const int minutes = digits(rest, sign + 3, 2);
        if (hours >= 0 && minutes >= 0) {
            const long magnitude = hours * 3600L + minutes * 60L;
            const std::time_t seconds = ::timegm(&fields);
            if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
            return ArchiveTimestamp(
                std::chrono::seconds(seconds - (rest[sign] == '-' ? -magnitude : magnitude)));
        }
    }

    const std::array<int, 5> key{year, month, day, hour, minute};
    if (cache != nullptr && cache->minute == key) {
        return ArchiveTimestamp(std::chrono::seconds(cache->minuteStart + second));
    }
    fields.tm_isdst = -1;  // the system decides whether daylight saving applies
    if (cache != nullptr) fields.tm_sec = 0;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    if (cache == nullptr) return ArchiveTimestamp(std::chrono::seconds(seconds));
    cache->minute = key;
    cache->minuteStart = seconds;
    return ArchiveTimestamp(std::chrono::seconds(seconds + second));
}

}  // namespace

std::optional<ArchiveTimestamp> parse(std::string_view text) {
    return parseWith(text, nullptr);
}

std::optional<ArchiveTimestamp> parse(std::string_view text, LocalMinuteCache& cache) {
    return parseWith(text, &cache);
}

}  // namespace kelvane::FastTimestampParser
