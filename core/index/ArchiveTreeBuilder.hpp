// Turns a listing's flat entry list into its ArchiveDirectoryIndex: implied
// folders, display-ordered children, recursive totals and the folder tree.
#pragma once

#include <memory>
#include <vector>

#include "index/ArchiveDirectoryIndex.hpp"
#include "model/ArchiveEntry.hpp"

namespace kelvane {

class ArchiveTreeBuilder final {
public:
    // Folders with more children than this order them by code points of the
    // lower-cased names; smaller ones use the locale's Finder-like order.
    static constexpr std::size_t kLargeFolderThreshold = 4000;

    // `entries` in listing order. Entries with an empty id are skipped; the
    // first folder entry for a path wins (a folder synthesized earlier counts
    // as first), the last file entry for a path wins. Folders that no entry
    // names are synthesized with the date of the entry that implied them.
    [[nodiscard]] static std::shared_ptr<const ArchiveDirectoryIndex> build(
        const std::vector<ArchiveEntry>& entries);
};

}  // namespace kelvane
