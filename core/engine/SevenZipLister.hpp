// Lists an archive with 7-Zip's technical listing, parsed line by line while the tool
// prints it, so archives with millions of entries never have their listing in memory twice.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ListingOptions.hpp"
#include "model/ArchiveListing.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class SevenZipLister final {
public:
    SevenZipLister() = delete;

    // Throws ArchiveEngineError: binaryNotFound("7zz") when neither "7zz" nor "7z" is
    // found, a password error or processFailed when the tool fails, cancelled from the
    // runner. `startTime` is when the whole listing request began (it may have tried the
    // other lister first). `onCountUpdate` hears the file count every 2500 files, on the
    // calling thread.
    [[nodiscard]] static ArchiveListing listWithSevenZipStreaming(
        const std::filesystem::path& at, const std::optional<std::string>& password,
        std::chrono::steady_clock::time_point startTime,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options);

    // The error for a run that ended with a non-zero `exitCode`: a password error when the
    // standard-error tail or the listing's header mention a wrong password or an encrypted
    // archive that could not be opened, else processFailed saying what is wrong with the
    // archive `at` when that can be told, else with the trimmed tail or
    // "7zz list failed (exit N)".
    [[nodiscard]] static ArchiveEngineError failureFor(std::int32_t exitCode,
                                                       std::string_view stderrTail,
                                                       std::string_view diagnosticSnippet,
                                                       const std::optional<std::string>& password,
                                                       const std::filesystem::path& at = {});
};

}  // namespace kelvane
