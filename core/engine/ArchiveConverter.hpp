// Conversion: re-packs a listed archive into another format by extracting it whole into a
// private work folder and creating the new archive from that folder's top-level items.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveListing.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ArchiveConverter final {
public:
    ArchiveConverter() = delete;

    // Progress: the extraction's fraction × 0.48, then 0.5 + the creation's fraction × 0.5,
    // ending at 1.0. Returns what the creation wrote (the destination or its first volume).
    // The work folder "KelvaneConvert-<UUID>" in the temporary folder is removed however the
    // conversion ends. Converting onto the source archive's own path replaces it only once
    // the new archive is complete. Throws processFailed("Archive had no entries to
    // convert.") when the extraction produced nothing.
    [[nodiscard]] static std::filesystem::path convertArchive(
        const ArchiveListing& listing, const std::filesystem::path& destination,
        const CreateArchiveOptions& options, const std::optional<std::string>& sourcePassword,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress,
        const BinaryLocator::SearchFolders& searchFolders =
            BinaryLocator::SearchFolders::standard());

    // Share of the whole run that the extraction takes, and where the creation starts.
    static constexpr double kExtractionShare = 0.48;
    static constexpr double kCreationStart = 0.5;
};

}  // namespace kelvane
