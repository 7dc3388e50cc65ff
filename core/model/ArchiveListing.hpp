// An opened archive: its facts, its entries in listing order and the
// directory index built from them. Copies share the entries and the index.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "model/ArchiveEntry.hpp"
#include "model/ArchiveInfo.hpp"

namespace kelvane {

class ArchiveDirectoryIndex;

class ArchiveListing final {
public:
    ArchiveListing(ArchiveInfo info, std::vector<ArchiveEntry> entries,
                   std::shared_ptr<const ArchiveDirectoryIndex> tree)
        : info_(std::move(info)),
          entries_(std::make_shared<const std::vector<ArchiveEntry>>(std::move(entries))),
          tree_(std::move(tree)) {}

    [[nodiscard]] const ArchiveInfo& info() const { return info_; }
    [[nodiscard]] const std::vector<ArchiveEntry>& entries() const { return *entries_; }
    [[nodiscard]] const std::shared_ptr<const ArchiveDirectoryIndex>& tree() const {
        return tree_;
    }

private:
    ArchiveInfo info_;
    std::shared_ptr<const std::vector<ArchiveEntry>> entries_;
    std::shared_ptr<const ArchiveDirectoryIndex> tree_;
};

}  // namespace kelvane
