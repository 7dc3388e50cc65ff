#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stop_token>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "IndexTestEntries.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "index/ArchiveTreeBuilder.hpp"
#include "localization/AppLanguage.hpp"

namespace kelvane {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::fileEntry;
using testing::folderEntry;
using testing::idsOf;
using ::testing::IsEmpty;
using testing::secondsAfter1970;
using ::testing::UnorderedElementsAre;

std::vector<std::string> query(const ArchiveDirectoryIndex& index, std::string_view folder,
                               std::string_view text,
                               ArchiveFilterKind filter = ArchiveFilterKind::all,
                               ArchiveSortField field = ArchiveSortField::name,
                               bool ascending = true) {
    return idsOf(index.items(folder, text, filter, field, ascending));
}

TEST(ArchiveDirectoryIndexTest, BrowsingReturnsTheStoredChildrenOrResortsThem) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("big.bin", 500),
        fileEntry("small.txt", 3),
        fileEntry("light/a", 10),
        fileEntry("heavy/a", 900),
        fileEntry("heavy/b", 100),
    });
    const ArchiveItemList browsing =
        index->items("", "", ArchiveFilterKind::all, ArchiveSortField::name, true);
    EXPECT_TRUE(browsing.isView());
    EXPECT_EQ(browsing.entries().data(), index->children("").data());
    EXPECT_THAT(idsOf(browsing), ElementsAre("heavy", "light", "big.bin", "small.txt"));

    // Folders stay first; they are ordered by their subtree totals.
    EXPECT_THAT(query(*index, "", "", ArchiveFilterKind::all, ArchiveSortField::size, true),
                ElementsAre("light", "heavy", "small.txt", "big.bin"));
    EXPECT_THAT(query(*index, "", "", ArchiveFilterKind::all, ArchiveSortField::size, false),
                ElementsAre("heavy", "light", "big.bin", "small.txt"));
    EXPECT_THAT(query(*index, "light", "", ArchiveFilterKind::all, ArchiveSortField::size, false),
                ElementsAre("light/a"));
    EXPECT_THAT(query(*index, "no/such/folder", ""), IsEmpty());
}

TEST(ArchiveDirectoryIndexTest, SearchCoversTheFolderSubtreeOnly) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("readme.md"),
        fileEntry("docs/readme.txt"),
        fileEntry("docs/a/ReadMe.md"),
        fileEntry("docs/other.txt"),
        fileEntry("docs2/readme.md"),
    });
    const ArchiveItemList found =
        index->items("docs", "  ReadMe \n", ArchiveFilterKind::all, ArchiveSortField::name, true);
    EXPECT_FALSE(found.isView());
    EXPECT_THAT(idsOf(found), ElementsAre("docs/a/ReadMe.md", "docs/readme.txt"));
    EXPECT_THAT(query(*index, "", "readme"),
                UnorderedElementsAre("docs/a/ReadMe.md", "readme.md", "docs2/readme.md",
                                     "docs/readme.txt"));
    EXPECT_THAT(query(*index, "", "zzz"), IsEmpty());
    // A blank query with a filter is still a search over the subtree.
    EXPECT_THAT(query(*index, "docs", " ", ArchiveFilterKind::folders), ElementsAre("docs/a"));
}

// A search asked to stop gives nothing rather than a partial result; one not asked runs
// through. The stop is seen within the scan, not only before it.
TEST(ArchiveDirectoryIndexTest, ASearchAskedToStopEndsWithoutAResult) {
    std::vector<ArchiveEntry> entries;
    for (int i = 0; i < 20000; ++i) entries.push_back(fileEntry("logs/file" + std::to_string(i) + ".log", 1));
    const auto index = ArchiveTreeBuilder::build(entries);
    std::stop_source running;
    EXPECT_EQ(index->items("", "file", ArchiveFilterKind::all, ArchiveSortField::name, true,
                           running.get_token())
                  .size(),
              20000U);
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_TRUE(index->items("", "file", ArchiveFilterKind::all, ArchiveSortField::name, true,
                             stopped.get_token())
                    .empty());
}

TEST(ArchiveDirectoryIndexTest, QueryMatchesThePathToo) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("a/b/one.txt"),
        fileEntry("a/b/c/two.txt"),
        fileEntry("a/bx/three.txt"),
        fileEntry("x/a/b.txt"),
    });
    EXPECT_THAT(query(*index, "", "A/B"),
                ElementsAre("a/b", "a/bx", "a/b/c", "x/a/b.txt", "a/b/one.txt", "a/bx/three.txt",
                            "a/b/c/two.txt"));
    EXPECT_THAT(query(*index, "a", "b/c"), ElementsAre("a/b/c", "a/b/c/two.txt"));
}

TEST(ArchiveDirectoryIndexTest, QueryMatchesAnywhereInTheLowerCasedText) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("x_y.txt"),
        fileEntry("\xC3\x84rger.md"),  // "Ärger.md"
        fileEntry("ab"),
        fileEntry("abc/d"),
    });
    EXPECT_THAT(query(*index, "", "X_Y.TXT"), ElementsAre("x_y.txt"));
    EXPECT_THAT(query(*index, "", ".md"), ElementsAre("\xC3\x84rger.md"));
    EXPECT_THAT(query(*index, "", "\xC3\x84RG"), ElementsAre("\xC3\x84rger.md"));
    EXPECT_THAT(query(*index, "", "abcd"), IsEmpty());
    EXPECT_THAT(query(*index, "", "c/d"), ElementsAre("abc/d"));
    EXPECT_THAT(query(*index, "", "_"), ElementsAre("x_y.txt"));
    EXPECT_THAT(query(*index, "", "b"), ElementsAre("abc", "ab", "abc/d"));
}

// Paths differ in letter case on case-sensitive systems; searching inside
// "Docs" must not list what lies in its sibling "docs".
TEST(ArchiveDirectoryIndexTest, SearchScopeIsTheExactFolderNotItsCaseVariants) {
    const auto index =
        ArchiveTreeBuilder::build({fileEntry("Docs/upper.txt"), fileEntry("docs/lower.txt")});
    EXPECT_THAT(query(*index, "Docs", "txt"), ElementsAre("Docs/upper.txt"));
    EXPECT_THAT(query(*index, "docs", "txt"), ElementsAre("docs/lower.txt"));
}

struct FilterCase {
    ArchiveFilterKind filter;
    std::vector<std::string> expected;

    friend void PrintTo(const FilterCase& c, std::ostream* out) { *out << c.filter.rawValue(); }
};

class ArchiveDirectoryIndexFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(ArchiveDirectoryIndexFilterTest, AdmitsTheMatchingEntriesOfTheSubtree) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("top.png"),
        folderEntry("d/sealed", std::nullopt, true),
        fileEntry("d/photo.JPG"),
        fileEntry("d/icons.png/readme"),  // a folder named like an image
        fileEntry("d/main.cpp"),
        fileEntry("d/report.pdf", 1, 1, std::nullopt, true),
        fileEntry("d/song.mp3"),
        fileEntry("d/backup.zip"),
        fileEntry("d/notes"),
    });
    // The query "D/" matches every path below d, so only the filter decides.
    EXPECT_THAT(query(*index, "d", "D/", GetParam().filter), ElementsAreArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    AllFilters, ArchiveDirectoryIndexFilterTest,
    ::testing::Values(FilterCase{ArchiveFilterKind::all,
                                 {"d/icons.png", "d/sealed", "d/backup.zip", "d/main.cpp",
                                  "d/notes", "d/photo.JPG", "d/icons.png/readme", "d/report.pdf",
                                  "d/song.mp3"}},
                      FilterCase{ArchiveFilterKind::folders, {"d/icons.png", "d/sealed"}},
                      FilterCase{ArchiveFilterKind::images, {"d/photo.JPG"}},
                      FilterCase{ArchiveFilterKind::codeText, {"d/main.cpp"}},
                      FilterCase{ArchiveFilterKind::documents, {"d/report.pdf"}},
                      FilterCase{ArchiveFilterKind::media, {"d/song.mp3"}},
                      FilterCase{ArchiveFilterKind::encrypted, {"d/sealed", "d/report.pdf"}}),
    [](const auto& testCase) { return std::string(testCase.param.filter.rawValue()); });

struct SortCase {
    std::string label;
    ArchiveSortField field;
    bool ascending;
    std::vector<std::string> expected;

    friend void PrintTo(const SortCase& c, std::ostream* out) { *out << c.label; }
};

class ArchiveDirectoryIndexSortTest : public ::testing::TestWithParam<SortCase> {};

// Folder f holds 30 bytes (packed 3), folder g 5 (packed 50). The files pair
// up on every key so each tie-break shows.
TEST_P(ArchiveDirectoryIndexSortTest, OrdersFoldersFirstThenByTheFieldThenByName) {
    const auto date = secondsAfter1970(1'000);
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("f/in", 30, 3, secondsAfter1970(5)),
        fileEntry("g/in", 5, 50, secondsAfter1970(9)), fileEntry("c.txt", 20, 7, date),
        fileEntry("b.txt", 20, 7, date), fileEntry("a10.md", 10, 9), fileEntry("a9.md", 10, 9),
        fileEntry("B.md", 40, 1, secondsAfter1970(-1)),  // same instant as "no date"
    });
    const SortCase& c = GetParam();
    EXPECT_THAT(query(*index, "", "", ArchiveFilterKind::all, c.field, c.ascending),
                ElementsAreArray(c.expected));
    // Search results (here every file, no folder) go through the same ordering.
    std::vector<std::string> files;
    std::copy_if(c.expected.begin(), c.expected.end(), std::back_inserter(files),
                 [](const std::string& id) { return id.find('.') != std::string::npos; });
    EXPECT_THAT(query(*index, "", ".", ArchiveFilterKind::all, c.field, c.ascending),
                ElementsAreArray(files));
}

INSTANTIATE_TEST_SUITE_P(
    AllFields, ArchiveDirectoryIndexSortTest,
    ::testing::Values(SortCase{"nameAscending",
                               ArchiveSortField::name,
                               true,
                               {"f", "g", "a9.md", "a10.md", "B.md", "b.txt", "c.txt"}},
                      SortCase{"nameDescending",
                               ArchiveSortField::name,
                               false,
                               {"g", "f", "c.txt", "b.txt", "B.md", "a10.md", "a9.md"}},
                      SortCase{"sizeAscending",
                               ArchiveSortField::size,
                               true,
                               {"g", "f", "a10.md", "a9.md", "b.txt", "c.txt", "B.md"}},
                      SortCase{"sizeDescending",
                               ArchiveSortField::size,
                               false,
                               {"f", "g", "B.md", "b.txt", "c.txt", "a10.md", "a9.md"}},
                      SortCase{"packedAscending",
                               ArchiveSortField::packedSize,
                               true,
                               {"f", "g", "B.md", "b.txt", "c.txt", "a10.md", "a9.md"}},
                      SortCase{"packedDescending",
                               ArchiveSortField::packedSize,
                               false,
                               {"g", "f", "a10.md", "a9.md", "b.txt", "c.txt", "B.md"}},
                      SortCase{"modifiedAscending",
                               ArchiveSortField::modified,
                               true,
                               {"f", "g", "a10.md", "a9.md", "B.md", "b.txt", "c.txt"}},
                      SortCase{"modifiedDescending",
                               ArchiveSortField::modified,
                               false,
                               {"g", "f", "b.txt", "c.txt", "a10.md", "a9.md", "B.md"}},
                      SortCase{"kindAscending",
                               ArchiveSortField::kind,
                               true,
                               {"f", "g", "a10.md", "a9.md", "B.md", "b.txt", "c.txt"}},
                      SortCase{"kindDescending",
                               ArchiveSortField::kind,
                               false,
                               {"f", "g", "b.txt", "c.txt", "a10.md", "a9.md", "B.md"}}),
    [](const auto& testCase) { return testCase.param.label; });

TEST(ArchiveDirectoryIndexTest, ListsOfMoreThan4000SortNamesByCodePoints) {
    std::vector<ArchiveEntry> entries{fileEntry("File10.txt"), fileEntry("file2.txt"),
                                      folderEntry("Docs"), folderEntry("docs2")};
    for (int i = 0; i < 3997; ++i) entries.push_back(fileEntry("zz" + std::to_string(i)));
    const auto index = ArchiveTreeBuilder::build(entries);
    const std::vector<std::string> descending =
        query(*index, "", "", ArchiveFilterKind::all, ArchiveSortField::name, false);
    ASSERT_EQ(descending.size(), 4001U);
    EXPECT_EQ(descending[0], "docs2");
    EXPECT_EQ(descending[1], "Docs");
    EXPECT_EQ(descending[2], "zz999");
    EXPECT_EQ(descending[3999], "file2.txt");
    EXPECT_EQ(descending[4000], "File10.txt");

    // At exactly 4000 the Finder order still applies.
    entries.pop_back();
    const auto smaller = ArchiveTreeBuilder::build(entries);
    const std::vector<std::string> finder =
        query(*smaller, "", "", ArchiveFilterKind::all, ArchiveSortField::name, false);
    ASSERT_EQ(finder.size(), 4000U);
    EXPECT_EQ(finder[3998], "File10.txt");
    EXPECT_EQ(finder[3999], "file2.txt");
}

TEST(ArchiveDirectoryIndexTest, DescendantEntriesListEachFolderBeforeItsContentsOnce) {
    const auto index = ArchiveTreeBuilder::build({
        fileEntry("a/x.txt"),
        fileEntry("a/sub/y.txt"),
        fileEntry("a/sub/deep/z.txt"),
        fileEntry("a/b.txt"),
        fileEntry("c.txt"),
    });
    const ArchiveEntry a = *index->entry("a");
    const ArchiveEntry x = *index->entry("a/x.txt");
    const ArchiveEntry sub = *index->entry("a/sub");
    EXPECT_THAT(idsOf(index->descendantEntries(std::vector{a, x})),
                ElementsAre("a", "a/sub", "a/sub/deep", "a/sub/deep/z.txt", "a/sub/y.txt",
                            "a/b.txt", "a/x.txt"));
    EXPECT_THAT(idsOf(index->descendantEntries(std::vector{sub, a, sub})),
                ElementsAre("a/sub", "a/sub/deep", "a/sub/deep/z.txt", "a/sub/y.txt", "a",
                            "a/b.txt", "a/x.txt"));

    // Entries the index does not hold still come through, once each.
    const ArchiveEntry stray = fileEntry("elsewhere.bin");
    const ArchiveEntry strayFolder = folderEntry("nowhere");
    EXPECT_THAT(idsOf(index->descendantEntries(std::vector{stray, strayFolder, stray, x})),
                ElementsAre("elsewhere.bin", "a/x.txt"));
    EXPECT_THAT(index->descendantEntries({}), IsEmpty());
}

// A path thousands of folders deep must neither overflow the stack nor take
// quadratic time in any query.
TEST(ArchiveDirectoryIndexTest, HandlesVeryDeepFolderChains) {
    std::string path;
    for (int i = 0; i < 5000; ++i) path += "d/";
    path += "leaf.txt";
    const auto index = ArchiveTreeBuilder::build({fileEntry(path, 7)});
    EXPECT_EQ(index->folderNodeCount(), 5001U);
    EXPECT_EQ(index->folderNode("")->recursiveUncompressedSize, 7);
    EXPECT_EQ(index->allFolderPathsSorted().size(), 5001U);
    const std::vector<ArchiveEntry> all = index->descendantEntries(std::vector{*index->entry("d")});
    EXPECT_EQ(all.size(), 5001U);
    EXPECT_EQ(all.back().id(), path);
    EXPECT_THAT(query(*index, "d/d", "leaf"), ElementsAre(path));
}

TEST(ArchiveDirectoryIndexTest, BreadcrumbsDropEmptyComponents) {
    using Crumbs = std::vector<ArchiveBreadcrumb>;
    EXPECT_EQ(ArchiveDirectoryIndex::breadcrumbs(""), (Crumbs{{"Archive Root", ""}}));
    EXPECT_EQ(ArchiveDirectoryIndex::breadcrumbs("x/y/z"),
              (Crumbs{{"Archive Root", ""}, {"x", "x"}, {"y", "x/y"}, {"z", "x/y/z"}}));
    EXPECT_EQ(ArchiveDirectoryIndex::breadcrumbs("x//y"),
              (Crumbs{{"Archive Root", ""}, {"x", "x"}, {"y", "x/y"}}));
    EXPECT_EQ(ArchiveDirectoryIndex::breadcrumbs("/x/"),
              (Crumbs{{"Archive Root", ""}, {"x", "x"}}));
}

TEST(ArchiveDirectoryIndexTest, RootIsNamedInTheCurrentLanguage) {
    AppLanguage::setCurrent(AppLanguage::tr);
    const auto index = ArchiveTreeBuilder::build({fileEntry("a")});
    const std::string crumb = ArchiveDirectoryIndex::breadcrumbs("")[0].title;
    AppLanguage::setFollowSystem();
    EXPECT_EQ(index->folderNode("")->name, "Arşiv Kökü");
    EXPECT_EQ(crumb, "Arşiv Kökü");
}

TEST(ArchiveDirectoryIndexTest, EffectiveSizesUseFolderTotalsWhenTheFolderHasANode) {
    const auto index = ArchiveTreeBuilder::build({fileEntry("f/a", 10, 4), fileEntry("f/b", 6, 6)});
    const ArchiveEntry& folder = *index->entry("f");
    EXPECT_EQ(index->effectiveSize(folder), 16);
    EXPECT_EQ(index->effectivePackedSize(folder), 10);
    EXPECT_EQ(index->effectiveSize(*index->entry("f/a")), 10);
    EXPECT_EQ(index->effectivePackedSize(*index->entry("f/a")), 4);

    const ArchiveEntry handMade("elsewhere", true, 77, 33, std::nullopt, false, std::nullopt,
                                std::nullopt, std::nullopt);
    EXPECT_EQ(index->effectiveSize(handMade), 77);
    EXPECT_EQ(index->effectivePackedSize(handMade), 33);
    EXPECT_EQ(ArchiveDirectoryIndex::empty().effectiveSize(handMade), 77);

    EXPECT_EQ(index->entry("missing"), nullptr);
    EXPECT_EQ(index->entry(""), nullptr);
}

}  // namespace
}  // namespace kelvane
