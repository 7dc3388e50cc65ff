// Extracts and tests archives listed as a tar stream (TarStreamLister). bsdtar extracts
// straight from the archive, as fast as it reads it; the rename-on-conflict mode, which
// bsdtar lacks, goes through bsdtar's tar stream into 7-Zip instead.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ArchiveTestResult.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class TarStreamExtractor final {
public:
    TarStreamExtractor() = delete;

    // Writes the selection (every entry below a selected folder included; empty: the whole
    // archive) into the existing `destination`. Names are matched literally. Nothing lands
    // outside the destination; no owner, set-user-ID bit, extended attribute or device
    // node is restored, even for root; hard links stay hard links. Progress is weighted by
    // the entries' sizes, and a successful run ends with (1.0, ""). Throws
    // binaryNotFound("bsdtar"), processFailed with the tool's messages, cancelled.
    static void extract(const ArchiveListing& listing,
                        const std::vector<ArchiveEntry>& selectedEntries,
                        const std::filesystem::path& destination,
                        const ExtractArchiveOptions& options,
                        const std::shared_ptr<ProcessCancellationToken>& cancellation,
                        const ProgressHandler& onProgress,
                        const BinaryLocator::SearchFolders& searchFolders);

    // Reads the whole archive with bsdtar, which checks the compression's own checksums on
    // the way. The result counts the files the tool actually read; a failure is a result
    // with the tool's message, not an error. Throws binaryNotFound("bsdtar"), cancelled.
    [[nodiscard]] static ArchiveTestResult test(
        const ArchiveListing& listing, const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders);
};

}  // namespace kelvane
