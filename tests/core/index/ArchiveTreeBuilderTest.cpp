#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "IndexTestEntries.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "index/ArchiveTreeBuilder.hpp"

namespace kelvane {
namespace {

using ::testing::ElementsAre;
using testing::fileEntry;
using testing::folderEntry;
using testing::idsOf;
using testing::secondsAfter1970;
using testing::stringsOf;
using ::testing::UnorderedElementsAre;

ArchiveFolderNode nodeOf(const ArchiveDirectoryIndex& index, std::string_view path) {
    const std::optional<ArchiveFolderNode> node = index.folderNode(path);
    if (!node) ADD_FAILURE() << "no folder node for \"" << path << "\"";
    return node.value_or(ArchiveFolderNode{});
}

TEST(ArchiveTreeBuilderTest, SynthesizesImpliedFoldersWithTheDateOfTheEntryThatImpliedThem) {
    const auto date = secondsAfter1970(1'700'000'000);
    const auto index =
        ArchiveTreeBuilder::build({fileEntry("a/b/c.txt", 7, 3, date), fileEntry("d.txt", 5, 2)});

    EXPECT_THAT(idsOf(index->children("")), ElementsAre("a", "d.txt"));
    EXPECT_THAT(idsOf(index->children("a")), ElementsAre("a/b"));
    EXPECT_THAT(idsOf(index->children("a/b")), ElementsAre("a/b/c.txt"));
    EXPECT_THAT(idsOf(index->allEntries()), UnorderedElementsAre("a", "a/b", "a/b/c.txt", "d.txt"));
    for (const std::string_view synthesized : {"a", "a/b"}) {
        const ArchiveEntry* folder = index->entry(synthesized);
        ASSERT_NE(folder, nullptr);
        EXPECT_TRUE(folder->isDirectory());
        EXPECT_EQ(folder->modifiedDate(), date);
        EXPECT_EQ(folder->uncompressedSize(), 0);
        EXPECT_FALSE(folder->isEncrypted());
        EXPECT_EQ(folder->category(), ArchiveFileCategory::folder);
    }

    EXPECT_EQ(index->folderNodeCount(), 3U);
    const ArchiveFolderNode root = nodeOf(*index, "");
    EXPECT_EQ(root.id, "");
    EXPECT_EQ(root.name, "Archive Root");
    EXPECT_EQ(root.parentPath, "");
    EXPECT_EQ(root.depth, 0);
    EXPECT_THAT(root.directSubfolderPaths, ElementsAre("a"));
    EXPECT_EQ(root.recursiveFileCount, 2);
    EXPECT_EQ(root.recursiveUncompressedSize, 12);
    EXPECT_EQ(root.recursiveCompressedSize, 5);

    const ArchiveFolderNode ab = nodeOf(*index, "a/b");
    EXPECT_EQ(ab.name, "b");
    EXPECT_EQ(ab.parentPath, "a");
    EXPECT_EQ(ab.depth, 2);
    EXPECT_EQ(nodeOf(*index, "a").depth, 1);
    EXPECT_THAT(stringsOf(index->allFolderPathsSorted()), ElementsAre("", "a", "a/b"));
    EXPECT_FALSE(index->hasSingleRootFolder());
}

TEST(ArchiveTreeBuilderTest, FirstFolderEntryWinsAndLastFileEntryWins) {
    const auto early = secondsAfter1970(100);
    const auto late = secondsAfter1970(200);
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("a/x.txt", 1, 1, early),  // synthesizes a with the early date
        folderEntry("a", late),             // comes too late to replace it
        folderEntry("b", early),
        folderEntry("b", late),
        fileEntry("dup.txt", 10, 4),
        fileEntry("dup.txt", 20, 8),
    });
    EXPECT_EQ(index->entry("a")->modifiedDate(), early);
    EXPECT_EQ(index->entry("b")->modifiedDate(), early);
    EXPECT_EQ(index->entry("dup.txt")->uncompressedSize(), 20);
    EXPECT_EQ(index->allEntries().size(), 4U);
    const ArchiveFolderNode root = nodeOf(*index, "");
    EXPECT_EQ(root.recursiveFileCount, 2);
    EXPECT_EQ(root.recursiveUncompressedSize, 21);
    EXPECT_EQ(root.recursiveCompressedSize, 9);
}

TEST(ArchiveTreeBuilderTest, SkipsEntriesWithAnEmptyId) {
    const auto index = ArchiveTreeBuilder::build(
        {folderEntry("./"), fileEntry("/", 99, 99), folderEntry("//"), fileEntry("kept.txt", 3)});
    EXPECT_THAT(idsOf(index->allEntries()), ElementsAre("kept.txt"));
    EXPECT_EQ(index->folderNodeCount(), 1U);
    EXPECT_EQ(nodeOf(*index, "").recursiveUncompressedSize, 3);
}

TEST(ArchiveTreeBuilderTest, SmallFoldersUseFinderOrderAndLargeOnesCodePoints) {
    const auto small = ArchiveTreeBuilder::build(
        {fileEntry("File10.txt"), fileEntry("file2.txt"), folderEntry("Docs")});
    EXPECT_THAT(idsOf(small->children("")), ElementsAre("Docs", "file2.txt", "File10.txt"));

    // Shuffled names, so the order is really computed rather than kept.
    const auto shuffled = ArchiveTreeBuilder::build(
        {fileEntry("p/b10"), fileEntry("p/a"), folderEntry("p/Z"), fileEntry("p/B2"),
         fileEntry("p/b1"), folderEntry("p/m"), fileEntry("p/Ä")});
    EXPECT_THAT(idsOf(shuffled->children("p")),
                ElementsAre("p/m", "p/Z", "p/a", "p/Ä", "p/b1", "p/B2", "p/b10"));

    std::vector<ArchiveEntry> many{fileEntry("File10.txt"), fileEntry("file2.txt"),
                                   folderEntry("Docs")};
    for (int i = 0; i < 3999; ++i) many.push_back(fileEntry("zz" + std::to_string(i)));
    const auto large = ArchiveTreeBuilder::build(many);
    const std::vector<std::string> order = idsOf(large->children(""));
    ASSERT_EQ(order.size(), 4002U);
    EXPECT_EQ(order[0], "Docs");
    EXPECT_EQ(order[1], "File10.txt");
    EXPECT_EQ(order[2], "file2.txt");
    EXPECT_EQ(order[3], "zz0");
    EXPECT_EQ(order[4], "zz1");
    EXPECT_EQ(order[5], "zz10");
}

TEST(ArchiveTreeBuilderTest, SubfoldersAreSortedByFullPathAndWalkedInPreOrder) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("p/dir10/x"),
        fileEntry("p/dir2/q/y"),
        folderEntry("p/Dir1"),
        fileEntry("top.txt"),
        fileEntry("b/z"),
    });
    EXPECT_THAT(nodeOf(*index, "p").directSubfolderPaths,
                ElementsAre("p/Dir1", "p/dir2", "p/dir10"));
    EXPECT_THAT(stringsOf(index->allFolderPathsSorted()),
                ElementsAre("", "b", "p", "p/Dir1", "p/dir2", "p/dir2/q", "p/dir10"));
}

TEST(ArchiveTreeBuilderTest, ReportsASingleRootFolderOnlyWhenTheRootHoldsJustThatFolder) {
    const auto single =
        ArchiveTreeBuilder::build({fileEntry("project/a.txt"), fileEntry("project/src/b.c")});
    EXPECT_TRUE(single->hasSingleRootFolder());
    EXPECT_EQ(single->singleRootFolderName(), "project");

    const auto extraFile = ArchiveTreeBuilder::build(
        {fileEntry("project/a.txt"), fileEntry("project/src/b.c"), fileEntry("README")});
    EXPECT_FALSE(extraFile->hasSingleRootFolder());
    EXPECT_EQ(extraFile->singleRootFolderName(), std::nullopt);

    const auto loneFile = ArchiveTreeBuilder::build({fileEntry("only.txt")});
    EXPECT_FALSE(loneFile->hasSingleRootFolder());
}

TEST(ArchiveTreeBuilderTest, EmptyListGivesOnlyTheRootNode) {
    const auto index = ArchiveTreeBuilder::build({});
    EXPECT_EQ(index->folderNodeCount(), 1U);
    const ArchiveFolderNode root = nodeOf(*index, "");
    EXPECT_EQ(root.depth, 0);
    EXPECT_EQ(root.recursiveFileCount, 0);
    EXPECT_EQ(root.recursiveUncompressedSize, 0);
    EXPECT_TRUE(root.directSubfolderPaths.empty());
    EXPECT_TRUE(index->children("").empty());
    EXPECT_TRUE(index->allEntries().empty());
    EXPECT_THAT(stringsOf(index->allFolderPathsSorted()), ElementsAre(""));
    EXPECT_FALSE(index->hasSingleRootFolder());

    const ArchiveDirectoryIndex& none = ArchiveDirectoryIndex::empty();
    EXPECT_EQ(none.folderNodeCount(), 0U);
    EXPECT_FALSE(none.folderNode("").has_value());
    EXPECT_TRUE(none.allFolderPathsSorted().empty());
    EXPECT_TRUE(none.items("", "x", ArchiveFilterKind::all, ArchiveSortField::name, true).empty());
    EXPECT_FALSE(none.hasSingleRootFolder());
}

TEST(ArchiveTreeBuilderTest, AddsTotalsOfEveryDepthToEachAncestor) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("f/x", 10, 4),
        fileEntry("f/sub/y", 5, 5),
        fileEntry("f/sub/deeper/z", 100, 1),
        folderEntry("f/empty"),
    });
    const auto totals = [&](std::string_view path) {
        const ArchiveFolderNode node = nodeOf(*index, path);
        return std::vector<std::int64_t>{node.recursiveFileCount, node.recursiveUncompressedSize,
                                         node.recursiveCompressedSize};
    };
    EXPECT_THAT(totals(""), ElementsAre(3, 115, 10));
    EXPECT_THAT(totals("f"), ElementsAre(3, 115, 10));
    EXPECT_THAT(totals("f/sub"), ElementsAre(2, 105, 6));
    EXPECT_THAT(totals("f/sub/deeper"), ElementsAre(1, 100, 1));
    EXPECT_THAT(totals("f/empty"), ElementsAre(0, 0, 0));
    EXPECT_TRUE(index->children("f/empty").empty());
}

TEST(ArchiveTreeBuilderTest, FileWithAFolderPathKeepsTheFolderOutOfTheTreeButCountsItsFiles) {
    const auto index = ArchiveTreeBuilder::build({fileEntry("a", 1), fileEntry("a/b.txt", 2)});
    EXPECT_THAT(idsOf(index->children("")), ElementsAre("a"));
    EXPECT_FALSE(index->entry("a")->isDirectory());
    EXPECT_THAT(idsOf(index->children("a")), ElementsAre("a/b.txt"));
    const ArchiveFolderNode root = nodeOf(*index, "");
    EXPECT_TRUE(root.directSubfolderPaths.empty());
    EXPECT_EQ(root.recursiveFileCount, 2);
    EXPECT_EQ(nodeOf(*index, "a").recursiveFileCount, 1);
    EXPECT_THAT(stringsOf(index->allFolderPathsSorted()), ElementsAre(""));
}

// "x//y" implies the folder "x/", which no entry can carry as its id: it
// gets a node, but no second entry named "x" appears.
TEST(ArchiveTreeBuilderTest, DoubledSlashesNeverDuplicateAFolderEntry) {
    const auto index = ArchiveTreeBuilder::build({fileEntry("x//y.txt", 4), fileEntry("x/z.txt")});
    EXPECT_THAT(idsOf(index->allEntries()), UnorderedElementsAre("x", "x//y.txt", "x/z.txt"));
    EXPECT_THAT(idsOf(index->children("")), ElementsAre("x"));
    EXPECT_THAT(idsOf(index->children("x")), ElementsAre("x/z.txt"));
    EXPECT_THAT(idsOf(index->children("x/")), ElementsAre("x//y.txt"));
    const ArchiveFolderNode doubled = nodeOf(*index, "x/");
    EXPECT_EQ(doubled.parentPath, "x");
    EXPECT_EQ(doubled.depth, 2);
    EXPECT_EQ(nodeOf(*index, "x").recursiveFileCount, 2);
    EXPECT_EQ(nodeOf(*index, "").recursiveUncompressedSize, 5);
    EXPECT_THAT(idsOf(index->items("", "y", ArchiveFilterKind::all, ArchiveSortField::name, true)),
                ElementsAre("x//y.txt"));
}

TEST(ArchiveTreeBuilderTest, CraftedSizesSaturateTheFolderTotalsInsteadOfWrapping) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const auto index = ArchiveTreeBuilder::build(
        {fileEntry("a/x", kMax - 1, kMax - 1), fileEntry("a/y", 5, 5), fileEntry("b/z", 7, 7)});
    EXPECT_EQ(nodeOf(*index, "a").recursiveUncompressedSize, kMax);
    EXPECT_EQ(nodeOf(*index, "a").recursiveCompressedSize, kMax);
    EXPECT_EQ(nodeOf(*index, "").recursiveUncompressedSize, kMax);
    EXPECT_EQ(nodeOf(*index, "").recursiveCompressedSize, kMax);
    EXPECT_EQ(nodeOf(*index, "b").recursiveUncompressedSize, 7);
}

}  // namespace
}  // namespace kelvane
