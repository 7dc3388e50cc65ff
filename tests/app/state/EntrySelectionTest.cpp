// The selection held as bits over an index's entries.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvane::testing
