// Lists archives made here with the real tools through the dispatch, with both tools
// present and with one or both missing.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "ListingTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ListingDispatch.hpp"
#include "index/ArchiveDirectoryIndex.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::childProcessesNamed;
using testing::findEntry;
using testing::idsOf;
using testing::runTool;
using testing::ToolFolder;

ArchiveEngineError::Case errorOf(const std::function<void()>& action,
                                 std::string* payload = nullptr) {
    try {
        action();
    } catch (const ArchiveEngineError& error) {
        if (payload != nullptr) *payload = error.payload();
        return error.kind();
    }
    ADD_FAILURE() << "the listing did not fail";
    return ArchiveEngineError::Case::processFailed;
}

std::vector<std::string> childIds(const ArchiveListing& listing, std::string_view folder) {
    std::vector<std::string> ids;
    for (const ArchiveEntry& entry : listing.tree()->children(folder)) ids.emplace_back(entry.id());
    return ids;
}

class ListingDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Nested folders, a unicode name, a file big enough to compress.
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deeper/big.txt", std::string(5000, 'x'));
        source_.write("docs/café ☕.txt", "café\n");
        source_.write("top.txt", "top\n");
    }

    fs::path archive(const std::string& name) const { return out_.path() / name; }

    static ArchiveListing list(const fs::path& at, std::optional<std::string> password = {},
                               const ListingOptions& options = {}) {
        return ListingDispatch::listArchive(at, password, nullptr, {}, options);
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(ListingDispatchTest, ZipWithoutFolderEntriesGetsItsFoldersFromTheIndex) {
    runTool(source_.path(), "zip", {"-q", "-r", "-D", archive("plain.zip"), "docs", "top.txt"});
    // Through the engine's public entry point.
    const ArchiveListing listing =
        ArchiveEngineService().listArchive(archive("plain.zip"), std::nullopt, nullptr, {});
    const ArchiveInfo& info = listing.info();
    EXPECT_EQ(info.url, archive("plain.zip"));
    EXPECT_EQ(info.formatName, "ZIP");
    EXPECT_EQ(info.listEngine, ArchiveEngineKind::sevenZip);
    EXPECT_EQ(info.extractEngine, ArchiveEngineKind::sevenZip);
    EXPECT_EQ(listing.entries().size(), 4U);
    EXPECT_EQ(info.fileCount, 4);
    EXPECT_EQ(info.folderCount, 3);  // docs, docs/sub, docs/sub/deeper: all synthesized
    EXPECT_EQ(info.totalUncompressedSize, 6 + 5000 + 6 + 4);
    EXPECT_LT(info.totalCompressedSize, info.totalUncompressedSize);
    EXPECT_EQ(info.physicalSize, static_cast<std::int64_t>(fs::file_size(archive("plain.zip"))));
    EXPECT_TRUE(info.isModifiable);
    EXPECT_FALSE(info.isMultiVolume);
    EXPECT_EQ(info.volumeCount, 1);
    EXPECT_GE(info.loadDurationMs, 1);
    EXPECT_EQ(childIds(listing, ""), (std::vector<std::string>{"docs", "top.txt"}));
    EXPECT_EQ(childIds(listing, "docs"),
              (std::vector<std::string>{"docs/sub", "docs/café ☕.txt", "docs/readme.md"}));
    ASSERT_TRUE(listing.tree()->folderNode("docs").has_value());
    EXPECT_EQ(listing.tree()->folderNode("docs")->recursiveFileCount, 3);
}

TEST_F(ListingDispatchTest, SevenZipWithEncryptedNamesNeedsThePasswordAndIsNotRetried) {
    runTool(source_.path(), "7zz",
            {"a", "-bd", "-bso0", "-mhe=on", "-pSecret", archive("names.7z").string(), "docs",
             "top.txt"});
    EXPECT_EQ(errorOf([&] { (void)list(archive("names.7z")); }),
              ArchiveEngineError::Case::passwordRequired);
    EXPECT_EQ(errorOf([&] { (void)list(archive("names.7z"), std::string()); }),
              ArchiveEngineError::Case::passwordRequired);
    // Had the unarchiver been tried after 7-Zip, it would have failed with a generic error.
    EXPECT_EQ(errorOf([&] { (void)list(archive("names.7z"), std::string("wrong")); }),
              ArchiveEngineError::Case::wrongPassword);

    const ArchiveListing listing = list(archive("names.7z"), std::string("Secret"));
    EXPECT_EQ(listing.info().formatName, "7Z");
    EXPECT_EQ(listing.info().fileCount, 4);
    EXPECT_TRUE(listing.info().hasEncryptedEntries);
    EXPECT_TRUE(findEntry(listing.entries(), "docs/sub/deeper/big.txt")->isEncrypted());
}

TEST_F(ListingDispatchTest, CompressedTarIsListedAsItsTarStream) {
    runTool(source_.path(), "tar", {"-czf", archive("bundle.tar.gz").string(), "docs", "top.txt"});
    const ArchiveListing listing = list(archive("bundle.tar.gz"));
    const ArchiveInfo& info = listing.info();
    EXPECT_EQ(info.listEngine, ArchiveEngineKind::tarStream);
    EXPECT_EQ(info.extractEngine, ArchiveEngineKind::tarStream);
    EXPECT_EQ(info.formatName, "TAR.GZ");
    EXPECT_EQ(info.fileCount, 4);
    EXPECT_EQ(info.folderCount, 3);
    EXPECT_FALSE(info.isModifiable);
    EXPECT_EQ(info.volumeCount, 1);
    EXPECT_EQ(childIds(listing, ""), (std::vector<std::string>{"docs", "top.txt"}));
}

TEST_F(ListingDispatchTest, DuplicatePathsStayInTheListingButOnceInTheIndex) {
    runTool(source_.path(), "tar", {"-cf", archive("dup.tar").string(), "top.txt"});
    source_.write("top.txt", "a longer second version\n");
    runTool(source_.path(), "tar", {"-rf", archive("dup.tar").string(), "top.txt"});
    const ArchiveListing listing = list(archive("dup.tar"));
    EXPECT_EQ(idsOf(listing.entries()), (std::vector<std::string>{"top.txt", "top.txt"}));
    EXPECT_EQ(listing.info().fileCount, 2);
    ASSERT_EQ(listing.tree()->allEntries().size(), 1U);
    // The later entry wins.
    EXPECT_EQ(listing.tree()->entry("top.txt")->uncompressedSize(), 24);
    EXPECT_TRUE(listing.info().isModifiable);
}

TEST_F(ListingDispatchTest, EmptyZipListsNothing) {
    // The end-of-central-directory record alone is a complete, empty ZIP.
    std::ofstream(archive("empty.zip"), std::ios::binary)
        << std::string("PK\x05\x06", 4) << std::string(18, '\0');
    const ArchiveListing listing = list(archive("empty.zip"));
    EXPECT_TRUE(listing.entries().empty());
    EXPECT_EQ(listing.info().fileCount, 0);
    EXPECT_EQ(listing.info().folderCount, 0);
    EXPECT_EQ(listing.info().totalCompressedSize, 22);  // the physical size stands in
    EXPECT_TRUE(listing.tree()->children("").empty());
}

TEST_F(ListingDispatchTest, MissingSevenZipFallsBackToTheUnarchiver) {
    runTool(source_.path(), "zip", {"-q", "-r", archive("plain.zip"), "docs", "top.txt"});
    const ToolFolder onlyLsar({"lsar"});
    const ArchiveListing listing =
        list(archive("plain.zip"), {}, ListingOptions{onlyLsar.searchFolders(), {}});
    EXPECT_EQ(listing.info().listEngine, ArchiveEngineKind::unarchiver);
    EXPECT_EQ(listing.info().formatName, "Zip");
    EXPECT_EQ(listing.info().fileCount, 4);
    EXPECT_TRUE(listing.info().isModifiable);

    // A compressed tar needs 7-Zip to read its tar stream; without it the unarchiver lists it.
    runTool(source_.path(), "tar", {"-czf", archive("bundle.tgz").string(), "docs", "top.txt"});
    const ArchiveListing byLsar =
        list(archive("bundle.tgz"), {}, ListingOptions{onlyLsar.searchFolders(), {}});
    EXPECT_EQ(byLsar.info().listEngine, ArchiveEngineKind::unarchiver);
    EXPECT_EQ(byLsar.info().extractEngine, ArchiveEngineKind::unarchiver);
    EXPECT_EQ(byLsar.info().fileCount, 4);
    EXPECT_EQ(childIds(byLsar, ""), (std::vector<std::string>{"docs", "top.txt"}));

    // The other way round: without `lsar` or bsdtar, 7-Zip alone reads the tar stream.
    const ToolFolder onlySevenZip({"7zz"});
    const ArchiveListing tar =
        list(archive("bundle.tgz"), {}, ListingOptions{onlySevenZip.searchFolders(), {}});
    EXPECT_EQ(tar.info().listEngine, ArchiveEngineKind::tarStream);
    EXPECT_EQ(tar.info().formatName, "TAR.GZ");
    EXPECT_EQ(tar.info().fileCount, 4);
}

TEST_F(ListingDispatchTest, BothToolsMissingNamesTheLastOneTried) {
    runTool(source_.path(), "zip", {"-q", archive("plain.zip"), "top.txt"});
    const ToolFolder none({});
    std::string tool;
    EXPECT_EQ(
        errorOf(
            [&] {
                (void)list(archive("plain.zip"), {}, ListingOptions{none.searchFolders(), {}});
            },
            &tool),
        ArchiveEngineError::Case::binaryNotFound);
    EXPECT_EQ(tool, "lsar");
    EXPECT_EQ(errorOf(
                  [&] {
                      (void)list(archive("x.lzh"), {}, ListingOptions{none.searchFolders(), {}});
                  },
                  &tool),
              ArchiveEngineError::Case::binaryNotFound);
    EXPECT_EQ(tool, "7zz");
}

TEST_F(ListingDispatchTest, SevenZipUnderItsAlternativeNameIsUsed) {
    runTool(source_.path(), "zip", {"-q", archive("plain.zip"), "top.txt"});
    testing::TemporaryFolder tools;
    fs::create_symlink("/usr/bin/7zz", tools.path() / "7z");
    const ArchiveListing listing = list(
        archive("plain.zip"), {}, ListingOptions{BinaryLocator::SearchFolders{{tools.path()}}, {}});
    EXPECT_EQ(listing.info().listEngine, ArchiveEngineKind::sevenZip);
}

TEST_F(ListingDispatchTest, UnarchiverFailureFallsBackToSevenZip) {
    // An ISO image the unarchiver cannot parse but 7-Zip can, under an extension the
    // unarchiver is asked first for.
    fs::copy_file(
        fs::path(KELVANE_FIXTURES_DIR) / "corpus/iso/test_read_format_iso_multi_extent.iso",
        archive("image.lzh"));
    const ArchiveListing listing = list(archive("image.lzh"));
    EXPECT_EQ(listing.info().listEngine, ArchiveEngineKind::sevenZip);
    EXPECT_EQ(listing.info().formatName, "ISO");
    EXPECT_EQ(listing.entries().size(), 1U);
}

TEST_F(ListingDispatchTest, RunningCountComesEvery2500FilesFromTheStreamingTool) {
    for (int i = 0; i < 5000; ++i) source_.write("many/f" + std::to_string(i), "");
    runTool(source_.path(), "zip", {"-q", "-r", "-0", archive("many.zip"), "many"});
    std::vector<std::int64_t> counts;
    const ArchiveListing listing =
        ListingDispatch::listArchive(archive("many.zip"), {}, nullptr,
                                     [&counts](std::int64_t count) { counts.push_back(count); });
    EXPECT_EQ(counts, (std::vector<std::int64_t>{2500, 5000}));
    EXPECT_EQ(listing.info().fileCount, 5000);
}

TEST_F(ListingDispatchTest, IndexBuildTimeIsReported) {
    runTool(source_.path(), "zip", {"-q", archive("plain.zip"), "top.txt"});
    int reports = 0;
    ListingOptions options;
    options.onIndexBuilt = [&reports](std::chrono::steady_clock::duration took) {
        EXPECT_GE(took.count(), 0);
        ++reports;
    };
    (void)list(archive("plain.zip"), {}, options);
    EXPECT_EQ(reports, 1);
}

TEST_F(ListingDispatchTest, CancelledTokenStartsNothing) {
    runTool(source_.path(), "zip", {"-q", archive("plain.zip"), "top.txt"});
    auto token = std::make_shared<ProcessCancellationToken>();
    token->cancel();
    EXPECT_EQ(
        errorOf([&] { (void)ListingDispatch::listArchive(archive("plain.zip"), {}, token, {}); }),
        ArchiveEngineError::Case::cancelled);
}

// The unarchiver spins on this damaged 7z (which 7-Zip refuses, so the dispatch falls back
// to it) and would grow without end: cancelling must stop it at once.
TEST_F(ListingDispatchTest, CancellingStopsASpinningTool) {
    const fs::path sample =
        fs::path(KELVANE_FIXTURES_DIR) / "corpus/7z/test_read_format_7zip_entries_oom.7z";
    auto token = std::make_shared<ProcessCancellationToken>();
    auto listing = std::async(std::launch::async, [&] {
        return errorOf([&] { (void)ListingDispatch::listArchive(sample, {}, token, {}); });
    });

    std::vector<pid_t> spinning;
    while (spinning.empty() &&
           listing.wait_for(std::chrono::milliseconds(10)) == std::future_status::timeout) {
        spinning = childProcessesNamed(::getpid(), "lsar");
    }
    ASSERT_EQ(spinning.size(), 1U) << "the unarchiver never ran";
    token->cancel();
    EXPECT_EQ(listing.get(), ArchiveEngineError::Case::cancelled);
    // Reaped before the listing returned: no such process any more.
    EXPECT_NE(::kill(spinning.front(), 0), 0);
}

}  // namespace
}  // namespace kelvane
