#include "engine/UnarchiverLister.hpp"

#include <string>
#include <utility>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/ListingSteps.hpp"
#include "engine/LsarJsonListingReader.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

ArchiverRun::FailureRules lsarRules(std::vector<std::string_view> passwordPhrases,
                                    const std::optional<std::string>& password,
                                    const std::filesystem::path& at = {}) {
    return {ArchiverRun::Tool::lsar, "lsar", std::move(passwordPhrases), true,
            password && !password->empty(), at};
}

ProcessResult resultOf(std::int32_t exitCode, std::string_view standardOutput,
                       std::string_view standardError) {
    return {exitCode, std::string(standardOutput), std::string(standardError)};
}

}  // namespace

ArchiveListing UnarchiverLister::listWithLsar(
    const std::filesystem::path& at, const std::optional<std::string>& password,
    std::chrono::steady_clock::time_point startTime,
    const std::shared_ptr<ProcessCancellationToken>& cancellation, const ListingOptions& options) {
    const std::filesystem::path executable =
        ArchiverRun::locate(ArchiverRun::Tool::lsar, options.searchFolders);

    const ProcessResult result =
        ArchiverRun::run({executable,
                          UnarchiverToolContract::listArguments(at, password),
                          {},
                          {},
                          /*captureFullStdout=*/true},
                         cancellation);
    if (result.exitCode != 0) {
        throw failureFor(result.exitCode, result.stdoutString(), result.stderrString(), password,
                         at);
    }

    auto contents =
        LsarJsonListingReader::read(result.stdoutBytes, ListingSteps::upperCasedExtension(at));
    if (!contents) {
        throw undecodableFailure(result.stdoutString(), result.stderrString(), password);
    }

    auto index = ListingSteps::buildIndex(contents->entries, options);
    const ArchiveEngineService service;

    ArchiveInfo info;
    info.url = at;
    info.formatName = std::move(contents->formatName);
    info.listEngine = ArchiveEngineKind::unarchiver;
    info.extractEngine = ArchiveEngineKind::unarchiver;
    info.physicalSize = ArchiveEngineService::fileSize(at);
    info.totalUncompressedSize = contents->totalUncompressedSize;
    info.totalCompressedSize =
        contents->totalCompressedSize >= 1 ? contents->totalCompressedSize : info.physicalSize;
    info.fileCount = contents->fileCount;
    info.folderCount = ListingSteps::folderCount(*index);
    info.isSolid = contents->isSolid;
    info.hasEncryptedEntries = contents->hasEncryptedEntries;
    info.isMultiVolume = contents->volumes.size() > 1;
    info.volumeCount =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(contents->volumes.size()));
    info.isModifiable = service.isWritableArchive(at);
    info.loadDurationMs = ListingSteps::loadDurationMs(startTime);
    return ArchiveListing(std::move(info), std::move(contents->entries), std::move(index));
}

ArchiveEngineError UnarchiverLister::failureFor(std::int32_t exitCode,
                                                std::string_view standardOutput,
                                                std::string_view standardError,
                                                const std::optional<std::string>& password,
                                                const std::filesystem::path& at) {
    // A JSON document on standard output (whole or cut short) is data, not a message: its
    // entry names must not pass for one.
    return ArchiverRun::failureOf(resultOf(exitCode, standardOutput, standardError),
                                  lsarRules({"password", "encrypted", "decryption"}, password, at));
}

ArchiveEngineError UnarchiverLister::undecodableFailure(
    std::string_view standardOutput, std::string_view standardError,
    const std::optional<std::string>& password) {
    const auto rules = lsarRules({"password"}, password);
    if (ArchiverRun::isPasswordProblem(resultOf(1, standardOutput, standardError), rules)) {
        return ArchiverRun::passwordError(rules.hadPassword);
    }
    return ArchiveEngineError::processFailed("Could not decode lsar archive listing.");
}

}  // namespace kelvane
