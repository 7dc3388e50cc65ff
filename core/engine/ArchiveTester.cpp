#include "engine/ArchiveTester.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiveFailureDiagnosis.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/StrictDecimal.hpp"
#include "engine/TarStreamExtractor.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "localization/S.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// The tool's own words for a failed test: standard error as kept, else standard output,
// after what is wrong in the user's terms when the file or those words tell (a missing
// volume, a truncated archive).
std::string failureSummary(const ProcessResult& result, const ArchiverRun::FailureRules& rules) {
    std::string text = result.stderrString();
    if (text.empty()) text = result.stdoutString();
    if (const auto diagnosis =
            ArchiveFailureDiagnosis::describe(rules.archive, ArchiverRun::toolMessages(result, rules))) {
        return *diagnosis + "\n" + text;
    }
    return text;
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
    const ArchiverRun::FailureRules rules{ArchiverRun::Tool::sevenZip,
                                          "7zz test",
                                          {"wrong password"},
                                          listing.info().hasEncryptedEntries,
                                          hasPassword(password),
                                          listing.info().url};
    if (ArchiverRun::isPasswordProblem(result, rules)) {
        throw ArchiverRun::passwordError(hasPassword(password));
    }
    return {false, count, failureSummary(result, rules)};
}

// The counts of `lsar -t`'s closing line: "3 passed, 0 failed." or
// "1 passed, 0 failed, 30 unknown.".
struct UnarchiverVerdict {
    std::int64_t failed = 0;
    std::int64_t unknown = 0;
};

UnarchiverVerdict unarchiverVerdict(std::string_view output) {
    UnarchiverVerdict verdict;
    const auto numberBefore = [](std::string_view line,
                                 std::string_view word) -> std::optional<std::int64_t> {
        const std::size_t at = line.find(word);
        if (at == std::string_view::npos) return std::nullopt;
        std::size_t start = at;
        while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9') --start;
        if (start == at) return std::nullopt;
        return StrictDecimal::parseInt64(line.substr(start, at - start));
    };
    std::size_t begin = 0;
    while (begin < output.size()) {
        const std::size_t end = std::min(output.find('\n', begin), output.size());
        const std::string_view line = output.substr(begin, end - begin);
        begin = end + 1;
        const auto passed = numberBefore(line, " passed");
        const auto failed = numberBefore(line, " failed");
        if (!passed || !failed) continue;
        verdict.failed = *failed;
        verdict.unknown = numberBefore(line, " unknown").value_or(0);
    }
    return verdict;
}

bool sevenZipAlsoPasses(const ArchiveListing& listing, const std::optional<std::string>& password,
                        const std::shared_ptr<ProcessCancellationToken>& cancellation,
                        const BinaryLocator::SearchFolders& searchFolders) {
    const auto tool = BinaryLocator::sevenZipURL(searchFolders);
    if (!tool) return true;
    const ProcessResult result = ArchiverRun::run(
        {*tool, SevenZipToolContract::testArguments(listing.info().url, password)}, cancellation);
    return result.exitCode == 0;
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

    const UnarchiverVerdict verdict = unarchiverVerdict(result.stdoutString());
    if (result.exitCode == 0 && verdict.failed == 0) {
        // Entries without a checksum ("unknown") were read but not verified: a truncated
        // disc image reads as fine that way. 7-Zip, when it is there, checks what the
        // unarchiver could not.
        if (verdict.unknown > 0 &&
            !sevenZipAlsoPasses(listing, password, cancellation, searchFolders)) {
            return {false, count,
                    S::t("The archive is damaged or incomplete: 7-Zip's test failed on entries "
                         "the unarchiver could not verify.",
                         "Arşiv hasarlı ya da eksik: 7-Zip testi, unarchiver'ın doğrulayamadığı "
                         "öğelerde başarısız oldu.")};
        }
        notifyProgress(onProgress, 1.0);
        return {true, count, ArchiveTester::unarchiverSummary(count)};
    }
    const ArchiverRun::FailureRules rules{ArchiverRun::Tool::lsar,
                                          "lsar test",
                                          {"password", "decryption"},
                                          listing.info().hasEncryptedEntries,
                                          hasPassword(password),
                                          listing.info().url};
    if (ArchiverRun::isPasswordProblem(result, rules)) {
        throw ArchiverRun::passwordError(hasPassword(password));
    }
    return {false, count, failureSummary(result, rules)};
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

namespace {

// Packs translate the sentence with "%d" where the count goes, so one entry serves every count.
std::string withCount(std::string pattern, std::int64_t count) {
    const std::size_t slot = pattern.find("%d");
    if (slot != std::string::npos) pattern.replace(slot, 2, std::to_string(count));
    return pattern;
}

}  // namespace

std::string ArchiveTester::sevenZipSummary(std::int64_t count) {
    return withCount(AppStringCatalog::shared().resolve(
                         "All %d files passed CRC integrity verification.",
                         "Tüm %d dosya CRC/bütünlük testinden başarıyla geçti.",
                         AppLanguage::current()),
                     count);
}

std::string ArchiveTester::unarchiverSummary(std::int64_t count) {
    return withCount(AppStringCatalog::shared().resolve(
                         "All %d files passed integrity verification.",
                         "Tüm %d dosya bütünlük testinden başarıyla geçti.",
                         AppLanguage::current()),
                     count);
}

}  // namespace kelvane
