#include "engine/SevenZipLister.hpp"

#include <string>
#include <utility>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/ListingSteps.hpp"
#include "engine/StreamingSevenZipSLTParser.hpp"
#include "platform/UnicodeText.hpp"
#include "process/ProcessRunner.hpp"
#include "process/SevenZipToolContract.hpp"

namespace kelvane {

ArchiveListing SevenZipLister::listWithSevenZipStreaming(
    const std::filesystem::path& at, const std::optional<std::string>& password,
    std::chrono::steady_clock::time_point startTime,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options) {
    const std::filesystem::path executable =
        ArchiverRun::locate(ArchiverRun::Tool::sevenZip, options.searchFolders);

    StreamingSevenZipSLTParser parser(ListingSteps::upperCasedExtension(at), onCountUpdate,
                                      StreamingSevenZipSLTParser::unnamedStreamPath(at));
    const StreamResult result = ProcessRunner::streamStdoutLines(
        executable, SevenZipToolContract::listArguments(at, password), cancellation,
        [&parser](std::string_view line) { parser.consumeLine(line); });
    parser.flushCurrent();

    if (result.exitCode != 0) {
        throw failureFor(result.exitCode, result.stderrTail, parser.diagnosticSnippet(), password,
                         at);
    }

    std::vector<ArchiveEntry> entries = parser.takeEntries();
    auto index = ListingSteps::buildIndex(entries, options);
    const ArchiveEngineService service;
    const bool needsUnarchiver = service.requiresUnarchiverExtraction(at, parser.formatType());

    ArchiveInfo info;
    info.url = at;
    info.formatName = parser.formatType();
    info.listEngine = ArchiveEngineKind::sevenZip;
    info.extractEngine =
        needsUnarchiver ? ArchiveEngineKind::unarchiver : ArchiveEngineKind::sevenZip;
    info.physicalSize = ArchiveEngineService::fileSize(at);
    info.totalUncompressedSize = parser.totalRaw();
    info.totalCompressedSize = parser.totalPacked() >= 1 ? parser.totalPacked() : info.physicalSize;
    info.fileCount = parser.fileCount();
    info.folderCount = ListingSteps::folderCount(*index);
    info.isSolid = parser.isSolid();
    info.hasEncryptedEntries = parser.anyEncrypted();
    info.isMultiVolume = parser.isMultiVolume();
    info.volumeCount = parser.volumeCount();
    info.isModifiable =
        service.isWritableArchive(at) && !parser.isMultiVolume() && !needsUnarchiver;
    info.loadDurationMs = ListingSteps::loadDurationMs(startTime);
    return ArchiveListing(std::move(info), std::move(entries), std::move(index));
}

ArchiveEngineError SevenZipLister::failureFor(std::int32_t exitCode, std::string_view stderrTail,
                                              std::string_view diagnosticSnippet,
                                              const std::optional<std::string>& password,
                                              const std::filesystem::path& at) {
    std::string evidence(stderrTail);
    evidence.push_back('\n');
    evidence.append(diagnosticSnippet);
    evidence = UnicodeText::lowercased(evidence);
    if (evidence.find("wrong password") != std::string::npos ||
        evidence.find("can not open encrypted archive") != std::string::npos) {
        return ArchiverRun::passwordError(password && !password->empty());
    }
    // The password phrases are settled above, where the listing's header counts too.
    return ArchiverRun::failureOf({exitCode, {}, std::string(stderrTail)},
                                  {ArchiverRun::Tool::sevenZip, "7zz list", {}, false, false, at});
}

}  // namespace kelvane
