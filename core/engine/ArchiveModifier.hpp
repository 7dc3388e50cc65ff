// Changes an existing ZIP, 7Z or TAR archive in place through 7-Zip: adds files and folders
// to it, or deletes entries (with everything below the selected folders) from it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveListing.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ArchiveModifier final {
public:
    ArchiveModifier() = delete;

    // Adds `items` to the archive at `archive`, which keeps its own type; 7-Zip takes every
    // name literally. Throws unsupportedModification, before anything else, for an archive
    // whose name does not allow adding.
    static void addFiles(const std::vector<std::filesystem::path>& items,
                         const std::filesystem::path& archive,
                         const std::optional<std::string>& password,
                         const std::shared_ptr<ProcessCancellationToken>& cancellation,
                         const ProgressHandler& onProgress,
                         const BinaryLocator::SearchFolders& searchFolders =
                             BinaryLocator::SearchFolders::standard());

    // Deletes `entries` and everything below those that are folders. The names go to 7-Zip
    // through a list file, literally: deleting "a*.txt" leaves "ab.txt" alone. Throws
    // unsupportedModification for a listing that is not modifiable; does nothing, without
    // running a tool, when there is nothing to delete.
    static void deleteEntries(std::span<const ArchiveEntry> entries, const ArchiveListing& listing,
                              const std::optional<std::string>& password,
                              const std::shared_ptr<ProcessCancellationToken>& cancellation,
                              const ProgressHandler& onProgress,
                              const BinaryLocator::SearchFolders& searchFolders =
                                  BinaryLocator::SearchFolders::standard());
};

}  // namespace kelvane
