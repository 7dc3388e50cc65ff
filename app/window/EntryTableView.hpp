// The entry table: shows the state object's displayed entries, keeps its selection in step
// with the state object's both ways (without echoing a change back), sorts by header click,
// opens on double click and offers the context menu. Dragging rows only announces the
// entries (`dragRequested`); what a drag does is decided elsewhere.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QTableView>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/ArchiveEntry.hpp"

namespace kelvane::app {

class ArchiveViewModel;
class EntryNameDelegate;
class EntryTableModel;

class EntryTableView final : public QTableView {
    Q_OBJECT

public:
    using RowRanges = std::vector<std::pair<std::size_t, std::size_t>>;

    EntryTableView(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    [[nodiscard]] EntryTableModel& entryModel() const { return *model_; }
    // The table's selected rows as sorted, merged, inclusive ranges.
    [[nodiscard]] RowRanges selectedRowRanges() const;
    // The menu for a click on `row`, after selecting that row when it was not; null outside
    // the rows. The caller owns it.
    [[nodiscard]] QMenu* contextMenuForRow(int row);
    // The menu opened by the last right click (null when none opened).
    [[nodiscard]] QMenu* lastContextMenu() const { return lastContextMenu_; }

    // Brings rows, row height, sort indicator and selection in line with the state object.
    void syncFromViewModel();
    void pushSelection();

signals:
    // The user started dragging the selected rows.
    void dragRequested(std::vector<kelvane::ArchiveEntry> entries);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void headerSortChanged(int section, Qt::SortOrder order);
    void selectionEdited();
    void activated(const QModelIndex& index);
    void showSortIndicator();
    // Widens the columns after the name to their header texts and the Modified column to a
    // date of the table's locale, so that no language cuts them; the name column gives way.
    void fitColumnsToTexts();
    [[nodiscard]] std::uint64_t dataSignature() const;

    ArchiveViewModel& viewModel_;
    EntryTableModel* model_;
    EntryNameDelegate* nameDelegate_;
    std::uint64_t lastDataSignature_ = 0;
    bool isSyncingSelection_ = false;
    QPointer<QMenu> lastContextMenu_;
};

}  // namespace kelvane::app
