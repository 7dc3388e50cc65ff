#include "engine/ArchiveModifier.hpp"

#include <algorithm>
#include <optional>
#include <string_view>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/SevenZipListFile.hpp"
#include "engine/StrictDecimal.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/S.hpp"
#include "process/SevenZipToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

fs::path locateSevenZip(const BinaryLocator::SearchFolders& searchFolders) {
    return ArchiverRun::locate(ArchiverRun::Tool::sevenZip, searchFolders);
}

// Runs 7-Zip with its percentages fed to the callback; a failure carries the tool's error
// text, or "7zz <operation> failed (exit N)" when it printed none. Password words are not
// looked for: 7-Zip's message about a wrong password is shown as it is.
ProcessResult runSevenZip(const fs::path& tool, const std::vector<std::string>& arguments,
                          std::string_view operation,
                          const std::shared_ptr<ProcessCancellationToken>& cancellation,
                          const ProgressHandler& onProgress) {
    ProcessResult result = ArchiverRun::run({tool, arguments}, cancellation,
                                            ArchiverRun::sevenZipPercentages(), onProgress);
    ArchiverRun::expectSuccess(
        result, {ArchiverRun::Tool::sevenZip, "7zz " + std::string(operation), {}, false});
    return result;
}

// The files 7-Zip reports under "Delete data from archive: 1 folder, 2 files, …"; none when
// the kept output tail no longer holds that line. A run that deletes nothing prints no such
// line, so then nothing matched only when the tail still holds the start of the run.
std::optional<std::int64_t> deletedFileCount(std::string_view output) {
    constexpr std::string_view kLabel = "Delete data from archive:";
    const std::size_t at = output.find(kLabel);
    if (at == std::string_view::npos) {
        if (output.find("Updating archive") != std::string_view::npos) return 0;
        return std::nullopt;
    }
    std::string_view line = output.substr(at + kLabel.size());
    line = line.substr(0, line.find('\n'));
    for (std::size_t word = line.find(" file"); word != std::string_view::npos;
         word = line.find(" file", word + 1)) {
        std::size_t start = word;
        while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9') --start;
        if (start == word) continue;
        return StrictDecimal::parseInt64(line.substr(start, word - start)).value_or(0);
    }
    return 0;
}

}  // namespace

void ArchiveModifier::addFiles(const std::vector<fs::path>& items, const fs::path& archive,
                               const std::optional<std::string>& password,
                               const std::shared_ptr<ProcessCancellationToken>& cancellation,
                               const ProgressHandler& onProgress,
                               const BinaryLocator::SearchFolders& searchFolders) {
    if (!ArchiveEngineService().isWritableArchive(archive)) {
        throw ArchiveEngineError::unsupportedModification();
    }
    const fs::path tool = locateSevenZip(searchFolders);
    std::vector<fs::path> absoluteItems;
    absoluteItems.reserve(items.size());
    for (const fs::path& item : items) absoluteItems.push_back(fs::absolute(item));
    (void)runSevenZip(tool,
                      SevenZipToolContract::addArguments(fs::absolute(archive), absoluteItems,
                                                         password.value_or(std::string())),
                      "add", cancellation, onProgress);
    notifyProgress(onProgress, 1.0);
}

void ArchiveModifier::deleteEntries(std::span<const ArchiveEntry> entries,
                                    const ArchiveListing& listing,
                                    const std::optional<std::string>& password,
                                    const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                    const ProgressHandler& onProgress,
                                    const BinaryLocator::SearchFolders& searchFolders) {
    if (!listing.info().isModifiable) throw ArchiveEngineError::unsupportedModification();
    const fs::path tool = locateSevenZip(searchFolders);

    const std::vector<ArchiveEntry> targets = listing.tree()->descendantEntries(entries);
    if (targets.empty()) return;

    std::vector<std::string> names;
    names.reserve(targets.size());
    for (const ArchiveEntry& target : targets) names.emplace_back(target.rawPath());
    const SevenZipListFile listFile("kelvane-del-", names);

    const ProcessResult result =
        runSevenZip(tool,
                    SevenZipToolContract::deleteArguments(listing.info().url, listFile.path(),
                                                          password.value_or(std::string())),
                    "delete", cancellation, onProgress);
    // 7-Zip succeeds without deleting anything when a listed name matches nothing (a name
    // that was not valid UTF-8 and was repaired for display, for one).
    const auto asked = static_cast<std::int64_t>(std::count_if(
        targets.begin(), targets.end(), [](const ArchiveEntry& e) { return !e.isDirectory(); }));
    const std::int64_t deleted = deletedFileCount(result.stdoutString()).value_or(asked);
    if (deleted < asked) {
        throw ArchiveEngineError::processFailed(
            S::t("Only ", "Seçilen ") + std::to_string(deleted) + S::t(" of ", " / ") +
            std::to_string(asked) +
            S::t(" selected files were found in the archive under their listed names and "
                 "deleted. Names that are not valid UTF-8 cannot be picked out one by one.",
                 " dosya listelenen adıyla arşivde bulunup silindi. Geçerli UTF-8 olmayan adlar "
                 "tek tek seçilemez."));
    }
    notifyProgress(onProgress, 1.0);
}

}  // namespace kelvane
