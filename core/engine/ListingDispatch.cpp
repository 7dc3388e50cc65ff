#include "engine/ListingDispatch.hpp"

#include <chrono>
#include <utility>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/SevenZipLister.hpp"
#include "engine/TarStreamLister.hpp"
#include "engine/UnarchiverLister.hpp"

namespace kelvane {
namespace {

bool isWorthRetrying(const ArchiveEngineError& error) {
    switch (error.kind()) {
        case ArchiveEngineError::Case::binaryNotFound:
        case ArchiveEngineError::Case::processFailed:
        case ArchiveEngineError::Case::unsupportedModification:
            return true;
        case ArchiveEngineError::Case::passwordRequired:
        case ArchiveEngineError::Case::wrongPassword:
        case ArchiveEngineError::Case::cancelled:
            return false;
    }
    return false;
}

}  // namespace

ArchiveListing ListingDispatch::listArchive(
    const std::filesystem::path& at, const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options) {
    const auto startTime = std::chrono::steady_clock::now();
    const auto withSevenZip = [&] {
        return SevenZipLister::listWithSevenZipStreaming(at, password, startTime, cancellation,
                                                         onCountUpdate, options);
    };
    const auto withLsar = [&] {
        return UnarchiverLister::listWithLsar(at, password, startTime, cancellation, options);
    };

    // Tarballs, packages and cpio archives are read as their tar stream, exactly.
    if (auto listing = TarStreamLister::list(at, password, startTime, cancellation, onCountUpdate,
                                             options)) {
        return std::move(*listing);
    }

    const bool lsarFirst = ArchiveEngineService().prefersLsarForListing(at);
    std::optional<ArchiveEngineError> firstFailure;
    try {
        return lsarFirst ? withLsar() : withSevenZip();
    } catch (const ArchiveEngineError& error) {
        if (!isWorthRetrying(error)) throw;
        firstFailure = error;
    }
    try {
        return lsarFirst ? withSevenZip() : withLsar();
    } catch (const ArchiveEngineError& error) {
        // When both fail, the one that said what is wrong is heard: lsar's JSON answer to a
        // truncated 7z holds no words, 7-Zip's "Unexpected end of archive" does.
        if (ArchiverRun::namesOnlyTheExitCode(error) &&
            firstFailure->kind() == ArchiveEngineError::Case::processFailed) {
            throw *firstFailure;
        }
        throw;
    }
}

}  // namespace kelvane
