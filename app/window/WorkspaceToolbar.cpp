#include "window/WorkspaceToolbar.hpp"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSpacerItem>

#include <array>
#include <functional>

#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/AppEmblem.hpp"
#include "window/FeedbackLink.hpp"
#include "window/PillButton.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

QFrame* groupSeparator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(18);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

}  // namespace

WorkspaceToolbar::WorkspaceToolbar(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      emblem_(new QLabel(this)),
      archiveGroup_(new QWidget(this)),
      languageMenu_(new QMenu(this)) {
    setObjectName(QStringLiteral("toolbar"));
    setFixedHeight(44);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(6);
    emblem_->setFixedSize(20, 20);
    row->addWidget(emblem_);
    row->addSpacing(4);
    open_ = textButton(QStringLiteral("toolbarOpen"), QStringLiteral("folder.badge.plus"));
    connect(open_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::promptOpenArchive);
    row->addWidget(open_);
    create_ = textButton(QStringLiteral("toolbarCreate"), QStringLiteral("shippingbox"));
    connect(create_, &PillButton::clicked, &viewModel_,
            &ArchiveViewModel::presentCreateArchiveSheet);
    row->addWidget(create_);

    auto* group = new QHBoxLayout(archiveGroup_);
    group->setContentsMargins(0, 0, 0, 0);
    group->setSpacing(6);
    group->addSpacing(2);
    group->addWidget(groupSeparator(archiveGroup_));
    group->addSpacing(2);
    extractAll_ = textButton(QStringLiteral("toolbarExtractAll"), QStringLiteral("arrow.up.bin.fill"));
    extractAll_->setLook(PillButton::Look::prominent);
    connect(extractAll_, &PillButton::clicked, this, [this] { viewModel_.presentExtractSheet(false); });
    group->addWidget(extractAll_);
    extractSelected_ = textButton(QStringLiteral("toolbarExtractSelected"),
                                  QStringLiteral("arrow.up.doc.on.clipboard"));
    connect(extractSelected_, &PillButton::clicked, this,
            [this] { viewModel_.presentExtractSheet(true); });
    group->addWidget(extractSelected_);
    extractHere_ = textButton(QStringLiteral("toolbarExtractHere"), QStringLiteral("tray.and.arrow.down"));
    connect(extractHere_, &PillButton::clicked, this, [this] { viewModel_.quickExtractHere(false); });
    group->addWidget(extractHere_);
    modifySeparator_ = new QWidget(archiveGroup_);
    auto* separatorBox = new QHBoxLayout(modifySeparator_);
    separatorBox->setContentsMargins(2, 0, 2, 0);
    separatorBox->addWidget(groupSeparator(modifySeparator_));
    group->addWidget(modifySeparator_);
    addFiles_ = textButton(QStringLiteral("toolbarAddFiles"), QStringLiteral("plus.rectangle.on.folder"));
    connect(addFiles_, &PillButton::clicked, &viewModel_,
            &ArchiveViewModel::promptAddFilesToOpenArchive);
    group->addWidget(addFiles_);
    deleteSelected_ = textButton(QStringLiteral("toolbarDelete"), QStringLiteral("trash"));
    deleteSelected_->setLook(PillButton::Look::destructive);
    connect(deleteSelected_, &PillButton::clicked, &viewModel_,
            &ArchiveViewModel::deleteSelectedEntriesFromArchive);
    group->addWidget(deleteSelected_);
    test_ = textButton(QStringLiteral("toolbarTest"), QStringLiteral("checkmark.shield"));
    connect(test_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::runArchiveIntegrityTest);
    group->addWidget(test_);
    convert_ = textButton(QStringLiteral("toolbarConvert"),
                          QStringLiteral("arrow.triangle.2.circlepath"));
    connect(convert_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::presentConvertSheet);
    group->addWidget(convert_);
    quickLook_ = iconButton(QStringLiteral("toolbarQuickLook"), QStringLiteral("eye"));
    connect(quickLook_, &PillButton::clicked, &viewModel_,
            &ArchiveViewModel::toggleQuickLookForSelection);
    group->addWidget(quickLook_);
    group->addStretch(1);
    sidebarToggle_ = iconButton(QStringLiteral("toolbarSidebar"), QStringLiteral("sidebar.left"));
    connect(sidebarToggle_, &PillButton::clicked, this,
            [this] { viewModel_.setShowSidebar(!viewModel_.showSidebar()); });
    group->addWidget(sidebarToggle_);
    previewToggle_ = iconButton(QStringLiteral("toolbarPreview"), QStringLiteral("sidebar.right"));
    connect(previewToggle_, &PillButton::clicked, this,
            [this] { viewModel_.setShowPreviewPanel(!viewModel_.showPreviewPanel()); });
    group->addWidget(previewToggle_);
    row->addWidget(archiveGroup_, 1);

    maker_ = new PillButton(this);
    maker_->setObjectName(QStringLiteral("toolbarMaker"));
    maker_->setText(QStringLiteral("by Tessaloom"));
    maker_->setLook(PillButton::Look::quiet);
    PillButton::Metrics makerMetrics;
    makerMetrics.fontSize = 10.5;
    makerMetrics.weight = QFont::Medium;
    makerMetrics.border = false;
    makerMetrics.paddingX = 6;
    maker_->setMetrics(makerMetrics);
    connect(maker_, &PillButton::clicked, this,
            [] { QDesktopServices::openUrl(FeedbackLink::homePage()); });
    row->addStretch(0);
    row->addWidget(maker_);

    feedback_ = iconButton(QStringLiteral("toolbarFeedback"),
                           QStringLiteral("bubble.left.and.exclamationmark.bubble.right"));
    connect(feedback_, &PillButton::clicked, this, [this] {
        const QUrl address = FeedbackLink::feedbackPage(viewModel_.language());
        if (address.isValid()) QDesktopServices::openUrl(address);
    });
    row->addWidget(feedback_);

    language_ = new PillButton(this);
    language_->setObjectName(QStringLiteral("toolbarLanguage"));
    language_->setSymbol(QStringLiteral("globe"));
    PillButton::Metrics languageMetrics;
    languageMetrics.fontSize = 11;
    languageMetrics.iconSize = 12;
    languageMetrics.paddingX = 8;
    languageMetrics.spacing = 4;
    language_->setMetrics(languageMetrics);
    connect(language_, &PillButton::clicked, this, [this] {
        rebuildLanguageMenu();
        languageMenu_->popup(language_->mapToGlobal(QPoint(0, language_->height() + 2)));
    });
    row->addWidget(language_);

    for (auto signal :
         {&ArchiveViewModel::listingChanged, &ArchiveViewModel::selectedEntryIDsChanged,
          &ArchiveViewModel::showSidebarChanged, &ArchiveViewModel::showPreviewPanelChanged,
          &ArchiveViewModel::languageChanged, &ArchiveViewModel::isFollowingSystemLanguageChanged}) {
        connect(&viewModel_, signal, this, &WorkspaceToolbar::refresh);
    }
    retranslate();
}

PillButton* WorkspaceToolbar::textButton(const QString& objectName, const QString& symbol) {
    auto* button = new PillButton(this);
    button->setObjectName(objectName);
    button->setSymbol(symbol);
    PillButton::Metrics metrics;
    metrics.minimumScale = 0.85;
    button->setMetrics(metrics);
    return button;
}

PillButton* WorkspaceToolbar::iconButton(const QString& objectName, const QString& symbol) {
    auto* button = new PillButton(this);
    button->setObjectName(objectName);
    button->setSymbol(symbol);
    PillButton::Metrics metrics;
    metrics.fixedWidth = 28;
    metrics.paddingX = 0;
    metrics.iconSize = 14;
    metrics.weight = QFont::Medium;
    button->setMetrics(metrics);
    return button;
}

QString WorkspaceToolbar::languageCode() const { return qs(viewModel_.language().shortCode()); }

void WorkspaceToolbar::retranslate() {
    open_->setText(qs(S::openArchive()));
    create_->setText(qs(S::createArchive()));
    extractAll_->setText(qs(S::extractAll()));
    extractSelected_->setText(qs(S::extractSelected()));
    extractHere_->setText(qs(S::extractHere()));
    addFiles_->setText(qs(S::addFiles()));
    deleteSelected_->setText(qs(S::deleteSelected()));
    test_->setText(qs(S::testArchive()));
    convert_->setText(qs(S::convertArchive()));
    quickLook_->setToolTip(qs(S::quickLook()));
    sidebarToggle_->setToolTip(qs(S::folderTreeTitle()));
    previewToggle_->setToolTip(qs(S::previewPanelTitle()));
    feedback_->setToolTip(qs(S::t("Listening to you — Report a bug or share an idea",
                                  "Sizi dinliyoruz — Hata bildir veya fikir paylaş")));
    language_->setToolTip(qs(S::t("Language", "Dil")));
    refresh();
}

void WorkspaceToolbar::refresh() {
    const auto& listing = viewModel_.listing();
    const bool open = listing.has_value();
    archiveGroup_->setVisible(open);
    maker_->setVisible(!open);
    const bool modifiable = open && listing->info().isModifiable;
    modifySeparator_->setVisible(true);
    addFiles_->setVisible(modifiable);
    deleteSelected_->setVisible(modifiable);
    const bool anySelected = !viewModel_.selectedEntryIDs().empty();
    extractSelected_->setEnabled(anySelected);
    deleteSelected_->setEnabled(anySelected);
    const std::optional<ArchiveEntry> primary = viewModel_.primarySelectedEntry();
    quickLook_->setEnabled(primary.has_value() && !primary->isDirectory());
    sidebarToggle_->setLook(viewModel_.showSidebar() ? PillButton::Look::prominent
                                                     : PillButton::Look::plain);
    previewToggle_->setLook(viewModel_.showPreviewPanel() ? PillButton::Look::prominent
                                                          : PillButton::Look::plain);
    language_->setText(languageCode());
    emblem_->setPixmap(AppEmblem::pixmap(20, devicePixelRatioF(), WindowStyle::primary(palette())));
    fitTitles();
}

int WorkspaceToolbar::widthNeeded() const {
    // What the row asks for now, summed from the shown widgets' own size hints: the layout's
    // cached hints would still hold the titles just given up.
    const std::function<int(const QBoxLayout*)> measure = [&](const QBoxLayout* box) {
        int width = 0;
        int shown = 0;
        for (int i = 0; i < box->count(); ++i) {
            QLayoutItem* item = box->itemAt(i);
            if (QWidget* widget = item->widget()) {
                if (widget->isHidden()) continue;
                const auto* inner = qobject_cast<const QBoxLayout*>(widget->layout());
                width += widget == archiveGroup_ && inner != nullptr ? measure(inner)
                                                                     : widget->sizeHint().width();
                ++shown;
            } else if (QSpacerItem* spacer = item->spacerItem()) {
                width += spacer->sizeHint().width();
            }
        }
        const QMargins margins = box->contentsMargins();
        return width + std::max(0, shown - 1) * box->spacing() + margins.left() + margins.right();
    };
    return measure(static_cast<const QBoxLayout*>(layout()));
}

void WorkspaceToolbar::fitTitles() {
    // Extract All keeps its title: it is the one action every archive is opened for.
    const std::array<PillButton*, 8> leastNeededFirst = {
        convert_, test_, deleteSelected_, addFiles_, extractHere_, extractSelected_, create_, open_};
    for (PillButton* button : leastNeededFirst) button->setCompact(false);
    for (PillButton* button : leastNeededFirst) {
        if (widthNeeded() <= width()) break;
        button->setCompact(true);
    }
}

void WorkspaceToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitTitles();
}

void WorkspaceToolbar::rebuildLanguageMenu() {
    languageMenu_->clear();
    const bool following = viewModel_.isFollowingSystemLanguage();
    QAction* system = languageMenu_->addAction(
        qs(S::t("System Language", "Sistem Dili")) + QStringLiteral(" (") +
            qs(AppLanguage::systemResolved().nativeName()) + QLatin1Char(')'),
        this, [this] { viewModel_.followSystemLanguage(); });
    system->setCheckable(true);
    system->setChecked(following);
    languageMenu_->addSeparator();
    for (const AppLanguage language : AppLanguage::sortedCases()) {
        QAction* item = languageMenu_->addAction(qs(language.displayName()), this,
                                                 [this, language] {
                                                     viewModel_.chooseLanguage(language);
                                                 });
        item->setCheckable(true);
        item->setChecked(!following && viewModel_.language() == language);
    }
}

void WorkspaceToolbar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) refresh();
    QWidget::changeEvent(event);
}

void WorkspaceToolbar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

}  // namespace kelvane::app
