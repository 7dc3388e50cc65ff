// Reads the timestamps archivers print ("2024-01-31 12:34:56", optionally with a
// fraction and a "+0200" offset) at fixed byte positions. It runs once per entry of
// listings with millions of entries, so it never goes through a general date parser.
#pragma once

#include <optional>
#include <string_view>

#include "engine/LocalMinuteCache.hpp"
#include "model/ArchiveEntry.hpp"

namespace kelvane::FastTimestampParser {

// Leading spaces are skipped; then year, month, day, hour, minute and second are read
// as 4+2+2+2+2+2 digits with one separator byte of any kind between them. Years before
// 1970 and out-of-range fields give none; days past a month's end carry over. The first
// "+" or "-" after the seconds followed by four digits (HHMM) makes the fields UTC at
// that offset; without one (or with "+01:00") they are local time. Fractions of a
// second are ignored.
[[nodiscard]] std::optional<ArchiveTimestamp> parse(std::string_view text);

// The same, remembering the last local minute in `cache` (UTC offsets need no cache).
[[nodiscard]] std::optional<ArchiveTimestamp> parse(std::string_view text, LocalMinuteCache& cache);

}  // namespace kelvane::FastTimestampParser
