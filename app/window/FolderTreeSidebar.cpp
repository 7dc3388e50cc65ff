#include "window/FolderTreeSidebar.hpp"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "SymbolIcon.hpp"
#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/ArchiveSummaryCard.hpp"
#include "window/FolderTreeView.hpp"
#include "window/LayoutClearing.hpp"
#include "window/PillButton.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

constexpr int kRecentShown = 4;

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

}  // namespace

FolderTreeSidebar::FolderTreeSidebar(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      archivePart_(new QWidget(this)),
      card_(new ArchiveSummaryCard(archivePart_)),
      treeTitle_(new QLabel(archivePart_)),
      treeIcon_(new QLabel(archivePart_)),
      folderCount_(new QLabel(archivePart_)),
      tree_(new FolderTreeView(viewModel, archivePart_)),
      recentPart_(new QWidget(this)),
      recentList_(new QVBoxLayout) {
    setObjectName(QStringLiteral("folderTreeSidebar"));
    setFixedWidth(kWidth);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* archiveColumn = new QVBoxLayout(archivePart_);
    archiveColumn->setContentsMargins(0, 0, 0, 0);
    archiveColumn->setSpacing(0);
    auto* cardBox = new QVBoxLayout;
    cardBox->setContentsMargins(12, 12, 12, 10);
    cardBox->addWidget(card_);
    archiveColumn->addLayout(cardBox);
    archiveColumn->addWidget(divider(archivePart_));
    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 10, 12, 6);
    header->setSpacing(5);
    header->addWidget(treeIcon_);
    treeTitle_->setFont(WindowStyle::font(10.5, QFont::Bold));
    treeTitle_->setForegroundRole(QPalette::PlaceholderText);
    header->addWidget(treeTitle_);
    header->addStretch(1);
    folderCount_->setFont(WindowStyle::font(10));
    folderCount_->setForegroundRole(QPalette::PlaceholderText);
    folderCount_->setObjectName(QStringLiteral("folderCount"));
    header->addWidget(folderCount_);
    archiveColumn->addLayout(header);
    auto* treeBox = new QVBoxLayout;
    treeBox->setContentsMargins(12, 0, 12, 12);
    treeBox->addWidget(tree_);
    archiveColumn->addLayout(treeBox, 1);
    column->addWidget(archivePart_, 1);

    auto* recentColumn = new QVBoxLayout(recentPart_);
    recentColumn->setContentsMargins(0, 0, 0, 0);
    recentColumn->setSpacing(0);
    recentColumn->addWidget(divider(recentPart_));
    recentList_->setContentsMargins(12, 12, 12, 12);
    recentList_->setSpacing(5);
    recentColumn->addLayout(recentList_);
    column->addWidget(recentPart_);

    connect(&viewModel_, &ArchiveViewModel::listingChanged, this,
            &FolderTreeSidebar::refreshListing);
    connect(&viewModel_, &ArchiveViewModel::recentArchiveURLsChanged, this,
            &FolderTreeSidebar::rebuildRecents);
    connect(&viewModel_, &ArchiveViewModel::listingChanged, this,
            &FolderTreeSidebar::rebuildRecents);
    retranslate();
}

void FolderTreeSidebar::retranslate() {
    treeTitle_->setText(qs(S::folderTreeTitle()).toUpper());
    treeIcon_->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("list.bullet.indent"),
                                                 WindowStyle::secondary(palette()))
                             .pixmap(12, 12));
    refreshListing();
    rebuildRecents();
}

void FolderTreeSidebar::refreshListing() {
    const auto& listing = viewModel_.listing();
    archivePart_->setVisible(listing.has_value());
    if (!listing) return;
    card_->setInfo(listing->info());
    folderCount_->setText(QString::number(listing->info().folderCount));
}

void FolderTreeSidebar::rebuildRecents() {
    clearLayout(recentList_);
    const QStringList& recents = viewModel_.recentArchiveURLs();
    recentPart_->setVisible(!recents.isEmpty());
    if (recents.isEmpty()) return;
    auto* heading = new QWidget(recentPart_);
    auto* headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(0, 0, 0, 0);
    headingRow->setSpacing(5);
    auto* clock = new QLabel(heading);
    clock->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("clock"), WindowStyle::secondary(palette()))
                         .pixmap(11, 11));
    auto* title = new QLabel(qs(S::recentArchivesTitle()).toUpper(), heading);
    title->setFont(WindowStyle::font(10, QFont::Bold));
    title->setForegroundRole(QPalette::PlaceholderText);
    headingRow->addWidget(clock);
    headingRow->addWidget(title);
    headingRow->addStretch(1);
    recentList_->addWidget(heading);
    const QString current = viewModel_.listing()
                                ? qs(viewModel_.listing()->info().url.string())
                                : QString();
    for (qsizetype i = 0; i < std::min<qsizetype>(kRecentShown, recents.size()); ++i) {
        const QString path = recents.at(i);
        const bool isCurrent = path == current;
        auto* button = new PillButton(recentPart_);
        button->setObjectName(QStringLiteral("recentArchive"));
        button->setText(QFileInfo(path).fileName());
        button->setToolTip(path);
        button->setSymbol(QStringLiteral("archivebox.fill"));
        button->setSymbolColor(isCurrent ? WindowStyle::accent(palette())
                                         : WindowStyle::orange(palette()));
        PillButton::Metrics metrics;
        metrics.fontSize = 11;
        metrics.weight = isCurrent ? QFont::DemiBold : QFont::Normal;
        metrics.iconSize = 12;
        metrics.paddingX = 6;
        metrics.paddingY = 4;
        metrics.height = 0;
        metrics.radius = 6;
        metrics.spacing = 6;
        metrics.border = false;
        metrics.fillWidth = true;
        metrics.leading = true;
        button->setMetrics(metrics);
        button->setLook(isCurrent ? PillButton::Look::accentTint : PillButton::Look::bare);
        connect(button, &PillButton::clicked, this,
                [this, path] { viewModel_.openArchive(path); });
        recentList_->addWidget(button);
    }
}

}  // namespace kelvane::app
