#include "state/EntrySelection.hpp"

#include <algorithm>
#include <utility>

namespace kelvane::app {
namespace {

struct Builder {
    std::vector<std::uint64_t> bits;
    std::size_t count = 0;

    explicit Builder(std::size_t entryCount) : bits((entryCount + 63) / 64, 0) {}

    void add(std::uint32_t position) {
        std::uint64_t& word = bits[position / 64];
        const std::uint64_t mask = std::uint64_t{1} << (position % 64);
        if ((word & mask) == 0) {
            word |= mask;
            ++count;
        }
    }
};

}  // namespace

EntrySelection EntrySelection::of(std::shared_ptr<const ArchiveDirectoryIndex> index,
                                  std::span<const ArchiveEntry> entries) {
    EntrySelection selection;
    if (!index || entries.empty()) return selection;
    Builder builder(index->allEntries().size());
    for (const ArchiveEntry& entry : entries) {
        if (const auto position = index->position(entry)) builder.add(*position);
    }
    if (builder.count == 0) return selection;
    selection.index_ = std::move(index);
    selection.count_ = builder.count;
    selection.bits_ = std::make_shared<const std::vector<std::uint64_t>>(std::move(builder.bits));
    return selection;
}

EntrySelection EntrySelection::ofIDs(std::shared_ptr<const ArchiveDirectoryIndex> index,
                                     std::span<const std::string_view> ids) {
    EntrySelection selection;
    if (!index || ids.empty()) return selection;
    Builder builder(index->allEntries().size());
    for (const std::string_view id : ids) {
        if (const auto position = index->position(id)) builder.add(*position);
    }
    if (builder.count == 0) return selection;
    selection.index_ = std::move(index);
    selection.count_ = builder.count;
    selection.bits_ = std::make_shared<const std::vector<std::uint64_t>>(std::move(builder.bits));
    return selection;
}

bool EntrySelection::contains(std::string_view id) const {
    if (!bits_ || !index_) return false;
    const auto position = index_->position(id);
    if (!position) return false;
    return (((*bits_)[*position / 64] >> (*position % 64)) & 1U) != 0;
}

bool EntrySelection::contains(const ArchiveEntry& entry) const {
    if (!bits_ || !index_) return false;
    const auto position = index_->position(entry);
    if (!position) return false;
    return (((*bits_)[*position / 64] >> (*position % 64)) & 1U) != 0;
}

const ArchiveEntry* EntrySelection::single() const {
    if (count_ != 1) return nullptr;
    const ArchiveEntry* found = nullptr;
    forEach([&](const ArchiveEntry& entry) { found = &entry; });
    return found;
}

std::vector<ArchiveEntry> EntrySelection::entries() const {
    std::vector<ArchiveEntry> result;
    result.reserve(count_);
    forEach([&](const ArchiveEntry& entry) { result.push_back(entry); });
    return result;
}

EntrySelection::RowRanges EntrySelection::mergedRows(RowRanges ranges) {
    std::sort(ranges.begin(), ranges.end());
    RowRanges merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

EntrySelection::RowRanges EntrySelection::rowsIn(std::span<const ArchiveEntry> rows) const {
    RowRanges ranges;
    if (empty() || rows.empty()) return ranges;
    const bool everything = count_ == index_->allEntries().size();
    // Copies of an entry share one stored record, so the address of its id text names it:
    // a few selected entries are found among a million rows by comparing addresses, without
    // looking a single id up.
    constexpr std::size_t kAddressMatchLimit = 4096;
    std::vector<const char*> few;
    if (!everything && count_ <= kAddressMatchLimit) {
        few.reserve(count_);
        forEach([&](const ArchiveEntry& entry) { few.push_back(entry.id().data()); });
        std::sort(few.begin(), few.end());
    }
    const auto selected = [&](std::size_t row) {
        if (everything) return index_->position(rows[row]).has_value();
        if (!few.empty()) return std::binary_search(few.begin(), few.end(), rows[row].id().data());
        return contains(rows[row]);
    };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!selected(row)) continue;
        if (!ranges.empty() && ranges.back().second + 1 == row) {
            ranges.back().second = row;
        } else {
            ranges.emplace_back(row, row);
        }
    }
    return ranges;
}

bool operator==(const EntrySelection& a, const EntrySelection& b) {
    if (a.count_ != b.count_) return false;
    if (a.count_ == 0) return true;
    if (a.index_ != b.index_) return false;
    return a.bits_ == b.bits_ || *a.bits_ == *b.bits_;
}

}  // namespace kelvane::app
