// Archives built to write outside the folder they are extracted into: names with "../",
// absolute names, and links leading out followed by entries through them, through both
// tools. Nothing may ever change outside the destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "index/ArchiveDirectoryIndex.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::contentsBelow;
using testing::engineErrorOf;
using testing::entryWithID;
using testing::listed;
using testing::runTool;
using testing::withExtractEngine;
using Contents = std::map<std::string, std::string>;

class HostileArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_.write("outside/victim.txt", "victim");
        fs::create_directories(dest());
    }

    fs::path dest() const { return world_.path() / "dest"; }
    fs::path outside() const { return world_.path() / "outside"; }

    // Everything in the world but the destination.
    Contents worldOutsideTheDestination() const {
        Contents contents = contentsBelow(world_.path());
        std::erase_if(contents, [](const auto& item) { return item.first.starts_with("dest"); });
        return contents;
    }

    // dots.<ext>: "../dotdot.txt", "a/../../dotdot2.txt", an absolute name inside
    // `outside()` and "ok.txt". The absolute file exists only while the archive is made.
    std::vector<ArchiveListing> dotsArchives() {
        const testing::TemporaryFolder stage;
        stage.write("dotdot.txt", "dd");
        stage.write("dotdot2.txt", "dd2");
        stage.write("inner/ok.txt", "ok");
        fs::create_directories(stage.path() / "inner/a");
        const fs::path absolute = world_.write("outside/abs.txt", "absolute");
        const std::vector<std::string> names{"../dotdot.txt", "a/../../dotdot2.txt",
                                             absolute.string(), "ok.txt"};
        std::vector<ArchiveListing> listings;
        for (const std::string format : {"tar", "zip", "tar.gz"}) {
            const fs::path archive = archives_.path() / ("dots." + format);
            std::vector<std::string> arguments{"-P", "-caf", archive.string()};
            arguments.insert(arguments.end(), names.begin(), names.end());
            runTool(stage.path() / "inner", "bsdtar", arguments);
            listings.push_back(testing::listedByUnarchiverWhenTarGz(archive));
        }
        fs::remove(absolute);
        return withBothTools(listings);
    }

    // links.<ext>: "link" leading to `outside()`, then "link/through.txt", and, when asked,
    // `fillers` files in between.
    std::vector<ArchiveListing> linkArchives(int fillers = 0) {
        const testing::TemporaryFolder first;
        const testing::TemporaryFolder second;
        fs::create_directory_symlink(outside(), first.path() / "link");
        std::vector<std::string> firstNames{"link"};
        for (int i = 0; i < fillers; ++i) {
            firstNames.push_back("fill/f" + std::to_string(1000 + i));
            first.write(firstNames.back(), "f");
        }
        second.write("link/through.txt", "through");
        const fs::path tar = archives_.path() / "links.tar";
        std::vector<std::string> arguments{"-cf", tar.string()};
        arguments.insert(arguments.end(), firstNames.begin(), firstNames.end());
        runTool(first.path(), "bsdtar", arguments);
        runTool(second.path(), "bsdtar", {"-rf", tar.string(), "link/through.txt"});
        std::vector<ArchiveListing> listings{listed(tar)};
        for (const std::string format : {"zip", "tar.gz"}) {
            const fs::path archive = archives_.path() / ("links." + format);
            runTool(archives_.path(), "bsdtar", {"-caf", archive.string(), "@" + tar.string()});
            listings.push_back(testing::listedByUnarchiverWhenTarGz(archive));
        }
        return withBothTools(listings);
    }

    // The listings as they are (7-Zip for .tar and .zip, the unarchiver for .tar.gz), and
    // the ZIP once more through the unarchiver.
    static std::vector<ArchiveListing> withBothTools(std::vector<ArchiveListing> listings) {
        EXPECT_EQ(listings[0].info().extractEngine, ArchiveEngineKind::sevenZip);
        EXPECT_EQ(listings[2].info().extractEngine, ArchiveEngineKind::unarchiver);
        listings.push_back(withExtractEngine(listings[1], ArchiveEngineKind::unarchiver));
        return listings;
    }

    static std::string describe(const ArchiveListing& listing) {
        return listing.info().url.filename().string() + " via " +
               std::string(listing.info().extractEngine.rawValue());
    }

    // Extracts and tolerates the tools' own refusals: only what lands where matters here.
    void extractIgnoringFailures(const ArchiveListing& listing,
                                 const std::vector<ArchiveEntry>& selection,
                                 ExtractOverwriteMode mode = ExtractOverwriteMode::overwrite) {
        try {
            (void)ArchiveExtractor::extract(
                listing, selection, ExtractArchiveOptions(dest(), false, mode), nullptr, {});
        } catch (const ArchiveEngineError&) {
        }
    }

    void clearDestination() {
        fs::remove_all(dest());
        fs::create_directories(dest());
    }

    testing::TemporaryFolder world_;
    testing::TemporaryFolder archives_;
};

TEST_F(HostileArchiveTest, ClimbingAndAbsoluteNamesLandInsideTheDestination) {
    const std::vector<ArchiveListing> listings = dotsArchives();
    const Contents before = worldOutsideTheDestination();
    for (const ArchiveListing& listing : listings) {
        clearDestination();
        extractIgnoringFailures(listing, {});
        EXPECT_EQ(worldOutsideTheDestination(), before) << describe(listing);
        const Contents written = contentsBelow(dest());
        EXPECT_EQ(written.at("ok.txt"), "ok") << describe(listing);
        // Every payload came out somewhere inside.
        for (const std::string payload : {"dd", "dd2", "absolute"}) {
            EXPECT_TRUE(std::any_of(written.begin(), written.end(),
                                    [&](const auto& item) { return item.second == payload; }))
                << describe(listing) << " lost " << payload;
        }
    }
}

TEST_F(HostileArchiveTest, ALinkLeadingOutIsNeverWrittenThrough) {
    const std::vector<ArchiveListing> listings = linkArchives();
    const Contents before = worldOutsideTheDestination();
    for (const ArchiveListing& listing : listings) {
        // In one run, the tools themselves refuse.
        clearDestination();
        extractIgnoringFailures(listing, {});
        EXPECT_EQ(worldOutsideTheDestination(), before) << describe(listing);

        // Across runs: the link from the first run is in place when the second one starts.
        clearDestination();
        const ArchiveEntry link = *std::find_if(
            listing.entries().begin(), listing.entries().end(),
            [](const ArchiveEntry& entry) { return entry.id() == "link" && !entry.isDirectory(); });
        extractIgnoringFailures(listing, {link});
        ASSERT_TRUE(fs::is_symlink(dest() / "link")) << describe(listing);
        for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
            for (const bool wholeArchive : {false, true}) {
                const std::vector<ArchiveEntry> selection =
                    wholeArchive
                        ? std::vector<ArchiveEntry>{}
                        : std::vector<ArchiveEntry>{entryWithID(listing, "link/through.txt")};
                const ArchiveEngineError error = engineErrorOf([&] {
                    (void)ArchiveExtractor::extract(listing, selection,
                                                    ExtractArchiveOptions(dest(), false, mode),
                                                    nullptr, {});
                });
                EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed)
                    << describe(listing) << " " << mode.rawValue();
                EXPECT_NE(error.payload().find("link/through.txt"), std::string::npos)
                    << error.payload();
                EXPECT_EQ(worldOutsideTheDestination(), before)
                    << describe(listing) << " " << mode.rawValue() << " whole " << wholeArchive;
            }
        }
    }
}

TEST_F(HostileArchiveTest, ALaterBatchDoesNotWriteThroughALinkAnEarlierBatchMade) {
    // The link goes in the first batch of 350 selectors, the entry through it in the second.
    const ArchiveListing listing = linkArchives(350)[2];
    ASSERT_EQ(listing.info().extractEngine, ArchiveEngineKind::unarchiver);
    std::vector<ArchiveEntry> selection;
    for (const ArchiveEntry& entry : listing.entries()) {
        if (!entry.isDirectory() && entry.id() != "link/through.txt") selection.push_back(entry);
    }
    ASSERT_EQ(selection.size(), 351U);
    selection.push_back(entryWithID(listing, "link/through.txt"));
    const Contents before = worldOutsideTheDestination();
    const testing::LoggingToolFolder tools({"unar"});

    const ArchiveEngineError error = engineErrorOf([&] {
        (void)ArchiveExtractor::extract(listing, selection, ExtractArchiveOptions(dest()), nullptr,
                                        {}, tools.searchFolders());
    });
    EXPECT_EQ(error.kind(), ArchiveEngineError::Case::processFailed) << error.payload();
    EXPECT_EQ(tools.runs().size(), 1U);
    EXPECT_TRUE(fs::is_symlink(dest() / "link"));
    EXPECT_EQ(worldOutsideTheDestination(), before);
}

TEST_F(HostileArchiveTest, LinksAlreadyInTheDestinationAreReplacedNotWrittenThrough) {
    const testing::TemporaryFolder stage;
    stage.write("leak", "from the archive");
    std::vector<ArchiveListing> listings;
    for (const std::string format : {"tar", "zip", "tar.gz"}) {
        const fs::path archive = archives_.path() / ("leak." + format);
        runTool(stage.path(), "bsdtar", {"-caf", archive.string(), "leak"});
        listings.push_back(testing::listedByUnarchiverWhenTarGz(archive));
    }
    listings = withBothTools(listings);
    const Contents before = worldOutsideTheDestination();
    for (const ArchiveListing& listing : listings) {
        for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
            for (const fs::path& target : {outside() / "victim.txt", outside() / "new.txt"}) {
                clearDestination();
                fs::create_symlink(target, dest() / "leak");
                (void)ArchiveExtractor::extract(
                    listing, {}, ExtractArchiveOptions(dest(), false, mode), nullptr, {});
                const std::string label = describe(listing) + " " + std::string(mode.rawValue()) +
                                          " " + target.filename().string();
                EXPECT_EQ(worldOutsideTheDestination(), before) << label;
                if (mode == ExtractOverwriteMode::overwrite) {
                    EXPECT_FALSE(fs::is_symlink(dest() / "leak")) << label;
                    EXPECT_EQ(testing::readFile(dest() / "leak"), "from the archive") << label;
                } else {
                    EXPECT_TRUE(fs::is_symlink(dest() / "leak")) << label;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kelvane
