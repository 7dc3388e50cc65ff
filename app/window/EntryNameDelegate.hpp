// Draws the name cell of the entry table: the kind icon, the name (semibold for folders),
// a lock for encrypted entries and, in search results, the parent path under the name.
#pragma once

#include <QHash>
#include <QIcon>
#include <QPalette>
#include <QStyledItemDelegate>

namespace kelvane::app {

class EntryNameDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit EntryNameDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The prepared icon of a symbol, built once per palette.
    [[nodiscard]] QIcon iconFor(const QString& symbol, const QPalette& palette) const;

private:
    mutable QHash<QString, QIcon> iconCache_;
    mutable QRgb cachedForWindowColor_ = 0;
};

}  // namespace kelvane::app
