// Entry factories shared by the directory index tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ArchiveEntry.hpp"

namespace kelvane::testing {

inline ArchiveTimestamp secondsAfter1970(std::int64_t seconds) {
    return ArchiveTimestamp(std::chrono::seconds(seconds));
}

inline ArchiveEntry fileEntry(std::string_view path, std::int64_t size = 1, std::int64_t packed = 1,
                              std::optional<ArchiveTimestamp> date = std::nullopt,
                              bool encrypted = false) {
    return ArchiveEntry(path, false, size, packed, date, encrypted, std::nullopt, std::nullopt,
                        std::nullopt);
}

inline ArchiveEntry folderEntry(std::string_view path,
                                std::optional<ArchiveTimestamp> date = std::nullopt,
                                bool encrypted = false) {
    return ArchiveEntry(path, true, 0, 0, date, encrypted, std::nullopt, std::nullopt,
                        std::nullopt);
}

template <class Range>
std::vector<std::string> idsOf(const Range& entries) {
    std::vector<std::string> ids;
    for (const ArchiveEntry& entry : entries) ids.emplace_back(entry.id());
    return ids;
}

template <class Range>
std::vector<std::string> stringsOf(const Range& texts) {
    return std::vector<std::string>(texts.begin(), texts.end());
}

}  // namespace kelvane::testing
