// The create and convert sheets: sources listed and removed, format choice resetting what
// the format cannot do at once, blocks appearing and disappearing, Return and Escape, and
// the save panel leading to a real archive.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "SheetTestFixture.hpp"
#include "localization/S.hpp"
#include "window/ArchiveOptionsEditor.hpp"
#include "window/CapsuleBadge.hpp"
#include "window/ChipButton.hpp"
#include "window/ConvertArchiveSheet.hpp"
#include "window/CreateArchiveSheet.hpp"
#include "window/MiddleElidedLabel.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::ArchiveOptionsEditor;
using app::ConvertArchiveSheet;
using app::CreateArchiveSheet;

QString rowName(QWidget* row) {
    return row->findChild<app::MiddleElidedLabel*>()->text();
}

class CreateSheetTest : public SheetTestFixture {};

TEST_F(CreateSheetTest, SourcesAreListedAddedAndRemovedRowByRow) {
    CreateArchiveSheet sheet(*viewModel_, window_.get());
    viewModel_->presentCreateArchiveSheet();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_TRUE(sheet.emptyPlaceholder()->isVisibleTo(&sheet));
    EXPECT_FALSE(sheet.createButton()->isEnabled());
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_TRUE(desktop_.savePanels.empty()) << "nothing to create yet";

    // The add button's panel is non-blocking; its answer appends rows.
    QTest::mouseClick(sheet.addItemsButton(), Qt::LeftButton);
    ASSERT_EQ(desktop_.openPanels.size(), 1U);
    EXPECT_TRUE(desktop_.openPanels.back().request.allowsMultipleSelection);
    desktop_.openPanels.back().done({QUrl::fromLocalFile(sourcePath("docs")),
                                     QUrl::fromLocalFile(sourcePath("notes.txt")),
                                     QUrl::fromLocalFile(sourcePath("photos"))});
    ASSERT_EQ(sheet.sourceRows().size(), 3U);
    EXPECT_FALSE(sheet.emptyPlaceholder()->isVisibleTo(&sheet));
    EXPECT_TRUE(sheet.createButton()->isEnabled());
    EXPECT_EQ(sheet.countLabel()->text(), "3 " + QString::fromStdString(S::t("items", "öğe")));
    EXPECT_NE(sheet.sourceRows()[0]->findChild<QLabel*>("folderIcon"), nullptr);
    EXPECT_NE(sheet.sourceRows()[1]->findChild<QLabel*>("fileIcon"), nullptr);

    // Removing the second of three removes exactly that row.
    QTest::mouseClick(sheet.sourceRows()[1]->findChild<QToolButton*>("removeSource"),
                      Qt::LeftButton);
    EXPECT_EQ(viewModel_->createSourceURLs(), QStringList({sourcePath("docs"), sourcePath("photos")}));
    ASSERT_EQ(sheet.sourceRows().size(), 2U);
    EXPECT_EQ(rowName(sheet.sourceRows()[0]), "docs");
    EXPECT_EQ(rowName(sheet.sourceRows()[1]), "photos");

    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(viewModel_->showCreateSheet());
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(CreateSheetTest, ChoosingTarGzClearsPasswordAndSplitAndHidesBothBlocks) {
    CreateArchiveSheet sheet(*viewModel_, window_.get());
    viewModel_->presentCreateArchiveSheet();
    ArchiveOptionsEditor& options = *sheet.options();
    QTest::mouseClick(options.formatChip(ArchiveCreateFormat::sevenZ), Qt::LeftButton);
    EXPECT_EQ(viewModel_->createOptions().format, ArchiveCreateFormat::sevenZ);
    // 7Z with an empty password: no name-encryption toggle; typing a password shows it.
    EXPECT_FALSE(options.encryptNamesToggle()->isVisibleTo(&sheet));
    QTest::keyClicks(options.passwordField(), "pw");
    EXPECT_EQ(viewModel_->createOptions().password, "pw");
    ASSERT_TRUE(options.encryptNamesToggle()->isVisibleTo(&sheet));
    clickToggle(options.encryptNamesToggle());
    EXPECT_TRUE(viewModel_->createOptions().encryptFileNames);
    QTest::mouseClick(options.splitChip(2), Qt::LeftButton);
    EXPECT_EQ(viewModel_->createOptions().volumeSplit, VolumeSplitPreset::mb700);
    QTest::keyClick(options.compressionPicker(), Qt::Key_Down);
    EXPECT_EQ(viewModel_->createOptions().compressionLevel, CompressionLevel::maximum);
    const bool junk = viewModel_->createOptions().excludeMacJunk;
    clickToggle(sheet.excludeJunkToggle());
    EXPECT_EQ(viewModel_->createOptions().excludeMacJunk, !junk);
    const int tallHeight = sheet.height();

    QTest::mouseClick(options.formatChip(ArchiveCreateFormat::tarGz), Qt::LeftButton);
    const CreateArchiveOptions& now = viewModel_->createOptions();
    EXPECT_EQ(now.format, ArchiveCreateFormat::tarGz);
    EXPECT_TRUE(now.password.empty());
    EXPECT_FALSE(now.encryptFileNames);
    EXPECT_EQ(now.volumeSplit, VolumeSplitPreset::none);
    EXPECT_EQ(now.compressionLevel, CompressionLevel::maximum) << "the level stays";
    EXPECT_FALSE(options.splitChooser()->isVisibleTo(&sheet));
    EXPECT_FALSE(options.encryptionBlock()->isVisibleTo(&sheet));
    EXPECT_TRUE(options.formatChip(ArchiveCreateFormat::tarGz)->isChecked());
    EXPECT_FALSE(options.formatChip(ArchiveCreateFormat::sevenZ)->isChecked());
    EXPECT_LT(sheet.height(), tallHeight) << "the sheet shrinks with the hidden blocks";
}

TEST_F(CreateSheetTest, ReturnAsksWhereToSaveAndCreatesTheArchive) {
    CreateArchiveSheet sheet(*viewModel_, window_.get());
    viewModel_->handleDroppedURLs({QUrl::fromLocalFile(sourcePath("docs")),
                                   QUrl::fromLocalFile(sourcePath("notes.txt"))});
    ASSERT_TRUE(sheet.isVisible());
    ASSERT_EQ(sheet.sourceRows().size(), 2U);
    QTest::mouseClick(sheet.options()->formatChip(ArchiveCreateFormat::sevenZ), Qt::LeftButton);
    QTest::keyClick(&sheet, Qt::Key_Return);
    ASSERT_EQ(desktop_.savePanels.size(), 1U);
    EXPECT_EQ(desktop_.savePanels.back().request.proposedName, "Archive.7z");
    const fs::path destination = folder_.path() / "made.7z";
    desktop_.savePanels.back().done(QUrl::fromLocalFile(QString::fromStdString(destination.string())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewModel_->listing().has_value() && !viewModel_->isBusy(); },
                                60000));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_TRUE(fs::exists(destination));
    EXPECT_NE(viewModel_->listing()->tree()->entry("docs/readme.txt"), nullptr);
}

class ConvertSheetTest : public SheetTestFixture {};

TEST_F(ConvertSheetTest, ShowsTheFormatStartsFrom7zAndReturnProposesTheConvertedName) {
    runTool("7zz", {"a", "-tzip", "../backup.zip", "notes.txt"}, source());
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "backup.zip"));
    ConvertArchiveSheet sheet(*viewModel_, window_.get());
    viewModel_->presentConvertSheet();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.formatBadge()->text(),
              QString::fromStdString(viewModel_->listing()->info().formatName));
    ArchiveOptionsEditor& options = *sheet.options();
    EXPECT_TRUE(options.formatChip(ArchiveCreateFormat::sevenZ)->isChecked());
    EXPECT_TRUE(options.encryptionBlock()->isVisibleTo(&sheet));

    QTest::mouseClick(options.formatChip(ArchiveCreateFormat::tar), Qt::LeftButton);
    EXPECT_FALSE(options.encryptionBlock()->isVisibleTo(&sheet));
    EXPECT_TRUE(options.splitChooser()->isVisibleTo(&sheet));
    QTest::keyClick(&sheet, Qt::Key_Return);
    ASSERT_EQ(desktop_.savePanels.size(), 1U);
    EXPECT_EQ(desktop_.savePanels.back().request.proposedName, "backup-converted.tar");
    // The panel is still open: the sheet stays until the conversion starts.
    EXPECT_TRUE(sheet.isVisible());
    desktop_.savePanels.back().done(std::nullopt);
    EXPECT_TRUE(viewModel_->showConvertSheet()) << "cancelling the panel keeps the sheet";

    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(viewModel_->showConvertSheet());
    EXPECT_FALSE(sheet.isVisible());
}

}  // namespace
}  // namespace kelvane::testing
