// Long and right-to-left languages: the window's texts are measured in the real packs and
// must fit where they are drawn: toolbar titles whole or given up for the symbol, the
// summary card's parts apart and mirrored, the table's headers and dates, the inspector's
// names and buttons.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QFontDatabase>
#include <QTest>

#include <filesystem>
#include <iostream>

#include "RecordingDesktopServices.hpp"
#include "WindowTestSupport.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "platform/AppFolders.hpp"
#include "window/ArchiveSummaryCard.hpp"
#include "window/EntryListPane.hpp"
#include "window/EntryTableModel.hpp"
#include "window/EntryTableView.hpp"
#include "window/FolderTreeSidebar.hpp"
#include "window/MainWindow.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/PillButton.hpp"
#include "window/PreviewInspector.hpp"
#include "window/WindowStyle.hpp"
#include "window/WorkspaceToolbar.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::ArchiveSummaryCard;
using app::ArchiveViewModel;
using app::MainWindow;
using app::PillButton;
using app::WindowStyle;
using app::qs;

// English for reference, the longest words (German, Finnish, Russian), other glyphs
// (Japanese) and the three right-to-left languages.
const AppLanguage kLanguages[] = {AppLanguage::en, AppLanguage::de, AppLanguage::fi,
                                  AppLanguage::ru, AppLanguage::ja, AppLanguage::ar,
                                  AppLanguage::fa, AppLanguage::he};

std::string name(AppLanguage language) { return std::string(language.rawValue()); }

class LanguageLayoutTest : public ::testing::Test {
protected:
    // The packs as the program finds them in the user's data folder.
    static void SetUpTestSuite() {
        const fs::path packs =
            AppFolders::dataHome() / AppFolders::kMakerFolderName / "Localizations";
        fs::create_directories(packs);
        for (const auto& pack : fs::directory_iterator(KELVANE_SOURCE_PACKS_DIR)) {
            fs::copy_file(pack.path(), packs / pack.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
    }

    void TearDown() override {
        viewModel.followSystemLanguage();
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    }

    // Lets the layouts settle after a language or size change.
    static void settle() {
        for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
    }

    QApplication& application = windowTestApplication();
    RecordingDesktopServices desktop;
    ArchiveViewModel viewModel{desktop};
};

ArchiveListing modifiableListing() {
    return syntheticListing("/nowhere/Quarterly reports.zip",
                            {folderEntry("docs"), fileEntry("docs/notes.txt", 4'200, 1'900),
                             fileEntry("a-cover.png", 145'000, 135'000)},
                            true);
}

TEST_F(LanguageLayoutTest, ToolbarTitlesAreWholeOrGivenUpForTheSymbol) {
    MainWindow window{viewModel, nullptr};
    window.show();
    viewModel.showListing(modifiableListing());
    for (const int width : {1240, 1000}) {
        window.resize(width, 780);
        for (const AppLanguage language : kLanguages) {
            viewModel.chooseLanguage(language);
            settle();
            SCOPED_TRACE(name(language) + " at " + std::to_string(width));
            const QWidget& toolbar = window.toolbar();
            std::vector<const PillButton*> shown;
            for (const PillButton* button : toolbar.findChildren<PillButton*>()) {
                if (!button->isVisibleTo(&toolbar)) continue;
                shown.push_back(button);
                // The size hint is the symbol, the whole title and the padding.
                if (!button->isCompact() && !button->text().isEmpty()) {
                    EXPECT_GE(button->width(), button->sizeHint().width())
                        << button->objectName().toStdString() << " cuts its title";
                }
                if (button->isCompact()) {
                    EXPECT_EQ(button->toolTip(), button->text()) << button->objectName().toStdString();
                }
                const QRect box(button->mapTo(&toolbar, QPoint(0, 0)), button->size());
                EXPECT_TRUE(toolbar.rect().contains(box)) << button->objectName().toStdString();
            }
            const auto* extractAll = toolbar.findChild<PillButton*>(QStringLiteral("toolbarExtractAll"));
            ASSERT_NE(extractAll, nullptr);
            EXPECT_FALSE(extractAll->isCompact());
            for (std::size_t i = 0; i < shown.size(); ++i) {
                for (std::size_t j = i + 1; j < shown.size(); ++j) {
                    const QRect a(shown[i]->mapTo(&toolbar, QPoint(0, 0)), shown[i]->size());
                    const QRect b(shown[j]->mapTo(&toolbar, QPoint(0, 0)), shown[j]->size());
                    EXPECT_FALSE(a.intersects(b)) << shown[i]->objectName().toStdString() << " and "
                                                  << shown[j]->objectName().toStdString();
                }
            }
        }
    }
}

TEST_F(LanguageLayoutTest, SummaryCardPartsStayApartAndMirror) {
    ArchiveInfo info;
    info.formatName = "ZIP";
    info.physicalSize = 1'234'567'890;
    info.totalUncompressedSize = 987'654'321'000;
    info.fileCount = 123'456;
    info.folderCount = 7'890;
    info.hasEncryptedEntries = true;
    info.isSolid = true;
    info.isMultiVolume = true;
    info.volumeCount = 12;
    for (const AppLanguage language : kLanguages) {
        viewModel.chooseLanguage(language);
        SCOPED_TRACE(name(language));
        ArchiveSummaryCard card;
        // As the window sets it for the language.
        card.setLayoutDirection(language.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        card.setInfo(info);
        card.resize(card.sizeHint());
        const ArchiveSummaryCard::Layout parts = card.layout();
        const QRect line[] = {parts.physical, parts.arrow, parts.unpacked, parts.saved};
        for (std::size_t i = 0; i < std::size(line); ++i) {
            EXPECT_FALSE(line[i].isEmpty()) << "part " << i;
            EXPECT_TRUE(card.rect().contains(line[i])) << "part " << i;
            for (std::size_t j = i + 1; j < std::size(line); ++j) {
                EXPECT_FALSE(line[i].intersects(line[j])) << "parts " << i << " and " << j;
            }
        }
        std::vector<QRect> badges{parts.badge};
        badges.insert(badges.end(), parts.tags.begin(), parts.tags.end());
        for (std::size_t i = 0; i < badges.size(); ++i) {
            EXPECT_TRUE(card.rect().contains(badges[i])) << "badge or tag " << i;
            for (std::size_t j = i + 1; j < badges.size(); ++j) {
                EXPECT_FALSE(badges[i].intersects(badges[j])) << "tags " << i << " and " << j;
            }
        }
        EXPECT_EQ(parts.tags.size(), 3U) << "a tag was left out";
        EXPECT_TRUE(card.rect().contains(parts.track));
        EXPECT_TRUE(card.rect().contains(parts.counts));
        // The line reads from the leading edge: the archive's size first, the share last.
        if (language.isRightToLeft()) {
            EXPECT_GT(parts.physical.left(), parts.unpacked.right());
            EXPECT_LT(parts.saved.right(), parts.unpacked.left());
            EXPECT_GT(parts.badge.left(), card.width() / 2);
        } else {
            EXPECT_LT(parts.physical.right(), parts.unpacked.left());
            EXPECT_GT(parts.saved.left(), parts.unpacked.right());
            EXPECT_LT(parts.badge.right(), card.width() / 2);
        }
    }
}

// Both sizes stand whole on the card, whatever their digits: a box a fraction of a pixel
// narrower than the text once cut "1.1 MB" down to "1.1 …".
TEST_F(LanguageLayoutTest, SummaryCardSizesAreNeverCut) {
    const std::pair<std::int64_t, std::int64_t> sizes[] = {
        {1'153'434, 989'560'832}, {210'944, 344'064}, {999, 1'000}, {1'234'567'890, 987'654'321'000}};
    for (const AppLanguage language : kLanguages) {
        viewModel.chooseLanguage(language);
        for (const auto& [physical, unpacked] : sizes) {
            SCOPED_TRACE(name(language) + " " + std::to_string(physical));
            ArchiveInfo info;
            info.formatName = "ZIP";
            info.physicalSize = physical;
            info.totalUncompressedSize = unpacked;
            ArchiveSummaryCard card;
            card.setLayoutDirection(language.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
            card.setInfo(info);
            card.resize(card.sizeHint());
            const ArchiveSummaryCard::Layout parts = card.layout();
            const QString physicalText = qs(ByteSizeFormatter::format(physical));
            const QString unpackedText = qs(ByteSizeFormatter::format(unpacked));
            EXPECT_EQ(QFontMetrics(WindowStyle::font(12, QFont::Bold))
                          .elidedText(physicalText, Qt::ElideRight, parts.physical.width())
                          .toStdString(),
                      physicalText.toStdString());
            EXPECT_EQ(QFontMetrics(WindowStyle::font(11, QFont::Medium))
                          .elidedText(unpackedText, Qt::ElideRight, parts.unpacked.width())
                          .toStdString(),
                      unpackedText.toStdString());
        }
    }
}

// True when this machine has fonts for every writing system of `text`: a text it can only
// draw as empty boxes cannot be measured.
bool drawableHere(const QString& text) {
    static const std::pair<QChar::Script, QFontDatabase::WritingSystem> kSystems[] = {
        {QChar::Script_Arabic, QFontDatabase::Arabic},
        {QChar::Script_Hebrew, QFontDatabase::Hebrew},
        {QChar::Script_Greek, QFontDatabase::Greek},
        {QChar::Script_Cyrillic, QFontDatabase::Cyrillic},
        {QChar::Script_Devanagari, QFontDatabase::Devanagari},
        {QChar::Script_Thai, QFontDatabase::Thai},
        {QChar::Script_Han, QFontDatabase::SimplifiedChinese},
        {QChar::Script_Hiragana, QFontDatabase::Japanese},
        {QChar::Script_Katakana, QFontDatabase::Japanese},
        {QChar::Script_Hangul, QFontDatabase::Korean},
    };
    const QList<QFontDatabase::WritingSystem> available = QFontDatabase::writingSystems();
    for (const QChar character : text) {
        for (const auto& [script, system] : kSystems) {
            if (character.script() == script && !available.contains(system)) return false;
        }
    }
    return true;
}

// The counts line of the card holds two count texts, which every pack writes in its own
// grammar; at the card's width in the sidebar, neither may be cut off. When they do not
// fit on one line together, the folder count takes a line of its own inside the card.
TEST_F(LanguageLayoutTest, SummaryCardCountsAreWholeInEveryLanguage) {
    ArchiveInfo info;
    info.formatName = "ZIP";
    info.physicalSize = 1'234'567'890;
    info.totalUncompressedSize = 987'654'321'000;
    const QFontMetrics metrics(WindowStyle::font(10));
    // As wide as the sidebar sets it: its width less a margin of 12 on either side.
    const int width = app::FolderTreeSidebar::kWidth - 24;
    // A large archive, and a huge one whose counts need two lines even in English.
    for (const auto& [files, folders] :
         {std::pair{123'456, 7'890}, std::pair{123'456'789, 12'345'678}}) {
        info.fileCount = files;
        info.folderCount = folders;
        for (const AppLanguage language : AppLanguage::allCases()) {
            viewModel.chooseLanguage(language);
            SCOPED_TRACE(name(language) + " " + std::to_string(files));
            const QString filesText = QString::fromStdString(S::filesCountText(files));
            const QString foldersText = QString::fromStdString(S::foldersCountText(folders));
            const QString oneLine = filesText + QStringLiteral(" · ") + foldersText;
            if (!drawableHere(oneLine)) {
                std::cout << "no font here for the counts of " << name(language) << "\n";
                continue;
            }
            ArchiveSummaryCard card;
            card.setLayoutDirection(language.isRightToLeft() ? Qt::RightToLeft
                                                             : Qt::LeftToRight);
            card.setInfo(info);
            card.resize(width, card.heightForWidth(width));
            const ArchiveSummaryCard::Layout parts = card.layout();
            EXPECT_TRUE(card.rect().contains(parts.counts));
            if (parts.folderCounts.isEmpty()) {
                EXPECT_LE(metrics.horizontalAdvance(oneLine), parts.counts.width());
            } else {
                EXPECT_GT(metrics.horizontalAdvance(oneLine), parts.counts.width())
                    << "two lines for counts that fit on one";
                EXPECT_TRUE(card.rect().contains(parts.folderCounts));
                EXPECT_GE(parts.folderCounts.top(), parts.counts.bottom());
                EXPECT_LE(metrics.horizontalAdvance(filesText), parts.counts.width());
                EXPECT_LE(metrics.horizontalAdvance(foldersText), parts.folderCounts.width());
            }
            if (language == AppLanguage::en && files > 1'000'000) {
                EXPECT_FALSE(parts.folderCounts.isEmpty()) << "the second line is never used";
            }
        }
    }
}

// The sidebar gives the card the height its width needs, the second counts line included.
TEST_F(LanguageLayoutTest, SidebarMakesRoomForTheSecondCountsLine) {
    viewModel.chooseLanguage(AppLanguage::en);
    MainWindow window{viewModel, nullptr};
    window.resize(1240, 780);
    window.show();
    viewModel.showListing(modifiableListing());
    settle();
    auto* card = window.findChild<ArchiveSummaryCard*>();
    ASSERT_NE(card, nullptr);
    const int oneLineHeight = card->height();
    ArchiveInfo info = viewModel.listing()->info();
    info.fileCount = 123'456'789;
    info.folderCount = 12'345'678;
    card->setInfo(info);
    settle();
    ASSERT_FALSE(card->layout().folderCounts.isEmpty());
    EXPECT_GT(card->height(), oneLineHeight);
    EXPECT_TRUE(card->rect().contains(card->layout().folderCounts));
}

TEST_F(LanguageLayoutTest, TableColumnsHoldTheirHeadersInEveryLanguage) {
    MainWindow window{viewModel, nullptr};
    window.resize(1240, 780);
    window.show();
    viewModel.showListing(modifiableListing());
    const app::EntryTableView& table = window.entryList().table();
    const QHeaderView& header = *table.horizontalHeader();
    for (const AppLanguage language : kLanguages) {
        viewModel.chooseLanguage(language);
        settle();
        SCOPED_TRACE(name(language));
        for (int column = app::EntryTableModel::size; column < app::EntryTableModel::columnCount_;
             ++column) {
            const QString title = table.model()->headerData(column, Qt::Horizontal).toString();
            // The title, its margins and the sort arrow's room.
            const int needed = header.fontMetrics().horizontalAdvance(title) + 2 * 4 + 12;
            EXPECT_GE(header.sectionSize(column), needed) << title.toStdString();
        }
    }
}

TEST_F(LanguageLayoutTest, ModifiedColumnHoldsADateOfTheLocale) {
    const QLocale::Language locales[] = {QLocale::English, QLocale::German, QLocale::Finnish,
                                         QLocale::Russian, QLocale::Japanese, QLocale::Arabic};
    const QLocale before;
    for (const QLocale::Language locale : locales) {
        QLocale::setDefault(QLocale(locale));
        SCOPED_TRACE(QLocale().name().toStdString());
        app::EntryTableView table(viewModel);
        const QString date = QLocale().toString(
            QDateTime(QDate(2027, 11, 30), QTime(22, 47)), QLocale::ShortFormat);
        EXPECT_GE(table.horizontalHeader()->sectionSize(app::EntryTableModel::modified),
                  QFontMetrics(WindowStyle::font(10.5)).horizontalAdvance(date) + 2 * 4)
            << date.toStdString();
    }
    QLocale::setDefault(before);
}

TEST_F(LanguageLayoutTest, InspectorNamesAndActionsAreWhole) {
    MainWindow window{viewModel, nullptr};
    window.resize(1240, 780);
    window.show();
    viewModel.showListing(modifiableListing());
    for (const AppLanguage language : kLanguages) {
        viewModel.chooseLanguage(language);
        viewModel.setSelectionIDs({"a-cover.png"});
        SCOPED_TRACE(name(language));
        app::PreviewInspector& inspector = window.inspector();
        ASSERT_TRUE(waitUntil([&] {
            return inspector.findChild<PillButton*>(QStringLiteral("openFileDirect")) != nullptr;
        }));
        settle();
        for (const char* action : {"extractThisItem", "openFileDirect"}) {
            const auto* button = inspector.findChild<PillButton*>(QString::fromLatin1(action));
            ASSERT_NE(button, nullptr) << action;
            EXPECT_GE(button->width(), button->sizeHint().width()) << action << " cuts its title";
        }
        const QList<QLabel*> names = inspector.findChildren<QLabel*>(QStringLiteral("metaName"));
        ASSERT_FALSE(names.isEmpty());
        for (const QLabel* label : names) {
            if (label->wordWrap()) continue;
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
        }
        viewModel.setSelectionIDs({});
    }
}

TEST_F(LanguageLayoutTest, DragHintIsCutWithAnEllipsisAndKeptWholeInItsTooltip) {
    MainWindow window{viewModel, nullptr};
    window.resize(1240, 780);
    window.show();
    viewModel.showListing(modifiableListing());
    for (const AppLanguage language : kLanguages) {
        viewModel.chooseLanguage(language);
        settle();
        SCOPED_TRACE(name(language));
        const auto* hint = window.entryList().findChild<app::MiddleElidedLabel*>(
            QStringLiteral("filterTrailing"));
        ASSERT_NE(hint, nullptr);
        const QWidget* bar = hint->parentWidget();
        EXPECT_TRUE(bar->rect().contains(hint->geometry()));
        EXPECT_LE(hint->fontMetrics().horizontalAdvance(hint->displayedText()), hint->width());
        EXPECT_TRUE(hint->displayedText() == hint->text() ||
                    hint->displayedText().contains(QChar(0x2026)))
            << hint->displayedText().toStdString();
        EXPECT_EQ(hint->toolTip(), hint->text());
    }
}

}  // namespace
}  // namespace kelvane::testing
