// Extracts one entry of an archive into its own folder below a cache root chosen by the
// caller, and answers later requests for the same entry from that folder without a tool run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ArchiveExtractor.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveListing.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class CacheExtractor final {
public:
    CacheExtractor() = delete;

    // The entry's folder name: the 64-bit FNV-1a hash of the id's UTF-8 bytes as 16
    // lower-case hexadecimal digits.
    [[nodiscard]] static std::string entryKey(std::string_view entryID);

    // The file (or, for a folder entry, the folder) holding the entry's content, at
    // `cacheRoot/<entryKey>/<id>` when the tool wrote it there, else the first regular file
    // found below the entry folder. The entry folder is filled by one successful
    // extraction and then answers every later call without a tool run. Only places inside
    // the entry folder are ever returned: an id that climbs out of it or runs through a
    // link leading out is not followed, and links are never taken for regular files.
    // Throws what extraction throws (leaving no entry folder behind), or
    // processFailed("Preview extraction did not produce <name>") when nothing usable came out.
    // `onProgress` hears the extraction's progress when a tool runs.
    [[nodiscard]] static std::filesystem::path extractSingleFileToCache(
        const ArchiveListing& listing, const ArchiveEntry& entry,
        const std::optional<std::string>& password, const std::filesystem::path& cacheRoot,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress = {},
        const BinaryLocator::SearchFolders& searchFolders =
            BinaryLocator::SearchFolders::standard());
};

}  // namespace kelvane
