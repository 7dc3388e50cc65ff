// Opening archives into tabs, switching and closing them, with real archives.
#include <QDir>

#include "StateTestSupport.hpp"
#include "index/ArchiveDirectoryIndex.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;

class OpeningAndTabsTest : public StateTest {
protected:
    std::filesystem::path nested() {
        return makeArchive(folder_.path() / "nested.zip",
                           {{"docs/readme.txt", "hello"},
                            {"docs/guide/intro.md", "# intro"},
                            {"src/main.cpp", "int main() {}"},
                            {"zz-top.txt", "top"}});
    }
};

TEST_F(OpeningAndTabsTest, OpeningInstallsATabSelectsTheFirstFileAndPreviewsIt) {
    const std::filesystem::path archive = nested();
    QSignalSpy busy(model_.get(), &ArchiveViewModel::isBusyChanged);
    model_->openArchive(QString::fromStdString(archive.string()));
    EXPECT_TRUE(model_->isBusy());
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Reading archive headers…"));
    EXPECT_EQ(model_->busyDetail(), QStringLiteral("nested.zip"));
    EXPECT_FALSE(model_->busyProgress().has_value());
    ASSERT_TRUE(waitFor([&] { return model_->listing().has_value() && !model_->isBusy(); }));

    ASSERT_EQ(model_->tabs().size(), 1U);
    EXPECT_EQ(model_->tabs()[0].title, QStringLiteral("nested.zip"));
    EXPECT_EQ(model_->activeTabID(), model_->tabs()[0].id);
    EXPECT_EQ(displayedIDs(), (std::vector<std::string>{"docs", "src", "zz-top.txt"}));
    // Folders come first, so the first file is the top-level text file.
    const auto selected = model_->primarySelectedEntry();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->id(), "zz-top.txt");
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }))
        << model_->previewErrorText().value_or(QStringLiteral("(no error)")).toStdString();
    EXPECT_EQ(*model_->previewText(), QStringLiteral("top"));
    EXPECT_EQ(model_->selectedTotalBytes(), 3);
    EXPECT_EQ(model_->extractDestination(),
              QString::fromStdString(folder_.path().string()));
    EXPECT_EQ(model_->recentArchiveURLs(),
              QStringList{QString::fromStdString(archive.string())});
    EXPECT_FALSE(model_->isBusy());
}

TEST_F(OpeningAndTabsTest, ASingleTopFolderOpensInsideIt) {
    const auto archive = makeArchive(folder_.path() / "project.zip",
                                     {{"project/a.txt", "a"}, {"project/lib/b.txt", "b"}});
    openAndWait(archive);
    EXPECT_EQ(model_->currentFolderPath(), QStringLiteral("project"));
    EXPECT_TRUE(model_->expandedFolders().contains(QStringLiteral("project")));
    EXPECT_TRUE(model_->expandedFolders().contains(QString()));
    ASSERT_GE(model_->sidebarFolders().size(), 3U);
    EXPECT_EQ(model_->sidebarFolders()[0].id, "");
    EXPECT_EQ(model_->sidebarFolders()[1].id, "project");
    EXPECT_EQ(model_->sidebarFolders()[2].id, "project/lib");
}

TEST_F(OpeningAndTabsTest, ReopeningAnOpenArchiveSwitchesWithoutReadingIt) {
    const auto first = nested();
    const auto second = makeArchive(folder_.path() / "other.zip", {{"x.txt", "x"}});
    openAndWait(first);
    openAndWait(second);
    ASSERT_EQ(model_->tabs().size(), 2U);
    const QUuid firstID = model_->tabs()[0].id;
    QSignalSpy busy(model_.get(), &ArchiveViewModel::isBusyChanged);
    model_->openArchive(QString::fromStdString((folder_.path() / "sub" / ".." / "nested.zip").string()));
    EXPECT_EQ(model_->activeTabID(), firstID);
    EXPECT_EQ(busy.count(), 0);
    EXPECT_EQ(model_->tabs().size(), 2U);
}

TEST_F(OpeningAndTabsTest, ReloadingReadsTheArchiveAgainWithoutAPassword) {
    const auto archive =
        makeArchive(folder_.path() / "changing.zip", {{"a.txt", "a"}, {"docs/one.txt", "1"}});
    openAndWait(archive);
    const QUuid tab = *model_->activeTabID();
    const auto docsFileCount = [&]() -> std::int64_t {
        for (const auto& node : model_->sidebarFolders()) {
            if (node.id == "docs") return node.recursiveFileCount;
        }
        return -1;
    };
    EXPECT_EQ(docsFileCount(), 1);
    // Changed behind the window's back.
    makeArchive(archive, {{"b.txt", "b"}, {"docs/one.txt", "1"}, {"docs/two.txt", "2"}});
    model_->reloadArchive();
    EXPECT_TRUE(model_->isBusy());
    ASSERT_TRUE(waitFor([&] {
        return !model_->isBusy() && model_->listing()->tree()->entry("b.txt") != nullptr;
    }));
    EXPECT_EQ(model_->activeTabID(), tab);
    EXPECT_EQ(model_->tabs().size(), 1U);
    // The sidebar shows the new reading, not the nodes of the old one.
    EXPECT_EQ(docsFileCount(), 2);
}

TEST_F(OpeningAndTabsTest, AMissingFileIsANoticeWithoutBusyState) {
    QSignalSpy busy(model_.get(), &ArchiveViewModel::isBusyChanged);
    model_->openArchive(QString::fromStdString((folder_.path() / "gone.zip").string()));
    EXPECT_EQ(busy.count(), 0);
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_EQ(*model_->toastMessage(), QStringLiteral("Archive file not found."));
    EXPECT_TRUE(model_->toastIsError());
}

TEST_F(OpeningAndTabsTest, AFileThatIsNoArchiveEndsInAnErrorNoticeAndNoTab) {
    writeFile(folder_.path() / "fake.zip", "this is not a zip file at all");
    model_->openArchive(QString::fromStdString((folder_.path() / "fake.zip").string()));
    ASSERT_TRUE(waitFor([&] { return !model_->isBusy() && model_->toastMessage(); }));
    EXPECT_TRUE(model_->toastIsError());
    EXPECT_TRUE(model_->tabs().empty());
}

TEST_F(OpeningAndTabsTest, SwitchingRestoresEveryBrowsingValueOfTheTabLeft) {
    const auto first = nested();
    const auto second = makeArchive(folder_.path() / "other.zip",
                                    {{"photos/a.png", "png"}, {"notes.txt", "n"}}, {"-psecret"});
    openAndWait(first);
    model_->navigateToFolder(QStringLiteral("docs"));
    model_->updateFilterKind(ArchiveFilterKind::codeText);
    model_->changeSort(ArchiveSortField::size, false);
    model_->updateSearchQuery(QStringLiteral("read"));
    ASSERT_TRUE(waitFor([&] { return !model_->isFilteringAsync(); }));
    model_->setSelectionIDs({"docs/readme.txt"});
    model_->toggleFolderExpanded(QStringLiteral("src"));
    const QUuid firstID = *model_->activeTabID();
    const QSet<QString> expanded = model_->expandedFolders();

    openAndWait(second, std::string("secret"));
    EXPECT_EQ(model_->currentFolderPath(), QString());
    EXPECT_EQ(model_->searchQuery(), QString());
    EXPECT_EQ(model_->sessionPassword(), std::optional<std::string>("secret"));
    EXPECT_EQ(model_->extractDestination(), QString::fromStdString(folder_.path().string()));
    const QUuid secondID = *model_->activeTabID();

    model_->switchToTab(firstID);
    EXPECT_EQ(model_->currentFolderPath(), QStringLiteral("docs"));
    EXPECT_EQ(model_->filterKind(), ArchiveFilterKind::codeText);
    EXPECT_EQ(model_->sortField(), ArchiveSortField::size);
    EXPECT_FALSE(model_->sortAscending());
    EXPECT_EQ(model_->searchQuery(), QStringLiteral("read"));
    EXPECT_EQ(model_->expandedFolders(), expanded);
    EXPECT_FALSE(model_->sessionPassword().has_value());
    ASSERT_TRUE(model_->primarySelectedEntry());
    EXPECT_EQ(model_->primarySelectedEntry()->id(), "docs/readme.txt");
    EXPECT_EQ(model_->selectedTotalBytes(), 5);
    EXPECT_EQ(displayedIDs(), std::vector<std::string>{"docs/readme.txt"});
    // The single selected entry is previewed again.
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    EXPECT_EQ(*model_->previewText(), QStringLiteral("hello"));

    model_->switchToTab(secondID);
    EXPECT_EQ(model_->sessionPassword(), std::optional<std::string>("secret"));
    // Switching to the active tab saves nothing and changes nothing.
    QSignalSpy listing(model_.get(), &ArchiveViewModel::listingChanged);
    model_->switchToTab(secondID);
    EXPECT_EQ(listing.count(), 0);
}

TEST_F(OpeningAndTabsTest, ClosingTabsActivatesTheFollowingOneAndEmptiesTheWorkspaceLast) {
    std::vector<std::filesystem::path> archives;
    for (const char* name : {"a.zip", "b.zip", "c.zip"}) {
        archives.push_back(makeArchive(folder_.path() / name, {{"f.txt", name}}));
        openAndWait(archives.back());
    }
    ASSERT_EQ(model_->tabs().size(), 3U);
    const QUuid a = model_->tabs()[0].id;
    const QUuid b = model_->tabs()[1].id;
    const QUuid c = model_->tabs()[2].id;
    // Each tab's cache folder is made by its first preview.
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    const QString cCache = model_->tabs()[2].cacheDir;
    EXPECT_TRUE(QDir(cCache).exists());

    model_->switchToTab(b);
    model_->closeTab(b);  // the middle, active one
    EXPECT_EQ(model_->activeTabID(), c);
    EXPECT_EQ(model_->tabs().size(), 2U);

    model_->closeTab(a);  // not active: nothing else changes
    EXPECT_EQ(model_->activeTabID(), c);
    EXPECT_TRUE(QDir(cCache).exists());

    model_->changeSort(ArchiveSortField::kind, false);
    model_->updateSearchQuery(QStringLiteral("f"));
    model_->closeTab(c);  // the only one
    EXPECT_TRUE(model_->tabs().empty());
    EXPECT_FALSE(model_->activeTabID());
    EXPECT_FALSE(model_->listing());
    EXPECT_TRUE(model_->searchQuery().isEmpty());
    EXPECT_EQ(model_->filterKind(), ArchiveFilterKind::all);
    EXPECT_EQ(model_->selectedTotalBytes(), 0);
    EXPECT_TRUE(model_->displayedEntries().empty());
    EXPECT_TRUE(model_->sidebarFolders().empty());
    EXPECT_EQ(model_->expandedFolders(), QSet<QString>{QString()});
    EXPECT_EQ(model_->sortField(), ArchiveSortField::kind);
    EXPECT_FALSE(model_->sortAscending());
    EXPECT_FALSE(QDir(cCache).exists());
    // Unknown ids change nothing.
    model_->closeTab(QUuid::createUuid());
    model_->switchToTab(QUuid::createUuid());
    EXPECT_TRUE(model_->tabs().empty());
}

TEST_F(OpeningAndTabsTest, ClosingTheActiveLastTabActivatesTheNewLastTab) {
    const auto a = makeArchive(folder_.path() / "a.zip", {{"f.txt", "a"}});
    const auto b = makeArchive(folder_.path() / "b.zip", {{"f.txt", "b"}});
    openAndWait(a);
    openAndWait(b);
    const QUuid first = model_->tabs()[0].id;
    model_->closeTab(model_->tabs()[1].id);
    EXPECT_EQ(model_->activeTabID(), first);
    EXPECT_EQ(model_->listing()->info().url, a);
}

TEST_F(OpeningAndTabsTest, TwoOpeningsAtOnceKeepTheBusyDisplayUntilBothEndAndCancelStopsBoth) {
    const auto a = makeArchive(folder_.path() / "a.zip", {{"f.txt", "a"}});
    const auto b = makeArchive(folder_.path() / "b.zip", {{"g.txt", "b"}});
    model_->handleDroppedURLs({QUrl::fromLocalFile(QString::fromStdString(a.string())),
                               QUrl::fromLocalFile(QString::fromStdString(b.string()))});
    // The busy display goes away only when the second listing is back: at that moment the
    // first one is installed and the second is about to be.
    std::vector<std::size_t> tabsWhenIdle;
    QObject::connect(model_.get(), &ArchiveViewModel::isBusyChanged, [&] {
        if (!model_->isBusy()) tabsWhenIdle.push_back(model_->tabs().size());
    });
    ASSERT_TRUE(waitFor([&] { return model_->tabs().size() == 2 && !model_->isBusy(); }));
    EXPECT_EQ(tabsWhenIdle, std::vector<std::size_t>{1});

    // Cancel reaches every opening, not only the last one started.
    const auto c = makeArchive(folder_.path() / "c.zip", {{"h.txt", "c"}});
    const auto d = makeArchive(folder_.path() / "d.zip", {{"i.txt", "d"}});
    model_->openArchive(QString::fromStdString(c.string()));
    model_->openArchive(QString::fromStdString(d.string()));
    model_->cancelActiveOperation();
    ASSERT_TRUE(waitFor([&] { return !model_->isBusy(); }));
    // Let any late delivery land before judging.
    QTest::qWait(200);
    EXPECT_EQ(model_->tabs().size(), 2U);
    EXPECT_FALSE(model_->toastMessage() && model_->toastIsError());
}

TEST_F(OpeningAndTabsTest, RecentsKeepTenMostRecentFirstAndHideVanishedFiles) {
    std::vector<std::filesystem::path> archives;
    for (int i = 0; i < 12; ++i) {
        archives.push_back(makeArchive(folder_.path() / ("r" + std::to_string(i) + ".zip"),
                                       {{"f.txt", "x"}}));
        model_->rememberRecent(QString::fromStdString(archives.back().string()));
    }
    ASSERT_EQ(model_->recentArchiveURLs().size(), ArchiveViewModel::kMaxRecentArchives);
    EXPECT_EQ(model_->recentArchiveURLs().front(), QString::fromStdString(archives[11].string()));
    model_->rememberRecent(QString::fromStdString(archives[5].string()));
    EXPECT_EQ(model_->recentArchiveURLs().front(), QString::fromStdString(archives[5].string()));
    EXPECT_EQ(model_->recentArchiveURLs().count(QString::fromStdString(archives[5].string())), 1);

    const std::filesystem::path moved = folder_.path() / "moved.zip";
    std::filesystem::rename(archives[11], moved);
    model_->loadRecents();
    EXPECT_FALSE(model_->recentArchiveURLs().contains(QString::fromStdString(archives[11].string())));
    std::filesystem::rename(moved, archives[11]);
    model_->loadRecents();
    EXPECT_TRUE(model_->recentArchiveURLs().contains(QString::fromStdString(archives[11].string())));
}

TEST_F(OpeningAndTabsTest, CleanupRemovesTheWholeCacheRoot) {
    openAndWait(nested());
    ASSERT_TRUE(waitFor([&] { return model_->previewLocalFileURL().has_value(); }));
    const QString root = model_->sessionCacheRoot();
    ASSERT_TRUE(QDir(root).exists());
    EXPECT_TRUE(model_->previewLocalFileURL()->startsWith(root));
    const QFileInfo info(root);
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
    model_->cleanupPreviewCache();
    EXPECT_FALSE(QDir(root).exists());
}

TEST_F(OpeningAndTabsTest, ALinkPlantedAtTheCacheRootsNameIsNeverUsed) {
    const std::filesystem::path elsewhere = folder_.path() / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    const std::filesystem::path root = model_->sessionCacheRoot().toStdString();
    std::filesystem::remove_all(root);
    std::filesystem::create_directory_symlink(elsewhere, root);
    openAndWait(nested());
    ASSERT_TRUE(waitFor([&] { return model_->previewErrorText().has_value(); }));
    EXPECT_FALSE(model_->previewText());
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    std::filesystem::remove(root);
}

TEST_F(OpeningAndTabsTest, ANewObjectStartsEmptyWithTheRootExpanded) {
    EXPECT_EQ(model_->expandedFolders(), QSet<QString>{QString()});
    EXPECT_TRUE(model_->tabs().empty());
    EXPECT_FALSE(model_->listing());
    EXPECT_EQ(model_->extractDestination(), QDir::home().filePath(QStringLiteral("Downloads")));
    EXPECT_TRUE(model_->sessionCacheRoot().contains(QStringLiteral("KelvanePreview-")));
    EXPECT_EQ(model_->createOptions().format, ArchiveCreateFormat::zip);
}

}  // namespace
}  // namespace kelvane::testing
