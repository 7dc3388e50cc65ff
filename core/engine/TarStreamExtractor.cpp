#include "engine/TarStreamExtractor.hpp"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveTester.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/ExtractionLinkGuard.hpp"
#include "engine/SevenZipListFile.hpp"
#include "engine/TarPatternFile.hpp"
#include "engine/TarStreamRoute.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "model/TarStreamFacts.hpp"
#include "platform/UnicodeText.hpp"
#include "process/LineSplitter.hpp"
#include "process/ProcessPipeline.hpp"
#include "process/ProcessRunner.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kListFilePrefix = "kelvane-extract-";
constexpr std::string_view kExcludeFilePrefix = "kelvane-exclude-";
// Progress is handed on at most once per this many entries, or per this share.
constexpr std::int64_t kReportEveryEntries = 256;
constexpr double kReportEveryFraction = 0.005;

fs::path locateBsdtar(const BinaryLocator::SearchFolders& searchFolders) {
    return ArchiverRun::locate(ArchiverRun::Tool::bsdtar, searchFolders);
}

// The tool's own complaints ("bsdtar: …", "x name: Can't …"), without the plain
// "x name" lines ("a name" when it writes a stream) of "-v".
std::string complaintsIn(std::string_view text, std::string_view fallback, int exitCode,
                         std::string_view entryPrefix = "x ") {
    std::string complaints;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = UnicodeText::trimmedWhitespace(text.substr(start, end - start));
        // An entry's own failure follows its "x name" on the same line, after ": ".
        const bool entryLine =
            line.starts_with(entryPrefix) && line.find(": ") == std::string_view::npos;
        if (!line.empty() && !entryLine) {
            if (!complaints.empty()) complaints += '\n';
            complaints += line;
        }
        start = end + 1;
    }
    if (complaints.empty()) {
        complaints = std::string(fallback) + " (exit " + std::to_string(exitCode) + ")";
    }
    return complaints;
}

// Turns bsdtar's "x name" lines (extracting; "a name" when it re-writes the archive as a
// stream) into a fraction of the bytes to write: the tool names each entry as it starts on
// it, in archive order, which is the listing's order.
class WrittenBytesProgress final {
public:
    WrittenBytesProgress(std::vector<std::int64_t> sizes, std::string_view entryPrefix)
        : sizes_(std::move(sizes)), entryPrefix_(entryPrefix) {
        for (const std::int64_t size : sizes_) total_ += std::max<std::int64_t>(size, 0);
    }

    // The last report the chunk's lines gave, if any.
    std::optional<ProgressReport> consume(std::string_view chunk) {
        std::optional<ProgressReport> report;
        splitter_.feed(chunk, [this, &report](std::string_view line) {
            if (auto lineReport = consumeLine(line)) report = std::move(lineReport);
        });
        return report;
    }

private:
    std::optional<ProgressReport> consumeLine(std::string_view line) {
        if (!line.starts_with(entryPrefix_)) return std::nullopt;
        if (next_ < sizes_.size()) done_ += std::max<std::int64_t>(sizes_[next_++], 0);
        ++sinceReport_;
        const double fraction =
            total_ > 0 ? static_cast<double>(done_) / static_cast<double>(total_)
                       : static_cast<double>(next_) / static_cast<double>(std::max<std::size_t>(sizes_.size(), 1));
        // The entry just named is still being written.
        const double shown = std::min(fraction, 0.99);
        if (sinceReport_ >= kReportEveryEntries || shown - lastShown_ >= kReportEveryFraction) {
            sinceReport_ = 0;
            lastShown_ = shown;
            return ProgressReport{shown, std::string(line.substr(entryPrefix_.size()))};
        }
        return std::nullopt;
    }

    std::vector<std::int64_t> sizes_;
    std::string_view entryPrefix_;
    LineSplitter splitter_;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    std::size_t next_ = 0;
    std::int64_t sinceReport_ = 0;
    double lastShown_ = 0.0;
};

std::vector<std::int64_t> sizesInArchiveOrder(const ArchiveListing& listing,
                                              const std::vector<ArchiveEntry>& targets) {
    std::vector<std::int64_t> sizes;
    if (targets.empty()) {
        sizes.reserve(listing.entries().size());
        for (const ArchiveEntry& entry : listing.entries()) sizes.push_back(entry.uncompressedSize());
        return sizes;
    }
    std::unordered_set<std::string_view> wanted;
    wanted.reserve(targets.size());
    for (const ArchiveEntry& target : targets) wanted.insert(target.rawPath());
    for (const ArchiveEntry& entry : listing.entries()) {
        if (wanted.contains(entry.rawPath())) sizes.push_back(entry.uncompressedSize());
    }
    return sizes;
}

void extractRenaming(const ArchiveListing& listing, const std::vector<ArchiveEntry>& targets,
                     const fs::path& destination, const ExtractArchiveOptions& options,
                     const std::shared_ptr<ProcessCancellationToken>& cancellation,
                     const ProgressHandler& onProgress,
                     const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path bsdtar = locateBsdtar(searchFolders);
    const fs::path sevenZip = ArchiverRun::locate(ArchiverRun::Tool::sevenZip, searchFolders);
    std::optional<SevenZipListFile> listFile;
    if (!targets.empty()) {
        std::vector<std::string> names;
        names.reserve(targets.size());
        for (const ArchiveEntry& target : targets) names.emplace_back(target.rawPath());
        listFile.emplace(kListFilePrefix, names);
    }
    // bsdtar re-writes the whole archive whatever the selection, so its progress through the
    // whole archive is the progress of the run.
    WrittenBytesProgress progress(sizesInArchiveOrder(listing, {}), "a ");
    const PipelineResult result = ProcessPipeline::streamStdoutLines(
        {bsdtar, TarStreamRoute::bsdtarRewriteArguments(listing.info().url, true)},
        {sevenZip, TarStreamRoute::sevenZipStreamExtractArguments(
                        destination, options.overwriteMode,
                        listFile ? std::optional<fs::path>(listFile->path()) : std::nullopt)},
        cancellation, {}, [&](std::string_view chunk) {
            if (!onProgress) return;
            if (auto report = progress.consume(chunk)) onProgress(*report);
        });
    if (!result.succeeded()) {
        std::string message =
            result.producer.exitCode == 0
                ? std::string()
                : complaintsIn(result.producer.stderrTail, "bsdtar failed",
                               result.producer.exitCode, "a ");
        const std::string_view consumer = UnicodeText::trimmedWhitespace(result.consumer.stderrTail);
        if (!consumer.empty()) message += (message.empty() ? "" : "\n") + std::string(consumer);
        if (message.empty()) {
            message = "7zz extract failed (exit " + std::to_string(result.consumer.exitCode) + ")";
        }
        throw ArchiveEngineError::processFailed(message);
    }
}

}  // namespace

void TarStreamExtractor::extract(const ArchiveListing& listing,
                                 const std::vector<ArchiveEntry>& selectedEntries,
                                 const fs::path& destination, const ExtractArchiveOptions& options,
                                 const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                 const ProgressHandler& onProgress,
                                 const BinaryLocator::SearchFolders& searchFolders) {
    std::vector<ArchiveEntry> targets;
    if (!selectedEntries.empty() && listing.tree()) {
        targets = listing.tree()->descendantEntries(selectedEntries);
    }
    ExtractionLinkGuard::secure(destination,
                                targets.empty() ? std::span<const ArchiveEntry>(listing.entries())
                                                : std::span<const ArchiveEntry>(targets),
                                options.overwriteMode);

    if (options.overwriteMode == ExtractOverwriteMode::autoRename) {
        extractRenaming(listing, targets, destination, options, cancellation, onProgress,
                        searchFolders);
        notifyProgress(onProgress, 1.0);
        return;
    }

    const fs::path bsdtar = locateBsdtar(searchFolders);
    std::optional<TarPatternFile> excluded;
    const auto& facts = listing.info().tarStreamFacts;
    if (facts && !facts->unrestorableEntryPaths.empty()) {
        excluded.emplace(kExcludeFilePrefix,
                         std::vector<std::string_view>(facts->unrestorableEntryPaths.begin(),
                                                       facts->unrestorableEntryPaths.end()));
    }
    std::optional<TarPatternFile> included;
    if (!targets.empty()) {
        std::vector<std::string_view> names;
        names.reserve(targets.size());
        for (const ArchiveEntry& target : targets) {
            names.push_back(target.rawPath());
            // bsdtar links a hard link to its target as written; without it the link fails.
            if (!facts) continue;
            if (const auto link = facts->hardLinkTargets.find(std::string(target.rawPath()));
                link != facts->hardLinkTargets.end()) {
                names.push_back(link->second);
            }
        }
        included.emplace(kListFilePrefix, names);
    }

    WrittenBytesProgress progress(sizesInArchiveOrder(listing, targets), "x ");
    const ProcessResult result = ArchiverRun::run(
        {bsdtar, TarStreamRoute::bsdtarExtractArguments(
                     listing.info().url, destination, options.overwriteMode,
                     excluded ? std::optional<fs::path>(excluded->path()) : std::nullopt,
                     included ? std::optional<fs::path>(included->path()) : std::nullopt)},
        cancellation, [&progress](std::string_view chunk) { return progress.consume(chunk); },
        onProgress);
    if (result.exitCode != 0) {
        throw ArchiveEngineError::processFailed(
            complaintsIn(result.stderrString(), "bsdtar extract failed", result.exitCode));
    }
    notifyProgress(onProgress, 1.0);
}

ArchiveTestResult TarStreamExtractor::test(
    const ArchiveListing& listing, const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path bsdtar = locateBsdtar(searchFolders);
    const std::int64_t expected = std::max<std::int64_t>(listing.info().fileCount, 1);
    std::int64_t filesRead = 0;
    const StreamResult result = ProcessRunner::streamStdoutLines(
        bsdtar, TarStreamRoute::bsdtarTestArguments(listing.info().url), cancellation,
        [&](std::string_view line) {
            // "-v" lines start with the mode; a folder's with "d".
            if (line.empty() || line.front() == 'd') return;
            ++filesRead;
            if (filesRead % kReportEveryEntries == 0) {
                notifyProgress(
                    onProgress,
                    std::min(static_cast<double>(filesRead) / static_cast<double>(expected), 0.99),
                    std::string(line));
            }
        });
    if (result.exitCode != 0) {
        return {false, filesRead,
                complaintsIn(result.stderrTail, "bsdtar test failed", result.exitCode)};
    }
    notifyProgress(onProgress, 1.0);
    return {true, filesRead, ArchiveTester::unarchiverSummary(filesRead)};
}

}  // namespace kelvane
