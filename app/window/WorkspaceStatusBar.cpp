#include "window/WorkspaceStatusBar.hpp"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>

#include "SymbolIcon.hpp"
#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "platform/LocaleNumberFormat.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/LeftToRightText.hpp"
#include "window/PillButton.hpp"
#include "window/PlatformText.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

QString colored(const QString& text, const QColor& color) {
    return QStringLiteral("<span style=\"color:%1\">%2</span>")
        .arg(color.name(QColor::HexArgb), text.toHtmlEscaped());
}

}  // namespace

WorkspaceStatusBar::WorkspaceStatusBar(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      icon_(new QLabel(this)),
      name_(new QLabel(this)),
      format_(new QLabel(this)),
      loadTime_(new QLabel(this)),
      readOnly_(new QLabel(this)),
      selection_(new QLabel(this)),
      counts_(new QLabel(this)),
      reveal_(new PillButton(this)) {
    setObjectName(QStringLiteral("statusBar"));
    setFixedHeight(30);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(12);
    auto* group = new QHBoxLayout;
    group->setSpacing(6);
    group->addWidget(icon_);
    name_->setFont(WindowStyle::font(11, QFont::DemiBold));
    name_->setObjectName(QStringLiteral("statusName"));
    group->addWidget(name_);
    format_->setFont(WindowStyle::font(10.5, QFont::Medium));
    group->addWidget(format_);
    loadTime_->setFont(WindowStyle::font(10, QFont::DemiBold));
    group->addWidget(loadTime_);
    readOnly_->setFont(WindowStyle::font(10));
    readOnly_->setObjectName(QStringLiteral("statusReadOnly"));
    group->addWidget(readOnly_);
    row->addLayout(group);
    row->addStretch(1);
    selection_->setFont(WindowStyle::font(11, QFont::DemiBold));
    selection_->setObjectName(QStringLiteral("statusSelection"));
    row->addWidget(selection_);
    counts_->setFont(WindowStyle::font(11));
    counts_->setObjectName(QStringLiteral("statusCounts"));
    row->addWidget(counts_);
    reveal_->setObjectName(QStringLiteral("statusReveal"));
    reveal_->setSymbol(QStringLiteral("folder"));
    reveal_->setLook(PillButton::Look::quiet);
    PillButton::Metrics metrics;
    metrics.height = 20;
    metrics.fixedWidth = 22;
    metrics.paddingX = 0;
    metrics.iconSize = 13;
    metrics.border = false;
    metrics.radius = 4;
    reveal_->setMetrics(metrics);
    connect(reveal_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::revealArchiveInFinder);
    row->addWidget(reveal_);

    for (auto signal : {&ArchiveViewModel::listingChanged, &ArchiveViewModel::selectedEntryIDsChanged,
                        &ArchiveViewModel::selectedTotalBytesChanged,
                        &ArchiveViewModel::displayedEntriesChanged}) {
        connect(&viewModel_, signal, this, &WorkspaceStatusBar::refresh);
    }
    retranslate();
}

void WorkspaceStatusBar::retranslate() {
    reveal_->setToolTip(PlatformText::revealInFileManager());
    refresh();
}

QString WorkspaceStatusBar::archiveText() const {
    QStringList parts{name_->text(), format_->text()};
    if (loadTime_->isVisibleTo(this)) parts << loadTime_->text();
    if (readOnly_->isVisibleTo(this)) parts << readOnly_->text();
    return parts.join(QLatin1Char(' '));
}

QString WorkspaceStatusBar::selectionText() const {
    return selection_->isVisibleTo(this) ? selection_->text() : QString();
}

QString WorkspaceStatusBar::countsText() const { return counts_->text(); }

void WorkspaceStatusBar::refresh() {
    const auto& listing = viewModel_.listing();
    if (!listing) return;
    const ArchiveInfo& info = listing->info();
    const QPalette& pal = palette();
    const std::string locale(viewModel_.language().locale());
    icon_->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("archivebox.fill"), WindowStyle::orange(pal))
                         .pixmap(12, 12));
    const QString fileName = QFileInfo(qs(info.url.string())).fileName();
    name_->setText(name_->fontMetrics().elidedText(fileName, Qt::ElideMiddle, 320));
    name_->setToolTip(qs(info.url.string()));
    const QString dot = colored(QStringLiteral("·"), WindowStyle::tertiary(pal));
    format_->setText(dot + QLatin1Char(' ') + colored(qs(info.formatName), WindowStyle::secondary(pal)));
    loadTime_->setVisible(info.loadDurationMs >= 1);
    loadTime_->setText(dot + QLatin1Char(' ') +
                       colored(QString::number(info.loadDurationMs) + QStringLiteral(" ms"),
                               WindowStyle::green(pal)));
    readOnly_->setVisible(!info.isModifiable);
    readOnly_->setText(colored(qs(S::t("(Read-Only)", "(Salt Okunur)")), WindowStyle::tertiary(pal)));
    const EntrySelection& selected = viewModel_.selectedEntryIDs();
    selection_->setVisible(!selected.empty());
    selection_->setText(
        colored(qs(LocaleNumberFormat::groupedDecimal(static_cast<std::int64_t>(selected.size()), locale)) +
                    QLatin1Char(' ') + qs(S::t("selected", "seçili")) + QStringLiteral(" (") +
                    LeftToRightText::isolated(qs(ByteSizeFormatter::format(viewModel_.selectedTotalBytes()))) +
                    QLatin1Char(')'),
                WindowStyle::accent(pal)) +
        QLatin1Char(' ') + dot);
    counts_->setText(colored(
        qs(LocaleNumberFormat::groupedDecimal(
            static_cast<std::int64_t>(viewModel_.displayedEntries().size()), locale)) +
            QLatin1Char(' ') + qs(S::t("shown", "gösterilen")) + QStringLiteral(" · ") +
            qs(S::filesCountText(info.fileCount)) + QStringLiteral(" (") +
            LeftToRightText::isolated(qs(ByteSizeFormatter::format(info.totalUncompressedSize))) +
            QLatin1Char(')'),
        WindowStyle::secondary(pal)));
}

void WorkspaceStatusBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) refresh();
    QWidget::changeEvent(event);
}

}  // namespace kelvane::app
