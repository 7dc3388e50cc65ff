// Lists an archive with the unarchiver's `lsar`, which prints the whole listing as one
// JSON document: the lister of choice for compressed tar files and the formats 7-Zip
// reads poorly, and the fallback when 7-Zip fails.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ListingOptions.hpp"
#include "model/ArchiveListing.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class UnarchiverLister final {
public:
    UnarchiverLister() = delete;

    // Throws ArchiveEngineError: binaryNotFound("lsar"), a password error or processFailed
    // when the tool fails or prints no readable document, cancelled from the runner.
    // Reports no running count: the document arrives whole.
    [[nodiscard]] static ArchiveListing listWithLsar(
        const std::filesystem::path& at, const std::optional<std::string>& password,
        std::chrono::steady_clock::time_point startTime,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ListingOptions& options);

    // The error for a run that ended with a non-zero `exitCode`: a password error when
    // the output mentions a password, encryption or decryption, else processFailed with
    // the trimmed standard error or "lsar failed (exit N)". A JSON document on standard
    // output is the listing, not a message, and is not searched for those words.
    [[nodiscard]] static ArchiveEngineError failureFor(std::int32_t exitCode,
                                                       std::string_view standardOutput,
                                                       std::string_view standardError,
                                                       const std::optional<std::string>& password,
                                                       const std::filesystem::path& at = {});

    // The error for a run that succeeded but printed no JSON object: a password error when
    // the output (a JSON document on standard output aside) mentions a password, else
    // processFailed("Could not decode lsar archive listing.").
    [[nodiscard]] static ArchiveEngineError undecodableFailure(
        std::string_view standardOutput, std::string_view standardError,
        const std::optional<std::string>& password);
};

}  // namespace kelvane
