// The archive engine's entry point: which file names are archives, which may be modified,
// which tool family lists and which extracts them, and the small readers the listers share.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveTestResult.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "process/ProgressReport.hpp"

namespace simdjson::dom {
class element;
}  // namespace simdjson::dom

namespace kelvane {

class ArchiveEntry;
class ArchiveListing;
class ProcessCancellationToken;
struct ExtractArchiveOptions;

// Holds no state: instances are interchangeable and may be used from any thread.
class ArchiveEngineService final {
public:
    // Lower-case extensions opened as archives, in this order.
    static constexpr std::array<std::string_view, 41> supportedExtensions{
        "rar",  "r00", "r01",  "cbr", "zip", "z01",  "zipx", "cbz", "jar",  "apk", "ipa",
        "epub", "xpi", "7z",   "001", "tar", "gz",   "tgz",  "bz2", "tbz2", "tbz", "xz",
        "txz",  "zst", "tzst", "iso", "dmg", "cab",  "wim",  "msi", "deb",  "rpm", "cpio",
        "xar",  "pkg", "lzh",  "lha", "sit", "sitx", "arj",  "ace"};
    // Extensions whose archives may be modified in place.
    static constexpr std::array<std::string_view, 3> writableExtensions{"zip", "7z", "tar"};

    static constexpr std::array<std::string_view, 4> supportedTarSuffixes{".tar.gz", ".tar.bz2",
                                                                          ".tar.xz", ".tar.zst"};
    static constexpr std::array<std::string_view, 3> readOnlyTarSuffixes{".tar.gz", ".tar.bz2",
                                                                         ".tar.xz"};
    static constexpr std::array<std::string_view, 7> unarchiverListingSuffixes{
        ".tar.gz", ".tgz", ".tar.bz2", ".tbz2", ".tbz", ".tar.xz", ".txz"};
    static constexpr std::array<std::string_view, 6> unarchiverListingExtensions{
        "lzh", "lha", "sit", "sitx", "arj", "ace"};
    static constexpr std::array<std::string_view, 9> unarchiverExtractionExtensions{
        "rar", "r00", "r01", "cbr", "lzh", "lha", "sit", "sitx", "ace"};

    // Names are compared lower-cased; the extension is the text after the last dot of
    // the last path component.
    [[nodiscard]] bool isSupportedArchive(const std::filesystem::path& url) const;
    [[nodiscard]] bool isWritableArchive(const std::filesystem::path& url) const;
    [[nodiscard]] bool prefersLsarForListing(const std::filesystem::path& url) const;
    // `formatName` is the format a listing reported ("RAR5"); RAR, StuffIt, LZH and ACE
    // archives are extracted by the unarchiver whatever their name says.
    [[nodiscard]] bool requiresUnarchiverExtraction(const std::filesystem::path& url,
                                                    std::string_view formatName) const;

    // A JSON number as a signed 64-bit integer (a fraction is cut toward zero; a number
    // outside the 64-bit range gives 0); a text holding only an optional sign and digits
    // as that number (0 when it overflows); anything else, booleans and an absent value
    // (null pointer) included, gives 0.
    [[nodiscard]] static std::int64_t int64Value(const simdjson::dom::element* value);

    // The size in bytes of the regular file at `url` (links followed); 0 when it cannot be read.
    [[nodiscard]] static std::int64_t fileSize(const std::filesystem::path& url);

    // Reads 7-Zip's percentage output ("-bsp1"): the chunk is cut at carriage returns,
    // line feeds and backspaces; the last valid "N%" (0 to 100) gives the fraction, and
    // the last non-empty text seen after a percentage the detail. None when the chunk
    // holds no valid percentage.
    [[nodiscard]] static std::optional<ProgressReport> parseSevenZipProgress(
        std::string_view chunk);

    // Extracts the selection (everything for an empty one) into the folder
    // `resolveDestinationDirectory` names and returns it (ArchiveExtractor).
    [[nodiscard]] std::filesystem::path extract(
        const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
        const ExtractArchiveOptions& options,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress) const;
    [[nodiscard]] std::filesystem::path resolveDestinationDirectory(
        const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
        const ExtractArchiveOptions& options) const;
    // One entry as a file below `cacheRoot`, reused by later calls (CacheExtractor).
    [[nodiscard]] std::filesystem::path extractSingleFileToCache(
        const ArchiveListing& listing, const ArchiveEntry& entry,
        const std::optional<std::string>& password, const std::filesystem::path& cacheRoot,
        const std::shared_ptr<ProcessCancellationToken>& cancellation) const;
    [[nodiscard]] static std::string cleanArchiveBaseName(const std::filesystem::path& from);
    [[nodiscard]] static std::string escapeUnarGlob(std::string_view text);

    // Lists an archive with the tool that suits it, falling back to the other one when the
    // first is missing or fails (not on password problems or cancellation). Blocks the
    // calling worker thread; throws ArchiveEngineError. `onCountUpdate` hears the running
    // file count of a streaming listing every 2500 files, on the calling thread.
    [[nodiscard]] ArchiveListing listArchive(
        const std::filesystem::path& at, const std::optional<std::string>& password,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::int64_t)>& onCountUpdate) const;

    // Adds files and folders to a ZIP, 7Z or TAR archive in place (ArchiveModifier).
    void addFiles(const std::vector<std::filesystem::path>& items, const std::filesystem::path& to,
                  const std::optional<std::string>& password,
                  const std::shared_ptr<ProcessCancellationToken>& cancellation,
                  const ProgressHandler& onProgress) const;

    // Deletes entries, and everything below the folders among them, in place (ArchiveModifier).
    void deleteEntries(const std::vector<ArchiveEntry>& entries, const ArchiveListing& from,
                       const std::optional<std::string>& password,
                       const std::shared_ptr<ProcessCancellationToken>& cancellation,
                       const ProgressHandler& onProgress) const;

    // Packs files and folders into a new archive (ArchiveCreator) and returns it, or its
    // first volume. An archive already at the destination is replaced only on success.
    [[nodiscard]] std::filesystem::path createArchive(
        const std::vector<std::filesystem::path>& sources, const std::filesystem::path& destination,
        const CreateArchiveOptions& options,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress) const;

    // Re-packs the whole archive into a new one of another format (ArchiveConverter):
    // extraction into a private work folder, then creation. Returns what the creation wrote.
    [[nodiscard]] std::filesystem::path convertArchive(
        const ArchiveListing& listing, const std::filesystem::path& destination,
        const CreateArchiveOptions& options, const std::optional<std::string>& sourcePassword,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress) const;

    // Runs the archive's tool in its test mode (ArchiveTester). Password problems throw;
    // any other failure is a result with `passed` false.
    [[nodiscard]] ArchiveTestResult testArchive(
        const ArchiveListing& listing, const std::optional<std::string>& password,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress) const;
};

}  // namespace kelvane
