#include "engine/ArchiveExtractor.hpp"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/ExtractionLinkGuard.hpp"
#include "engine/ExtractionRollback.hpp"
#include "engine/SevenZipListFile.hpp"
#include "engine/TarStreamExtractor.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/S.hpp"
#include "platform/UnicodeText.hpp"
#include "process/LineProgressCounter.hpp"
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

ArchiverRun::FailureRules unarRules(const fs::path& archive, bool passwordPossible,
                                    bool hadPassword) {
    return {ArchiverRun::Tool::unar, "unar",      {"password", "decryption"},
            passwordPossible,        hadPassword, archive};
}

// A name made from an archive's file name becomes one folder below the destination: it must
// be a single ordinary path component, or the files would land beside or above it.
bool isUsableFolderName(std::string_view name) {
    const std::string_view trimmed = UnicodeText::trimmedWhitespace(name);
    if (trimmed.empty() || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return false;
    }
    return trimmed.find_first_not_of(". \t") != std::string_view::npos;
}

std::int64_t fileCountOf(std::span<const ArchiveEntry> entries) {
    return std::count_if(entries.begin(), entries.end(),
                         [](const ArchiveEntry& entry) { return !entry.isDirectory(); });
}

ArchiveEngineError selectionNotFound(std::int64_t done, std::int64_t asked) {
    return ArchiveEngineError::processFailed(
        S::t("Only ", "Seçilen ") + std::to_string(done) + S::t(" of ", " / ") +
        std::to_string(asked) +
        S::t(" selected files were found in the archive under their listed names. Names that "
             "are not valid UTF-8 cannot be picked out one by one; extract the whole archive "
             "instead.",
             " dosya listelenen adıyla arşivde bulunabildi. Geçerli UTF-8 olmayan adlar tek tek "
             "seçilemez; bunun yerine arşivin tamamını çıkarın."));
}

}  // namespace

fs::path ArchiveExtractor::extract(const ArchiveListing& listing,
                                   const std::vector<ArchiveEntry>& selectedEntries,
                                   const ExtractArchiveOptions& options,
                                   const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                   const ProgressHandler& onProgress,
                                   const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path destination = resolveDestinationDirectory(listing, selectedEntries, options);
    // The destination, or the nearest of its parents that exists, must be a folder (the
    // smart subfolder lies one below the folder the user named).
    std::error_code statusError;
    for (fs::path probe = destination; !probe.empty(); probe = probe.parent_path()) {
        if (!fs::exists(probe, statusError)) {
            if (probe == probe.parent_path()) break;
            continue;
        }
        if (!fs::is_directory(probe, statusError)) {
            throw ArchiveEngineError::processFailed(
                S::t("Cannot extract into ", "Şuraya çıkarılamıyor: ") + probe.string() +
                S::t(": it is a file, not a folder.", ": bu bir dosya, klasör değil."));
        }
        break;
    }
    // The folders this run makes for its destination (the smart subfolder, a folder typed in
    // the sheet), deepest first: a run that ends without keeping anything takes them back, so
    // a cancelled or refused extraction leaves no empty folder named after the archive.
    std::vector<fs::path> madeFolders;
    for (fs::path probe = destination; !probe.empty() && !fs::exists(probe, statusError);
         probe = probe.parent_path()) {
        madeFolders.push_back(probe);
        if (probe == probe.parent_path()) break;
    }
    const auto removeMadeFoldersIfEmpty = [&madeFolders]() noexcept {
        for (const fs::path& folder : madeFolders) {
            std::error_code ignored;
            // Removes an empty folder only; one the tool wrote into stays with its files.
            fs::remove(folder, ignored);
        }
    };
    fs::create_directories(destination);

    std::vector<ArchiveEntry> selection;
    if (!selectedEntries.empty()) selection = indexOf(listing).descendantEntries(selectedEntries);
    const ExtractionRollback rollback(
        destination, selectedEntries.empty() ? std::span<const ArchiveEntry>(listing.entries())
                                             : std::span<const ArchiveEntry>(selection));
    try {
        if (listing.info().extractEngine == ArchiveEngineKind::tarStream) {
            TarStreamExtractor::extract(listing, selectedEntries, destination, options,
                                        cancellation, onProgress, searchFolders);
        } else if (listing.info().extractEngine == ArchiveEngineKind::unarchiver) {
            extractWithUnar(listing, selectedEntries, destination, options, cancellation,
                            onProgress, searchFolders);
        } else {
            extractWithSevenZip(listing, selectedEntries, destination, options, cancellation,
                                onProgress, searchFolders);
        }
    } catch (const ArchiveEngineError& error) {
        switch (error.kind()) {
            case ArchiveEngineError::Case::passwordRequired:
            case ArchiveEngineError::Case::wrongPassword:
            case ArchiveEngineError::Case::cancelled:
                rollback.removeCreated();
                removeMadeFoldersIfEmpty();
                throw;
            case ArchiveEngineError::Case::processFailed: {
                const std::int64_t kept = rollback.removeIncomplete();
                removeMadeFoldersIfEmpty();
                throw ArchiveEngineError::processFailed(
                    error.payload() + "\n" +
                    S::t("Complete files written: ", "Eksiksiz yazılan dosya: ") +
                    std::to_string(kept) +
                    S::t("; incomplete files were removed.", "; eksik dosyalar silindi."));
            }
            case ArchiveEngineError::Case::binaryNotFound:
            case ArchiveEngineError::Case::unsupportedModification:
                removeMadeFoldersIfEmpty();
                throw;
        }
        throw;
    } catch (...) {
        removeMadeFoldersIfEmpty();
        throw;
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
    // Never "", "." or "..": those would spill the archive's top items beside the
    // destination's own files, or into its parent.
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
    return isUsableFolderName(name) ? name : std::string(kFallbackFolderName);
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
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path executable = ArchiverRun::locate(ArchiverRun::Tool::sevenZip, searchFolders);

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

    const ProcessResult result =
        ArchiverRun::run({executable, arguments,
                          starInDestination ? std::optional<fs::path>(destination) : std::nullopt},
                         cancellation, ArchiverRun::sevenZipPercentages(), onProgress);
    listFile.reset();

    ArchiverRun::expectSuccess(result, {ArchiverRun::Tool::sevenZip,
                                        "7zz extract",
                                        {"wrong password", "encrypted"},
                                        listing.info().hasEncryptedEntries,
                                        hasPassword(options),
                                        listing.info().url});
    // 7-Zip succeeds with "No files to process" when no listed name matches (a name that
    // was not valid UTF-8 and was repaired for display, for one). Its file count is no
    // measure of a partial match: links it writes are not counted as files.
    if (!targets.empty() &&
        result.stdoutString().find("No files to process") != std::string::npos) {
        throw selectionNotFound(0, std::max<std::int64_t>(fileCountOf(targets), 1));
    }
    notifyProgress(onProgress, 1.0);
}

void ArchiveExtractor::extractWithUnar(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const fs::path& destination, const ExtractArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path executable = ArchiverRun::locate(ArchiverRun::Tool::unar, searchFolders);
    const fs::path& archive = listing.info().url;
    const bool hadPassword = hasPassword(options);

    const auto runOnce = [&](LineProgressCounter& counter, bool indexMode,
                             const std::vector<std::string>& selectors) {
        const ProcessResult result = ArchiverRun::run(
            {executable,
             UnarchiverToolContract::extractArguments(archive, destination, options.overwriteMode,
                                                      options.password, indexMode, selectors)},
            cancellation, ArchiverRun::countedLines(counter), onProgress);
        ArchiverRun::expectSuccess(
            result, unarRules(archive, listing.info().hasEncryptedEntries, hadPassword));
        // The unarchiver succeeds without writing anything when no selector matches. It says
        // the same when every match was skipped as existing, so that mode cannot tell.
        if (!selectors.empty() && options.overwriteMode != ExtractOverwriteMode::skipExisting &&
            result.stdoutString().find("No files extracted.") != std::string::npos) {
            throw selectionNotFound(0, static_cast<std::int64_t>(selectors.size()));
        }
    };

    if (selectedEntries.empty()) {
        ExtractionLinkGuard::secure(destination, listing.entries(), options.overwriteMode);
        LineProgressCounter counter(listing.info().fileCount < 2 ? 1 : listing.info().fileCount);
        runOnce(counter, false, {});
        notifyProgress(onProgress, 1.0);
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
        if (indexMode) {
            selectors.push_back(std::to_string(*target.xadIndex()));
            continue;
        }
        std::string selector = escapeUnarGlob(target.rawPath());
        // A selector such as "-r" would be read as an option; an escaped "-" still matches
        // itself.
        if (selector.starts_with('-')) selector.insert(0, 1, '\\');
        selectors.push_back(std::move(selector));
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
    notifyProgress(onProgress, 1.0);
}

void ArchiveExtractor::validateUnarResult(const ProcessResult& result, bool hadPassword) {
    ArchiverRun::expectSuccess(result, unarRules({}, true, hadPassword));
}

}  // namespace kelvane
