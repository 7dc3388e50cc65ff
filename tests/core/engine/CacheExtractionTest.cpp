// Single entries extracted into a cache folder through both tools, reused without a second
// run, found where the tool put them, and never taken from outside their entry folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/CacheExtractor.hpp"
#include "engine/ContainedPath.hpp"
#include "model/ExtractArchiveOptions.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::engineErrorOf;
using testing::entryWithID;
using testing::listed;
using testing::readFile;
using testing::runTool;

const fs::path kCorpus = fs::path(KELVANE_FIXTURES_DIR) / "corpus";

TEST(CacheEntryKeyTest, IsSixteenDigitFnv1a) {
    // Published 64-bit FNV-1a values.
    EXPECT_EQ(CacheExtractor::entryKey(""), "cbf29ce484222325");
    EXPECT_EQ(CacheExtractor::entryKey("a"), "af63dc4c8601ec8c");
    EXPECT_EQ(CacheExtractor::entryKey("foobar"), "85944171f73967e8");
    // Leading zeros are kept and bytes above 0x7F are taken unsigned.
    EXPECT_EQ(CacheExtractor::entryKey("docs/café.md").size(), 16U);
    EXPECT_NE(CacheExtractor::entryKey("é"), CacheExtractor::entryKey("e"));
}

class CacheExtractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "read me\n");
        source_.write("docs/other.md", "other\n");
        source_.write("top.txt", "top\n");
    }

    fs::path cacheRoot() const { return cache_.path() / "tab"; }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
    testing::TemporaryFolder cache_;
};

TEST_F(CacheExtractionTest, ExtractsOnceAndAnswersLaterCallsFromTheCache) {
    const fs::path zip = out_.path() / "a.zip";
    runTool(source_.path(), "7zz", {"a", zip.string(), "docs", "top.txt"});
    const fs::path tarGz = out_.path() / "a.tar.gz";
    runTool(source_.path(), "bsdtar", {"-czf", tarGz.string(), "docs", "top.txt"});

    for (const fs::path& archive : {zip, tarGz}) {
        const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(archive);
        const fs::path root = cacheRoot() / archive.filename();
        const testing::LoggingToolFolder tools({"7zz", "unar"});
        const ArchiveEntry readme = entryWithID(listing, "docs/readme.md");

        const fs::path first = CacheExtractor::extractSingleFileToCache(
            listing, readme, std::nullopt, root, nullptr, {}, tools.searchFolders());
        EXPECT_EQ(first, root / CacheExtractor::entryKey("docs/readme.md") / "docs/readme.md");
        EXPECT_EQ(readFile(first), "read me\n");
        // Only the one entry was written.
        EXPECT_FALSE(fs::exists(first.parent_path() / "other.md"));
        ASSERT_EQ(tools.runs().size(), 1U) << archive;

        const fs::path second = CacheExtractor::extractSingleFileToCache(
            listing, readme, std::nullopt, root, nullptr, {}, tools.searchFolders());
        EXPECT_EQ(second, first);
        EXPECT_EQ(tools.runs().size(), 1U) << "a cached entry ran a tool again: " << archive;

        // A folder entry gives its folder.
        const fs::path folder = CacheExtractor::extractSingleFileToCache(
            listing, entryWithID(listing, "docs"), std::nullopt, root, nullptr, {},
            tools.searchFolders());
        EXPECT_EQ(folder, root / CacheExtractor::entryKey("docs") / "docs");
        EXPECT_TRUE(fs::is_directory(folder));
    }
}

TEST_F(CacheExtractionTest, FindsTheFileWhereTheToolWroteIt) {
    // The id turns the backslash into a folder separator; 7-Zip writes the name as it is.
    source_.write("dir\\file.txt", "backslash\n");
    const fs::path archive = out_.path() / "b.zip";
    runTool(source_.path(), "bsdtar",
            {"--format", "zip", "-cf", archive.string(), "dir\\file.txt"});
    const ArchiveListing listing = listed(archive);
    const ArchiveEntry entry = entryWithID(listing, "dir/file.txt");
    const fs::path found = ArchiveEngineService().extractSingleFileToCache(
        listing, entry, std::nullopt, cacheRoot(), nullptr);
    EXPECT_EQ(found, cacheRoot() / CacheExtractor::entryKey("dir/file.txt") / "dir\\file.txt");
    EXPECT_EQ(readFile(found), "backslash\n");
}

TEST_F(CacheExtractionTest, AnIdThatClimbsOutIsNeverTakenFromOutsideTheEntryFolder) {
    // A file planted where "<entry folder>/../../secret.txt" points: the naive join would
    // return it as the entry's content without running any tool.
    const fs::path planted = cache_.path() / "secret.txt";
    { std::ofstream(planted) << "not from the archive"; }
    const testing::TemporaryFolder stage;
    stage.write("secret.txt", "from the archive");
    fs::create_directories(stage.path() / "inner/deeper");
    const fs::path archive = out_.path() / "climb.tar";
    runTool(stage.path() / "inner/deeper", "bsdtar",
            {"-P", "-cf", archive.string(), "../../secret.txt"});
    const ArchiveListing listing = listed(archive);
    const ArchiveEntry entry = entryWithID(listing, "../../secret.txt");

    const fs::path entryFolder = cacheRoot() / CacheExtractor::entryKey("../../secret.txt");
    const fs::path found = CacheExtractor::extractSingleFileToCache(listing, entry, std::nullopt,
                                                                    cacheRoot(), nullptr);
    EXPECT_TRUE(ContainedPath::isInside(entryFolder, found)) << found;
    EXPECT_EQ(readFile(found), "from the archive");
    EXPECT_EQ(readFile(planted), "not from the archive");
}

TEST_F(CacheExtractionTest, ALinkEntryIsNotReturnedAsTheFileItPointsTo) {
    const testing::TemporaryFolder outside;
    outside.write("private.txt", "private");
    const testing::TemporaryFolder stage;
    fs::create_symlink(outside.path() / "private.txt", stage.path() / "leak");
    for (const std::string name : {"leak.tar", "leak.tar.gz"}) {
        const fs::path archive = out_.path() / name;
        runTool(stage.path(), "bsdtar", {"-caf", archive.string(), "leak"});
        const ArchiveListing listing = testing::listedByUnarchiverWhenTarGz(archive);
        const ArchiveEngineError error = engineErrorOf([&] {
            (void)CacheExtractor::extractSingleFileToCache(
                listing, entryWithID(listing, "leak"), std::nullopt, cacheRoot() / name, nullptr);
        });
        EXPECT_EQ(error,
                  ArchiveEngineError::processFailed("Preview extraction did not produce leak"))
            << name << ": " << error.payload();
    }
}

TEST_F(CacheExtractionTest, AFailedRunLeavesNothingThatALaterCallWouldTakeForTheEntry) {
    const ArchiveListing listing =
        listed(kCorpus / "rar5/test_read_format_rar5_solid_encrypted.rar");
    const ArchiveEntry first = listing.entries().front();
    // Without the password the unarchiver still creates the first file, with wrong content.
    EXPECT_EQ(engineErrorOf([&] {
                  (void)CacheExtractor::extractSingleFileToCache(listing, first, std::nullopt,
                                                                 cacheRoot(), nullptr);
              }),
              ArchiveEngineError::passwordRequired());
    EXPECT_TRUE(fs::is_empty(cacheRoot()));

    auto token = std::make_shared<ProcessCancellationToken>();
    token->cancel();
    EXPECT_EQ(engineErrorOf([&] {
                  (void)CacheExtractor::extractSingleFileToCache(listing, first, "password",
                                                                 cacheRoot(), token);
              }),
              ArchiveEngineError::cancelled());
    EXPECT_TRUE(fs::is_empty(cacheRoot()));

    const fs::path found =
        CacheExtractor::extractSingleFileToCache(listing, first, "password", cacheRoot(), nullptr);
    const testing::TemporaryFolder reference;
    (void)ArchiveEngineService().extract(
        listing, {first},
        ExtractArchiveOptions(reference.path(), false, ExtractOverwriteMode::overwrite, "password"),
        nullptr, {});
    EXPECT_EQ(readFile(found), readFile(reference.path() / first.id()));
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

TEST(CacheRetryTest, AnEntryFolderThatLostItsFileIsExtractedAgain) {
    testing::TemporaryFolder source;
    testing::TemporaryFolder cache;
    source.write("note.txt", "kept\n");
    const std::filesystem::path zip = source.path() / "n.zip";
    testing::runTool(source.path(), "7zz", {"a", zip.string(), "note.txt"});
    const ArchiveListing listing = testing::listed(zip);
    const ArchiveEngineService engine;
    const ArchiveEntry& entry = testing::entryWithID(listing, "note.txt");
    const std::filesystem::path first =
        engine.extractSingleFileToCache(listing, entry, std::nullopt, cache.path() / "tab", nullptr);
    // A cleaner of the temporary folder removes the file and leaves its folder.
    std::filesystem::remove(first);
    const std::filesystem::path second =
        engine.extractSingleFileToCache(listing, entry, std::nullopt, cache.path() / "tab", nullptr);
    EXPECT_EQ(testing::readFile(second), "kept\n");
}

TEST(CacheRetryTest, TheCacheFolderIsPrivateAndAPlantedLinkIsRefused) {
    testing::TemporaryFolder source;
    testing::TemporaryFolder cache;
    source.write("note.txt", "x");
    const std::filesystem::path zip = source.path() / "n.zip";
    testing::runTool(source.path(), "7zz", {"a", zip.string(), "note.txt"});
    const ArchiveListing listing = testing::listed(zip);
    const ArchiveEngineService engine;
    const ArchiveEntry& entry = testing::entryWithID(listing, "note.txt");
    (void)engine.extractSingleFileToCache(listing, entry, std::nullopt, cache.path() / "tab", nullptr);
    const auto mode = std::filesystem::status(cache.path() / "tab").permissions();
    EXPECT_EQ(mode & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);

    testing::TemporaryFolder elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.path(), cache.path() / "planted");
    EXPECT_THROW((void)engine.extractSingleFileToCache(listing, entry, std::nullopt,
                                                       cache.path() / "planted", nullptr),
                 std::filesystem::filesystem_error);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

}  // namespace
}  // namespace kelvane
