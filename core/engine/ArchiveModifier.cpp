#include "engine/ArchiveModifier.hpp"

#include <string_view>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/SevenZipListFile.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
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

    (void)runSevenZip(tool,
                      SevenZipToolContract::deleteArguments(listing.info().url, listFile.path(),
                                                            password.value_or(std::string())),
                      "delete", cancellation, onProgress);
    notifyProgress(onProgress, 1.0);
}

}  // namespace kelvane
