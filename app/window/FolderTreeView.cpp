#include "window/FolderTreeView.hpp"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "SymbolIcon.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

class FolderTreeView::Model final : public QAbstractListModel {
public:
    explicit Model(ArchiveViewModel& viewModel, QObject* parent)
        : QAbstractListModel(parent), viewModel_(viewModel) {
        connect(&viewModel_, &ArchiveViewModel::sidebarFoldersChanged, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }
    [[nodiscard]] int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(viewModel_.sidebarFolders().size());
    }
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
        const ArchiveFolderNode* node = nodeAt(index.row());
        if (node == nullptr) return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return qs(node->name);
        return {};
    }
    [[nodiscard]] const ArchiveFolderNode* nodeAt(int row) const {
        const auto& nodes = viewModel_.sidebarFolders();
        if (row < 0 || static_cast<std::size_t>(row) >= nodes.size()) return nullptr;
        return &nodes[static_cast<std::size_t>(row)];
    }
    [[nodiscard]] const ArchiveViewModel& viewModel() const { return viewModel_; }

private:
    ArchiveViewModel& viewModel_;
};

class FolderTreeView::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(const Model& model, QObject* parent)
        : QStyledItemDelegate(parent), model_(model) {}

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& /*option*/,
                                 const QModelIndex& /*index*/) const override {
        return {200, kRowHeight + kRowGap};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const ArchiveFolderNode* node = model_.nodeAt(index.row());
        if (node == nullptr) return;
        const ArchiveViewModel& viewModel = model_.viewModel();
        const QPalette& pal = option.palette;
        const QString id = qs(node->id);
        const bool selected = id == viewModel.currentFolderPath();
        const bool expanded = viewModel.expandedFolders().contains(id);
        const QRect row = option.rect.adjusted(0, kRowGap / 2, 0, -kRowGap / 2);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(WindowStyle::accent(pal));
            painter->drawRoundedRect(QRectF(row), 6, 6);
        } else if ((option.state & QStyle::State_MouseOver) != 0) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(WindowStyle::faded(WindowStyle::primary(pal), 0.05));
            painter->drawRoundedRect(QRectF(row), 6, 6);
        }
        const QColor white(Qt::white);
        const QRect chevron = chevronRect(row, node->depth);
        if (!node->directSubfolderPaths.empty()) {
            SymbolIcon::bundledIcon(expanded ? QStringLiteral("chevron.down")
                                             : QStringLiteral("chevron.right"),
                                    selected ? WindowStyle::faded(white, 0.85)
                                             : WindowStyle::secondary(pal))
                .paint(painter, chevron.adjusted(2, 4, -3, -5));
        }
        int x = chevron.right() + 1 + 4;
        const bool isRoot = node->id.empty();
        const QString symbol = isRoot ? QStringLiteral("archivebox.fill")
                                      : selected ? QStringLiteral("folder.fill")
                                                 : QStringLiteral("folder");
        const QColor iconColor = selected ? white
                                 : isRoot ? WindowStyle::orange(pal)
                                          : WindowStyle::accent(pal);
        const int iconSide = 14;
        SymbolIcon::bundledIcon(symbol, iconColor)
            .paint(painter, QRect(x, row.top() + (row.height() - iconSide) / 2, iconSide, iconSide));
        x += iconSide + 5;

        const QString count = QString::number(node->recursiveFileCount);
        const QFont countFont = WindowStyle::font(9.5);
        const int countWidth = QFontMetrics(countFont).horizontalAdvance(count);
        const int right = row.right() - 7;
        painter->setFont(countFont);
        painter->setPen(selected ? WindowStyle::faded(white, 0.82) : WindowStyle::secondary(pal));
        painter->drawText(QRect(right - countWidth, row.top(), countWidth + 1, row.height()),
                          Qt::AlignVCenter | Qt::AlignRight, count);

        const QFont nameFont = WindowStyle::font(11.5, selected ? QFont::DemiBold : QFont::Normal);
        const int nameRoom = std::max(0, right - countWidth - 5 - x);
        painter->setFont(nameFont);
        painter->setPen(selected ? white : WindowStyle::primary(pal));
        painter->drawText(QRect(x, row.top(), nameRoom, row.height()), Qt::AlignVCenter,
                          QFontMetrics(nameFont).elidedText(qs(node->name), Qt::ElideMiddle,
                                                            nameRoom));
        painter->restore();
    }

private:
    const Model& model_;
};

FolderTreeView::FolderTreeView(ArchiveViewModel& viewModel, QWidget* parent)
    : QListView(parent), viewModel_(viewModel), model_(new Model(viewModel, this)) {
    setObjectName(QStringLiteral("folderTree"));
    setModel(model_);
    setItemDelegate(new Delegate(*model_, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto repaint = [this] { viewport()->update(); };
    connect(&viewModel_, &ArchiveViewModel::currentFolderPathChanged, this, repaint);
    connect(&viewModel_, &ArchiveViewModel::expandedFoldersChanged, this, repaint);
}

int FolderTreeView::indentation(std::int64_t depth) {
    return 4 + 12 * static_cast<int>(std::clamp<std::int64_t>(depth, 0, kMaxIndentLevels));
}

QRect FolderTreeView::chevronRect(const QRect& row, std::int64_t depth) {
    return {row.left() + indentation(depth), row.top() + (row.height() - 18) / 2, 14, 18};
}

const ArchiveFolderNode* FolderTreeView::nodeAt(int row) const { return model_->nodeAt(row); }

void FolderTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    const ArchiveFolderNode* node = model_->nodeAt(index.row());
    if (node == nullptr) return;
    const QString id = qs(node->id);
    const QRect chevron = chevronRect(visualRect(index), node->depth);
    if (!node->directSubfolderPaths.empty() &&
        chevron.adjusted(-3, -4, 3, 4).contains(event->position().toPoint())) {
        viewModel_.toggleFolderExpanded(id);
    } else {
        viewModel_.navigateToFolder(id);
    }
}

}  // namespace kelvane::app
