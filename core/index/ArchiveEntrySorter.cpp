#include "index/ArchiveEntrySorter.hpp"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "index/ArchiveDirectoryIndex.hpp"
#include "index/AsciiSortKeyEncoder.hpp"
#include "localization/AppLanguage.hpp"
#include "platform/NameCollator.hpp"

namespace kelvane {
namespace {

// What one entry is compared by, gathered once so the sort itself touches
// neither the entry records nor the index.
struct SortItem {
    std::int64_t number = 0;
    std::string_view text;
    std::string_view lowercasedName;
    std::uint32_t position = 0;
    bool isFolder = false;
};

// An absent date sorts as one second before 1970.
constexpr std::int64_t kAbsentDateMicroseconds = -1'000'000;

}  // namespace

std::vector<ArchiveEntry> ArchiveEntrySorter::sorted(std::vector<ArchiveEntry> entries,
                                                     ArchiveSortField field, bool ascending,
                                                     const ArchiveDirectoryIndex& index) {
    if (entries.size() < 2) return entries;
    const bool large = entries.size() > kLargeListThreshold;
    const bool byCollation = field == ArchiveSortField::name && !large;

    // Keys for the Finder-like order: the cheap ASCII keys when every name
    // has one, the collator's own otherwise.
    std::string asciiKeys;
    std::vector<std::uint32_t> asciiKeyStart;
    std::vector<std::string> collationKeys;
    bool byAsciiKeys = false;
    if (byCollation) {
        const std::string_view locale = AppLanguage::current().locale();
        const std::shared_ptr<const AsciiSortKeyEncoder> encoder =
            AsciiSortKeyEncoder::forLocale(locale);
        byAsciiKeys = encoder->isAvailable();
        for (const ArchiveEntry& entry : entries) {
            if (!byAsciiKeys) break;
            asciiKeyStart.push_back(static_cast<std::uint32_t>(asciiKeys.size()));
            byAsciiKeys = encoder->appendKey(entry.name(), asciiKeys);
        }
        asciiKeyStart.push_back(static_cast<std::uint32_t>(asciiKeys.size()));
        if (!byAsciiKeys) {
            const NameCollator collator(locale);
            collationKeys.reserve(entries.size());
            for (const ArchiveEntry& entry : entries) {
                collationKeys.push_back(collator.sortKey(entry.name()));
            }
        }
    }
    const auto collationKey = [&](std::size_t i) -> std::string_view {
        if (!byAsciiKeys) return collationKeys[i];
        return std::string_view(asciiKeys).substr(asciiKeyStart[i],
                                                  asciiKeyStart[i + 1] - asciiKeyStart[i]);
    };

    std::vector<SortItem> items(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& entry = entries[i];
        SortItem& item = items[i];
        item.position = static_cast<std::uint32_t>(i);
        item.isFolder = entry.isDirectory();
        item.lowercasedName = entry.lowercasedName();
        switch (field.value()) {
            case ArchiveSortField::name:
                if (byCollation) item.text = collationKey(i);
                break;
            case ArchiveSortField::size:
                item.number = index.effectiveSize(entry);
                break;
            case ArchiveSortField::packedSize:
                item.number = index.effectivePackedSize(entry);
                break;
            case ArchiveSortField::modified: {
                const auto date = entry.modifiedDate();
                item.number = date ? date->time_since_epoch().count() : kAbsentDateMicroseconds;
                break;
            }
            case ArchiveSortField::kind:
                item.text = entry.fileExtension();
                break;
        }
    }

    const auto directed = [ascending](int comparison) {
        return ascending ? comparison < 0 : comparison > 0;
    };
    const auto before = [&](const SortItem& a, const SortItem& b) {
        if (a.isFolder != b.isFolder) return a.isFolder;
        switch (field.value()) {
            case ArchiveSortField::name:
                return directed(byCollation ? a.text.compare(b.text)
                                            : a.lowercasedName.compare(b.lowercasedName));
            case ArchiveSortField::size:
            case ArchiveSortField::packedSize:
            case ArchiveSortField::modified:
                if (a.number != b.number)
                    return ascending ? a.number < b.number : a.number > b.number;
                break;
            case ArchiveSortField::kind:
                if (const int c = a.text.compare(b.text); c != 0) return directed(c);
                break;
        }
        // Ties go by name, always ascending.
        return a.lowercasedName < b.lowercasedName;
    };
    std::stable_sort(items.begin(), items.end(), before);

    std::vector<ArchiveEntry> result;
    result.reserve(entries.size());
    for (const SortItem& item : items) result.push_back(std::move(entries[item.position]));
    return result;
}

}  // namespace kelvane
