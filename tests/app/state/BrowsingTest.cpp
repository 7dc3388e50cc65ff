// Browsing: folders, search with its pause, background filtering, selection and totals.
#include "StateTestSupport.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;

class BrowsingTest : public StateTest {
protected:
    // An archive of `count` small files in one folder, plus one folder of images.
    std::filesystem::path many(int count) {
        std::map<std::string, std::string> files;
        for (int i = 0; i < count; ++i) {
            files["logs/file" + std::to_string(i) + ".log"] = "x";
        }
        files["pictures/cat.png"] = "png";
        files["pictures/deep/dog.jpg"] = "jpg";
        return makeArchive(folder_.path() / ("many" + std::to_string(count) + ".zip"), files);
    }
};

TEST_F(BrowsingTest, NavigationExpandsTheWayClearsTheSelectionAndKeepsTheSearch) {
    const auto archive = makeArchive(folder_.path() / "tree.zip",
                                     {{"a/b/c/leaf.txt", "leaf"}, {"a/top.txt", "t"}, {"z.txt", "z"}});
    openAndWait(archive);
    model_->updateSearchQuery(QStringLiteral("  "));
    EXPECT_FALSE(model_->isSearchOrFilterActive());
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"a", "z.txt"}));

    model_->navigateToFolder(QStringLiteral("a/b/c"));
    EXPECT_EQ(model_->currentFolderPath(), QStringLiteral("a/b/c"));
    for (const char* path : {"a/b/c", "a/b", "a", ""}) {
        EXPECT_TRUE(model_->expandedFolders().contains(QString::fromUtf8(path))) << path;
    }
    EXPECT_TRUE(model_->selectedEntryIDs().empty());
    EXPECT_EQ(model_->selectedTotalBytes(), 0);
    EXPECT_EQ(model_->searchQuery(), QStringLiteral("  "));
    EXPECT_EQ(displayedIDs(), std::vector<std::string>{"a/b/c/leaf.txt"});

    model_->navigateUpFolder();
    EXPECT_EQ(model_->currentFolderPath(), QStringLiteral("a/b"));
    model_->navigateToFolder(QStringLiteral("a"));
    model_->navigateUpFolder();
    EXPECT_EQ(model_->currentFolderPath(), QString());
    model_->navigateUpFolder();
    EXPECT_EQ(model_->currentFolderPath(), QString());

    // Collapsing a folder that holds the current one hides its subtree in the sidebar
    // and leaves the table alone.
    model_->navigateToFolder(QStringLiteral("a/b"));
    const std::vector<std::string> shown = displayedIDs();
    model_->toggleFolderExpanded(QStringLiteral("a"));
    EXPECT_EQ(displayedIDs(), shown);
    std::vector<std::string> sidebar;
    for (const auto& node : model_->sidebarFolders()) sidebar.push_back(node.id);
    EXPECT_EQ(sidebar, (std::vector<std::string>{"", "a"}));
    model_->toggleFolderExpanded(QStringLiteral("a"));
    sidebar.clear();
    for (const auto& node : model_->sidebarFolders()) sidebar.push_back(node.id);
    EXPECT_EQ(sidebar, (std::vector<std::string>{"", "a", "a/b", "a/b/c"}));
}

TEST_F(BrowsingTest, ThreeQuickKeystrokesGiveExactlyOneBackgroundQuery) {
    openAndWait(many(2100));
    ASSERT_GT(model_->listing()->info().fileCount, ArchiveViewModel::kDebouncedSearchFileCount);
    QSignalSpy delivered(model_.get(), &ArchiveViewModel::displayedEntriesChanged);
    QSignalSpy filtering(model_.get(), &ArchiveViewModel::isFilteringAsyncChanged);
    model_->updateSearchQuery(QStringLiteral("f"));
    EXPECT_TRUE(model_->isFilteringAsync());
    model_->updateSearchQuery(QStringLiteral("fi"));
    model_->updateSearchQuery(QStringLiteral("fil"));
    EXPECT_TRUE(model_->isFilteringAsync());
    EXPECT_EQ(delivered.count(), 0);
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    EXPECT_EQ(delivered.count(), 1);
    EXPECT_EQ(filtering.count(), 2);  // on at the first key, off at the result
    EXPECT_EQ(model_->displayedEntries().size(), 2100U);
}

TEST_F(BrowsingTest, ClearingTheSearchCancelsTheRunningQueryAndShowsTheFolderAtOnce) {
    openAndWait(many(2100));
    model_->updateSearchQuery(QStringLiteral("file1"));
    ASSERT_TRUE(model_->isFilteringAsync());
    QSignalSpy delivered(model_.get(), &ArchiveViewModel::displayedEntriesChanged);
    model_->updateSearchQuery(QString());
    EXPECT_FALSE(model_->isFilteringAsync());
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"logs", "pictures"}));
    // Nothing stale lands later.
    QTest::qWait(ArchiveViewModel::kSearchPauseMs * 4);
    EXPECT_EQ(delivered.count(), 1);
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"logs", "pictures"}));
}

TEST_F(BrowsingTest, AFilterOverManyEntriesRunsInTheBackgroundWithoutThePause) {
    openAndWait(many(3600));
    QElapsedTimer clock;
    clock.start();
    model_->updateFilterKind(ArchiveFilterKind::images);
    EXPECT_TRUE(model_->isFilteringAsync());
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    EXPECT_EQ(displayedIDs(),
              (std::vector<std::string>{"pictures/cat.png", "pictures/deep/dog.jpg"}));
    // A newer rebuild wins over one still running: the later filter is what shows.
    model_->updateFilterKind(ArchiveFilterKind::folders);
    model_->updateFilterKind(ArchiveFilterKind::images);
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    EXPECT_EQ(displayedIDs().size(), 2U);
}

TEST_F(BrowsingTest, SelectionTotalsCountFoldersRecursivelyAndSelectAllCoversTheView) {
    const auto archive = makeArchive(folder_.path() / "sizes.zip",
                                     {{"dir/a.bin", std::string(1000, 'a')},
                                      {"dir/sub/b.bin", std::string(250, 'b')},
                                      {"c.bin", std::string(7, 'c')}});
    openAndWait(archive);
    model_->setSelectionIDs({"dir"});
    EXPECT_EQ(model_->selectedTotalBytes(), 1250);
    EXPECT_FALSE(model_->previewedEntryID().has_value());  // a folder has no preview
    model_->selectAllVisible();
    EXPECT_EQ(model_->selectedEntryIDs().size(), 2U);
    EXPECT_EQ(model_->selectedTotalBytes(), 1257);
    EXPECT_FALSE(model_->primarySelectedEntry());
    EXPECT_EQ(model_->selectedEntries().size(), 2U);

    // Selecting the same set again prepares nothing again.
    model_->setSelectionIDs({"c.bin"});
    QSignalSpy previewed(model_.get(), &ArchiveViewModel::previewedEntryIDChanged);
    model_->setSelectionIDs({"c.bin"});
    EXPECT_EQ(previewed.count(), 0);
    // Rows of the table select the entries they show.
    model_->selectDisplayedRows({{0, 1}});
    EXPECT_EQ(model_->selectedEntryIDs().size(), 2U);
    EXPECT_TRUE(model_->selectedEntryIDs().contains("dir"));
    EXPECT_TRUE(model_->selectedEntryIDs().contains("c.bin"));
}

// The rows the table shows as selected: kept from the rows chosen, worked out in the
// background with a sort, and worked out afresh when the selection changes meanwhile.
TEST_F(BrowsingTest, SelectedRowsFollowSortsAndSelectionChanges) {
    openAndWait(many(3600));
    model_->navigateToFolder(QStringLiteral("logs"));
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    const auto rowsByLookup = [&] {
        const ArchiveItemList& shown = model_->displayedEntries();
        app::EntrySelection::RowRanges rows;
        for (std::size_t row = 0; row < shown.size(); ++row) {
            if (!model_->selectedEntryIDs().contains(shown[row].id())) continue;
            if (!rows.empty() && rows.back().second + 1 == row) {
                rows.back().second = row;
            } else {
                rows.emplace_back(row, row);
            }
        }
        return rows;
    };
    // Rows as a table reports them: unordered, overlapping, one past the end.
    model_->selectDisplayedRows({{10, 12}, {0, 4}, {3, 6}, {3599, 4000}});
    const app::EntrySelection::RowRanges chosen{{0, 6}, {10, 12}, {3599, 3599}};
    EXPECT_EQ(model_->selectedDisplayedRows(), chosen);
    EXPECT_EQ(rowsByLookup(), chosen);
    EXPECT_EQ(model_->selectedEntryIDs().size(), 11U);

    model_->changeSort(ArchiveSortField::name, false);
    EXPECT_TRUE(model_->isFilteringAsync());
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    EXPECT_EQ(model_->selectedEntryIDs().size(), 11U);
    EXPECT_EQ(model_->selectedDisplayedRows(), rowsByLookup());
    EXPECT_NE(model_->selectedDisplayedRows(), chosen);

    // A selection made while the sort runs is not matched to rows worked out before it.
    model_->changeSort(ArchiveSortField::size, true);
    EXPECT_TRUE(model_->isFilteringAsync());
    model_->setSelectionIDs({"logs/file7.log", "logs/file3599.log"});
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    EXPECT_EQ(model_->selectedDisplayedRows(), rowsByLookup());
    EXPECT_EQ(model_->selectedDisplayedRows().size(), 2U);

    model_->selectAllVisible();
    EXPECT_EQ(model_->selectedDisplayedRows(),
              (app::EntrySelection::RowRanges{{0, model_->displayedEntries().size() - 1}}));
    EXPECT_EQ(model_->selectedEntryIDs().size(), model_->displayedEntries().size());
}

TEST_F(BrowsingTest, SortChangesReorderTheFolder) {
    const auto archive = makeArchive(folder_.path() / "sort.zip",
                                     {{"b.txt", "bb"}, {"a.txt", "aaaa"}, {"c.txt", "c"}});
    openAndWait(archive);
    model_->changeSort(ArchiveSortField::size, true);
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));
    model_->changeSort(ArchiveSortField::name, false);
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));
}

}  // namespace
}  // namespace kelvane::testing
