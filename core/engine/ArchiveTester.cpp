#include "engine/ArchiveTester.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiverRun.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// The tool's own words for a failed test: standard error as kept, else standard output.
std::string failureSummary(const ProcessResult& result) {
    std::string text = result.stderrString();
    return text.empty() ? result.stdoutString() : text;
}

bool hasPassword(const std::optional<std::string>& password) {
    return password && !password->empty();
}

ArchiveTestResult testWithSevenZip(const ArchiveListing& listing,
                                   const std::optional<std::string>& password,
                                   const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                   const ProgressHandler& onProgress,
                                   const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path tool = ArchiverRun::locate(ArchiverRun::Tool::sevenZip, searchFolders);

    const std::int64_t count = listing.info().fileCount;
    // An empty password still goes on the command line, so the tool never asks for one.
    const ProcessResult result =
        ArchiverRun::run({tool, SevenZipToolContract::testArguments(listing.info().url, password)},
                         cancellation, ArchiverRun::sevenZipPercentages(), onProgress);

    if (result.exitCode == 0) {
        notifyProgress(onProgress, 1.0);
        return {true, count, ArchiveTester::sevenZipSummary(count)};
    }
    // Only the plain phrase: "encrypted" also shows up in a CRC error of an encrypted entry,
    // which is damage, not a password problem.
    if (ArchiverRun::isPasswordProblem(result, {ArchiverRun::Tool::sevenZip,
                                                "7zz test",
                                                {"wrong password"},
                                                true,
                                                hasPassword(password),
                                                listing.info().url})) {
        throw ArchiverRun::passwordError(hasPassword(password));
    }
    return {false, count, failureSummary(result)};
}

ArchiveTestResult testWithUnarchiver(const ArchiveListing& listing,
                                     const std::optional<std::string>& password,
                                     const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                     const ProgressHandler& onProgress,
                                     const BinaryLocator::SearchFolders& searchFolders) {
    const fs::path tool = ArchiverRun::locate(ArchiverRun::Tool::lsar, searchFolders);

    const std::int64_t count = listing.info().fileCount;
    LineProgressCounter counter(std::max<std::int64_t>(count, 1));
    const ProcessResult result = ArchiverRun::run(
        {tool, UnarchiverToolContract::testArguments(listing.info().url, password)}, cancellation,
        ArchiverRun::countedLines(counter), onProgress);

    if (result.exitCode == 0) {
        notifyProgress(onProgress, 1.0);
        return {true, count, ArchiveTester::unarchiverSummary(count)};
    }
    if (ArchiverRun::isPasswordProblem(result, {ArchiverRun::Tool::lsar,
                                                "lsar test",
                                                {"password", "decryption"},
                                                true,
                                                hasPassword(password),
                                                listing.info().url})) {
        throw ArchiverRun::passwordError(hasPassword(password));
    }
    return {false, count, failureSummary(result)};
}

}  // namespace

ArchiveTestResult ArchiveTester::testArchive(
    const ArchiveListing& listing, const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
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
