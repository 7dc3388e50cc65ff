#include "engine/TarStreamLister.hpp"

#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ListingSteps.hpp"
#include "engine/StreamingSevenZipSLTParser.hpp"
#include "engine/TarStreamRoute.hpp"
#include "engine/UnarchiverLister.hpp"
#include "model/TarStreamFacts.hpp"
#include "platform/UnicodeText.hpp"
#include "process/ProcessPipeline.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// Watches the technical listing beside the parser for what extraction needs: entries no
// extraction may recreate (device nodes, FIFOs and sockets, told apart by the first letter
// of their "Mode") and the targets of hard links.
class TarStreamFactsCollector final {
public:
    void consumeLine(std::string_view line) {
        if (line.empty()) {
            if (!path_.empty()) {
                if (special_) facts_.unrestorableEntryPaths.push_back(path_);
                if (!linkTarget_.empty()) facts_.hardLinkTargets.emplace(path_, linkTarget_);
            }
            special_ = false;
            path_.clear();
            linkTarget_.clear();
        } else if (line.front() == 'P' && line.starts_with("Path = ")) {
            path_.assign(line.substr(7));
        } else if (line.front() == 'M' && line.starts_with("Mode = ") && line.size() > 7) {
            const char type = line[7];
            special_ = type == 'c' || type == 'b' || type == 'p' || type == 's';
        } else if (line.front() == 'H' && line.starts_with("Hard Link = ")) {
            linkTarget_.assign(line.substr(12));
        }
    }
    void finish() { consumeLine({}); }
    [[nodiscard]] bool empty() const {
        return facts_.unrestorableEntryPaths.empty() && facts_.hardLinkTargets.empty();
    }
    [[nodiscard]] const TarStreamFacts& facts() const { return facts_; }
    TarStreamFacts take() { return std::move(facts_); }

private:
    std::string path_;
    std::string linkTarget_;
    bool special_ = false;
    TarStreamFacts facts_;
};

// A tar stores a hard link's data once, with the entry it links to, and the link itself
// with size 0; the link shows the size of the file it becomes on extraction. Returns the
// bytes added.
std::int64_t sizeHardLinksAsTheirTargets(
    std::vector<ArchiveEntry>& entries,
    const std::unordered_map<std::string, std::string>& hardLinkTargets) {
    if (hardLinkTargets.empty()) return 0;
    std::unordered_map<std::string_view, std::int64_t> targetSizes;
    for (const auto& [link, target] : hardLinkTargets) targetSizes.emplace(target, 0);
    for (const ArchiveEntry& entry : entries) {
        if (const auto target = targetSizes.find(entry.rawPath()); target != targetSizes.end()) {
            target->second = entry.uncompressedSize();
        }
    }
    std::int64_t added = 0;
    for (ArchiveEntry& entry : entries) {
        if (entry.isDirectory() || entry.uncompressedSize() != 0) continue;
        const auto link = hardLinkTargets.find(std::string(entry.rawPath()));
        if (link == hardLinkTargets.end()) continue;
        const std::int64_t size = targetSizes.at(link->second);
        if (size <= 0) continue;
        entry = ArchiveEntry(entry.rawPath(), false, size, entry.compressedSize(),
                             entry.modifiedDate(), entry.isEncrypted(), entry.crc32(),
                             entry.method(), entry.xadIndex());
        added += size;
    }
    return added;
}

struct Attempt {
    std::optional<ArchiveListing> listing;
    std::string failure;
};

std::string trimmed(std::string_view text) {
    return std::string(UnicodeText::trimmedWhitespace(text));
}

std::string failureText(const PipelineResult& result, std::string_view producerName) {
    // The producer speaks of the damage ("Unexpected end of data"); the consumer then only
    // of a short stream. Both tails are kept, the producer's first.
    std::string text = trimmed(result.producer.stderrTail);
    const std::string consumer = trimmed(result.consumer.stderrTail);
    if (!consumer.empty()) text += (text.empty() ? "" : "\n") + consumer;
    if (text.empty()) {
        text = std::string(producerName) + " failed (exit " +
               std::to_string(result.producer.exitCode) + ")";
    }
    return text;
}

Attempt attempt(const fs::path& at, const ProcessPipeline::Tool& producer,
                const fs::path& sevenZip, std::chrono::steady_clock::time_point startTime,
                const std::shared_ptr<ProcessCancellationToken>& cancellation,
                const std::function<void(std::int64_t)>& onCountUpdate,
                const ListingOptions& options, bool acceptEmpty) {
    StreamingSevenZipSLTParser parser("TAR", onCountUpdate);
    TarStreamFactsCollector facts;
    const PipelineResult result = ProcessPipeline::streamStdoutLines(
        producer, {sevenZip, TarStreamRoute::sevenZipStreamListArguments()}, cancellation,
        [&](std::string_view line) {
            parser.consumeLine(line);
            if (parser.inEntries()) facts.consumeLine(line);
        });
    parser.flushCurrent();
    facts.finish();
    if (!result.succeeded() || !parser.inEntries()) {
        return {std::nullopt, failureText(result, producer.executable.filename().string())};
    }
    // 7-Zip reads a stream that is no tar at all (a gzip'd cpio, a compressed text) as an
    // empty tar; only bsdtar, which knows every format it reads, may call a stream empty.
    if (parser.entries().empty() && !acceptEmpty) {
        return {std::nullopt, "The stream holds no tar entries."};
    }

    std::vector<ArchiveEntry> entries = parser.takeEntries();
    const std::int64_t linkedBytes =
        sizeHardLinksAsTheirTargets(entries, facts.facts().hardLinkTargets);
    auto index = ListingSteps::buildIndex(entries, options);
    const TarStreamRoute::Kind kind = TarStreamRoute::kindOf(at);

    ArchiveInfo info;
    info.url = at;
    info.formatName = TarStreamRoute::formatName(at, true);
    info.listEngine = ArchiveEngineKind::tarStream;
    info.extractEngine = ArchiveEngineKind::tarStream;
    info.physicalSize = ArchiveEngineService::fileSize(at);
    info.totalUncompressedSize = parser.totalRaw() + linkedBytes;
    // Sizes inside a compressed stream have no packed share of their own.
    info.totalCompressedSize = info.physicalSize;
    info.fileCount = parser.fileCount();
    info.folderCount = ListingSteps::folderCount(*index);
    // One entry is reached only by unpacking everything before it.
    info.isSolid = !(kind == TarStreamRoute::Kind::package && info.formatName == "CPIO");
    info.isModifiable = false;
    if (!facts.empty()) info.tarStreamFacts = std::make_shared<const TarStreamFacts>(facts.take());
    info.loadDurationMs = ListingSteps::loadDurationMs(startTime);
    return {ArchiveListing(std::move(info), std::move(entries), std::move(index)), {}};
}

// The unarchiver shows a stream it cannot open as an archive (a damaged tarball, the
// payload of a package) as one compressed file; that is not a listing of its content.
bool showsOneStream(const ArchiveListing& listing) {
    const auto& entries = listing.entries();
    return entries.empty() || (entries.size() == 1 && !entries.front().isDirectory());
}

}  // namespace

std::optional<ArchiveListing> TarStreamLister::list(
    const fs::path& at, const std::optional<std::string>& password,
    std::chrono::steady_clock::time_point startTime,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options) {
    const TarStreamRoute::Kind kind = TarStreamRoute::kindOf(at);
    if (kind == TarStreamRoute::Kind::none) return std::nullopt;

    const auto sevenZip = BinaryLocator::sevenZipURL(options.searchFolders);
    const auto bsdtar = BinaryLocator::bsdtarURL(options.searchFolders);
    std::vector<ProcessPipeline::Tool> producers;
    if (sevenZip && kind != TarStreamRoute::Kind::package) {
        producers.push_back({*sevenZip, TarStreamRoute::sevenZipUnpackArguments(at)});
    }
    if (sevenZip && bsdtar) {
        producers.push_back({*bsdtar, TarStreamRoute::bsdtarRewriteArguments(at)});
    }

    std::string failures;
    for (const ProcessPipeline::Tool& producer : producers) {
        Attempt result =
            attempt(at, producer, *sevenZip, startTime, cancellation, onCountUpdate, options,
                    producer.executable == bsdtar && kind != TarStreamRoute::Kind::compressedSingle);
        if (result.listing) return std::move(result.listing);
        if (!failures.empty()) failures += '\n';
        failures += result.failure;
    }
    // A compressed file holding no archive lists as that one file, through the usual route.
    if (kind == TarStreamRoute::Kind::compressedSingle) return std::nullopt;

    try {
        ArchiveListing listing =
            UnarchiverLister::listWithLsar(at, password, startTime, cancellation, options);
        if (!showsOneStream(listing)) return listing;
    } catch (const ArchiveEngineError& error) {
        if (error.kind() == ArchiveEngineError::Case::cancelled) throw;
        const std::string message = error.errorDescription();
        if (!message.empty()) failures += (failures.empty() ? "" : "\n") + message;
    }
    if (producers.empty()) {
        throw ArchiveEngineError::binaryNotFound(sevenZip ? "bsdtar" : "7zz");
    }
    throw ArchiveEngineError::processFailed(failures.empty() ? "The archive could not be read."
                                                             : failures);
}

}  // namespace kelvane
