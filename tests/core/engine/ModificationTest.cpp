// Adding to and deleting from real archives in place through 7-Zip: what lands in the
// archive, what leaves it, names 7-Zip would read as wildcards, passwords, and refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "OperationTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiveModifier.hpp"
#include "engine/SevenZipListFile.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
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
using Ids = std::vector<std::string>;

class ModificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // List files go to a private temporary folder, so the test sees what is left there.
        environment_.set("TMPDIR", temporary_.path().string());
        source_.write("a*.txt", "star\n");
        source_.write("ab.txt", "ab\n");
        source_.write("abc.txt", "abc\n");
        source_.write(" lead.txt", "space\n");
        source_.write("quo\"te.txt", "quote\n");
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deep.txt", "deep\n");
        source_.write("docs/café ☕.txt", "café\n");
    }

    // Packs every source item with 7-Zip itself (`-spd`: the names are taken literally).
    fs::path pack(const std::string& name, const std::vector<std::string>& switches = {}) const {
        const fs::path archive = out_.path() / name;
        std::vector<std::string> arguments{"a", "-spd"};
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        arguments.push_back(archive.string());
        for (const auto& item : fs::directory_iterator(source_.path())) {
            arguments.push_back(item.path().string());
        }
        const ProcessResult result = runSystemTool("7zz", arguments);
        EXPECT_EQ(result.exitCode, 0) << result.stderrString();
        return archive;
    }

    static std::vector<ArchiveEntry> entries(const ArchiveListing& listing, const Ids& ids) {
        std::vector<ArchiveEntry> found;
        for (const std::string& id : ids) {
            const ArchiveEntry* entry = listing.tree()->entry(id);
            EXPECT_NE(entry, nullptr) << id;
            if (entry != nullptr) found.push_back(*entry);
        }
        return found;
    }

    static void remove(const ArchiveListing& listing, const Ids& ids,
                       const std::optional<std::string>& password = std::nullopt,
                       const ProgressHandler& onProgress = {}) {
        ArchiveEngineService().deleteEntries(entries(listing, ids), listing, password, nullptr,
                                             onProgress);
    }

    // Deletion list files still in the private temporary folder.
    std::vector<fs::path> listFilesLeft() const {
        std::vector<fs::path> left;
        for (const auto& item : fs::directory_iterator(temporary_.path())) {
            if (item.path().filename().string().starts_with("kelvane-del-")) left.push_back(item);
        }
        return left;
    }

    testing::TemporaryFolder temporary_;
    testing::ScopedEnvironment environment_;
    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(ModificationTest, DeletingAWildcardNameLeavesItsNeighbours) {
    for (const std::string name : {"w.zip", "w.7z", "w.tar"}) {
        const fs::path archive = pack(name);
        const ArchiveListing listing = listWithEngine(archive);
        ASSERT_TRUE(listing.info().isModifiable) << name;
        ProgressRecorder progress;
        remove(listing, {"a*.txt"}, std::nullopt, progress.handler());
        progress.expectClimbsToOne();
        const Ids left = fileIds(listWithEngine(archive));
        EXPECT_EQ(std::count(left.begin(), left.end(), "a*.txt"), 0) << name;
        EXPECT_EQ(std::count(left.begin(), left.end(), "ab.txt"), 1) << name;
        EXPECT_EQ(std::count(left.begin(), left.end(), "abc.txt"), 1) << name;
        EXPECT_EQ(left.size(), 7U) << name;
        EXPECT_TRUE(listFilesLeft().empty());
    }
}

TEST_F(ModificationTest, DeletingNamesWithBlanksQuotesAndUnicode) {
    const fs::path archive = pack("names.zip");
    remove(listWithEngine(archive), {" lead.txt", "quo\"te.txt", "docs/café ☕.txt"});
    EXPECT_EQ(fileIds(listWithEngine(archive)),
              (Ids{"a*.txt", "ab.txt", "abc.txt", "docs/readme.md", "docs/sub/deep.txt"}));
}

TEST_F(ModificationTest, DeletingAFolderTakesEverythingBelowIt) {
    // With folder entries (7-Zip writes them) and without (only the index knows the folders).
    const fs::path withFolders = pack("folders.zip");
    const fs::path withoutFolders = out_.path() / "bare.zip";
    ASSERT_EQ(runSystemTool("zip", {"-q", "-r", "-D", withoutFolders.string(), "docs", "ab.txt"},
                            source_.path())
                  .exitCode,
              0);
    for (const fs::path& archive : {withFolders, withoutFolders}) {
        remove(listWithEngine(archive), {"docs/sub"});
        const Ids left = fileIds(listWithEngine(archive));
        EXPECT_EQ(std::count(left.begin(), left.end(), "docs/sub/deep.txt"), 0);
        EXPECT_EQ(std::count(left.begin(), left.end(), "docs/readme.md"), 1);

        remove(listWithEngine(archive), {"docs"});
        const ArchiveListing after = listWithEngine(archive);
        for (const ArchiveEntry& entry : after.entries()) {
            EXPECT_FALSE(entry.id().starts_with("docs")) << entry.id();
        }
        const Ids remaining = fileIds(after);
        EXPECT_EQ(std::count(remaining.begin(), remaining.end(), "ab.txt"), 1);
    }
}

TEST_F(ModificationTest, NothingToDeleteRunsNoTool) {
    const fs::path archive = pack("same.zip");
    const std::string before = readFile(archive);
    int calls = 0;
    ArchiveEngineService().deleteEntries({}, listWithEngine(archive), std::nullopt, nullptr,
                                         [&](const ProgressReport&) { ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(readFile(archive), before);
}

TEST_F(ModificationTest, ReadOnlyArchivesAreRefusedBeforeAnyToolLookup) {
    const fs::path tarGz = out_.path() / "ro.tar.gz";
    ASSERT_EQ(
        runSystemTool("bsdtar", {"-czf", tarGz.string(), "-C", source_.path().string(), "docs"})
            .exitCode,
        0);
    const ArchiveListing listing = listWithEngine(tarGz);
    ASSERT_FALSE(listing.info().isModifiable);
    const BinaryLocator::SearchFolders nowhere{{out_.path() / "no-tools"}};
    const auto refusal = [](const std::function<void()>& action) {
        return engineErrorOf(action)->kind();
    };
    EXPECT_EQ(refusal([&] {
                  ArchiveModifier::deleteEntries(entries(listing, {"docs/readme.md"}), listing,
                                                 std::nullopt, nullptr, {}, nowhere);
              }),
              Case::unsupportedModification);
    for (const char* name : {"x.rar", "x.tar.gz", "x.iso"}) {
        EXPECT_EQ(refusal([&] {
                      ArchiveModifier::addFiles({source_.path() / "ab.txt"}, out_.path() / name,
                                                std::nullopt, nullptr, {}, nowhere);
                  }),
                  Case::unsupportedModification)
            << name;
    }
    // A writable archive with the tool missing names the tool.
    const ArchiveListing zip = listWithEngine(pack("tool.zip"));
    EXPECT_EQ(*engineErrorOf([&] {
        ArchiveModifier::deleteEntries(entries(zip, {"ab.txt"}), zip, std::nullopt, nullptr, {},
                                       nowhere);
    }),
              ArchiveEngineError::binaryNotFound("7zz"));
}

TEST_F(ModificationTest, AddingPutsFilesAndFoldersInWithoutTheDesktopJunk) {
    testing::TemporaryFolder more;
    more.write("new.txt", "new\n");
    more.write("extra/inner.txt", "inner\n");
    more.write("extra/.DS_Store", "junk");
    more.write("extra/__MACOSX/x", "junk");
    more.write("extra/._fork", "kept: adding leaves resource-fork names alone");
    for (const std::string name : {"add.zip", "add.7z", "add.tar"}) {
        const fs::path archive = pack(name);
        ProgressRecorder progress;
        ArchiveEngineService().addFiles({more.path() / "new.txt", more.path() / "extra"}, archive,
                                        std::nullopt, nullptr, progress.handler());
        progress.expectClimbsToOne();
        const ArchiveListing listing = listWithEngine(archive);
        const Ids ids = fileIds(listing);
        for (const char* expected : {"new.txt", "extra/inner.txt", "extra/._fork", "ab.txt"}) {
            EXPECT_EQ(std::count(ids.begin(), ids.end(), expected), 1) << name << " " << expected;
        }
        EXPECT_EQ(ids.size(), 11U) << name;
        const fs::path unpacked = out_.path() / ("unpacked-" + name);
        testing::unpackWithSevenZip(archive, unpacked);
        EXPECT_EQ(readFile(unpacked / "extra" / "inner.txt"), "inner\n");
        EXPECT_EQ(readFile(unpacked / "new.txt"), "new\n");
    }
}

TEST_F(ModificationTest, AddingAWildcardNameAddsOnlyThatFile) {
    testing::TemporaryFolder more;
    more.write("n*.txt", "star\n");
    more.write("no.txt", "no\n");
    more.write("nope.txt", "nope\n");
    const fs::path archive = pack("wild.zip");
    ArchiveEngineService().addFiles({more.path() / "n*.txt"}, archive, std::nullopt, nullptr, {});
    const Ids ids = fileIds(listWithEngine(archive));
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "n*.txt"), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "no.txt"), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "nope.txt"), 0);
}

TEST_F(ModificationTest, PasswordProtectedNamesNeedThePassword) {
    const fs::path archive = pack("secret.7z", {"-psecret", "-mhe=on"});
    testing::TemporaryFolder more;
    more.write("new.txt", "new\n");

    const auto wrongAdd = engineErrorOf([&] {
        ArchiveEngineService().addFiles({more.path() / "new.txt"}, archive, "guess", nullptr, {});
    });
    EXPECT_EQ(wrongAdd->kind(), Case::processFailed);
    EXPECT_FALSE(wrongAdd->payload().empty());

    ArchiveEngineService().addFiles({more.path() / "new.txt"}, archive, "secret", nullptr, {});
    const ArchiveListing listing = listWithEngine(archive, "secret");
    const Ids ids = fileIds(listing);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "new.txt"), 1);

    EXPECT_EQ(engineErrorOf([&] { remove(listing, {"ab.txt"}, "guess"); })->kind(),
              Case::processFailed);
    remove(listing, {"ab.txt"}, "secret");
    const Ids left = fileIds(listWithEngine(archive, "secret"));
    EXPECT_EQ(std::count(left.begin(), left.end(), "ab.txt"), 0);
    EXPECT_EQ(left.size(), ids.size() - 1);
    EXPECT_TRUE(listFilesLeft().empty());
}

TEST_F(ModificationTest, UnwritableListFileStopsTheDeletionBeforeTheTool) {
    const fs::path archive = pack("kept.zip");
    const ArchiveListing listing = listWithEngine(archive);
    const std::string before = readFile(archive);
    environment_.set("TMPDIR", (out_.path() / "missing-folder").string());
    EXPECT_THROW(remove(listing, {"ab.txt"}), fs::filesystem_error);
    EXPECT_EQ(readFile(archive), before);
}

TEST(SevenZipListFileTest, QuotesEveryNameAndLeavesNothingBehind) {
    EXPECT_EQ(SevenZipListFile::contents({"a*.txt", " lead", "quo\"te", "x"}),
              "\"a*.txt\"\n\" lead\"\n\"quo\"te\"\n\"x\"");
    EXPECT_EQ(SevenZipListFile::contents({}), "");
    fs::path written;
    {
        const SevenZipListFile file("kelvane-test-", {"one", "two"});
        written = file.path();
        EXPECT_TRUE(written.filename().string().starts_with("kelvane-test-"));
        EXPECT_EQ(written.extension(), ".txt");
        EXPECT_EQ(readFile(written), "\"one\"\n\"two\"");
    }
    EXPECT_FALSE(fs::exists(written));
}

}  // namespace
}  // namespace kelvane
