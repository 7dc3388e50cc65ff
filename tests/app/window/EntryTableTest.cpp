// The entry table over the state object: a million rows, selection kept in step both ways
// without echo, sorting by header click, the context menu and relative-path rows.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "RecordingDesktopServices.hpp"
#include "WindowTestSupport.hpp"
#include "window/EntryTableModel.hpp"
#include "window/EntryTableView.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::EntryTableModel;
using app::EntryTableView;

class EntryTableTest : public ::testing::Test {
protected:
    void SetUp() override { windowTestApplication(); }

    void show(const ArchiveListing& listing) {
        viewModel.showListing(listing);
        table.resize(700, 400);
        table.show();
    }

    // Pixel position of a header section's middle, in the header's viewport.
    QPoint headerPoint(int column) const {
        QHeaderView* header = table.horizontalHeader();
        return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                header->height() / 2};
    }

    // First: every widget below needs the application.
    QApplication& application = windowTestApplication();
    RecordingDesktopServices desktop;
    ArchiveViewModel viewModel{desktop};
    EntryTableView table{viewModel};
};

std::vector<ArchiveEntry> flatFiles(std::size_t count) {
    std::vector<ArchiveEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back(fileEntry("file" + std::to_string(i) + ".bin",
                                    static_cast<std::int64_t>(i % 977) * 100,
                                    static_cast<std::int64_t>(i % 977) * 40));
    }
    return entries;
}

TEST_F(EntryTableTest, MillionRowsScrollAndKeepSelectionInStepWithoutEcho) {
    constexpr std::size_t kRows = 1'000'000;
    show(syntheticListing("/nowhere/million.zip", flatFiles(kRows)));
    ASSERT_EQ(table.model()->rowCount(), static_cast<int>(kRows));
    ASSERT_EQ(viewModel.displayedEntries().size(), kRows);

    table.scrollToBottom();
    QCoreApplication::processEvents();
    const int lastVisible = table.rowAt(table.viewport()->height() - 2);
    EXPECT_EQ(lastVisible, static_cast<int>(kRows) - 1);
    EXPECT_EQ(table.verticalScrollBar()->value(), table.verticalScrollBar()->maximum());

    // From the state object: every row selected, and nothing sent back.
    QSignalSpy selectionChanges(&viewModel, &ArchiveViewModel::selectedEntryIDsChanged);
    viewModel.selectAllVisible();
    EXPECT_EQ(selectionChanges.count(), 1);
    EXPECT_EQ(table.selectedRowRanges(), (EntryTableView::RowRanges{{0, kRows - 1}}));
    EXPECT_EQ(viewModel.selectedEntryIDs().size(), kRows);

    // From the table: a user's range reaches the state object once, and it is not pushed
    // back as a second change.
    selectionChanges.clear();
    const QItemSelection range(table.model()->index(10, 0), table.model()->index(19, 4));
    table.selectionModel()->select(range, QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(selectionChanges.count(), 1);
    EXPECT_EQ(viewModel.selectedEntryIDs().size(), 10U);
    EXPECT_TRUE(viewModel.selectedEntryIDs().contains(viewModel.displayedEntries()[10]));
    EXPECT_EQ(table.selectedRowRanges(), (EntryTableView::RowRanges{{10, 19}}));

    // The last row, reached by scrolling, selects like any other.
    selectionChanges.clear();
    const int last = static_cast<int>(kRows) - 1;
    table.selectionModel()->select(
        QItemSelection(table.model()->index(last, 0), table.model()->index(last, 4)),
        QItemSelectionModel::ClearAndSelect);
    ASSERT_TRUE(viewModel.primarySelectedEntry().has_value());
    EXPECT_EQ(viewModel.primarySelectedEntry()->id(), viewModel.displayedEntries()[kRows - 1].id());
}

TEST_F(EntryTableTest, HeaderClickReachesTheStateObjectOncePerClick) {
    show(syntheticListing("/nowhere/sizes.zip",
                          {fileEntry("b.txt", 300, 100), fileEntry("a.txt", 100, 90),
                           fileEntry("c.txt", 200, 50)}));
    QSignalSpy rebuilds(&viewModel, &ArchiveViewModel::displayedEntriesChanged);
    QHeaderView* header = table.horizontalHeader();

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(EntryTableModel::size));
    EXPECT_EQ(rebuilds.count(), 1);
    EXPECT_EQ(viewModel.sortField(), ArchiveSortField(ArchiveSortField::size));
    EXPECT_TRUE(viewModel.sortAscending());
    EXPECT_EQ(viewModel.displayedEntries()[0].name(), "a.txt");

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(EntryTableModel::size));
    EXPECT_EQ(rebuilds.count(), 2);
    EXPECT_FALSE(viewModel.sortAscending());
    EXPECT_EQ(viewModel.displayedEntries()[0].name(), "b.txt");
    EXPECT_EQ(header->sortIndicatorSection(), EntryTableModel::size);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // The ratio column does not sort, and the indicator stays where the order is.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(EntryTableModel::ratio));
    EXPECT_EQ(rebuilds.count(), 2);
    EXPECT_EQ(header->sortIndicatorSection(), EntryTableModel::size);

    // An order chosen elsewhere moves the indicator without a second rebuild; the kind
    // order shows on the name column.
    viewModel.changeSort(ArchiveSortField::kind, true);
    EXPECT_EQ(rebuilds.count(), 3);
    EXPECT_EQ(header->sortIndicatorSection(), EntryTableModel::name);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(viewModel.sortField(), ArchiveSortField(ArchiveSortField::kind));
}

TEST_F(EntryTableTest, ContextMenuSelectsAnUnselectedRowAndNothingOpensBelowTheRows) {
    show(syntheticListing("/nowhere/menu.zip",
                          {fileEntry("one.txt", 10, 5), fileEntry("two.txt", 10, 5),
                           folderEntry("docs"), fileEntry("docs/three.txt", 10, 5)},
                          true));
    viewModel.selectDisplayedRows({{0, 0}});  // "docs" (folders first)
    const int row = 2;
    const QRect cell = table.visualRect(table.model()->index(row, 0));
    QContextMenuEvent onRow(QContextMenuEvent::Mouse, cell.center(),
                            table.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(table.viewport(), &onRow);
    ASSERT_NE(table.lastContextMenu(), nullptr);
    EXPECT_EQ(viewModel.selectedEntryIDs().size(), 1U);
    EXPECT_TRUE(viewModel.selectedEntryIDs().contains(viewModel.displayedEntries()[row]));
    EXPECT_EQ(table.selectedRowRanges(), (EntryTableView::RowRanges{{2, 2}}));
    QStringList items;
    for (QAction* action : table.lastContextMenu()->actions()) {
        if (!action->isSeparator()) items << action->text();
    }
    EXPECT_EQ(items, (QStringList{"Open File", "Quick Look (Space)", "Extract Selected",
                                  "Extract Here", "Copy Path", "Delete"}))
        << items.join(QLatin1Char('|')).toStdString();
    table.lastContextMenu()->close();

    // Copy Path copies the clicked row's id and says so.
    QMenu* menu = table.contextMenuForRow(row);
    for (QAction* action : menu->actions()) {
        if (action->text() == QLatin1String("Copy Path")) action->trigger();
    }
    EXPECT_EQ(desktop.clipboard, QString::fromUtf8(viewModel.displayedEntries()[row].id()));
    EXPECT_EQ(viewModel.toastMessage().value_or(QString()), QStringLiteral("Copied to clipboard"));
    delete menu;

    const QPoint below(20, table.viewport()->height() - 3);
    ASSERT_EQ(table.rowAt(below.y()), -1);
    QContextMenuEvent offRows(QContextMenuEvent::Mouse, below, table.viewport()->mapToGlobal(below));
    QApplication::sendEvent(table.viewport(), &offRows);
    EXPECT_EQ(table.lastContextMenu(), nullptr);
    EXPECT_EQ(viewModel.selectedEntryIDs().size(), 1U);
}

TEST_F(EntryTableTest, SearchRowsAre36HighWithTheParentPathAndComeBackTo26) {
    show(syntheticListing("/nowhere/search.zip",
                          {folderEntry("src"), folderEntry("src/deep"),
                           fileEntry("src/deep/alpha.cpp", 10, 5), fileEntry("alpha.txt", 10, 5),
                           fileEntry("beta.txt", 10, 5)}));
    EXPECT_EQ(table.verticalHeader()->defaultSectionSize(), 26);
    viewModel.updateSearchQuery(QStringLiteral("alpha"));
    ASSERT_TRUE(waitUntil([&] { return !viewModel.isFilteringAsync(); }));
    ASSERT_EQ(table.model()->rowCount(), 2);
    EXPECT_EQ(table.verticalHeader()->defaultSectionSize(), 36);
    EXPECT_EQ(table.rowHeight(0), 36);
    QStringList subtitles;
    for (int row = 0; row < 2; ++row) {
        subtitles << table.model()->index(row, 0).data(EntryTableModel::kSubtitleRole).toString();
    }
    subtitles.sort();
    EXPECT_EQ(subtitles, (QStringList{QString(), QStringLiteral("src/deep")}));

    viewModel.updateSearchQuery(QString());
    ASSERT_TRUE(waitUntil([&] { return !viewModel.isFilteringAsync(); }));
    EXPECT_EQ(table.verticalHeader()->defaultSectionSize(), 26);
    for (int row = 0; row < table.model()->rowCount(); ++row) {
        EXPECT_TRUE(table.model()->index(row, 0).data(EntryTableModel::kSubtitleRole).isNull());
    }
}

TEST(EntryTableModelTest, RatioTextFollowsTheSavingRules) {
    struct Case {
        std::int64_t size;
        std::int64_t packed;
        const char* text;
        EntryTableModel::RatioText::Tone tone;
    };
    using Tone = EntryTableModel::RatioText::Tone;
    const Case cases[] = {
        {100, 120, "—", Tone::tertiary},  // grew
        {0, 0, "—", Tone::tertiary},      // empty
        {1000, 750, "25%", Tone::green},
        {1000, 996, "—", Tone::secondary},  // 0.4 % saved
        {1000, 900, "10%", Tone::secondary},
    };
    for (const Case& c : cases) {
        const auto ratio = EntryTableModel::ratioText(c.size, c.packed);
        EXPECT_EQ(ratio.text, QString::fromUtf8(c.text)) << c.size << "/" << c.packed;
        EXPECT_EQ(ratio.tone, c.tone) << c.size << "/" << c.packed;
    }
}

TEST_F(EntryTableTest, FolderRowsShowRecursiveTotals) {
    show(syntheticListing("/nowhere/totals.zip",
                          {folderEntry("docs"), fileEntry("docs/a.txt", 1'500'000, 500'000),
                           fileEntry("docs/sub/b.txt", 1'500'000, 500'000),
                           fileEntry("top.txt", 10, 5)}));
    ASSERT_GE(table.model()->rowCount(), 1);
    EXPECT_EQ(table.model()->index(0, EntryTableModel::name).data().toString(), "docs");
    EXPECT_EQ(table.model()->index(0, EntryTableModel::size).data().toString(), "3 MB");
    EXPECT_EQ(table.model()->index(0, EntryTableModel::packed).data().toString(), "1 MB");
    EXPECT_EQ(table.model()->index(0, EntryTableModel::ratio).data().toString(), "67%");
}

}  // namespace
}  // namespace kelvane::testing
