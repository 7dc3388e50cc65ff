// The entry table's orderings: folders first in both directions, then by the
// chosen column, with the lower-cased name breaking ties.
#pragma once

#include <cstddef>
#include <vector>

#include "model/ArchiveEntry.hpp"
#include "model/ArchiveSortField.hpp"

namespace kelvane {

class ArchiveDirectoryIndex;

class ArchiveEntrySorter final {
public:
    // Lists longer than this order names by code points of the lower-cased
    // name instead of the locale's comparison, which would dominate the time.
    static constexpr std::size_t kLargeListThreshold = 4000;

    // A stable sort. Folder sizes are the index's recursive totals.
    [[nodiscard]] static std::vector<ArchiveEntry> sorted(std::vector<ArchiveEntry> entries,
                                                          ArchiveSortField field, bool ascending,
                                                          const ArchiveDirectoryIndex& index);
};

}  // namespace kelvane
