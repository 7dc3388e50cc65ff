// One run of each real archiver through the runner with the argument lists built for it:
// bsdtar makes an archive, 7zz lists and tests it, lsar lists and tests it, unar extracts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/ArchiveEngineService.hpp"
#include "process/BinaryLocator.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/ProcessRunner.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class RealToolSmokeTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.write("src/a.txt", "alpha\n");
        folder_.write("src/docs/ünicöde.txt", "beta\n");
        const auto bsdtar = BinaryLocator::bsdtarURL();
        ASSERT_TRUE(bsdtar);
        archive_ = folder_.path() / "sample.zip";
        const ProcessResult made =
            ProcessRunner::run(*bsdtar, {"-a", "-cf", archive_.string(), "-C",
                                         (folder_.path() / "src").string(), "a.txt", "docs"});
        ASSERT_EQ(made.exitCode, 0) << made.stderrString();
        ASSERT_GT(ArchiveEngineService::fileSize(archive_), 0);
    }

    testing::TemporaryFolder folder_;
    fs::path archive_;
};

TEST_F(RealToolSmokeTest, SevenZipListsAndTests) {
    const auto sevenZip = BinaryLocator::sevenZipURL();
    ASSERT_TRUE(sevenZip);

    std::vector<std::string> lines;
    const StreamResult listed = ProcessRunner::streamStdoutLines(
        *sevenZip, SevenZipToolContract::listArguments(archive_, std::nullopt), nullptr,
        [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(listed.exitCode, 0) << listed.stderrTail;
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("----------"));
    EXPECT_TRUE(has("Path = a.txt"));
    EXPECT_TRUE(has("Path = docs/ünicöde.txt"));

    const ProcessResult tested =
        ProcessRunner::run(*sevenZip, SevenZipToolContract::testArguments(archive_, std::nullopt));
    EXPECT_EQ(tested.exitCode, 0) << tested.stderrString();
    EXPECT_TRUE(contains(tested.stdoutString(), "Everything is Ok")) << tested.stdoutString();
}

TEST_F(RealToolSmokeTest, LsarListsAsJsonAndTests) {
    const auto lsar = BinaryLocator::lsarURL();
    ASSERT_TRUE(lsar);
    const ProcessResult listed =
        ProcessRunner::run(*lsar, UnarchiverToolContract::listArguments(archive_, std::nullopt),
                           std::nullopt, std::nullopt, true);
    EXPECT_EQ(listed.exitCode, 0) << listed.stderrString();
    EXPECT_TRUE(contains(listed.stdoutBytes, "\"lsarContents\"")) << listed.stdoutBytes;
    EXPECT_TRUE(contains(listed.stdoutBytes, "\"a.txt\"")) << listed.stdoutBytes;

    const ProcessResult tested =
        ProcessRunner::run(*lsar, UnarchiverToolContract::testArguments(archive_, std::nullopt));
    EXPECT_EQ(tested.exitCode, 0) << tested.stdoutString() << tested.stderrString();
}

TEST_F(RealToolSmokeTest, UnarExtractsIntoTheDestination) {
    const auto unar = BinaryLocator::unarURL();
    ASSERT_TRUE(unar);
    const fs::path destination = folder_.path() / "out";
    std::vector<std::string> arguments = UnarchiverToolContract::extractionBaseArguments(
        destination, ExtractOverwriteMode::overwrite, std::nullopt);
    arguments.push_back(archive_.string());

    LineProgressCounter counter(2);
    int reports = 0;
    const ProcessResult extracted = ProcessRunner::run(*unar, arguments, std::nullopt, std::nullopt,
                                                       false, nullptr, [&](std::string_view chunk) {
                                                           if (counter.consume(chunk)) ++reports;
                                                       });
    EXPECT_EQ(extracted.exitCode, 0) << extracted.stdoutString() << extracted.stderrString();
    EXPECT_EQ(testing::readFile(destination / "a.txt"), "alpha\n");
    EXPECT_EQ(testing::readFile(destination / "docs" / "ünicöde.txt"), "beta\n");
    EXPECT_GT(reports, 0);
}

}  // namespace
}  // namespace kelvane
