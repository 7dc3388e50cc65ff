// The entries a folder query answers with: either a view of the directory
// index's stored children (browsing in the default order copies nothing) or
// a list of its own (sorted or searched results).
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "model/ArchiveEntry.hpp"

namespace kelvane {

class ArchiveItemList final {
public:
    ArchiveItemList() = default;
    explicit ArchiveItemList(std::vector<ArchiveEntry> owned)
        : owned_(std::move(owned)), isView_(false) {}

    // A list that reads `stored` in place; it stays valid only while the
    // index that owns `stored` lives.
    [[nodiscard]] static ArchiveItemList viewing(std::span<const ArchiveEntry> stored) {
        ArchiveItemList list;
        list.view_ = stored;
        list.isView_ = true;
        return list;
    }

    [[nodiscard]] std::span<const ArchiveEntry> entries() const {
        return isView_ ? view_ : std::span<const ArchiveEntry>(owned_);
    }
    [[nodiscard]] bool isView() const { return isView_; }
    [[nodiscard]] std::size_t size() const { return entries().size(); }
    [[nodiscard]] bool empty() const { return entries().empty(); }
    [[nodiscard]] const ArchiveEntry& operator[](std::size_t index) const {
        return entries()[index];
    }
    [[nodiscard]] auto begin() const { return entries().begin(); }
    [[nodiscard]] auto end() const { return entries().end(); }

    // The same list, keeping `owner` (the index a view reads) alive for as long as any
    // copy of the list exists, so a query result may cross threads and outlive the listing
    // it came from.
    [[nodiscard]] ArchiveItemList retaining(std::shared_ptr<const void> owner) const& {
        ArchiveItemList copy = *this;
        copy.owner_ = std::move(owner);
        return copy;
    }
    [[nodiscard]] ArchiveItemList retaining(std::shared_ptr<const void> owner) && {
        owner_ = std::move(owner);
        return std::move(*this);
    }

    // A list of its own, detached from the index.
    [[nodiscard]] std::vector<ArchiveEntry> toVector() const {
        const std::span<const ArchiveEntry> all = entries();
        return {all.begin(), all.end()};
    }

private:
    std::vector<ArchiveEntry> owned_;
    std::span<const ArchiveEntry> view_;
    bool isView_ = false;
    std::shared_ptr<const void> owner_;
};

}  // namespace kelvane
