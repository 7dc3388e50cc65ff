// Archives that are damaged, cut short, encrypted or oddly named, made here with the real
// tools: a failure is reported as what it is (never as a password problem when nothing is
// encrypted), a run that fails leaves no junk behind, and a selection that matches nothing
// never passes for success.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using Case = ArchiveEngineError::Case;
using testing::contentsBelow;
using testing::engineErrorOf;
using testing::entryWithID;
using testing::incompressibleBytes;
using testing::listed;
using testing::runTool;
using testing::withExtractEngine;
using Contents = std::map<std::string, std::string>;

ArchiveListing pointedAt(const ArchiveListing& listing, const fs::path& url) {
    ArchiveInfo info = listing.info();
    info.url = url;
    return ArchiveListing(info, listing.entries(), listing.tree());
}

// A copy of `archive` with `count` bytes from `offset` on inverted.
fs::path damagedCopy(const fs::path& archive, const fs::path& copy, std::size_t offset,
                     std::size_t count) {
    std::string bytes = testing::readFile(archive);
    for (std::size_t i = offset; i < offset + count && i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    }
    std::ofstream(copy, std::ios::binary) << bytes;
    return copy;
}

fs::path truncatedCopy(const fs::path& archive, const fs::path& copy) {
    const std::string bytes = testing::readFile(archive);
    std::ofstream(copy, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    return copy;
}

class DamagedArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("a.txt", "alpha");
        source_.write("passwords.txt", "not a secret");
        source_.write("big.bin", incompressibleBytes(200000));
    }

    [[nodiscard]] fs::path destination(const std::string& name = "dest") const {
        return out_.path() / name;
    }

    // Every regular file below the folder with a size its listing entry does not have.
    static std::vector<std::string> filesOfWrongSize(const fs::path& folder,
                                                     const ArchiveListing& listing) {
        std::vector<std::string> wrong;
        if (!fs::exists(folder)) return wrong;
        for (const auto& item : fs::recursive_directory_iterator(folder)) {
            if (!item.is_regular_file()) continue;
            const std::string id = item.path().lexically_relative(folder).generic_string();
            const ArchiveEntry* entry = testing::findEntry(listing.entries(), id);
            if (entry != nullptr &&
                static_cast<std::int64_t>(item.file_size()) != entry->uncompressedSize()) {
                wrong.push_back(id);
            }
        }
        return wrong;
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

// --- Folder names made from archive names ---

TEST(SmartSubfolderName, IsAlwaysOneOrdinaryFolderName) {
    const std::map<std::string, std::string> cases{
        {"/d/...zip", "Extracted"}, {"/d/..tar.gz", "Extracted"}, {"/d/. .7z", "Extracted"},
        {"/d/.zip", "Extracted"},   {"/d/. . .rar", "Extracted"}, {"/d/ .zip", "Extracted"},
        {"/d/a.b.zip", "a.b"},      {"/d/..a.zip", "..a"},        {"/d/.hidden.tar.gz", ".hidden"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(ArchiveExtractor::cleanArchiveBaseName(path), expected) << path;
    }
    EXPECT_EQ(ArchiveExtractor::kFallbackFolderName, "Extracted");
}

TEST_F(DamagedArchiveTest, ArchiveNamedDotDotNeverSpillsIntoTheParentFolder) {
    for (const std::string name : {"...zip", "..tar.gz", ". .7z"}) {
        SCOPED_TRACE(name);
        const fs::path archive = out_.path() / name;
        if (name.ends_with(".tar.gz")) {
            runTool(source_.path(), "bsdtar", {"-czf", archive.string(), "a.txt", "passwords.txt"});
        } else {
            runTool(source_.path(), "7zz", {"a", archive.string(), "a.txt", "passwords.txt"});
        }
        const fs::path home = out_.path() / ("home" + std::to_string(name.size()));
        fs::create_directories(home / "Downloads");
        std::ofstream(home / "a.txt") << "the user's own";

        const fs::path written = ArchiveEngineService().extract(
            listed(archive), {}, ExtractArchiveOptions(home / "Downloads"), nullptr, {});
        EXPECT_EQ(written, home / "Downloads" / "Extracted");
        EXPECT_EQ(contentsBelow(home),
                  (Contents{{"a.txt", "the user's own"},
                            {"Downloads", "/"},
                            {"Downloads/Extracted", "/"},
                            {"Downloads/Extracted/a.txt", "alpha"},
                            {"Downloads/Extracted/passwords.txt", "not a secret"}}));
    }
}

// --- Damage is damage, not a password problem ---

TEST_F(DamagedArchiveTest, DamagedUnencryptedArchivesFailAsDamageThroughBothTools) {
    const fs::path zip = out_.path() / "plain.zip";
    runTool(source_.path(), "7zz", {"a", zip.string(), "a.txt", "passwords.txt", "big.bin"});
    const fs::path tarGz = out_.path() / "plain.tar.gz";
    runTool(source_.path(), "bsdtar",
            {"-czf", tarGz.string(), "a.txt", "passwords.txt", "big.bin"});

    struct Sample {
        std::string name;
        ArchiveListing listing;
    };
    const ArchiveListing zipListing = listed(zip);
    const ArchiveListing tarListing = listed(tarGz);
    const std::size_t zipMiddle = testing::readFile(zip).size() / 2;
    const std::size_t tarMiddle = testing::readFile(tarGz).size() / 2;
    const std::vector<Sample> samples{
        {"zip via 7zz", pointedAt(withExtractEngine(zipListing, ArchiveEngineKind::sevenZip),
                                  damagedCopy(zip, out_.path() / "d1.zip", zipMiddle, 64))},
        {"zip via unar", pointedAt(withExtractEngine(zipListing, ArchiveEngineKind::unarchiver),
                                   damagedCopy(zip, out_.path() / "d2.zip", zipMiddle, 64))},
        {"tar.gz via unar",
         pointedAt(withExtractEngine(tarListing, ArchiveEngineKind::unarchiver),
                   damagedCopy(tarGz, out_.path() / "d3.tar.gz", tarMiddle, 64))},
        {"tar.gz via 7zz", pointedAt(withExtractEngine(tarListing, ArchiveEngineKind::sevenZip),
                                     damagedCopy(tarGz, out_.path() / "d4.tar.gz", tarMiddle, 64))},
    };
    const ArchiveEngineService engine;
    int index = 0;
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        ASSERT_FALSE(sample.listing.info().hasEncryptedEntries);
        const fs::path into = destination("x" + std::to_string(index++));
        const ArchiveEngineError error = engineErrorOf([&] {
            (void)engine.extract(sample.listing, {}, ExtractArchiveOptions(into, false), nullptr,
                                 {});
        });
        EXPECT_EQ(error.kind(), Case::processFailed) << error.payload();
        EXPECT_NE(error.payload().find("Complete files written: "), std::string::npos)
            << error.payload();
        EXPECT_EQ(filesOfWrongSize(into, sample.listing), std::vector<std::string>{});

        ArchiveTestResult result;
        EXPECT_NO_THROW(result = engine.testArchive(sample.listing, std::nullopt, nullptr, {}));
        EXPECT_FALSE(result.passed) << result.summary;
    }
}

TEST_F(DamagedArchiveTest, TruncatedDiscImageNeitherTestsAsPassedNorLeavesEmptyFiles) {
    testing::TemporaryFolder disc;
    for (int i = 0; i < 30; ++i) {
        disc.write("d/f" + std::to_string(i) + ".bin",
                   incompressibleBytes(20000, static_cast<std::uint64_t>(i)));
    }
    const fs::path iso = out_.path() / "disc.iso";
    runTool(disc.path(), "bsdtar", {"--format", "iso9660", "-cf", iso.string(), "d"});
    const fs::path half = truncatedCopy(iso, out_.path() / "half.iso");
    const ArchiveListing listing = listed(half);
    ASSERT_EQ(listing.info().fileCount, 30);

    const ArchiveEngineService engine;
    for (const ArchiveEngineKind tool :
         {ArchiveEngineKind::unarchiver, ArchiveEngineKind::sevenZip}) {
        SCOPED_TRACE((tool == ArchiveEngineKind::sevenZip ? 7 : 1));
        const ArchiveListing viaTool = withExtractEngine(listing, tool);
        const ArchiveTestResult result = engine.testArchive(viaTool, std::nullopt, nullptr, {});
        EXPECT_FALSE(result.passed) << result.summary;

        const fs::path into =
            destination("iso" + std::to_string((tool == ArchiveEngineKind::sevenZip ? 7 : 1)));
        const ArchiveEngineError error = engineErrorOf([&] {
            (void)engine.extract(viaTool, {}, ExtractArchiveOptions(into, false), nullptr, {});
        });
        EXPECT_EQ(error.kind(), Case::processFailed) << error.payload();
        EXPECT_EQ(filesOfWrongSize(into, listing), std::vector<std::string>{});
    }
}

// --- Passwords: nothing left behind ---

TEST_F(DamagedArchiveTest, FailedPasswordRunsRemoveWhatTheyCreatedAndNothingElse) {
    const fs::path zip = out_.path() / "aes.zip";
    runTool(source_.path(), "7zz",
            {"a", "-psecret", "-mem=AES256", zip.string(), "a.txt", "passwords.txt", "big.bin"});
    const ArchiveListing listing = listed(zip);
    ASSERT_TRUE(listing.info().hasEncryptedEntries);

    const ArchiveEngineService engine;
    int index = 0;
    for (const ArchiveEngineKind tool :
         {ArchiveEngineKind::sevenZip, ArchiveEngineKind::unarchiver}) {
        for (const std::optional<std::string>& password :
             {std::optional<std::string>("wrong"), std::optional<std::string>()}) {
            SCOPED_TRACE(std::to_string((tool == ArchiveEngineKind::sevenZip ? 7 : 1)) + " " +
                         password.value_or("-"));
            const fs::path into = destination("p" + std::to_string(index++));
            fs::create_directories(into / "mine");
            std::ofstream(into / "mine" / "keep.txt") << "keep";
            std::ofstream(into / "passwords.txt") << "the user's own";
            ExtractArchiveOptions options(into, false, ExtractOverwriteMode::skipExisting, password,
                                          false);
            const ArchiveEngineError error = engineErrorOf([&] {
                (void)engine.extract(withExtractEngine(listing, tool), {}, options, nullptr, {});
            });
            EXPECT_EQ(error.kind(), password ? Case::wrongPassword : Case::passwordRequired)
                << error.payload();
            EXPECT_EQ(contentsBelow(into), (Contents{{"mine", "/"},
                                                     {"mine/keep.txt", "keep"},
                                                     {"passwords.txt", "the user's own"}}));
        }
    }
}

TEST_F(DamagedArchiveTest, ARunThatKeepsNothingTakesBackTheFoldersItMadeButNoneOfTheUsers) {
    const fs::path zip = out_.path() / "aes.zip";
    runTool(source_.path(), "7zz",
            {"a", "-psecret", "-mem=AES256", zip.string(), "a.txt", "passwords.txt", "big.bin"});
    const ArchiveListing listing = listed(zip);
    const auto cancelled = std::make_shared<ProcessCancellationToken>();
    cancelled->cancel();
    struct Attempt {
        std::string name;
        std::optional<std::string> password;
        std::shared_ptr<ProcessCancellationToken> token;
        Case expected;
    };
    const std::vector<Attempt> attempts{
        {"wrong", "wrong", nullptr, Case::wrongPassword},
        {"none", std::nullopt, nullptr, Case::passwordRequired},
        {"cancelled", "secret", cancelled, Case::cancelled},
    };
    const ArchiveEngineService engine;
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        // The smart subfolder ("aes") below a folder that does not exist yet either.
        const fs::path parent = destination(attempt.name) / "new";
        const ArchiveEngineError madeHere = engineErrorOf([&] {
            (void)engine.extract(
                listing, {},
                ExtractArchiveOptions(parent, true, ExtractOverwriteMode::overwrite,
                                      attempt.password, false),
                attempt.token, {});
        });
        EXPECT_EQ(madeHere.kind(), attempt.expected) << madeHere.payload();
        EXPECT_FALSE(fs::exists(destination(attempt.name))) << "a folder made for the run stays";

        // A folder that was there before stays, empty or not.
        fs::create_directories(destination(attempt.name) / "aes");
        const ArchiveEngineError existing = engineErrorOf([&] {
            (void)engine.extract(
                listing, {},
                ExtractArchiveOptions(destination(attempt.name), true,
                                      ExtractOverwriteMode::overwrite, attempt.password, false),
                attempt.token, {});
        });
        EXPECT_EQ(existing.kind(), attempt.expected) << existing.payload();
        EXPECT_TRUE(fs::is_directory(destination(attempt.name) / "aes"));
        EXPECT_TRUE(fs::is_empty(destination(attempt.name) / "aes"));
    }
}

// --- Names that are not UTF-8 ---

TEST_F(DamagedArchiveTest, SelectionThatMatchesNothingIsAFailureNotASuccess) {
    testing::TemporaryFolder latin;
    latin.write("caf\xE9.txt", "latin-1 name");
    latin.write("ok.txt", "fine");
    const fs::path tar = out_.path() / "latin.tar";
    runTool(latin.path(), "bsdtar",
            {"--format", "ustar", "-cf", tar.string(), "caf\xE9.txt", "ok.txt"});
    const ArchiveListing listing = listed(tar);
    const ArchiveEntry repaired = entryWithID(listing, "caf\xEF\xBF\xBD.txt");
    const ArchiveEngineService engine;

    const ArchiveEngineError extraction = engineErrorOf([&] {
        (void)engine.extract(withExtractEngine(listing, ArchiveEngineKind::sevenZip), {repaired},
                             ExtractArchiveOptions(destination("sel")), nullptr, {});
    });
    EXPECT_EQ(extraction.kind(), Case::processFailed);
    EXPECT_NE(extraction.payload().find("0 of 1"), std::string::npos) << extraction.payload();

    // A selection that matches is still fine.
    (void)engine.extract(listing, {entryWithID(listing, "ok.txt")},
                         ExtractArchiveOptions(destination("ok")), nullptr, {});
    EXPECT_EQ(contentsBelow(destination("ok")), (Contents{{"ok.txt", "fine"}}));

    const ArchiveEngineError deletion = engineErrorOf(
        [&] { engine.deleteEntries({repaired}, listing, std::nullopt, nullptr, {}); });
    EXPECT_EQ(deletion.kind(), Case::processFailed);
    EXPECT_NE(deletion.payload().find("0 of 1"), std::string::npos) << deletion.payload();
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

TEST_F(DamagedArchiveTest, UnarchiverSelectorsThatLookLikeOptionsAreNames) {
    testing::TemporaryFolder dashed;
    dashed.write("-r", "dash");
    dashed.write("b.txt", "other");
    const fs::path zip = out_.path() / "dash.zip";
    runTool(dashed.path(), "7zz", {"a", zip.string(), "./-r", "b.txt"});
    // Name mode: the entry carries no unarchiver index.
    const ArchiveListing listing = withExtractEngine(listed(zip), ArchiveEngineKind::unarchiver);
    ASSERT_FALSE(entryWithID(listing, "-r").xadIndex().has_value());
    (void)ArchiveEngineService().extract(listing, {entryWithID(listing, "-r")},
                                         ExtractArchiveOptions(destination("dash")), nullptr, {});
    EXPECT_EQ(contentsBelow(destination("dash")), (Contents{{"-r", "dash"}}));
}

}  // namespace
}  // namespace kelvane
