// Integrity tests of archives made here with the real tools: passing, damaged, encrypted
// with the right, a wrong or no password, through 7-Zip and through the unarchiver.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "OperationTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiveTester.hpp"
#include "localization/AppLanguage.hpp"
#include "platform/UserDefaults.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::corruptedCopy;
using testing::engineErrorOf;
using testing::listWithEngine;
using testing::pointedAt;
using testing::ProgressRecorder;
using testing::runSystemTool;
using testing::withExtractEngine;
using Case = ArchiveEngineError::Case;

class IntegrityTestTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 12; ++i) {
            source_.write("docs/file" + std::to_string(i) + ".txt",
                          testing::compressibleText(2000 + static_cast<std::size_t>(i) * 100,
                                                    static_cast<unsigned>(i)));
        }
        AppLanguage::setCurrent(AppLanguage::en);
    }
    void TearDown() override { UserDefaults::standard().remove(AppLanguage::defaultsKey); }

    // Packs the twelve files with 7-Zip, stored so that a flipped byte lands in file data.
    fs::path pack(const std::string& name, const std::vector<std::string>& switches = {}) const {
        const fs::path archive = out_.path() / name;
        std::vector<std::string> arguments{"a", "-mx=0"};
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        arguments.push_back(archive.string());
        arguments.push_back((source_.path() / "docs").string());
        const ProcessResult result = runSystemTool("7zz", arguments);
        EXPECT_EQ(result.exitCode, 0) << result.stderrString();
        return archive;
    }

    static ArchiveTestResult test(const ArchiveListing& listing,
                                  const std::optional<std::string>& password = std::nullopt,
                                  const ProgressHandler& onProgress = {}) {
        return ArchiveEngineService().testArchive(listing, password, nullptr, onProgress);
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(IntegrityTestTest, PassingSevenZipTestCountsTheFilesInTheCurrentLanguage) {
    const ArchiveListing listing = listWithEngine(pack("docs.zip"));
    ASSERT_EQ(listing.info().fileCount, 12);

    ProgressRecorder progress;
    const ArchiveTestResult result = test(listing, std::nullopt, progress.handler());
    EXPECT_TRUE(result.passed);
    EXPECT_EQ(result.testedEntries, 12);
    EXPECT_EQ(result.summary, "All 12 files passed CRC integrity verification.");
    progress.expectClimbsToOne();

    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(test(listing).summary, "Tüm 12 dosya CRC/bütünlük testinden başarıyla geçti.");
    // A language without a pack entry for the sentence reads the English one.
    AppLanguage::setCurrent(AppLanguage::de);
    EXPECT_EQ(test(listing).summary, "All 12 files passed CRC integrity verification.");
}

TEST_F(IntegrityTestTest, DamagedArchiveFailsWithTheToolsOwnWords) {
    const fs::path archive = pack("docs.zip");
    const ArchiveListing good = listWithEngine(archive);
    // The middle of a stored archive is file data: the listing still works, the CRC fails.
    const fs::path damaged = corruptedCopy(archive, out_.path() / "damaged.zip",
                                           static_cast<std::size_t>(fs::file_size(archive) / 2));
    const ArchiveListing listing = listWithEngine(damaged);

    ProgressRecorder progress;
    const ArchiveTestResult result = test(listing, std::nullopt, progress.handler());
    EXPECT_FALSE(result.passed);
    EXPECT_EQ(result.testedEntries, 12);
    EXPECT_NE(result.summary.find("CRC Failed"), std::string::npos) << result.summary;
    for (const ProgressReport& report : progress.reports()) EXPECT_LT(report.fraction, 1.0);
    EXPECT_TRUE(test(good).passed);
}

TEST_F(IntegrityTestTest, PasswordProblemsAreErrorsOnlyWhenTheToolNamesThem) {
    // Names readable, contents encrypted: the listing needs no password, the test does.
    const ArchiveListing zip = listWithEngine(pack("aes.zip", {"-psecret", "-mem=AES256"}));
    EXPECT_TRUE(test(zip, "secret").passed);
    EXPECT_EQ(engineErrorOf([&] { (void)test(zip); })->kind(), Case::passwordRequired);
    EXPECT_EQ(engineErrorOf([&] { (void)test(zip, ""); })->kind(), Case::passwordRequired);
    EXPECT_EQ(engineErrorOf([&] { (void)test(zip, "guess"); })->kind(), Case::wrongPassword);

    // Encrypted names: the listing itself needs the password.
    const fs::path hidden = pack("hidden.7z", {"-psecret", "-mhe=on"});
    const ArchiveListing sevenZ = listWithEngine(hidden, "secret");
    EXPECT_TRUE(test(sevenZ, "secret").passed);
    EXPECT_EQ(engineErrorOf([&] { (void)test(sevenZ); })->kind(), Case::passwordRequired);
    EXPECT_EQ(engineErrorOf([&] { (void)test(sevenZ, "guess"); })->kind(), Case::wrongPassword);
}

TEST_F(IntegrityTestTest, UnarchiverTestsWhatItExtracts) {
    const fs::path archive = out_.path() / "docs.tar.gz";
    ASSERT_EQ(
        runSystemTool("bsdtar", {"-czf", archive.string(), "-C", source_.path().string(), "docs"})
            .exitCode,
        0);
    const ArchiveListing listing = listWithEngine(archive);
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);

    ProgressRecorder progress;
    const ArchiveTestResult result = test(listing, std::nullopt, progress.handler());
    EXPECT_TRUE(result.passed) << result.summary;
    EXPECT_EQ(result.summary, "All 12 files passed integrity verification.");
    progress.expectClimbsToOne();
    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(test(listing).summary, "Tüm 12 dosya bütünlük testinden başarıyla geçti.");

    // A damaged stream: the container checksum fails.
    const fs::path damaged = corruptedCopy(archive, out_.path() / "damaged.tar.gz",
                                           static_cast<std::size_t>(fs::file_size(archive) / 2));
    const ArchiveTestResult failed = test(pointedAt(listing, damaged));
    EXPECT_FALSE(failed.passed);
    EXPECT_EQ(failed.testedEntries, 12);
    EXPECT_FALSE(failed.summary.empty());
}

TEST_F(IntegrityTestTest, UnarchiverReportsAMissingPassword) {
    const fs::path hidden = pack("hidden.7z", {"-psecret", "-mhe=on"});
    const ArchiveListing listing =
        withExtractEngine(listWithEngine(hidden, "secret"), ArchiveEngineKind::unarchiver);
    EXPECT_TRUE(test(listing, "secret").passed);
    EXPECT_EQ(engineErrorOf([&] { (void)test(listing); })->kind(), Case::passwordRequired);
}

TEST_F(IntegrityTestTest, ArchiveWithoutFilesCountsZeroFiles) {
    fs::create_directories(source_.path() / "empty" / "inner");
    const fs::path archive = out_.path() / "empty.zip";
    ASSERT_EQ(
        runSystemTool("7zz", {"a", archive.string(), (source_.path() / "empty").string()}).exitCode,
        0);
    const ArchiveListing listing = listWithEngine(archive);
    ASSERT_EQ(listing.info().fileCount, 0);
    EXPECT_EQ(test(listing).summary, "All 0 files passed CRC integrity verification.");
    const ArchiveTestResult viaUnarchiver =
        test(withExtractEngine(listing, ArchiveEngineKind::unarchiver));
    EXPECT_TRUE(viaUnarchiver.passed) << viaUnarchiver.summary;
    EXPECT_EQ(viaUnarchiver.summary, "All 0 files passed integrity verification.");
}

TEST_F(IntegrityTestTest, MissingToolsAreNamed) {
    const ArchiveListing listing = listWithEngine(pack("docs.zip"));
    const BinaryLocator::SearchFolders nowhere{{out_.path() / "no-tools"}};
    const auto sevenZip = engineErrorOf(
        [&] { (void)ArchiveTester::testArchive(listing, std::nullopt, nullptr, {}, nowhere); });
    EXPECT_EQ(*sevenZip, ArchiveEngineError::binaryNotFound("7zz"));
    const auto lsar = engineErrorOf([&] {
        (void)ArchiveTester::testArchive(withExtractEngine(listing, ArchiveEngineKind::unarchiver),
                                         std::nullopt, nullptr, {}, nowhere);
    });
    EXPECT_EQ(*lsar, ArchiveEngineError::binaryNotFound("lsar"));
}

TEST_F(IntegrityTestTest, CancellingStopsTheTest) {
    // Big enough that the tool reports progress before it is done.
    source_.write("docs/big.bin", testing::compressibleText(16 * 1024 * 1024, 3));
    const ArchiveListing listing = listWithEngine(pack("big.7z"));
    auto token = std::make_shared<ProcessCancellationToken>();
    std::atomic<int> reports{0};
    const auto error = engineErrorOf([&] {
        (void)ArchiveEngineService().testArchive(listing, std::nullopt, token,
                                                 [&](const ProgressReport&) {
                                                     ++reports;
                                                     token->cancel();
                                                 });
    });
    EXPECT_EQ(error->kind(), Case::cancelled);
    EXPECT_GE(reports.load(), 1);
}

}  // namespace
}  // namespace kelvane
