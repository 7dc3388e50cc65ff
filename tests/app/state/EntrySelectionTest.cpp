// The selection held as bits over an index's entries.
#include <gtest/gtest.h>

#include <functional>

#include "core/index/IndexTestEntries.hpp"
#include "index/ArchiveTreeBuilder.hpp"
#include "state/EntrySelection.hpp"

namespace kelvane::testing {
namespace {

using app::EntrySelection;

std::shared_ptr<const ArchiveDirectoryIndex> smallIndex() {
    std::vector<ArchiveEntry> entries{
        fileEntry("docs/a.txt", 10), fileEntry("docs/b.txt", 20), fileEntry("c.bin", 30), folderEntry("docs")};
    return ArchiveTreeBuilder::build(entries);
}

TEST(EntrySelectionTest, HoldsKnownEntriesOnceAndComparesByContent) {
    const auto index = smallIndex();
    const std::vector<std::string_view> ids{"docs/a.txt", "c.bin", "docs/a.txt", "nowhere"};
    const EntrySelection selection = EntrySelection::ofIDs(index, ids);
    EXPECT_EQ(selection.size(), 2U);
    EXPECT_TRUE(selection.contains("docs/a.txt"));
    EXPECT_TRUE(selection.contains("c.bin"));
    EXPECT_FALSE(selection.contains("docs/b.txt"));
    EXPECT_FALSE(selection.contains("nowhere"));
    EXPECT_EQ(selection.single(), nullptr);

    std::vector<std::string> visited;
    selection.forEach([&](const ArchiveEntry& entry) { visited.emplace_back(entry.id()); });
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited, (std::vector<std::string>{"c.bin", "docs/a.txt"}));

    const std::vector<std::string_view> same{"c.bin", "docs/a.txt"};
    EXPECT_EQ(selection, EntrySelection::ofIDs(index, same));
    const std::vector<std::string_view> other{"c.bin"};
    const EntrySelection one = EntrySelection::ofIDs(index, other);
    EXPECT_NE(selection, one);
    ASSERT_NE(one.single(), nullptr);
    EXPECT_EQ(one.single()->id(), "c.bin");
    // Empty selections are equal whatever their index; unknown ids make an empty one.
    const std::vector<std::string_view> unknown{"nowhere"};
    EXPECT_EQ(EntrySelection(), EntrySelection::ofIDs(index, unknown));
    EXPECT_TRUE(EntrySelection::ofIDs(index, unknown).empty());
}

TEST(EntrySelectionTest, ThousandsOfEntriesAcrossManyWords) {
    std::vector<ArchiveEntry> entries;
    for (int i = 0; i < 5000; ++i) entries.push_back(fileEntry("f/" + std::to_string(i), i));
    const auto index = ArchiveTreeBuilder::build(entries);
    const EntrySelection all = EntrySelection::of(index, index->allEntries());
    EXPECT_EQ(all.size(), index->allEntries().size());
    EXPECT_EQ(all.entries().size(), all.size());
    for (const ArchiveEntry& entry : index->allEntries()) EXPECT_TRUE(all.contains(entry));
}

// The rows of a list that a selection covers, whichever way they are found: by record
// address for a few entries, by position for many, and at once when everything is selected.
TEST(EntrySelectionTest, RowsInFindsTheSelectedRunsInAnyRowOrder) {
    std::vector<ArchiveEntry> entries;
    for (int i = 0; i < 9000; ++i) entries.push_back(fileEntry("f/" + std::to_string(i), i));
    const auto index = ArchiveTreeBuilder::build(entries);
    const std::span<const ArchiveEntry> all = index->allEntries();
    // The rows in a scrambled order, as a sort by another column leaves them.
    std::vector<ArchiveEntry> rows(all.begin(), all.end());
    for (std::size_t i = 0; i < rows.size(); ++i) std::swap(rows[i], rows[(i * 7919) % rows.size()]);

    struct Case {
        const char* name;
        std::function<bool(std::size_t)> picks;  // by position in the index
    };
    const std::vector<Case> cases{
        {"none", [](std::size_t) { return false; }},
        {"a few", [](std::size_t p) { return p % 997 == 3; }},
        {"one block", [](std::size_t p) { return p >= 100 && p < 4000; }},
        {"many scattered", [](std::size_t p) { return p % 3 != 0; }},
        {"everything", [](std::size_t) { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ArchiveEntry> chosen;
        for (std::size_t p = 0; p < all.size(); ++p) {
            if (c.picks(p)) chosen.push_back(all[p]);
        }
        const EntrySelection selection = EntrySelection::of(index, chosen);
        EntrySelection::RowRanges expected;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (!selection.contains(rows[row].id())) continue;
            if (!expected.empty() && expected.back().second + 1 == row) {
                expected.back().second = row;
            } else {
                expected.emplace_back(row, row);
            }
        }
        EXPECT_EQ(selection.rowsIn(rows), expected);
        std::size_t covered = 0;
        for (const auto& [first, last] : expected) covered += last - first + 1;
        EXPECT_EQ(covered, chosen.size());
    }
    // Rows of a listing the selection does not know are never taken for selected ones.
    std::vector<ArchiveEntry> strangers;
    for (int i = 0; i < 50; ++i) strangers.push_back(fileEntry("g/" + std::to_string(i), i));
    const auto other = ArchiveTreeBuilder::build(strangers);
    EXPECT_TRUE(EntrySelection::of(index, all).rowsIn(other->allEntries()).empty());
}

}  // namespace
}  // namespace kelvane::testing
