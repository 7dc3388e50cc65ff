#include "engine/ArchiveTester.hpp"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/TarStreamExtractor.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "platform/UnicodeText.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/ProcessRunner.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

bool containsAny(std::string_view text, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [text](std::string_view word) {
        return text.find(word) != std::string_view::npos;
    });
}

std::string lowercasedCombinedOutput(const ProcessResult& result) {
    return UnicodeText::lowercased(result.stdoutString() + "\n" + result.stderrString());
}

// The tool's own words for a failed test: standard error as kept, else standard output.
std::string failureSummary(const ProcessResult& result) {
    std::string text = result.stderrString();
    return text.empty() ? result.stdoutString() : text;
}

bool hasPassword(const std::optional<std::string>& password) {
    return password && !password->empty();
}

ArchiveEngineError passwordError(const std::optional<std::string>& password) {
    return hasPassword(password) ? ArchiveEngineError::wrongPassword()
                                 : ArchiveEngineError::passwordRequired();
}

ArchiveTestResult testWithSevenZip(const ArchiveListing& listing,
                                   const std::optional<std::string>& password,
                                   const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                   const ProgressHandler& onProgress,
                                   const BinaryLocator::SearchFolders& searchFolders) {
    const auto tool = BinaryLocator::sevenZipURL(searchFolders);
    if (!tool)
        throw ArchiveEngineError::binaryNotFound(std::string(SevenZipToolContract::kToolName));

    const std::int64_t count = listing.info().fileCount;
    // An empty password still goes on the command line, so the tool never asks for one.
    const ProcessResult result = ProcessRunner::run(
        *tool, SevenZipToolContract::testArguments(listing.info().url, password), std::nullopt,
        std::nullopt, false, cancellation, [&onProgress](std::string_view chunk) {
            if (!onProgress) return;
            if (const auto report = ArchiveEngineService::parseSevenZipProgress(chunk)) {
                onProgress(report->fraction, report->detail);
            }
        });

    if (result.exitCode == 0) {
        if (onProgress) onProgress(1.0, {});
        return {true, count, ArchiveTester::sevenZipSummary(count)};
    }
    // Only the plain phrase: "encrypted" also shows up in a CRC error of an encrypted entry,
    // which is damage, not a password problem.
    if (containsAny(lowercasedCombinedOutput(result), {"wrong password"})) {
        throw passwordError(password);
    }
    return {false, count, failureSummary(result)};
}

ArchiveTestResult testWithUnarchiver(const ArchiveListing& listing,
                                     const std::optional<std::string>& password,
                                     const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                     const ProgressHandler& onProgress,
                                     const BinaryLocator::SearchFolders& searchFolders) {
    const auto tool = BinaryLocator::lsarURL(searchFolders);
    if (!tool) {
        throw ArchiveEngineError::binaryNotFound(std::string(UnarchiverToolContract::kListerName));
    }

    const std::int64_t count = listing.info().fileCount;
    LineProgressCounter counter(std::max<std::int64_t>(count, 1));
    const ProcessResult result = ProcessRunner::run(
        *tool, UnarchiverToolContract::testArguments(listing.info().url, password), std::nullopt,
        std::nullopt, false, cancellation, [&onProgress, &counter](std::string_view chunk) {
            const auto report = counter.consume(chunk);
            if (report && onProgress) onProgress(report->fraction, report->detail);
        });

    if (result.exitCode == 0) {
        if (onProgress) onProgress(1.0, {});
        return {true, count, ArchiveTester::unarchiverSummary(count)};
    }
    if (containsAny(lowercasedCombinedOutput(result), {"password", "decryption"})) {
        throw passwordError(password);
    }
    return {false, count, failureSummary(result)};
}

}  // namespace

ArchiveTestResult ArchiveTester::testArchive(
    const ArchiveListing& listing, const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    if (listing.info().extractEngine == ArchiveEngineKind::tarStream) {
        return TarStreamExtractor::test(listing, cancellation, onProgress, searchFolders);
    }
    if (listing.info().extractEngine == ArchiveEngineKind::unarchiver) {
        return testWithUnarchiver(listing, password, cancellation, onProgress, searchFolders);
    }
    return testWithSevenZip(listing, password, cancellation, onProgress, searchFolders);
}

std::string ArchiveTester::sevenZipSummary(std::int64_t count) {
    const std::string n = std::to_string(count);
    return AppStringCatalog::shared().resolve(
        "All " + n + " files passed CRC integrity verification.",
        "Tüm " + n + " dosya CRC/bütünlük testinden başarıyla geçti.", AppLanguage::current());
}

std::string ArchiveTester::unarchiverSummary(std::int64_t count) {
    const std::string n = std::to_string(count);
    return AppStringCatalog::shared().resolve(
        "All " + n + " files passed integrity verification.",
        "Tüm " + n + " dosya bütünlük testinden başarıyla geçti.", AppLanguage::current());
}

}  // namespace kelvane
