// The extract and password sheets: they open and close with their flags, every control
// writes its binding, Return starts and Escape cancels, and the password flow resumes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "SheetTestFixture.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "window/CapsuleBadge.hpp"
#include "window/ExtractSheet.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/PasswordSheet.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::ExtractSheet;
using app::PasswordSheet;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

class ExtractSheetTest : public SheetTestFixture {
protected:
    void openPlainArchive() {
        runTool("7zz", {"a", "-tzip", "../plain.zip", "notes.txt", "docs", "photos"}, source());
        ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "plain.zip"));
    }
};

TEST_F(ExtractSheetTest, ControlsWriteTheirBindingsAndReturnExtracts) {
    openPlainArchive();
    ExtractSheet sheet(*viewModel_, window_.get());
    EXPECT_FALSE(sheet.isVisible());
    viewModel_->presentExtractSheet(false);
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet.title()->text(), q(S::extractAll()));
    EXPECT_EQ(sheet.badge()->text(),
              q(S::filesCountText(3)) + " · " +
                  q(ByteSizeFormatter::format(viewModel_->listing()->info().totalUncompressedSize)));
    EXPECT_TRUE(sheet.smartSubfolderToggle()->isVisibleTo(&sheet));
    EXPECT_FALSE(sheet.passwordBlock()->isVisibleTo(&sheet)) << "no encrypted entries";
    EXPECT_EQ(sheet.destinationPath()->text(), QString::fromStdString(folder_.path().string()));

    const bool smart = viewModel_->extractSmartSubfolder();
    clickToggle(sheet.smartSubfolderToggle());
    EXPECT_EQ(viewModel_->extractSmartSubfolder(), !smart);
    const bool reveal = viewModel_->extractOpenInFinder();
    clickToggle(sheet.revealToggle());
    EXPECT_EQ(viewModel_->extractOpenInFinder(), !reveal);
    QTest::keyClick(sheet.overwritePicker(), Qt::Key_Down);
    EXPECT_EQ(viewModel_->extractOverwriteMode(), ExtractOverwriteMode::skipExisting);

    // The folder panel is non-blocking; its answer becomes the destination and is shown.
    QTest::mouseClick(sheet.chooseFolderButton(), Qt::LeftButton);
    ASSERT_EQ(desktop_.openPanels.size(), 1U);
    EXPECT_TRUE(desktop_.openPanels.back().request.canChooseDirectories);
    EXPECT_FALSE(desktop_.openPanels.back().request.canChooseFiles);
    const fs::path target = folder_.path() / "out";
    fs::create_directories(target);
    desktop_.openPanels.back().done({QUrl::fromLocalFile(QString::fromStdString(target.string()))});
    EXPECT_EQ(viewModel_->extractDestination(), QString::fromStdString(target.string()));
    EXPECT_EQ(sheet.destinationPath()->text(), QString::fromStdString(target.string()));

    // Return starts the extraction with what the controls set.
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_FALSE(viewModel_->showExtractSheet());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet.isVisible(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewModel_->isBusy(); }, 60000));
    EXPECT_FALSE(viewModel_->toastIsError()) << viewModel_->toastMessage().value_or("").toStdString();
    const fs::path extracted = smart ? target : target / "plain";
    EXPECT_EQ(readFile(extracted / "docs/readme.txt"), "read me first\n");
}

TEST_F(ExtractSheetTest, EscapeCancelsAndASelectionShowsItsBadgeWithoutSmartSubfolder) {
    openPlainArchive();
    ExtractSheet sheet(*viewModel_, window_.get());
    viewModel_->setSelectionIDs({"notes.txt", "photos/a.bin", "docs"});
    viewModel_->presentExtractSheet(true);
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.title()->text(), q(S::extractSelected()));
    EXPECT_EQ(sheet.badge()->text(),
              "3 " + q(S::t("items", "öğe")) + " · " +
                  q(ByteSizeFormatter::format(viewModel_->selectedTotalBytes())));
    EXPECT_FALSE(sheet.smartSubfolderToggle()->isVisibleTo(&sheet));

    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(viewModel_->showExtractSheet());
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(viewModel_->isBusy()) << "Escape must not extract";
}

TEST_F(ExtractSheetTest, EncryptedArchiveShowsThePasswordFieldBoundToItsInput) {
    runTool("7zz", {"a", "-tzip", "-psecret", "../locked.zip", "notes.txt"}, source());
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "locked.zip"));
    ExtractSheet sheet(*viewModel_, window_.get());
    viewModel_->presentExtractSheet(false);
    ASSERT_TRUE(sheet.passwordBlock()->isVisibleTo(&sheet));
    QTest::keyClicks(sheet.passwordField(), "secret");
    EXPECT_EQ(viewModel_->extractPasswordInput(), "secret");
    EXPECT_EQ(sheet.passwordField()->echoMode(), QLineEdit::Password);

    // A long destination keeps both ends on one line.
    const QString longPath = "/first-part/" + QString(300, 'x') + "/last-part";
    viewModel_->setExtractDestination(longPath);
    const QString shown = sheet.destinationPath()->displayedText();
    EXPECT_TRUE(shown.startsWith("/first")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("last-part")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
}

class PasswordSheetTest : public SheetTestFixture {};

TEST_F(PasswordSheetTest, UnlockFollowsTheFieldAndAWrongPasswordShowsTheErrorLine) {
    runTool("7zz", {"a", "-t7z", "-mhe=on", "-psecret", "../hidden.7z", "notes.txt"}, source());
    PasswordSheet sheet(*viewModel_, window_.get());
    ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "hidden.7z"));
    ASSERT_TRUE(viewModel_->showPasswordSheet());
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.errorBox()->isVisibleTo(&sheet));
    EXPECT_FALSE(sheet.unlockButton()->isEnabled());

    // Return with an empty field submits, which the state object ignores: still open.
    QTest::keyClick(sheet.passwordField(), Qt::Key_Return);
    EXPECT_TRUE(viewModel_->showPasswordSheet());
    EXPECT_TRUE(sheet.isVisible());

    QTest::keyClicks(sheet.passwordField(), "wrong");
    EXPECT_EQ(viewModel_->passwordSheetInput(), "wrong");
    EXPECT_TRUE(sheet.unlockButton()->isEnabled());
    QTest::keyClick(sheet.passwordField(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return viewModel_->showPasswordSheet() && viewModel_->passwordSheetError(); }, 60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.isVisible(); }, 5000));
    EXPECT_TRUE(sheet.errorBox()->isVisibleTo(&sheet));
    EXPECT_EQ(sheet.errorLine()->text(), *viewModel_->passwordSheetError());
    EXPECT_TRUE(sheet.passwordField()->text().isEmpty());
    EXPECT_FALSE(sheet.unlockButton()->isEnabled());

    QTest::keyClicks(sheet.passwordField(), "secret");
    QTest::mouseClick(sheet.unlockButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewModel_->listing().has_value() && !viewModel_->isBusy(); },
                                60000));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(viewModel_->sessionPassword(), std::optional<std::string>("secret"));
}

TEST_F(PasswordSheetTest, EscapeCancelsThePendingAction) {
    PasswordSheet sheet(*viewModel_, window_.get());
    viewModel_->requestPassword(app::PendingPasswordAction::testArchive(), std::nullopt);
    ASSERT_TRUE(sheet.isVisible());
    QTest::keyClicks(sheet.passwordField(), "abc");
    QTest::keyClick(sheet.passwordField(), Qt::Key_Escape);
    EXPECT_FALSE(viewModel_->showPasswordSheet());
    EXPECT_FALSE(viewModel_->pendingPasswordAction().has_value());
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(viewModel_->sessionPassword(), std::nullopt);
}

}  // namespace
}  // namespace kelvane::testing
