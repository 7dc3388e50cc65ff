#include "engine/UnarchiverLister.hpp"

#include <initializer_list>
#include <string>
#include <utility>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ListingSteps.hpp"
#include "engine/LsarJsonListingReader.hpp"
#include "platform/UnicodeText.hpp"
#include "process/ProcessRunner.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

// What the tool said, lower-cased. A JSON document on standard output (whole or cut short)
// is data, not a message: its entry names must not pass for one, or a damaged archive
// holding "passwords.txt" would be reported as needing a password. The tool prints its
// messages on standard error.
std::string evidenceOf(std::string_view standardOutput, std::string_view standardError) {
    const std::size_t first = standardOutput.find_first_not_of(" \t\r\n");
    const bool isDocument = first != std::string_view::npos && standardOutput[first] == '{';
    std::string evidence(isDocument ? std::string_view() : standardOutput);
    evidence.push_back('\n');
    evidence.append(standardError);
    return UnicodeText::lowercased(evidence);
}

bool mentionsAny(const std::string& evidence, std::initializer_list<std::string_view> phrases) {
    for (const std::string_view phrase : phrases) {
        if (evidence.find(phrase) != std::string::npos) return true;
    }
    return false;
}

ArchiveEngineError passwordFailure(const std::optional<std::string>& password) {
    return password && !password->empty() ? ArchiveEngineError::wrongPassword()
                                          : ArchiveEngineError::passwordRequired();
}

}  // namespace

ArchiveListing UnarchiverLister::listWithLsar(
    const std::filesystem::path& at, const std::optional<std::string>& password,
    std::chrono::steady_clock::time_point startTime,
    const std::shared_ptr<ProcessCancellationToken>& cancellation, const ListingOptions& options) {
    const auto executable = BinaryLocator::lsarURL(options.searchFolders);
    if (!executable) {
        throw ArchiveEngineError::binaryNotFound(std::string(UnarchiverToolContract::kListerName));
    }

    const ProcessResult result =
        ProcessRunner::run(*executable, UnarchiverToolContract::listArguments(at, password), {}, {},
                           /*captureFullStdout=*/true, cancellation);
    if (result.exitCode != 0) {
        throw failureFor(result.exitCode, result.stdoutString(), result.stderrString(), password);
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
                                                const std::optional<std::string>& password) {
    if (mentionsAny(evidenceOf(standardOutput, standardError),
                    {"password", "encrypted", "decryption"})) {
        return passwordFailure(password);
    }
    const std::string_view message = UnicodeText::trimmedWhitespace(standardError);
    if (!message.empty()) return ArchiveEngineError::processFailed(std::string(message));
    return ArchiveEngineError::processFailed("lsar failed (exit " + std::to_string(exitCode) + ")");
}

ArchiveEngineError UnarchiverLister::undecodableFailure(
    std::string_view standardOutput, std::string_view standardError,
    const std::optional<std::string>& password) {
    if (mentionsAny(evidenceOf(standardOutput, standardError), {"password"})) {
        return passwordFailure(password);
    }
    return ArchiveEngineError::processFailed("Could not decode lsar archive listing.");
}

}  // namespace kelvane
