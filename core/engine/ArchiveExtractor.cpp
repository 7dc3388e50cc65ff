#include "engine/ArchiveExtractor.hpp"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ExtractionLinkGuard.hpp"
#include "engine/SevenZipListFile.hpp"
#include "engine/TarStreamExtractor.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "platform/UnicodeText.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/ProcessRunner.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kListFilePrefix = "kelvane-extract-";

const ArchiveDirectoryIndex& indexOf(const ArchiveListing& listing) {
    return listing.tree() ? *listing.tree() : ArchiveDirectoryIndex::empty();
}

bool hasPassword(const ExtractArchiveOptions& options) {
    return options.password && !options.password->empty();
}

bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view lowerSuffix) {
    if (text.size() < lowerSuffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - lowerSuffix.size());
    return std::equal(tail.begin(), tail.end(), lowerSuffix.begin(), [](char a, char b) {
        const char lower = a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a;
        return lower == b;
    });
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Output of both streams of a failed run, lower-cased, for the password phrases.
std::string lowercasedOutput(const ProcessResult& result) {
    return UnicodeText::lowercased(result.stdoutString() + "\n" + result.stderrString());
}

std::string failureMessage(const ProcessResult& result, std::string_view fallback) {
    const std::string errorText = result.stderrString();
    const std::string_view trimmed = UnicodeText::trimmedWhitespace(errorText);
    if (!trimmed.empty()) return std::string(trimmed);
    return std::string(fallback) + " (exit " + std::to_string(result.exitCode) + ")";
}

void reportProgress(const ArchiveExtractor::ProgressCallback& onProgress, double fraction,
                    std::string_view detail) {
    if (onProgress) onProgress(fraction, detail);
}

}  // namespace

fs::path ArchiveExtractor::extract(const ArchiveListing& listing,
                                   const std::vector<ArchiveEntry>& selectedEntries,
                                   const ExtractArchiveOptions& options,
                                   const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                   const ProgressCallback& onProgress,
                                   const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path destination = resolveDestinationDirectory(listing, selectedEntries, options);
    fs::create_directories(destination);
    if (listing.info().extractEngine == ArchiveEngineKind::tarStream) {
        TarStreamExtractor::extract(listing, selectedEntries, destination, options, cancellation,
                                    onProgress, searchFolders);
    } else if (listing.info().extractEngine == ArchiveEngineKind::unarchiver) {
        extractWithUnar(listing, selectedEntries, destination, options, cancellation, onProgress,
                        searchFolders);
    } else {
        extractWithSevenZip(listing, selectedEntries, destination, options, cancellation,
                            onProgress, searchFolders);
    }
    return destination;
}

fs::path ArchiveExtractor::resolveDestinationDirectory(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const ExtractArchiveOptions& options) {
    if (!options.smartSubfolder || !selectedEntries.empty() ||
        indexOf(listing).hasSingleRootFolder()) {
        return options.destinationFolder;
    }
    return options.destinationFolder / cleanArchiveBaseName(listing.info().url);
}

std::string ArchiveExtractor::cleanArchiveBaseName(const fs::path& from) {
    fs::path last = from.filename();
    if (last.empty()) last = from.parent_path().filename();
    std::string name = last.string();
    static constexpr std::string_view kSuffixes[] = {
        ".tar.gz", ".tar.bz2", ".tar.xz", ".tar.zst", ".part1.rar", ".part01.rar", ".part001.rar"};
    bool matched = false;
    // The suffixes are ASCII, and only ASCII letters lower-case into ASCII letters, so
    // comparing the original name ASCII-insensitively is the same as comparing its
    // lower-cased copy, and the characters to drop are exactly the suffix's bytes.
    for (const std::string_view suffix : kSuffixes) {
        if (endsWithIgnoringAsciiCase(name, suffix)) {
            name.resize(name.size() - suffix.size());
            matched = true;
            break;
        }
    }
    if (!matched) {
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    }
    return name.empty() ? std::string("Extracted") : name;
}

std::string ArchiveExtractor::escapeUnarGlob(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '*' || c == '?' || c == '[' || c == ']') escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

void ArchiveExtractor::extractWithSevenZip(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const fs::path& destination, const ExtractArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressCallback& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const auto executable = BinaryLocator::sevenZipURL(searchFolders);
    if (!executable) {
        throw ArchiveEngineError::binaryNotFound(std::string(SevenZipToolContract::kToolName));
    }

    std::vector<ArchiveEntry> targets;
    if (!selectedEntries.empty()) targets = indexOf(listing).descendantEntries(selectedEntries);
    ExtractionLinkGuard::secure(destination,
                                targets.empty() ? std::span<const ArchiveEntry>(listing.entries())
                                                : std::span<const ArchiveEntry>(targets),
                                options.overwriteMode);

    // Removed by its destructor on every way out, a failed or cancelled run included.
    std::optional<SevenZipListFile> listFile;
    if (!targets.empty()) {
        std::vector<std::string> names;
        names.reserve(targets.size());
        for (const ArchiveEntry& target : targets) names.emplace_back(target.rawPath());
        listFile.emplace(kListFilePrefix, names);
    }
    // 7-Zip replaces a "*" in its output folder with the archive's name, whatever "-spd"
    // says, so such a folder is reached as the working directory instead; the other paths
    // are made absolute for that run.
    const bool starInDestination = destination.native().find('*') != std::string::npos;
    const auto runPath = [starInDestination](const fs::path& path) {
        return starInDestination ? fs::absolute(path) : path;
    };
    const std::vector<std::string> arguments = SevenZipToolContract::extractArguments(
        runPath(listing.info().url), starInDestination ? fs::path(".") : destination,
        options.overwriteMode, options.password,
        listFile ? std::optional<fs::path>(runPath(listFile->path())) : std::nullopt);

    const ProcessResult result = ProcessRunner::run(
        *executable, arguments,
        starInDestination ? std::optional<fs::path>(destination) : std::nullopt, std::nullopt,
        false, cancellation, [&onProgress](std::string_view chunk) {
            if (!onProgress) return;
            if (const auto report = ArchiveEngineService::parseSevenZipProgress(chunk)) {
                onProgress(report->fraction, report->detail);
            }
        });
    listFile.reset();

    if (result.exitCode == 0) {
        reportProgress(onProgress, 1.0, {});
        return;
    }
    const std::string output = lowercasedOutput(result);
    if (contains(output, "wrong password") || contains(output, "encrypted")) {
        throw hasPassword(options) ? ArchiveEngineError::wrongPassword()
                                   : ArchiveEngineError::passwordRequired();
    }
    throw ArchiveEngineError::processFailed(failureMessage(result, "7zz extract failed"));
}

void ArchiveExtractor::extractWithUnar(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const fs::path& destination, const ExtractArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressCallback& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const auto executable = BinaryLocator::unarURL(searchFolders);
    if (!executable) {
        throw ArchiveEngineError::binaryNotFound(
            std::string(UnarchiverToolContract::kExtractorName));
    }
    const fs::path& archive = listing.info().url;
    const bool hadPassword = hasPassword(options);

    const auto runOnce = [&](LineProgressCounter& counter, bool indexMode,
                             const std::vector<std::string>& selectors) {
        const ProcessResult result = ProcessRunner::run(
            *executable,
            UnarchiverToolContract::extractArguments(archive, destination, options.overwriteMode,
                                                     options.password, indexMode, selectors),
            std::nullopt, std::nullopt, false, cancellation,
            [&counter, &onProgress](std::string_view chunk) {
                if (!onProgress) return;
                if (const auto report = counter.consume(chunk)) {
                    onProgress(report->fraction, report->detail);
                }
            });
        validateUnarResult(result, hadPassword);
    };

    if (selectedEntries.empty()) {
        ExtractionLinkGuard::secure(destination, listing.entries(), options.overwriteMode);
        LineProgressCounter counter(listing.info().fileCount < 2 ? 1 : listing.info().fileCount);
        runOnce(counter, false, {});
        reportProgress(onProgress, 1.0, {});
        return;
    }

    const std::vector<ArchiveEntry> all = indexOf(listing).descendantEntries(selectedEntries);
    std::vector<ArchiveEntry> targets;
    std::copy_if(all.begin(), all.end(), std::back_inserter(targets),
                 [](const ArchiveEntry& entry) { return !entry.isDirectory(); });
    if (targets.empty()) targets = all;

    const bool indexMode =
        !targets.empty() && std::all_of(targets.begin(), targets.end(), [](const ArchiveEntry& e) {
            return e.xadIndex().has_value();
        });
    std::vector<std::string> selectors;
    selectors.reserve(targets.size());
    for (const ArchiveEntry& target : targets) {
        selectors.push_back(indexMode ? std::to_string(*target.xadIndex())
                                      : escapeUnarGlob(target.rawPath()));
    }

    const auto total = static_cast<std::int64_t>(selectors.size());
    LineProgressCounter counter(total < 2 ? 1 : total);
    constexpr std::size_t kBatch = UnarchiverToolContract::kMaxSelectorsPerRun;
    for (std::size_t begin = 0; begin < selectors.size(); begin += kBatch) {
        const std::size_t end = std::min(begin + kBatch, selectors.size());
        // Checked before every batch: an earlier batch may have planted a link a later
        // one would write through.
        ExtractionLinkGuard::secure(
            destination, std::span<const ArchiveEntry>(targets).subspan(begin, end - begin),
            options.overwriteMode);
        const std::vector<std::string> batch(selectors.begin() + static_cast<std::ptrdiff_t>(begin),
                                             selectors.begin() + static_cast<std::ptrdiff_t>(end));
        runOnce(counter, indexMode, batch);
    }
    reportProgress(onProgress, 1.0, {});
}

void ArchiveExtractor::validateUnarResult(const ProcessResult& result, bool hadPassword) {
    if (result.exitCode == 0) return;
    const std::string output = lowercasedOutput(result);
    if (contains(output, "password") || contains(output, "decryption") ||
        contains(output, "wrong")) {
        throw hadPassword ? ArchiveEngineError::wrongPassword()
                          : ArchiveEngineError::passwordRequired();
    }
    throw ArchiveEngineError::processFailed(failureMessage(result, "unar failed"));
}

}  // namespace kelvane
