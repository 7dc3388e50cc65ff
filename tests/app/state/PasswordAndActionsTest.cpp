// The password flow and the actions on archives: extract, test, add, delete, create,
// convert, and the routing of dropped files, on real archives.
#include <QDir>

#include "StateTestSupport.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::PendingPasswordAction;

class PasswordAndActionsTest : public StateTest {
protected:
    // A 7z archive whose names are encrypted too: even listing needs the password.
    std::filesystem::path locked() {
        return makeArchive(folder_.path() / "locked.7z",
                           {{"secret/plan.txt", "the plan"}, {"notes.txt", "notes"}},
                           {"-pletmein", "-mhe=on"});
    }

    void waitIdle() { ASSERT_TRUE(waitFor([&] { return !model_->isBusy(); })); }
};

TEST_F(PasswordAndActionsTest, AnEncryptedListingAsksSubmitsAndTheTabKeepsThePassword) {
    const auto archive = locked();
    model_->openArchive(QString::fromStdString(archive.string()));
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    EXPECT_FALSE(model_->isBusy());
    EXPECT_FALSE(model_->passwordSheetError());
    EXPECT_TRUE(model_->passwordSheetInput().isEmpty());
    ASSERT_TRUE(model_->pendingPasswordAction());
    EXPECT_EQ(model_->pendingPasswordAction()->kind, PendingPasswordAction::Kind::openArchive);
    EXPECT_TRUE(model_->tabs().empty());

    // An empty field submits nothing.
    model_->submitPasswordSheet();
    EXPECT_TRUE(model_->showPasswordSheet());

    model_->setPasswordSheetInput(QStringLiteral("wrong"));
    model_->submitPasswordSheet();
    EXPECT_FALSE(model_->showPasswordSheet());
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    ASSERT_TRUE(model_->passwordSheetError());
    EXPECT_EQ(*model_->passwordSheetError(), QStringLiteral("Incorrect password. Please try again."));
    EXPECT_TRUE(model_->passwordSheetInput().isEmpty());
    EXPECT_TRUE(model_->tabs().empty());

    model_->setPasswordSheetInput(QStringLiteral("letmein"));
    model_->submitPasswordSheet();
    ASSERT_TRUE(waitFor([&] { return model_->listing().has_value() && !model_->isBusy(); }));
    EXPECT_EQ(model_->tabs().size(), 1U);
    EXPECT_EQ(model_->sessionPassword(), std::optional<std::string>("letmein"));
    EXPECT_EQ(model_->tabs()[0].sessionPassword, std::optional<std::string>("letmein"));
    // The solid 7z opens with nothing selected; a forced preview needs no second prompt.
    EXPECT_TRUE(model_->selectedEntryIDs().empty());
    model_->setSelectionIDs({"notes.txt"});
    EXPECT_TRUE(model_->previewRequiresManualLoad());
    model_->preparePreview(*model_->primarySelectedEntry(), true);
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    EXPECT_EQ(*model_->previewText(), QStringLiteral("notes"));
    EXPECT_FALSE(model_->showPasswordSheet());
}

TEST_F(PasswordAndActionsTest, CancellingThePasswordSheetLeavesNothingPending) {
    model_->openArchive(QString::fromStdString(locked().string()));
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    model_->setPasswordSheetInput(QStringLiteral("typed"));
    model_->cancelPasswordSheet();
    EXPECT_FALSE(model_->showPasswordSheet());
    EXPECT_FALSE(model_->pendingPasswordAction());
    EXPECT_EQ(model_->passwordSheetInput(), QStringLiteral("typed"));
    EXPECT_TRUE(model_->tabs().empty());
}

TEST_F(PasswordAndActionsTest, ExtractingTheSelectionWithATypedPasswordStoresItForTheTab) {
    const auto archive = makeArchive(folder_.path() / "data.zip",
                                     {{"keep/one.txt", "one"}, {"keep/two.txt", "two"}},
                                     {"-pzipsecret"});
    openAndWait(archive);
    EXPECT_FALSE(model_->sessionPassword());
    model_->navigateToFolder(QStringLiteral("keep"));
    model_->setSelectionIDs({"keep/one.txt"});

    // Without a password the extraction asks, and resumes as an extraction of the selection.
    const std::filesystem::path destination = folder_.path() / "out";
    std::filesystem::create_directories(destination);
    model_->presentExtractSheet(true);
    EXPECT_TRUE(model_->showExtractSheet());
    EXPECT_TRUE(model_->extractSelectedOnly());
    model_->setExtractDestination(QString::fromStdString(destination.string()));
    model_->setExtractSmartSubfolder(false);
    model_->setExtractOpenInFinder(true);
    model_->executeExtract();
    EXPECT_FALSE(model_->showExtractSheet());
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Extracting selected items…"));
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    EXPECT_EQ(model_->pendingPasswordAction()->kind, PendingPasswordAction::Kind::extract);
    EXPECT_TRUE(model_->pendingPasswordAction()->selectedOnly);

    model_->setPasswordSheetInput(QStringLiteral("zipsecret"));
    model_->submitPasswordSheet();
    EXPECT_EQ(model_->extractPasswordInput(), QStringLiteral("zipsecret"));
    waitIdle();
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_FALSE(model_->toastIsError()) << model_->toastMessage()->toStdString();
    EXPECT_TRUE(model_->toastMessage()->startsWith(QStringLiteral("Extracted to ")));
    EXPECT_EQ(readWholeFile(destination / "keep" / "one.txt"), "one");
    EXPECT_FALSE(std::filesystem::exists(destination / "keep" / "two.txt"));
    EXPECT_EQ(model_->sessionPassword(), std::optional<std::string>("zipsecret"));
    ASSERT_EQ(desktop_.openedFolders.size(), 1);
}

TEST_F(PasswordAndActionsTest, QuickExtractWrapsTheWholeArchiveAndNotASelection) {
    const auto archive = makeArchive(folder_.path() / "bundle.zip",
                                     {{"a.txt", "a"}, {"b.txt", "b"}});
    openAndWait(archive);
    model_->setExtractOverwriteMode(ExtractOverwriteMode::skipExisting);
    model_->setExtractOpenInFinder(false);
    model_->quickExtractHere(false);
    EXPECT_TRUE(model_->extractSmartSubfolder());
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Extracting archive…"));
    waitIdle();
    EXPECT_EQ(readWholeFile(folder_.path() / "bundle" / "a.txt"), "a");
    EXPECT_EQ(model_->extractOverwriteMode(), ExtractOverwriteMode::skipExisting);
    EXPECT_TRUE(desktop_.openedFolders.isEmpty());

    model_->setSelectionIDs({"b.txt"});
    model_->quickExtractHere(true);
    EXPECT_FALSE(model_->extractSmartSubfolder());
    waitIdle();
    EXPECT_EQ(readWholeFile(folder_.path() / "b.txt"), "b");
}

TEST_F(PasswordAndActionsTest, ACancelledExtractionSaysOperationCancelled) {
    const auto archive = makeArchive(folder_.path() / "big.zip",
                                     {{"big.bin", std::string(4 * 1024 * 1024, 'z')}});
    openAndWait(archive);
    model_->quickExtractHere(false);
    ASSERT_TRUE(model_->isBusy());
    model_->cancelActiveOperation();
    waitIdle();
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_EQ(*model_->toastMessage(), QStringLiteral("Operation cancelled."));
    EXPECT_TRUE(model_->toastIsError());
    EXPECT_FALSE(model_->busyProgress().has_value());
    EXPECT_TRUE(model_->busySpeedText().isEmpty());
}

TEST_F(PasswordAndActionsTest, TestingReportsItsSummaryAndACancelledTestSaysNothing) {
    openAndWait(makeArchive(folder_.path() / "fine.zip", {{"a.txt", "a"}, {"b.txt", "b"}}));
    model_->runArchiveIntegrityTest();
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Testing archive integrity…"));
    waitIdle();
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_FALSE(model_->toastIsError()) << model_->toastMessage()->toStdString();

    model_->showToast(QStringLiteral("marker"), false);
    model_->runArchiveIntegrityTest();
    model_->cancelActiveOperation();
    waitIdle();
    EXPECT_EQ(model_->toastMessage(), std::optional<QString>(QStringLiteral("marker")));
}

TEST_F(PasswordAndActionsTest, AddingAndDeletingReloadTheTabInPlace) {
    const auto archive = makeArchive(folder_.path() / "edit.zip",
                                     {{"old.txt", "old"}, {"gone.txt", "bye"}});
    openAndWait(archive);
    const QUuid tabID = *model_->activeTabID();
    const std::filesystem::path extra = folder_.path() / "new1.txt";
    writeFile(extra, "new");
    writeFile(folder_.path() / "new2.txt", "new2");

    model_->addFilesToCurrentArchive({QString::fromStdString(extra.string()),
                                      QString::fromStdString((folder_.path() / "new2.txt").string())});
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Adding files to archive…"));
    EXPECT_EQ(model_->busyDetail(), QStringLiteral("2 items"));
    ASSERT_TRUE(waitFor([&] {
        return !model_->isBusy() && model_->listing()->tree()->entry("new1.txt") != nullptr;
    }));
    EXPECT_EQ(model_->tabs().size(), 1U);
    EXPECT_EQ(*model_->activeTabID(), tabID);

    model_->setSelectionIDs({"gone.txt"});
    model_->deleteSelectedEntriesFromArchive();
    EXPECT_EQ(model_->busyDetail(), QStringLiteral("1 items"));
    ASSERT_TRUE(waitFor([&] {
        return !model_->isBusy() && model_->listing()->tree()->entry("gone.txt") == nullptr;
    }));
    EXPECT_EQ(*model_->activeTabID(), tabID);
    EXPECT_NE(model_->listing()->tree()->entry("old.txt"), nullptr);

    // Nothing selected: nothing happens.
    model_->setSelection(app::EntrySelection());
    QSignalSpy busy(model_.get(), &ArchiveViewModel::isBusyChanged);
    model_->deleteSelectedEntriesFromArchive();
    EXPECT_EQ(busy.count(), 0);
}

TEST_F(PasswordAndActionsTest, ReadOnlyArchivesRefuseAddingBeforeAnyPanel) {
    // A gzip'd tar is read-only.
    const std::filesystem::path source = folder_.path() / "src";
    writeFile(source / "a.txt", "a");
    const std::filesystem::path archive = folder_.path() / "ro.tar.gz";
    ASSERT_EQ(ProcessRunner::run("/usr/bin/bsdtar", {"-czf", archive.string(), "-C", source.string(), "a.txt"})
                  .exitCode,
              0);
    openAndWait(archive);
    ASSERT_FALSE(model_->listing()->info().isModifiable);
    model_->promptAddFilesToOpenArchive();
    EXPECT_TRUE(desktop_.openPanels.empty());
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_TRUE(model_->toastIsError());
}

TEST_F(PasswordAndActionsTest, CreatingProposesANameAndOpensTheResultWithItsPassword) {
    writeFile(folder_.path() / "photos.jpg", "jpeg bytes");
    writeFile(folder_.path() / "more" / "notes.txt", "notes");
    const QString photo = QString::fromStdString((folder_.path() / "photos.jpg").string());
    const QString more = QString::fromStdString((folder_.path() / "more").string());

    model_->presentCreateArchiveSheet();
    model_->promptAddSourceItemsForCreation();
    ASSERT_EQ(desktop_.openPanels.size(), 1U);
    EXPECT_TRUE(desktop_.openPanels[0].request.allowsMultipleSelection);
    desktop_.openPanels[0].done({QUrl::fromLocalFile(photo)});
    model_->promptAddSourceItemsForCreation();
    desktop_.openPanels[1].done({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(more)});
    EXPECT_EQ(model_->createSourceURLs(), (QStringList{photo, more}));

    CreateArchiveOptions options = model_->createOptions();
    options.format = ArchiveCreateFormat::sevenZ;
    options.password = "made";
    model_->setCreateOptions(options);
    model_->removeCreateSource(5);
    EXPECT_EQ(model_->createSourceURLs().size(), 2);
    EXPECT_EQ(model_->proposedCreateArchiveName(), QStringLiteral("Archive.7z"));
    model_->removeCreateSource(1);
    EXPECT_EQ(model_->proposedCreateArchiveName(), QStringLiteral("photos.7z"));
    model_->promptAddSourceItemsForCreation();
    desktop_.openPanels[2].done({QUrl::fromLocalFile(more)});

    model_->promptSaveAndCreateArchive();
    ASSERT_EQ(desktop_.savePanels.size(), 1U);
    EXPECT_EQ(desktop_.savePanels[0].request.directory,
              QString::fromStdString(folder_.path().string()));
    const std::filesystem::path destination = folder_.path() / "made.7z";
    desktop_.savePanels[0].done(QUrl::fromLocalFile(QString::fromStdString(destination.string())));
    EXPECT_FALSE(model_->showCreateSheet());
    ASSERT_TRUE(waitFor([&] { return model_->listing() && model_->listing()->info().url == destination; }));
    waitIdle();
    EXPECT_TRUE(model_->createSourceURLs().isEmpty());
    EXPECT_EQ(model_->sessionPassword(), std::optional<std::string>("made"));
    EXPECT_FALSE(model_->showPasswordSheet());
    EXPECT_NE(model_->listing()->tree()->entry("more/notes.txt"), nullptr);
}

TEST_F(PasswordAndActionsTest, ConvertingStartsFrom7zAndOpensTheConvertedArchive) {
    const auto archive = makeArchive(folder_.path() / "backup.zip", {{"a/b.txt", "b"}});
    openAndWait(archive);
    CreateArchiveOptions options = model_->createOptions();
    options.format = ArchiveCreateFormat::tarXz;
    model_->setCreateOptions(options);
    model_->presentConvertSheet();
    EXPECT_EQ(model_->createOptions().format, ArchiveCreateFormat::sevenZ);
    EXPECT_EQ(model_->createOptions().compressionLevel, CompressionLevel::normal);
    options = model_->createOptions();
    options.format = ArchiveCreateFormat::zip;
    model_->setCreateOptions(options);
    EXPECT_EQ(model_->proposedConvertArchiveName(), QStringLiteral("backup-converted.zip"));
    model_->promptSaveAndConvertArchive();
    ASSERT_EQ(desktop_.savePanels.size(), 1U);
    const std::filesystem::path destination = folder_.path() / "backup-converted.zip";
    desktop_.savePanels[0].done(QUrl::fromLocalFile(QString::fromStdString(destination.string())));
    ASSERT_TRUE(waitFor([&] { return model_->tabs().size() == 2 && !model_->isBusy(); }));
    EXPECT_EQ(model_->listing()->info().url, destination);
    EXPECT_NE(model_->listing()->tree()->entry("a/b.txt"), nullptr);
    ASSERT_TRUE(model_->toastMessage());
    EXPECT_EQ(*model_->toastMessage(), QStringLiteral("Converted: backup-converted.zip"));
}

TEST_F(PasswordAndActionsTest, DroppedFilesAreRoutedByWhatTheyAre) {
    const auto first = makeArchive(folder_.path() / "one.zip", {{"a.txt", "a"}});
    const auto second = makeArchive(folder_.path() / "two.zip", {{"b.txt", "b"}});
    writeFile(folder_.path() / "plain.txt", "plain");
    const QUrl plain = QUrl::fromLocalFile(QString::fromStdString((folder_.path() / "plain.txt").string()));
    const QUrl one = QUrl::fromLocalFile(QString::fromStdString(first.string()));

    // Nothing shown: an archive with a plain file goes to the create sheet, options kept.
    CreateArchiveOptions options;
    options.format = ArchiveCreateFormat::tar;
    model_->setCreateOptions(options);
    model_->handleDroppedURLs({one, plain});
    EXPECT_TRUE(model_->showCreateSheet());
    EXPECT_EQ(model_->createSourceURLs().size(), 2);
    EXPECT_EQ(model_->createOptions().format, ArchiveCreateFormat::tar);
    EXPECT_TRUE(model_->tabs().empty());

    // A folder written with a trailing slash never opens as an archive.
    model_->setShowCreateSheet(false);
    model_->handleDroppedURLs({QUrl(QStringLiteral("file://") +
                                    QString::fromStdString((folder_.path() / "dir.zip").string()) +
                                    QStringLiteral("/"))});
    EXPECT_TRUE(model_->showCreateSheet());
    EXPECT_TRUE(model_->tabs().empty());

    // Two archives open two tabs.
    model_->handleDroppedURLs({one, QUrl::fromLocalFile(QString::fromStdString(second.string()))});
    ASSERT_TRUE(waitFor([&] { return model_->tabs().size() == 2 && !model_->isBusy(); }));

    // A writable archive shown: a plain file is added to it.
    model_->handleDroppedURLs({plain});
    ASSERT_TRUE(waitFor([&] {
        return !model_->isBusy() && model_->listing()->tree()->entry("plain.txt") != nullptr;
    }));

    // The open panel routes its answer the same way.
    model_->promptOpenArchive();
    ASSERT_EQ(desktop_.openPanels.size(), 1U);
    EXPECT_FALSE(desktop_.openPanels[0].request.canChooseDirectories);
    desktop_.openPanels[0].done({});
    EXPECT_EQ(model_->tabs().size(), 2U);
    model_->handleDroppedURLs({});
    EXPECT_EQ(model_->tabs().size(), 2U);
}

}  // namespace
}  // namespace kelvane::testing
