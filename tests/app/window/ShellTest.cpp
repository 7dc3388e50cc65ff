// The shell around the window: menu commands enabling with the state, the key monitor's
// rules, files from the command line and from a second launch, the feedback address, and
// the busy overlay that blocks clicks until Cancel stops the operation.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QUrlQuery>

#include <QProcess>

#include <fstream>

#include <thread>

#include "RecordingDesktopServices.hpp"
#include "support/TemporaryFolder.hpp"
#include "WindowTestSupport.hpp"
#include "localization/AppLanguage.hpp"
#include "window/BusyOverlay.hpp"
#include "window/CommandLineFiles.hpp"
#include "window/EntryListPane.hpp"
#include "window/EntryTableView.hpp"
#include "window/FeedbackLink.hpp"
#include "window/InstanceChannel.hpp"
#include "window/KelvaneApplication.hpp"
#include "window/KeyMonitor.hpp"
#include "window/MainWindow.hpp"
#include "window/PillButton.hpp"
#include "window/SearchField.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::MainWindow;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        windowTestApplication();
        window.resize(1240, 780);
        window.show();
    }

    bool enabled(const char* name) const {
        QAction* command = window.action(QString::fromLatin1(name));
        EXPECT_NE(command, nullptr) << name;
        return command != nullptr && command->isEnabled();
    }

    // First: every widget below needs the application.
    QApplication& application = windowTestApplication();
    TemporaryFolder folder;
    RecordingDesktopServices desktop;
    ArchiveViewModel viewModel{desktop};
    MainWindow window{viewModel, nullptr};
};

TEST_F(ShellTest, MenuCommandsEnableAndDisableWithTheState) {
    EXPECT_TRUE(enabled("openArchive"));
    EXPECT_TRUE(enabled("createArchive"));
    for (const char* name : {"extractAll", "extractSelected", "testArchive", "convertArchive",
                             "closeTab", "search", "selectAll", "upFolder", "addFiles",
                             "deleteSelected"}) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    EXPECT_EQ(window.action(QStringLiteral("openArchive"))->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window.action(QStringLiteral("extractSelected"))->shortcut(),
              QKeySequence("Ctrl+Shift+E"));
    EXPECT_EQ(window.action(QStringLiteral("deleteSelected"))->shortcut(),
              QKeySequence("Ctrl+Del"));
    EXPECT_TRUE(window.action(QStringLiteral("upFolder"))->shortcuts().contains(QKeySequence("Alt+Up")));

    const auto zip = makeZip(folder.path(), "menus.zip",
                             {{"docs/readme.txt", "hello"}, {"top.txt", "top"}});
    ASSERT_FALSE(zip.empty());
    ASSERT_TRUE(openAndWait(viewModel, zip));
    for (const char* name : {"extractAll", "testArchive", "convertArchive", "closeTab", "search",
                             "selectAll", "addFiles"}) {
        EXPECT_TRUE(enabled(name)) << name;
    }
    viewModel.setSelection({});
    EXPECT_FALSE(enabled("extractSelected"));
    EXPECT_FALSE(enabled("deleteSelected"));
    viewModel.selectDisplayedRows({{1, 1}});
    EXPECT_TRUE(enabled("extractSelected"));
    EXPECT_TRUE(enabled("deleteSelected"));
    EXPECT_FALSE(enabled("upFolder"));
    viewModel.navigateToFolder(QStringLiteral("docs"));
    EXPECT_TRUE(enabled("upFolder"));

    // A format that cannot be written keeps adding and deleting off.
    viewModel.showListing(syntheticListing((folder.path() / "read-only.iso").string(),
                                           {fileEntry("a.txt", 1, 1)}, false));
    viewModel.selectAllVisible();
    EXPECT_FALSE(enabled("addFiles"));
    EXPECT_FALSE(enabled("deleteSelected"));

    window.action(QStringLiteral("closeTab"))->trigger();
    window.action(QStringLiteral("closeTab"))->trigger();
    EXPECT_TRUE(viewModel.tabs().empty());
    EXPECT_FALSE(enabled("closeTab"));
    EXPECT_TRUE(window.isWelcomeShown());
}

TEST_F(ShellTest, KeyMonitorFollowsItsRules) {
    const auto zip = makeZip(folder.path(), "keys.zip",
                             {{"docs/readme.txt", "hello"}, {"top.txt", "top text"}});
    ASSERT_FALSE(zip.empty());
    ASSERT_TRUE(openAndWait(viewModel, zip));
    app::KeyMonitor monitor(viewModel, &window);
    QWidget* table = &window.entryList().table();

    // Backspace at the root passes on; Return on a folder opens it.
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Backspace, {}, table));
    viewModel.selectDisplayedRows({{0, 0}});  // "docs"
    ASSERT_TRUE(viewModel.primarySelectedEntry() && viewModel.primarySelectedEntry()->isDirectory());
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Space, {}, table));  // no quick look for a folder
    EXPECT_TRUE(monitor.handleKey(Qt::Key_Return, {}, table));
    EXPECT_EQ(viewModel.currentFolderPath(), QStringLiteral("docs"));
    EXPECT_TRUE(monitor.handleKey(Qt::Key_Backspace, {}, table));
    EXPECT_EQ(viewModel.currentFolderPath(), QString());

    // Typing in the search field and keys with Ctrl, Alt or Meta are never taken.
    viewModel.selectDisplayedRows({{1, 1}});  // "top.txt"
    ASSERT_TRUE(viewModel.primarySelectedEntry());
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Return, {}, &window.entryList().searchField()));
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Space, {}, &window.entryList().searchField()));
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Return, Qt::ControlModifier, table));
    EXPECT_FALSE(monitor.handleKey(Qt::Key_Space, Qt::AltModifier, table));
    EXPECT_FALSE(monitor.handleKey(Qt::Key_A, {}, table));
    EXPECT_TRUE(desktop.quickLookFile.isEmpty());

    // Space on a file toggles quick look, Return opens it; both once the entry is extracted.
    qApp->installEventFilter(&monitor);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return !desktop.quickLookFile.isEmpty(); }));
    EXPECT_TRUE(desktop.quickLookFile.endsWith(QStringLiteral("top.txt")));
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !desktop.openedUrls.isEmpty(); }));
    EXPECT_TRUE(desktop.openedUrls.front().toLocalFile().endsWith(QStringLiteral("top.txt")));
    // Shift alone does not count as a modifier.
    viewModel.navigateToFolder(QStringLiteral("docs"));
    QTest::keyClick(table, Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(viewModel.currentFolderPath(), QString());
    qApp->removeEventFilter(&monitor);
}

TEST_F(ShellTest, RightToLeftLanguagesMirrorTheWholeApplication) {
    for (const AppLanguage language : {AppLanguage::ar, AppLanguage::fa, AppLanguage::he}) {
        viewModel.chooseLanguage(language);
        EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::RightToLeft) << language.rawValue();
        EXPECT_TRUE(window.isRightToLeft());
        EXPECT_TRUE(window.entryList().isRightToLeft());
    }
    viewModel.chooseLanguage(AppLanguage::de);
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_FALSE(window.entryList().isRightToLeft());
    viewModel.followSystemLanguage();
}

TEST(CommandLineFilesTest, SwitchesAreDroppedAndOnlyExistingPathsKept) {
    windowTestApplication();
    TemporaryFolder folder;
    const auto zip = folder.write("a.zip", "not really a zip");
    const QList<QUrl> urls = app::CommandLineFiles::from(
        {QStringLiteral("kelvane"), QStringLiteral("-NSDocumentRevisionsDebugMode"),
         QStringLiteral("YES"), QString::fromStdString(zip.string()),
         QStringLiteral("/nonexistent/b.zip")});
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls.front().toLocalFile(), QString::fromStdString(zip.string()));
}

TEST(ApplicationTest, FilesOnTheCommandLineOpenAndASecondLaunchHandsItsFilesOver) {
    windowTestApplication();
    TemporaryFolder folder;
    const auto first = makeZip(folder.path(), "first.zip", {{"one.txt", "1"}});
    const auto second = makeZip(folder.path(), "second.zip", {{"two.txt", "2"}});
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());

    app::InstanceChannel running(QString::fromStdString((folder.path() / "instance.socket").string()));
    ASSERT_TRUE(running.listen());
    app::KelvaneApplication application;
    application.launch({QStringLiteral("kelvane"), QStringLiteral("--verbose"),
                        QString::fromStdString(first.string())},
                       &running);
    ASSERT_TRUE(waitUntil([&] { return application.viewModel().listing().has_value(); }));
    EXPECT_EQ(application.viewModel().archivePath(), QString::fromStdString(first.string()));
    EXPECT_FALSE(application.window().isWelcomeShown());
    EXPECT_EQ(application.window().windowTitle(), QStringLiteral("Kelvane — by Tessaloom"));

    // The later launch runs in its own thread: it waits for the running one to answer.
    bool handedOver = false;
    std::thread later([&] {
        const app::InstanceChannel launching(
            QString::fromStdString((folder.path() / "instance.socket").string()));
        handedOver = launching.handOver({QString::fromStdString(second.string())}, 5000);
    });
    const bool opened = waitUntil([&] { return application.viewModel().tabs().size() == 2; });
    later.join();
    EXPECT_TRUE(handedOver);
    ASSERT_TRUE(opened);
    EXPECT_EQ(application.viewModel().archivePath(), QString::fromStdString(second.string()));

    // Nobody listening: the launch reports it and opens its own window instead.
    const app::InstanceChannel nobody(QString::fromStdString((folder.path() / "none.socket").string()));
    EXPECT_FALSE(nobody.handOver({}, 200));
}

TEST(ApplicationTest, CompressOnTheCommandLineOffersTheFilesInTheCreateSheet) {
    windowTestApplication();
    TemporaryFolder folder;
    const auto archive = makeZip(folder.path(), "kept.zip", {{"one.txt", "1"}});
    const auto plain = folder.write("notes.txt", "notes");
    app::KelvaneApplication application;
    application.launch({QStringLiteral("kelvane"), QStringLiteral("--compress"),
                        QString::fromStdString(archive.string()),
                        QString::fromStdString(plain.string())},
                       nullptr);
    EXPECT_TRUE(application.viewModel().showCreateSheet());
    EXPECT_EQ(application.viewModel().createSourceURLs(),
              (QStringList{QString::fromStdString(archive.string()),
                           QString::fromStdString(plain.string())}));
    // The archive among them is packed, not opened.
    EXPECT_TRUE(application.viewModel().tabs().empty());
    application.viewModel().setShowCreateSheet(false);
}

TEST(FeedbackLinkTest, AddressFollowsTheLanguage) {
    const QUrl portuguese = app::FeedbackLink::feedbackPage(AppLanguage::ptBR);
    ASSERT_TRUE(portuguese.isValid());
    EXPECT_EQ(portuguese.path(), QStringLiteral("/pt-BR/feedback"));
    const QUrlQuery query(portuguese);
    const auto items = query.queryItems(QUrl::FullyDecoded);
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], (QPair<QString, QString>{"app", "kelvane"}));
    EXPECT_EQ(items[1].first, QStringLiteral("version"));
    EXPECT_FALSE(items[1].second.isEmpty());
    EXPECT_EQ(items[2].first, QStringLiteral("os"));
    EXPECT_TRUE(items[2].second.startsWith(QStringLiteral("Linux ")));
    EXPECT_EQ(items[2].second.count(QLatin1Char('.')), 2);
    EXPECT_EQ(items[3], (QPair<QString, QString>{"source", "desktop_app"}));
    EXPECT_EQ(app::FeedbackLink::feedbackPage(AppLanguage::tr).path(),
              QStringLiteral("/tr/geri-bildirim"));
    EXPECT_EQ(app::FeedbackLink::feedbackPage(AppLanguage::de).path(), QStringLiteral("/de/feedback"));
}

TEST_F(ShellTest, BusyOverlayBlocksClicksAndCancelStopsTheOperation) {
    // An extraction long enough to be caught running: a large file of zeros packs small.
    const auto source = folder.path() / "zeros";
    std::filesystem::create_directories(source);
    {
        std::ofstream zeros(source / "zeros.bin", std::ios::binary);
        const std::string block(1 << 20, '\0');
        for (int i = 0; i < 600; ++i) zeros.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    QProcess archiver;
    archiver.setWorkingDirectory(QString::fromStdString(source.string()));
    archiver.start(QStringLiteral("7zz"), {QStringLiteral("a"), QStringLiteral("-tzip"),
                                           QStringLiteral("-mx=1"), QStringLiteral("-bd"),
                                           QString::fromStdString((folder.path() / "large.zip").string()),
                                           QStringLiteral("zeros.bin")});
    ASSERT_TRUE(archiver.waitForFinished(120000) && archiver.exitCode() == 0);
    std::filesystem::remove_all(source);
    ASSERT_TRUE(openAndWait(viewModel, folder.path() / "large.zip"));
    viewModel.quickExtractHere(false);
    ASSERT_TRUE(waitUntil([&] { return window.busyOverlay().isVisible(); }));
    EXPECT_TRUE(viewModel.isBusy());

    // A click on the toolbar's Open button lands on the cover.
    QWidget* open = window.findChild<QWidget*>(QStringLiteral("toolbarOpen"));
    ASSERT_NE(open, nullptr);
    const QPoint inWindow = open->mapTo(&window, open->rect().center());
    QWidget* hit = window.childAt(inWindow);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == &window.busyOverlay() || window.busyOverlay().isAncestorOf(hit));
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&window, inWindow));
    EXPECT_EQ(desktop.openPanels, 0);
    // The cover is drawn over the toolbar too.
    const QColor coverColor = window.grab().toImage().pixelColor(
        window.findChild<QWidget*>(QStringLiteral("toolbar"))->mapTo(&window, QPoint(600, 3)));
    EXPECT_LT(coverColor.lightness(), window.palette().color(QPalette::Window).lightness() - 40);

    QTest::mouseClick(&window.busyOverlay().cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !viewModel.isBusy(); }));
    EXPECT_FALSE(window.busyOverlay().isVisible());
    // Once the cover is gone the same click reaches the button.
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(desktop.openPanels, 1);
}

TEST(BusyOverlayTest, PercentageRoundsToTheNearestWhole) {
    EXPECT_EQ(app::BusyOverlay::percentFor(0.426), QStringLiteral("43%"));
    EXPECT_EQ(app::BusyOverlay::percentFor(0.0), QStringLiteral("0%"));
    EXPECT_EQ(app::BusyOverlay::percentFor(1.0), QStringLiteral("100%"));
}

}  // namespace
}  // namespace kelvane::testing
