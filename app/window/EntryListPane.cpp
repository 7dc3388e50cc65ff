#include "window/EntryListPane.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "SymbolIcon.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "platform/LocaleNumberFormat.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/EntryTableView.hpp"
#include "window/LayoutClearing.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/PillButton.hpp"
#include "window/PlatformText.hpp"
#include "window/SearchField.hpp"
#include "window/SpinnerWidget.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

}  // namespace

EntryListPane::EntryListPane(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      up_(new PillButton(this)),
      crumbs_(new QWidget),
      crumbRow_(new QHBoxLayout(crumbs_)),
      spinner_(new SpinnerWidget(14, this)),
      search_(new SearchField(this)),
      trailing_(new MiddleElidedLabel(this)),
      body_(new QStackedWidget(this)),
      table_(new EntryTableView(viewModel, this)),
      emptyMessage_(new QWidget(this)),
      emptyIcon_(new QLabel(emptyMessage_)),
      emptyText_(new QLabel(emptyMessage_)) {
    setObjectName(QStringLiteral("entryListPane"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Navigation bar.
    auto* navigation = new QWidget(this);
    navigation->setObjectName(QStringLiteral("navigationBar"));
    navigation->setAutoFillBackground(true);
    navigation->setBackgroundRole(QPalette::Window);
    auto* navRow = new QHBoxLayout(navigation);
    navRow->setContentsMargins(12, 7, 12, 7);
    navRow->setSpacing(8);
    up_->setObjectName(QStringLiteral("upButton"));
    up_->setSymbol(QStringLiteral("arrow.up"));
    up_->setLook(PillButton::Look::emphasis);
    up_->setDisabledOpacity(0.35);
    PillButton::Metrics upMetrics;
    upMetrics.height = 26;
    upMetrics.fixedWidth = 26;
    upMetrics.paddingX = 0;
    upMetrics.radius = 6;
    upMetrics.border = false;
    upMetrics.iconSize = 12;
    up_->setMetrics(upMetrics);
    connect(up_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::navigateUpFolder);
    navRow->addWidget(up_);

    crumbRow_->setContentsMargins(0, 0, 0, 0);
    crumbRow_->setSpacing(4);
    auto* crumbScroller = new QScrollArea(this);
    crumbScroller->setObjectName(QStringLiteral("breadcrumbs"));
    crumbScroller->setWidget(crumbs_);
    crumbScroller->setWidgetResizable(true);
    crumbScroller->setFrameShape(QFrame::NoFrame);
    crumbScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    crumbScroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    crumbScroller->setFixedHeight(26);
    crumbScroller->viewport()->setAutoFillBackground(false);
    crumbs_->setAutoFillBackground(false);
    navRow->addWidget(crumbScroller, 1);
    navRow->addWidget(spinner_);
    search_->setFixedSize(225, 24);
    connect(search_, &QLineEdit::textEdited, &viewModel_, &ArchiveViewModel::updateSearchQuery);
    navRow->addWidget(search_);
    column->addWidget(navigation);
    column->addWidget(divider(this));

    // Filter chips.
    auto* filters = new QWidget(this);
    filters->setObjectName(QStringLiteral("filterBar"));
    auto* filterRow = new QHBoxLayout(filters);
    filterRow->setContentsMargins(12, 6, 12, 6);
    filterRow->setSpacing(5);
    const auto kinds = ArchiveFilterKind::allCases();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        auto* chip = new PillButton(filters);
        chip->setObjectName(QStringLiteral("filterChip_") + qs(kinds[i].rawValue()));
        PillButton::Metrics metrics;
        metrics.fontSize = 10.5;
        metrics.paddingX = 8;
        metrics.paddingY = 3;
        metrics.height = 0;
        metrics.radius = -1;
        metrics.border = false;
        chip->setMetrics(metrics);
        const ArchiveFilterKind kind = kinds[i];
        connect(chip, &PillButton::clicked, this, [this, kind] { viewModel_.updateFilterKind(kind); });
        chips_[i] = chip;
        filterRow->addWidget(chip);
    }
    filterRow->addStretch(1);
    trailing_->setObjectName(QStringLiteral("filterTrailing"));
    // The hint gives way to the chips: cut short in long languages, whole in its tooltip.
    trailing_->setAlignment(Qt::AlignRight);
    trailing_->setTextRole(QPalette::PlaceholderText);
    filterRow->addWidget(trailing_);
    column->addWidget(filters);
    column->addWidget(divider(this));

    // Table or the empty message.
    auto* emptyColumn = new QVBoxLayout(emptyMessage_);
    emptyColumn->addStretch(1);
    emptyColumn->setSpacing(10);
    emptyIcon_->setAlignment(Qt::AlignCenter);
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setObjectName(QStringLiteral("emptyText"));
    emptyColumn->addWidget(emptyIcon_);
    emptyColumn->addWidget(emptyText_);
    emptyColumn->addStretch(1);
    body_->addWidget(table_);
    body_->addWidget(emptyMessage_);
    column->addWidget(body_, 1);

    connect(&viewModel_, &ArchiveViewModel::currentFolderPathChanged, this,
            &EntryListPane::rebuildBreadcrumbs);
    connect(&viewModel_, &ArchiveViewModel::listingChanged, this,
            &EntryListPane::rebuildBreadcrumbs);
    connect(&viewModel_, &ArchiveViewModel::filterKindChanged, this, &EntryListPane::refreshChips);
    connect(&viewModel_, &ArchiveViewModel::searchQueryChanged, this, &EntryListPane::refreshChips);
    connect(&viewModel_, &ArchiveViewModel::displayedEntriesChanged, this,
            &EntryListPane::refreshChips);
    connect(&viewModel_, &ArchiveViewModel::displayedEntriesChanged, this,
            &EntryListPane::refreshBody);
    connect(&viewModel_, &ArchiveViewModel::isFilteringAsyncChanged, this,
            &EntryListPane::refreshBody);
    connect(&viewModel_, &ArchiveViewModel::searchQueryChanged, this,
            &EntryListPane::refreshNavigation);
    connect(&viewModel_, &ArchiveViewModel::searchFocusPulseChanged, this,
            &EntryListPane::refreshNavigation);
    retranslate();
}

bool EntryListPane::showsEmptyMessage() const { return body_->currentWidget() == emptyMessage_; }

void EntryListPane::retranslate() {
    up_->setToolTip(qs(S::upFolder()));
    search_->setPlaceholderText(PlatformText::searchPlaceholder());
    emptyText_->setText(qs(S::t("No matching entries here.", "Bu görünümde öğe yok.")));
    const auto kinds = ArchiveFilterKind::allCases();
    for (std::size_t i = 0; i < kinds.size(); ++i) chips_[i]->setText(qs(S::filterLabel(kinds[i])));
    table_->model()->headerDataChanged(Qt::Horizontal, 0, 4);
    rebuildBreadcrumbs();
    refreshChips();
    refreshBody();
    refreshNavigation();
}

void EntryListPane::refreshNavigation() {
    search_->follow(viewModel_.searchQuery(), viewModel_.searchFocusPulse());
}

void EntryListPane::rebuildBreadcrumbs() {
    up_->setEnabled(!viewModel_.currentFolderPath().isEmpty());
    clearLayout(crumbRow_);
    const QString current = viewModel_.currentFolderPath();
    const auto crumbs = ArchiveDirectoryIndex::breadcrumbs(current.toStdString());
    bool first = true;
    for (const ArchiveBreadcrumb& crumb : crumbs) {
        if (!first) {
            auto* chevron = new QLabel(crumbs_);
            chevron->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("chevron.right"),
                                                      WindowStyle::tertiary(palette()))
                                   .pixmap(9, 9));
            crumbRow_->addWidget(chevron);
        }
        first = false;
        const QString path = qs(crumb.path);
        auto* button = new PillButton(crumbs_);
        button->setObjectName(QStringLiteral("crumb"));
        button->setText(qs(crumb.title));
        const bool isCurrent = path == current;
        PillButton::Metrics metrics;
        metrics.fontSize = 11.5;
        metrics.weight = isCurrent ? QFont::DemiBold : QFont::Normal;
        metrics.paddingX = 6;
        metrics.paddingY = 3;
        metrics.height = 0;
        metrics.radius = 5;
        metrics.border = false;
        button->setMetrics(metrics);
        button->setLook(isCurrent ? PillButton::Look::emphasis : PillButton::Look::quiet);
        connect(button, &PillButton::clicked, this,
                [this, path] { viewModel_.navigateToFolder(path); });
        crumbRow_->addWidget(button);
    }
    crumbRow_->addStretch(1);
}

void EntryListPane::refreshChips() {
    const auto kinds = ArchiveFilterKind::allCases();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const bool chosen = kinds[i] == viewModel_.filterKind();
        chips_[i]->setLook(chosen ? PillButton::Look::prominent : PillButton::Look::soft);
        chips_[i]->setTitleWeight(chosen ? QFont::DemiBold : QFont::Medium);
    }
    if (viewModel_.isSearchOrFilterActive()) {
        trailing_->setFont(WindowStyle::font(10));
        trailing_->setText(
            qs(LocaleNumberFormat::groupedDecimal(
                static_cast<std::int64_t>(viewModel_.displayedEntries().size()),
                viewModel_.language().locale())) +
            QLatin1Char(' ') + qs(S::t("matches", "sonuç")));
    } else {
        trailing_->setFont(WindowStyle::font(10));
        trailing_->setText(PlatformText::dragOutHint());
    }
}

void EntryListPane::refreshBody() {
    spinner_->setVisible(viewModel_.isFilteringAsync());
    const bool empty = viewModel_.displayedEntries().empty() && !viewModel_.isFilteringAsync();
    body_->setCurrentWidget(empty ? emptyMessage_ : static_cast<QWidget*>(table_));
    if (empty) {
        emptyIcon_->setPixmap(SymbolIcon::bundledIcon(QStringLiteral("tray"),
                                                      WindowStyle::tertiary(palette()))
                                  .pixmap(32, 32));
    }
}

}  // namespace kelvane::app
