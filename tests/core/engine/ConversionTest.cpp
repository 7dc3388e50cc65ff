// Conversion between real archives: the new archive holds the old one's entries, progress
// stays within its two phases and ends at 1, and the work folder never outlives the run.
#include <gtest/gtest.h>

#include <filesystem>

#include "OperationTestSupport.hpp"
#include "engine/ArchiveConverter.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::engineErrorOf;
using testing::fileIds;
using testing::folderContents;
using testing::listWithEngine;
using testing::ProgressRecorder;
using testing::readFile;
using testing::runSystemTool;
using Case = ArchiveEngineError::Case;

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Work folders go to a private temporary folder, so the test sees what is left there.
        environment_.set("TMPDIR", temporary_.path().string());
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deeper/big.txt", testing::compressibleText(300 * 1024));
        source_.write("docs/café ☕.txt", "café\n");
        source_.write("top.txt", "top\n");
        source_.write("a*.txt", "star\n");
    }

    fs::path make(const std::string& name, ArchiveCreateFormat format,
                  const std::string& password = {}, bool encryptNames = false,
                  CompressionLevel level = CompressionLevel::normal) const {
        CreateArchiveOptions options;
        options.format = format;
        options.compressionLevel = level;
        options.password = password;
        options.encryptFileNames = encryptNames;
        return ArchiveEngineService().createArchive(
            {source_.path() / "docs", source_.path() / "top.txt", source_.path() / "a*.txt"},
            out_.path() / name, options, nullptr, {});
    }

    static fs::path convert(const ArchiveListing& listing, const fs::path& destination,
                            ArchiveCreateFormat format, const std::optional<std::string>& password,
                            const ProgressHandler& onProgress = {},
                            const std::shared_ptr<ProcessCancellationToken>& token = nullptr) {
        CreateArchiveOptions options;
        options.format = format;
        return ArchiveEngineService().convertArchive(listing, destination, options, password, token,
                                                     onProgress);
    }

    // Unpacked with the tool that reads the format, compared with the sources.
    void expectHoldsTheSources(const fs::path& archive, ArchiveCreateFormat format) const {
        const fs::path folder = out_.path() / ("check-" + archive.filename().string());
        if (format == ArchiveCreateFormat::tarGz || format == ArchiveCreateFormat::tarXz) {
            testing::unpackWithTar(archive, folder);
        } else {
            testing::unpackWithSevenZip(archive, folder);
        }
        EXPECT_EQ(testing::filesOf(folderContents(folder)),
                  testing::filesOf(folderContents(source_.path())));
    }

    std::vector<fs::path> workFoldersLeft() const {
        std::vector<fs::path> left;
        for (const auto& item : fs::directory_iterator(temporary_.path())) {
            if (item.path().filename().string().starts_with("KelvaneConvert-"))
                left.push_back(item);
        }
        return left;
    }

    // The two phases: extraction up to 0.48, creation from 0.5, the end at 1.
    static void expectPhasedProgress(const ProgressRecorder& progress, double creationStartSeen) {
        progress.expectClimbsToOne();
        bool sawCreationStart = false;
        for (const ProgressReport& report : progress.reports()) {
            EXPECT_FALSE(report.fraction > 0.48 && report.fraction < 0.5) << report.fraction;
            if (report.fraction == creationStartSeen) sawCreationStart = true;
        }
        EXPECT_TRUE(sawCreationStart) << creationStartSeen;
    }

    testing::TemporaryFolder temporary_;
    testing::ScopedEnvironment environment_;
    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(ConversionTest, ZipToTarGzClimbsThroughBothPhases) {
    const ArchiveListing listing = listWithEngine(make("from.zip", ArchiveCreateFormat::zip));
    ProgressRecorder progress;
    const fs::path written = convert(listing, out_.path() / "to.tar.gz", ArchiveCreateFormat::tarGz,
                                     std::nullopt, progress.handler());
    EXPECT_EQ(written, out_.path() / "to.tar.gz");
    // The tar path reports 0.2 as it starts: 0.5 + 0.2 × 0.5.
    expectPhasedProgress(progress, 0.6);
    bool sawExtractionEnd = false;
    for (const ProgressReport& report : progress.reports()) {
        if (report.fraction == 0.48) sawExtractionEnd = true;
    }
    EXPECT_TRUE(sawExtractionEnd);
    EXPECT_TRUE(workFoldersLeft().empty());
    expectHoldsTheSources(written, ArchiveCreateFormat::tarGz);
}

TEST_F(ConversionTest, EncryptedSevenZipToZipWithTheSourcePassword) {
    const ArchiveListing listing =
        listWithEngine(make("from.7z", ArchiveCreateFormat::sevenZ, "pw", true), "pw");
    ProgressRecorder progress;
    const fs::path written = convert(listing, out_.path() / "to.zip", ArchiveCreateFormat::zip,
                                     "pw", progress.handler());
    progress.expectClimbsToOne();
    for (const ProgressReport& report : progress.reports()) {
        EXPECT_FALSE(report.fraction > 0.48 && report.fraction < 0.5) << report.fraction;
    }
    EXPECT_TRUE(workFoldersLeft().empty());
    EXPECT_FALSE(listWithEngine(written).info().hasEncryptedEntries);
    expectHoldsTheSources(written, ArchiveCreateFormat::zip);

    EXPECT_EQ(engineErrorOf([&] {
                  (void)convert(listing, out_.path() / "x.zip", ArchiveCreateFormat::zip, "guess");
              })->kind(),
              Case::wrongPassword);
    EXPECT_EQ(engineErrorOf([&] {
                  (void)convert(listing, out_.path() / "x.zip", ArchiveCreateFormat::zip,
                                std::nullopt);
              })->kind(),
              Case::passwordRequired);
    EXPECT_FALSE(fs::exists(out_.path() / "x.zip"));
    EXPECT_TRUE(workFoldersLeft().empty());
}

TEST_F(ConversionTest, UnarchiverExtractedSourceToSevenZip) {
    const ArchiveListing listing = listWithEngine(make("from.tar.gz", ArchiveCreateFormat::tarGz));
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    ProgressRecorder progress;
    const fs::path written = convert(listing, out_.path() / "to.7z", ArchiveCreateFormat::sevenZ,
                                     std::nullopt, progress.handler());
    progress.expectClimbsToOne();
    EXPECT_TRUE(workFoldersLeft().empty());
    expectHoldsTheSources(written, ArchiveCreateFormat::sevenZ);
}

TEST_F(ConversionTest, ConvertingOntoTheSourcePathReplacesItWhole) {
    for (const auto& [name, format] : {std::pair{"same.zip", ArchiveCreateFormat::zip},
                                       std::pair{"same.tar.gz", ArchiveCreateFormat::tarGz}}) {
        const fs::path archive = make(name, format);
        const ArchiveListing listing = listWithEngine(archive);
        EXPECT_EQ(convert(listing, archive, format, std::nullopt), archive);
        expectHoldsTheSources(archive, format);
        EXPECT_EQ(fileIds(listWithEngine(archive)), fileIds(listing));
    }
}

TEST_F(ConversionTest, FailedConversionLeavesTheDestinationAndNoWorkFolder) {
    const fs::path destination = out_.path() / "kept.zip";
    std::ofstream(destination) << "the old archive";
    const ArchiveListing listing = listWithEngine(make("from.zip", ArchiveCreateFormat::zip));
    // The extraction succeeds; the creation then finds no tar tool.
    testing::TemporaryFolder tools;
    fs::create_symlink("/usr/bin/7zz", tools.path() / "7zz");
    const auto error = engineErrorOf([&] {
        CreateArchiveOptions options;
        options.format = ArchiveCreateFormat::tarXz;
        (void)ArchiveConverter::convertArchive(listing, destination, options, std::nullopt, nullptr,
                                               {}, BinaryLocator::SearchFolders{{tools.path()}});
    });
    EXPECT_EQ(*error, ArchiveEngineError::binaryNotFound("bsdtar"));
    EXPECT_EQ(readFile(destination), "the old archive");
    EXPECT_TRUE(workFoldersLeft().empty());
}

TEST_F(ConversionTest, CancelledConversionLeavesTheDestinationAndNoWorkFolder) {
    source_.write("docs/large.txt", testing::compressibleText(16 * 1024 * 1024, 9));
    const ArchiveListing listing = listWithEngine(
        make("big.7z", ArchiveCreateFormat::sevenZ, {}, false, CompressionLevel::store));
    const fs::path destination = out_.path() / "kept.zip";
    std::ofstream(destination) << "the old archive";
    auto token = std::make_shared<ProcessCancellationToken>();
    const auto error = engineErrorOf([&] {
        (void)convert(
            listing, destination, ArchiveCreateFormat::zip, std::nullopt,
            [&](const ProgressReport&) { token->cancel(); }, token);
    });
    EXPECT_EQ(error->kind(), Case::cancelled);
    EXPECT_EQ(readFile(destination), "the old archive");
    EXPECT_TRUE(workFoldersLeft().empty());
}

TEST_F(ConversionTest, ArchiveWithoutEntriesConvertsToNothing) {
    const fs::path archive = make("empty.zip", ArchiveCreateFormat::zip);
    ASSERT_EQ(runSystemTool("7zz", {"d", archive.string(), "*", "-r"}).exitCode, 0);
    const ArchiveListing listing = listWithEngine(archive);
    ASSERT_TRUE(listing.entries().empty());
    int reports = 0;
    EXPECT_EQ(*engineErrorOf([&] {
        (void)convert(listing, out_.path() / "none.7z", ArchiveCreateFormat::sevenZ, std::nullopt,
                      [&](const ProgressReport& report) {
                          ++reports;
                          EXPECT_LE(report.fraction, 0.48);
                      });
    }),
              ArchiveEngineError::processFailed("Archive had no entries to convert."));
    EXPECT_FALSE(fs::exists(out_.path() / "none.7z"));
    EXPECT_TRUE(workFoldersLeft().empty());
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// A tar.gz holding a link to a folder outside it, and a file beside the link.
class OutwardLinkConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        outside_.write("key.txt", "outside secret");
        source_.write("plain.txt", "plain");
        fs::create_directory_symlink(outside_.path(), source_.path() / "evil");
        archive_ = out_.path() / "hostile.tar.gz";
        ASSERT_EQ(testing::runSystemTool("bsdtar", {"-czf", archive_.string(), "evil", "plain.txt"},
                                         source_.path())
                      .exitCode,
                  0);
    }

    testing::TemporaryFolder outside_;
    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
    fs::path archive_;
};

TEST_F(OutwardLinkConversionTest, ConvertedArchiveHoldsTheLinkNotWhatItPointsTo) {
    // The tar.gz is unpacked by the unarchiver, the plain tar by 7-Zip.
    const fs::path plainTar = out_.path() / "hostile.tar";
    ASSERT_EQ(testing::runSystemTool("bsdtar", {"-cf", plainTar.string(), "evil", "plain.txt"},
                                     source_.path())
                  .exitCode,
              0);
    for (const fs::path& archive : {archive_, plainTar}) {
        const ArchiveListing listing = testing::listWithEngine(archive);
        const ArchiveEngineKind tool = listing.info().extractEngine;
        for (const ArchiveCreateFormat format :
             {ArchiveCreateFormat::zip, ArchiveCreateFormat::sevenZ, ArchiveCreateFormat::tar,
              ArchiveCreateFormat::tarGz}) {
            const std::string name = std::string(tool == ArchiveEngineKind::sevenZip ? "s" : "u") +
                                     "-out." + std::string(format.fileExtension());
            SCOPED_TRACE(name);
            CreateArchiveOptions options;
            options.format = format;
            const fs::path written = ArchiveEngineService().convertArchive(
                listing, out_.path() / name, options, std::nullopt, nullptr, {});
            const ArchiveListing converted = testing::listWithEngine(written);
            EXPECT_EQ(testing::fileIds(converted), (std::vector<std::string>{"evil", "plain.txt"}));
            EXPECT_EQ(readFile(written).find("outside secret"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace kelvane
