#include "engine/CacheExtractor.hpp"

#include <array>
#include <system_error>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "engine/ContainedPath.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "platform/AppFolders.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Only a place inside the entry folder counts: an id such as "../../.ssh/id_rsa" names a
// file that is not the archive's, and a link left by the archive may lead anywhere.
std::optional<fs::path> expectedFile(const fs::path& entryFolder, std::string_view id) {
    return ContainedPath::existingInside(entryFolder, id);
}

// The first regular file below the folder, in the enumerator's order; links are neither
// followed nor returned, and items that cannot be read are skipped.
std::optional<fs::path> firstRegularFile(const fs::path& folder) {
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        const fs::file_status status = it->symlink_status(statusError);
        if (!statusError && fs::is_regular_file(status)) return it->path();
    }
    return std::nullopt;
}

}  // namespace

std::string CacheExtractor::entryKey(std::string_view entryID) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : entryID) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 0x100000001b3ULL;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string key(16, '0');
    for (std::size_t i = 0; i < 16; ++i) {
        key[15 - i] = kDigits[hash & 0xFU];
        hash >>= 4U;
    }
    return key;
}

fs::path CacheExtractor::extractSingleFileToCache(
    const ArchiveListing& listing, const ArchiveEntry& entry,
    const std::optional<std::string>& password, const fs::path& cacheRoot,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const std::string key = entryKey(entry.id());
    const fs::path entryFolder = cacheRoot / key;
    if (auto cached = expectedFile(entryFolder, entry.id())) return *cached;

    // An entry folder only ever appears whole: the tool writes into a private staging
    // folder that is renamed into place after a successful run and removed after a failed
    // one. A failed or cancelled run therefore never leaves a partial file that a later
    // call would take for the entry, and concurrent calls never write into the same folder.
    if (!fs::exists(entryFolder)) {
        fs::create_directories(cacheRoot);
        const fs::path staging = AppFolders::createPrivateFolder(cacheRoot, key + ".partial-");
        try {
            const ExtractArchiveOptions options(staging, false, ExtractOverwriteMode::overwrite,
                                                password, false);
            (void)ArchiveExtractor::extract(listing, std::vector<ArchiveEntry>{entry}, options,
                                            cancellation, onProgress, searchFolders);
        } catch (...) {
            std::error_code ignored;
            fs::remove_all(staging, ignored);
            throw;
        }
        std::error_code renameError;
        fs::rename(staging, entryFolder, renameError);
        if (renameError) {
            // Another call filled the entry folder first; its result is as good as ours.
            std::error_code ignored;
            fs::remove_all(staging, ignored);
            if (!fs::is_directory(entryFolder)) {
                throw fs::filesystem_error("cannot move the extracted entry into the cache",
                                           staging, entryFolder, renameError);
            }
        }
    }

    if (auto extracted = expectedFile(entryFolder, entry.id())) return *extracted;
    if (auto found = firstRegularFile(entryFolder)) return *found;
    throw ArchiveEngineError::processFailed("Preview extraction did not produce " +
                                            std::string(entry.name()));
}

}  // namespace kelvane
