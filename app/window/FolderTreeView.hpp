// The folder tree of the sidebar: one row per node the state object lists (it decides the
// order and which branches are open), indented by depth up to six levels; the chevron
// opens or closes a branch, the rest of the row opens the folder. Rows are drawn on demand,
// so thousands of folders cost nothing until they scroll into view.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include "model/ArchiveFolderNode.hpp"

namespace kelvane::app {

class ArchiveViewModel;

class FolderTreeView final : public QListView {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 26;
    static constexpr int kRowGap = 2;
    static constexpr int kMaxIndentLevels = 6;

    explicit FolderTreeView(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    // Leading indentation of a row at `depth`.
    [[nodiscard]] static int indentation(std::int64_t depth);
    // Where a row's chevron sits within the row's rectangle.
    [[nodiscard]] static QRect chevronRect(const QRect& row, std::int64_t depth);
    [[nodiscard]] const ArchiveFolderNode* nodeAt(int row) const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class Model;
    class Delegate;

    ArchiveViewModel& viewModel_;
    Model* model_;
};

}  // namespace kelvane::app
