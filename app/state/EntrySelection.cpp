#include "state/EntrySelection.hpp"

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

bool operator==(const EntrySelection& a, const EntrySelection& b) {
    if (a.count_ != b.count_) return false;
    if (a.count_ == 0) return true;
    if (a.index_ != b.index_) return false;
    return a.bits_ == b.bits_ || *a.bits_ == *b.bits_;
}

}  // namespace kelvane::app
