#include "window/EntryNameDelegate.hpp"

#include <QApplication>
#include <QPainter>

#include "SymbolIcon.hpp"
#include "window/EntryTableModel.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

EntryNameDelegate::EntryNameDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QIcon EntryNameDelegate::iconFor(const QString& symbol, const QPalette& palette) const {
    if (cachedForWindowColor_ != palette.color(QPalette::Window).rgb()) {
        iconCache_.clear();
        cachedForWindowColor_ = palette.color(QPalette::Window).rgb();
    }
    const auto found = iconCache_.constFind(symbol);
    if (found != iconCache_.constEnd()) return *found;
    QColor tint = WindowStyle::blue(palette);
    if (symbol == QLatin1String("folder.fill")) tint = WindowStyle::accent(palette);
    else if (symbol == QLatin1String("photo.fill")) tint = WindowStyle::purple(palette);
    else if (symbol == QLatin1String("film.fill")) tint = WindowStyle::pink(palette);
    else if (symbol == QLatin1String("doc.text.fill")) tint = WindowStyle::green(palette);
    else if (symbol == QLatin1String("doc.richtext.fill")) tint = WindowStyle::red(palette);
    else if (symbol == QLatin1String("archivebox.fill")) tint = WindowStyle::orange(palette);
    else if (symbol == QLatin1String("doc")) tint = WindowStyle::secondary(palette);
    const QIcon icon = SymbolIcon::bundledIcon(symbol, tint);
    iconCache_.insert(symbol, icon);
    return icon;
}

void EntryNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QPalette& palette = option.palette;
    const QRect cell = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    const QString symbol = index.data(EntryTableModel::kSymbolRole).toString();
    // On the selection colour every kind's tint would sink in; the symbol turns white.
    const QIcon icon = selected ? SymbolIcon::bundledIcon(symbol, palette.color(QPalette::HighlightedText))
                                : iconFor(symbol, palette);
    const QRect iconRect(cell.left() + 6, cell.top() + (cell.height() - 18) / 2, 18, 18);
    icon.paint(painter, iconRect);

    const QString title = index.data(Qt::DisplayRole).toString();
    const QString subtitle = index.data(EntryTableModel::kSubtitleRole).toString();
    const bool encrypted = index.data(EntryTableModel::kEncryptedRole).toBool();
    const QFont titleFont = index.data(Qt::FontRole).value<QFont>();
    const QFont subtitleFont = WindowStyle::font(9.5);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics subtitleMetrics(subtitleFont);

    const int textLeft = iconRect.right() + 1 + 7;
    const int textRight = cell.right() - 6;
    const int lockWidth = encrypted ? 4 + 11 : 0;
    const int titleRoom = std::max(0, textRight - textLeft - lockWidth);
    const int blockHeight = titleMetrics.height() +
                            (subtitle.isEmpty() ? 0 : subtitleMetrics.height());
    int y = cell.top() + (cell.height() - blockHeight) / 2;

    const QColor textColor = selected ? palette.color(QPalette::HighlightedText)
                                      : WindowStyle::primary(palette);
    painter->setFont(titleFont);
    painter->setPen(textColor);
    const QString shownTitle = titleMetrics.elidedText(title, Qt::ElideMiddle, titleRoom);
    painter->drawText(QRect(textLeft, y, titleRoom, titleMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, shownTitle);
    if (encrypted) {
        const int lockX = textLeft + titleMetrics.horizontalAdvance(shownTitle) + 4;
        SymbolIcon::bundledIcon(QStringLiteral("lock.fill"), WindowStyle::orange(palette))
            .paint(painter, QRect(lockX, y + (titleMetrics.height() - 11) / 2, 11, 11));
    }
    if (!subtitle.isEmpty()) {
        y += titleMetrics.height();
        painter->setFont(subtitleFont);
        painter->setPen(selected ? WindowStyle::faded(palette.color(QPalette::HighlightedText), 0.8)
                                 : WindowStyle::secondary(palette));
        const int room = std::max(0, textRight - textLeft);
        // Cut at the head, so the end of a long path stays visible.
        painter->drawText(QRect(textLeft, y, room, subtitleMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          subtitleMetrics.elidedText(subtitle, Qt::ElideLeft, room));
    }
    painter->restore();
}

}  // namespace kelvane::app
