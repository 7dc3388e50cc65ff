// Writes the entries of a listed archive into a folder through the tool the listing names
// as its extract engine (7-Zip or the unarchiver), with progress, cancellation and the
// engine's error cases. Also serves the single-entry cache extraction and conversion.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "process/ProcessResult.hpp"

namespace kelvane {

class ArchiveExtractor final {
public:
    ArchiveExtractor() = delete;

    // Extracts the selection (every entry below a selected folder included; an empty
    // selection means the whole archive) into the folder `resolveDestinationDirectory`
    // names, which is created first, and returns that folder. Throws ArchiveEngineError
    // (binaryNotFound, passwordRequired, wrongPassword, processFailed, cancelled) or the
    // file system's error. A failed run takes back what ExtractionRollback says, and the
    // folders it made for the destination when they are left empty.
    [[nodiscard]] static std::filesystem::path extract(
        const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
        const ExtractArchiveOptions& options,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress,
        const BinaryLocator::SearchFolders& searchFolders =
            BinaryLocator::SearchFolders::standard());

    // The destination folder itself, or, with the smart subfolder on, nothing selected and
    // more than one item at the archive's top, a folder named after the archive inside it.
    [[nodiscard]] static std::filesystem::path resolveDestinationDirectory(
        const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
        const ExtractArchiveOptions& options);

    // The name of the smart subfolder when the archive's own name gives none.
    static constexpr std::string_view kFallbackFolderName = "Extracted";

    // The archive's file name without its archive suffix (".tar.gz", ".part01.rar", … or
    // one extension); kFallbackFolderName when what is left is not one ordinary folder name
    // (empty, only dots and blanks such as "." or "..", or holding a "/").
    [[nodiscard]] static std::string cleanArchiveBaseName(const std::filesystem::path& from);

    // A backslash before every "\", "*", "?", "[" and "]", so the unarchiver matches the
    // name literally.
    [[nodiscard]] static std::string escapeUnarGlob(std::string_view text);

    // The two tool runs behind `extract`, writing into an existing `destination`.
    static void extractWithSevenZip(const ArchiveListing& listing,
                                    const std::vector<ArchiveEntry>& selectedEntries,
                                    const std::filesystem::path& destination,
                                    const ExtractArchiveOptions& options,
                                    const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                    const ProgressHandler& onProgress,
                                    const BinaryLocator::SearchFolders& searchFolders);
    static void extractWithUnar(const ArchiveListing& listing,
                                const std::vector<ArchiveEntry>& selectedEntries,
                                const std::filesystem::path& destination,
                                const ExtractArchiveOptions& options,
                                const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                const ProgressHandler& onProgress,
                                const BinaryLocator::SearchFolders& searchFolders);

    // Returns for exit code 0; otherwise throws wrongPassword or passwordRequired when the
    // tool's messages speak of a password or a decryption, else processFailed with the
    // trimmed standard error or "unar failed (exit N)".
    static void validateUnarResult(const ProcessResult& result, bool hadPassword);
};

}  // namespace kelvane
