// The panes of the window: the sidebar's card and tree, the toolbar and status bar for
// read-only archives, the tab strip, the welcome screen's recents and the notice capsule.
#include <gtest/gtest.h>

#include <QTest>

#include "RecordingDesktopServices.hpp"
#include "support/TemporaryFolder.hpp"
#include "WindowTestSupport.hpp"
#include "window/ArchiveSummaryCard.hpp"
#include "window/ArchiveTabStrip.hpp"
#include "window/EntryListPane.hpp"
#include "window/FolderTreeSidebar.hpp"
#include "window/FolderTreeView.hpp"
#include "window/MainWindow.hpp"
#include "window/NoticeCapsule.hpp"
#include "window/SearchField.hpp"
#include "window/PillButton.hpp"
#include "window/WelcomeView.hpp"
#include "window/WorkspaceStatusBar.hpp"
#include "window/WorkspaceToolbar.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::FolderTreeView;
using app::MainWindow;

class PanesTest : public ::testing::Test {
protected:
    void SetUp() override {
        windowTestApplication();
        window.resize(1240, 780);
        window.show();
    }

    template <class T = QWidget>
    T* find(const char* name) const {
        return window.findChild<T*>(QString::fromLatin1(name));
    }

    // First: every widget below needs the application.
    QApplication& application = windowTestApplication();
    TemporaryFolder folder;
    RecordingDesktopServices desktop;
    ArchiveViewModel viewModel{desktop};
    MainWindow window{viewModel, nullptr};
};

TEST(FolderTreeViewTest, IndentationStopsAtSixLevels) {
    EXPECT_EQ(FolderTreeView::indentation(0), 4);
    EXPECT_EQ(FolderTreeView::indentation(1), 16);
    EXPECT_EQ(FolderTreeView::indentation(6), 76);
    EXPECT_EQ(FolderTreeView::indentation(9), FolderTreeView::indentation(6));
}

TEST_F(PanesTest, DeepFoldersIndentLikeTheSixthLevelAndChevronsToggle) {
    std::vector<ArchiveEntry> entries;
    std::string path;
    for (int level = 1; level <= 9; ++level) {
        path += (path.empty() ? "" : "/") + std::string("level") + std::to_string(level);
        entries.push_back(folderEntry(path));
    }
    entries.push_back(fileEntry(path + "/leaf.txt", 10, 5));
    viewModel.showListing(syntheticListing("/nowhere/deep.zip", entries));
    viewModel.navigateToFolder(QString::fromStdString(path));
    FolderTreeView& tree = window.sidebar().tree();
    ASSERT_EQ(tree.model()->rowCount(), 10);  // root and nine levels, all open on the way
    const auto chevronX = [&](int row) {
        return FolderTreeView::chevronRect(tree.visualRect(tree.model()->index(row, 0)),
                                           tree.nodeAt(row)->depth)
            .left();
    };
    EXPECT_EQ(tree.nodeAt(9)->depth, 9);
    EXPECT_EQ(chevronX(9), chevronX(6));
    EXPECT_GT(chevronX(6), chevronX(5));

    // The chevron closes a branch, the name opens the folder.
    const QRect row1 = tree.visualRect(tree.model()->index(1, 0));
    const QRect chevron = FolderTreeView::chevronRect(row1, tree.nodeAt(1)->depth);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, chevron.center());
    EXPECT_EQ(tree.model()->rowCount(), 2);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row1.right() - 30, row1.center().y()));
    EXPECT_EQ(viewModel.currentFolderPath(), QStringLiteral("level1"));
}

TEST(ArchiveSummaryCardTest, SavedShareAndBar) {
    ArchiveInfo info;
    info.totalUncompressedSize = 100'000'000;
    info.totalCompressedSize = 40'000'000;
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::savedPercent(info), 60.0);
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::barWidth(200, 60.0), 80.0);
    info.totalCompressedSize = 0;
    info.physicalSize = 50'000'000;  // no packed sizes: the file's size stands in
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::savedPercent(info), 50.0);
    info.physicalSize = 150'000'000;
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::savedPercent(info), 0.0);
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::barWidth(200, 0.0), 200.0);
    EXPECT_DOUBLE_EQ(app::ArchiveSummaryCard::barWidth(200, 99.9), 6.0);
    const QColor purple = QColor::fromRgbF(0.56F, 0.22F, 0.88F);
    EXPECT_EQ(app::ArchiveSummaryCard::formatBadgeColor("RAR5"), purple);
    EXPECT_EQ(app::ArchiveSummaryCard::formatBadgeColor("rar"), purple);
    EXPECT_EQ(app::ArchiveSummaryCard::formatBadgeColor("7z"), QColor::fromRgbF(0.14F, 0.58F, 0.42F));
    EXPECT_EQ(app::ArchiveSummaryCard::formatBadgeColor("Zip"), QColor::fromRgbF(0.14F, 0.48F, 0.94F));
    EXPECT_EQ(app::ArchiveSummaryCard::formatBadgeColor("TAR.GZ"), QColor::fromRgbF(0.85F, 0.45F, 0.12F));
}

TEST_F(PanesTest, ReadOnlyArchiveHidesChangesAndSaysSo) {
    viewModel.showListing(syntheticListing("/nowhere/disc.iso", {fileEntry("a.txt", 1, 1)}, false));
    EXPECT_FALSE(find("toolbarAddFiles")->isVisibleTo(&window));
    EXPECT_FALSE(find("toolbarDelete")->isVisibleTo(&window));
    EXPECT_TRUE(find("toolbarTest")->isVisibleTo(&window));
    EXPECT_TRUE(window.statusBarView().archiveText().contains(QStringLiteral("(Read-Only)")));

    viewModel.showListing(syntheticListing("/nowhere/open.zip",
                                           {folderEntry("docs"), fileEntry("docs/a.txt", 1, 1),
                                            fileEntry("b.txt", 1, 1)},
                                           true));
    EXPECT_TRUE(find("toolbarAddFiles")->isVisibleTo(&window));
    EXPECT_TRUE(find("toolbarDelete")->isVisibleTo(&window));
    EXPECT_FALSE(window.statusBarView().archiveText().contains(QStringLiteral("(Read-Only)")));
    // Nothing selected: extract-selected and delete are off; a folder keeps quick look off.
    viewModel.setSelection({});
    EXPECT_FALSE(find("toolbarExtractSelected")->isEnabled());
    EXPECT_FALSE(find("toolbarDelete")->isEnabled());
    viewModel.selectDisplayedRows({{0, 0}});
    EXPECT_TRUE(find("toolbarExtractSelected")->isEnabled());
    EXPECT_FALSE(find("toolbarQuickLook")->isEnabled());
    viewModel.selectDisplayedRows({{1, 1}});
    EXPECT_TRUE(find("toolbarQuickLook")->isEnabled());
    EXPECT_TRUE(window.statusBarView().selectionText().contains(QStringLiteral("1 selected")));
    EXPECT_TRUE(window.statusBarView().countsText().contains(QStringLiteral("2 shown")));
}

TEST_F(PanesTest, TabStripShowsWithTwoTabsOnly) {
    EXPECT_FALSE(window.isTabStripShown());
    viewModel.showListing(syntheticListing("/nowhere/one.zip", {fileEntry("a.txt", 1, 1)}));
    EXPECT_FALSE(window.isTabStripShown());
    viewModel.showListing(syntheticListing("/nowhere/two.zip", {fileEntry("b.txt", 1, 1)}));
    EXPECT_TRUE(window.isTabStripShown());
    EXPECT_EQ(window.tabStrip().chipCount(), 2);
    window.action(QStringLiteral("nextTab"))->trigger();
    EXPECT_EQ(viewModel.archivePath(), QStringLiteral("/nowhere/one.zip"));
    viewModel.closeTab(*viewModel.activeTabID());
    EXPECT_FALSE(window.isTabStripShown());
}

TEST_F(PanesTest, LanguageChipShortCodes) {
    const std::pair<AppLanguage, const char*> cases[] = {
        {AppLanguage::ptBR, "PT"}, {AppLanguage::ptPT, "PT-PT"}, {AppLanguage::zhHans, "ZH"},
        {AppLanguage::zhHant, "ZH-TW"}, {AppLanguage::en, "EN"}};
    for (const auto& [language, code] : cases) {
        viewModel.chooseLanguage(language);
        EXPECT_EQ(window.toolbar().languageCode(), QString::fromLatin1(code));
    }
    viewModel.chooseLanguage(AppLanguage::tr);
    EXPECT_EQ(window.action(QStringLiteral("closeTab"))->text(), QStringLiteral("Sekmeyi Kapat"));
    EXPECT_EQ(window.entryList().searchField().placeholderText(),
              QStringLiteral("Arşiv içinde ara (Ctrl+F)…"));
    viewModel.chooseLanguage(AppLanguage::en);
    EXPECT_EQ(window.entryList().searchField().placeholderText(),
              QStringLiteral("Search inside archive (Ctrl+F)…"));
}

TEST_F(PanesTest, WelcomeOffersAtMostFourRecents) {
    for (int i = 0; i < 7; ++i) {
        const auto recent = folder.write("r" + std::to_string(i) + ".zip", "zip");
        viewModel.rememberRecent(QString::fromStdString(recent.string()));
    }
    EXPECT_TRUE(window.isWelcomeShown());
    EXPECT_EQ(window.welcome().recentButtonCount(), app::WelcomeView::kRecentShown);
}

TEST_F(PanesTest, EmptyFolderShowsTheMessageAndTheUpButtonFollowsTheFolder) {
    viewModel.showListing(syntheticListing("/nowhere/empty.zip",
                                           {folderEntry("empty"), fileEntry("a.txt", 1, 1)}));
    EXPECT_FALSE(window.entryList().upButton().isEnabled());
    EXPECT_FALSE(window.entryList().showsEmptyMessage());
    viewModel.navigateToFolder(QStringLiteral("empty"));
    EXPECT_TRUE(window.entryList().upButton().isEnabled());
    EXPECT_TRUE(window.entryList().showsEmptyMessage());
}

TEST_F(PanesTest, NoticeLetsClicksThroughAndShowsTheMessage) {
    viewModel.showToast(QStringLiteral("Something failed"), true);
    ASSERT_TRUE(window.notice().isVisible());
    EXPECT_EQ(window.notice().message(), QStringLiteral("Something failed"));
    EXPECT_TRUE(window.notice().testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(window.notice().geometry().top() + 8, app::NoticeCapsule::kTopOffset);
    QWidget* under = window.centralWidget()->childAt(window.notice().geometry().center());
    EXPECT_NE(under, &window.notice());
}

}  // namespace
}  // namespace kelvane::testing
