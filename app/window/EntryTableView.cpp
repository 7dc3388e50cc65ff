#include "window/EntryTableView.hpp"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QStyle>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>

#include <algorithm>
#include <functional>
#include <string_view>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/EntryNameDelegate.hpp"
#include "window/EntryTableModel.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

constexpr int kRowHeight = 26;
constexpr int kRelativePathRowHeight = 36;

struct ColumnWidth {
    int initial;
    int minimum;
};

constexpr ColumnWidth kColumnWidths[] = {{230, 140}, {76, 64}, {82, 68}, {54, 46}, {118, 100}};

std::uint64_t mix(std::uint64_t seed, std::uint64_t value) {
    return seed ^ (value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace

EntryTableView::EntryTableView(ArchiveViewModel& viewModel, QWidget* parent)
    : QTableView(parent),
      viewModel_(viewModel),
      model_(new EntryTableModel(this)),
      nameDelegate_(new EntryNameDelegate(this)) {
    setObjectName(QStringLiteral("entryTable"));
    setModel(model_);
    setItemDelegateForColumn(EntryTableModel::name, nameDelegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setAttribute(Qt::WA_MacShowFocusRect, false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(16);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsMovable(false);
    columns->setHighlightSections(false);
    // The header asks its selection model whether each column is wholly selected, and Qt
    // answers that by walking every row: with a million selected rows each repaint of the
    // header would stall for tens of milliseconds. The header has nothing to show about
    // the selection, so it gets one of its own that stays empty.
    columns->setSelectionModel(new QItemSelectionModel(model_, columns));
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(40);
    const QFontMetrics metrics(WindowStyle::font(11.5));
    const double scale = std::max(1.0, metrics.averageCharWidth() / 6.5);
    for (int column = 0; column < EntryTableModel::columnCount_; ++column) {
        const ColumnWidth width = kColumnWidths[column];
        columns->setSectionResizeMode(column, column == EntryTableModel::name
                                                  ? QHeaderView::Stretch
                                                  : QHeaderView::Interactive);
        columns->resizeSection(column, static_cast<int>(width.initial * scale));
    }
    columns->setMinimumSectionSize(static_cast<int>(kColumnWidths[3].minimum * scale));
    setMinimumWidth(static_cast<int>((140 + 64 + 68 + 46 + 100) * scale));
    fitColumnsToTexts();
    connect(model_, &QAbstractItemModel::headerDataChanged, this, &EntryTableView::fitColumnsToTexts);
    showSortIndicator();
    connect(columns, &QHeaderView::sortIndicatorChanged, this,
            &EntryTableView::headerSortChanged);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EntryTableView::selectionEdited);
    connect(this, &QAbstractItemView::doubleClicked, this, &EntryTableView::activated);

    connect(&viewModel_, &ArchiveViewModel::displayedEntriesChanged, this,
            &EntryTableView::syncFromViewModel);
    connect(&viewModel_, &ArchiveViewModel::listingChanged, this,
            &EntryTableView::syncFromViewModel);
    connect(&viewModel_, &ArchiveViewModel::sortFieldChanged, this,
            &EntryTableView::showSortIndicator);
    connect(&viewModel_, &ArchiveViewModel::sortAscendingChanged, this,
            &EntryTableView::showSortIndicator);
    connect(&viewModel_, &ArchiveViewModel::selectedEntryIDsChanged, this,
            &EntryTableView::pushSelection);
    syncFromViewModel();
}

std::uint64_t EntryTableView::dataSignature() const {
    const ArchiveItemList& entries = viewModel_.displayedEntries();
    std::uint64_t seed = 0xCBF29CE484222325ULL;
    seed = mix(seed, entries.size());
    seed = mix(seed, viewModel_.isSearchOrFilterActive() ? 1 : 2);
    seed = mix(seed, static_cast<std::uint64_t>(viewModel_.sortField().value()) + 3);
    seed = mix(seed, viewModel_.sortAscending() ? 5 : 7);
    // The list's storage: a new list in the same place with the same ends is still new.
    seed = mix(seed, reinterpret_cast<std::uintptr_t>(entries.entries().data()));
    const auto hashID = [](const ArchiveEntry& entry) {
        return static_cast<std::uint64_t>(std::hash<std::string_view>{}(entry.id()));
    };
    if (!entries.empty()) {
        seed = mix(seed, hashID(entries[0]));
        seed = mix(seed, hashID(entries[entries.size() - 1]));
        if (entries.size() > 2) seed = mix(seed, hashID(entries[entries.size() / 2]));
    }
    return seed == 0 ? 1 : seed;
}

void EntryTableView::syncFromViewModel() {
    const std::uint64_t signature = dataSignature();
    if (signature != lastDataSignature_) {
        lastDataSignature_ = signature;
        const bool relative = viewModel_.isSearchOrFilterActive();
        std::shared_ptr<const ArchiveDirectoryIndex> tree;
        if (viewModel_.listing()) tree = viewModel_.listing()->tree();
        // The row height first, while the header still holds the old rows: set after a reset
        // to a million rows, it walks every one of them.
        verticalHeader()->setDefaultSectionSize(relative ? kRelativePathRowHeight : kRowHeight);
        isSyncingSelection_ = true;
        model_->reset(&viewModel_.displayedEntries(), std::move(tree), relative);
        isSyncingSelection_ = false;
        showSortIndicator();
    }
    pushSelection();
}

EntryTableView::RowRanges EntryTableView::selectedRowRanges() const {
    RowRanges ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.top() < 0) continue;
        ranges.emplace_back(static_cast<std::size_t>(range.top()),
                            static_cast<std::size_t>(range.bottom()));
    }
    return EntrySelection::mergedRows(std::move(ranges));
}

void EntryTableView::pushSelection() {
    RowRanges desired;
    if (!viewModel_.selectedEntryIDs().empty()) {
        desired = viewModel_.selectedDisplayedRows();
        // The model may still show fewer rows than the list while it catches up.
        const std::size_t count = model_->entryCount();
        while (!desired.empty() && desired.back().first >= count) desired.pop_back();
        if (!desired.empty() && desired.back().second >= count) desired.back().second = count - 1;
    }
    if (desired == selectedRowRanges()) return;
    QItemSelection selection;
    const int lastColumn = EntryTableModel::columnCount_ - 1;
    for (const auto& [first, last] : desired) {
        selection.select(model_->index(static_cast<int>(first), 0),
                         model_->index(static_cast<int>(last), lastColumn));
    }
    isSyncingSelection_ = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    isSyncingSelection_ = false;
}

void EntryTableView::selectionEdited() {
    if (isSyncingSelection_) return;
    viewModel_.selectDisplayedRows(selectedRowRanges());
}

void EntryTableView::fitColumnsToTexts() {
    QHeaderView* columns = horizontalHeader();
    const double scale = std::max(1.0, QFontMetrics(WindowStyle::font(11.5)).averageCharWidth() / 6.5);
    // The item view pads a cell's text by the focus frame margin plus one on either side.
    const int cellPadding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
    // A late date with two-digit day, month, hour and minute: the widest this locale writes.
    const QString latestDate = model_->dateLocale().toString(
        QDateTime(QDate(2028, 12, 28), QTime(23, 58)), QLocale::ShortFormat);
    const int dateWidth = QFontMetrics(WindowStyle::font(10.5)).horizontalAdvance(latestDate) + cellPadding;
    for (int column = EntryTableModel::name + 1; column < EntryTableModel::columnCount_; ++column) {
        int width = std::max(static_cast<int>(kColumnWidths[column].initial * scale),
                             columns->sectionSizeHint(column));
        if (column == EntryTableModel::modified) width = std::max(width, dateWidth);
        columns->resizeSection(column, width);
    }
}

void EntryTableView::showSortIndicator() {
    const int column = EntryTableModel::columnFor(viewModel_.sortField());
    const Qt::SortOrder order =
        viewModel_.sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder;
    QHeaderView* header = horizontalHeader();
    if (header->sortIndicatorSection() == column && header->sortIndicatorOrder() == order) return;
    const QSignalBlocker quiet(header);
    header->setSortIndicator(column, order);
    header->viewport()->update();
}

void EntryTableView::headerSortChanged(int section, Qt::SortOrder order) {
    const std::optional<ArchiveSortField> field = EntryTableModel::sortFieldFor(section);
    if (!field) {
        // The ratio column does not sort; put the indicator back where the order is.
        QHeaderView* header = horizontalHeader();
        const QSignalBlocker quiet(header);
        header->setSortIndicator(EntryTableModel::columnFor(viewModel_.sortField()),
                                 viewModel_.sortAscending() ? Qt::AscendingOrder
                                                            : Qt::DescendingOrder);
        return;
    }
    const bool ascending = order == Qt::AscendingOrder;
    const bool sameColumn =
        EntryTableModel::columnFor(viewModel_.sortField()) == EntryTableModel::columnFor(*field);
    if (sameColumn && ascending == viewModel_.sortAscending() &&
        (*field == viewModel_.sortField() || section == EntryTableModel::name)) {
        return;
    }
    viewModel_.changeSort(*field, ascending);
}

void EntryTableView::activated(const QModelIndex& index) {
    const ArchiveEntry* entry = model_->entryAt(index.row());
    if (entry == nullptr) return;
    if (entry->isDirectory()) {
        viewModel_.navigateToFolder(qs(entry->id()));
    } else {
        viewModel_.openEntryDirectly(*entry);
    }
}

QMenu* EntryTableView::contextMenuForRow(int row) {
    const ArchiveEntry* clicked = model_->entryAt(row);
    if (clicked == nullptr) return nullptr;
    if (!selectionModel()->isRowSelected(row, QModelIndex())) {
        const std::size_t at = static_cast<std::size_t>(row);
        viewModel_.selectDisplayedRows({{at, at}});
    }
    // The row is read again when an item is chosen: the list may have changed meanwhile.
    const QString clickedID = qs(clicked->id());
    const auto stillThere = [this, row, clickedID]() -> const ArchiveEntry* {
        const ArchiveEntry* entry = model_->entryAt(row);
        if (entry == nullptr || qs(entry->id()) != clickedID) return nullptr;
        return entry;
    };
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("entryContextMenu"));
    if (clicked->isDirectory()) {
        menu->addAction(qs(S::t("Open Folder", "Klasörü Aç")), this, [this, stillThere] {
            if (const ArchiveEntry* entry = stillThere()) {
                viewModel_.navigateToFolder(qs(entry->id()));
            }
        });
    } else {
        menu->addAction(qs(S::openFileDirect()), this, [this, stillThere] {
            if (const ArchiveEntry* entry = stillThere()) viewModel_.openEntryDirectly(*entry);
        });
        menu->addAction(qs(S::quickLook()), this,
                        [this] { viewModel_.toggleQuickLookForSelection(); });
    }
    menu->addSeparator();
    menu->addAction(qs(S::extractSelected()), this,
                    [this] { viewModel_.presentExtractSheet(true); });
    menu->addAction(qs(S::extractHere()), this, [this] { viewModel_.quickExtractHere(true); });
    menu->addSeparator();
    menu->addAction(qs(S::copyPath()), this, [this, stillThere] {
        if (const ArchiveEntry* entry = stillThere()) {
            viewModel_.copyToClipboard(qs(entry->id()),
                                       qs(S::t("Copied to clipboard", "Panoya kopyalandı")));
        }
    });
    if (viewModel_.listing() && viewModel_.listing()->info().isModifiable) {
        menu->addSeparator();
        menu->addAction(qs(S::deleteSelected()), this,
                        [this] { viewModel_.deleteSelectedEntriesFromArchive(); });
    }
    return menu;
}

void EntryTableView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = rowAt(event->pos().y());
    QMenu* menu = contextMenuForRow(row);
    lastContextMenu_ = menu;
    if (menu == nullptr) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void EntryTableView::startDrag(Qt::DropActions /*supportedActions*/) {
    if (!viewModel_.listing()) return;
    std::vector<ArchiveEntry> entries = viewModel_.selectedEntries();
    if (entries.empty()) return;
    emit dragRequested(std::move(entries));
}

}  // namespace kelvane::app
