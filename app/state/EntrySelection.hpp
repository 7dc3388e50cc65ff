// The selected entries of one listing, held as one bit per entry of its directory index.
// Selecting all of a million entries costs 125 KB and no text; copies share the bits, so
// keeping a tab's selection aside costs nothing until it changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "index/ArchiveDirectoryIndex.hpp"
#include "model/ArchiveEntry.hpp"

namespace kelvane::app {

class EntrySelection final {
public:
    // Runs of rows, first and last row included, in ascending order.
    using RowRanges = std::vector<std::pair<std::size_t, std::size_t>>;

    // Nothing selected, in no listing.
    EntrySelection() = default;

    // The entries among `entries` that `index` knows.
    [[nodiscard]] static EntrySelection of(std::shared_ptr<const ArchiveDirectoryIndex> index,
                                           std::span<const ArchiveEntry> entries);
    // The entries stored under `ids` that `index` knows; unknown ids are left out.
    [[nodiscard]] static EntrySelection ofIDs(std::shared_ptr<const ArchiveDirectoryIndex> index,
                                              std::span<const std::string_view> ids);

    [[nodiscard]] std::size_t size() const { return count_; }
    [[nodiscard]] bool empty() const { return count_ == 0; }
    [[nodiscard]] bool contains(std::string_view id) const;
    [[nodiscard]] bool contains(const ArchiveEntry& entry) const;
    // The one selected entry when exactly one is selected.
    [[nodiscard]] const ArchiveEntry* single() const;

    // Calls `visit(const ArchiveEntry&)` for every selected entry, in index order.
    template <class Visit>
    void forEach(Visit&& visit) const {
        if (!bits_ || !index_) return;
        const std::span<const ArchiveEntry> all = index_->allEntries();
        for (std::size_t word = 0; word < bits_->size(); ++word) {
            std::uint64_t remaining = (*bits_)[word];
            while (remaining != 0) {
                const int bit = __builtin_ctzll(remaining);
                remaining &= remaining - 1;
                visit(all[word * 64 + static_cast<std::size_t>(bit)]);
            }
        }
    }
    [[nodiscard]] std::vector<ArchiveEntry> entries() const;
    // `ranges` sorted, with overlapping and touching runs joined.
    [[nodiscard]] static RowRanges mergedRows(RowRanges ranges);
    // Which of `rows` are selected, as runs of consecutive rows.
    [[nodiscard]] RowRanges rowsIn(std::span<const ArchiveEntry> rows) const;

    [[nodiscard]] const std::shared_ptr<const ArchiveDirectoryIndex>& index() const {
        return index_;
    }

    // Same index and same entries; two empty selections are equal whatever their index.
    friend bool operator==(const EntrySelection& a, const EntrySelection& b);

private:
    std::shared_ptr<const ArchiveDirectoryIndex> index_;
    std::shared_ptr<const std::vector<std::uint64_t>> bits_;
    std::size_t count_ = 0;
};

}  // namespace kelvane::app
